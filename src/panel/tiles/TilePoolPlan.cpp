#include "panel/tiles/TilePoolPlan.h"

#include <QHash>
#include <QMap>

TilePoolPlan TilePoolPlan::make(const QList<Slot>& pool, const QList<Slot>& wanted) {
    TilePoolPlan plan;
    plan.tileFor.fill(-1, wanted.size());
    QHash<QString, int> wantedIndex;
    wantedIndex.reserve(wanted.size());
    for (int i = 0; i < wanted.size(); ++i) {
        wantedIndex.insert(wanted[i].promptID, i);
    }
    QList<bool> used(pool.size(), false);
    for (int tile = 0; tile < pool.size(); ++tile) {
        const QString& id = pool[tile].promptID;
        if (id.isEmpty()) {
            continue;
        }
        const auto it = wantedIndex.constFind(id);
        if (it != wantedIndex.cend() && plan.tileFor[*it] < 0) {
            plan.tileFor[*it] = tile;
            used[tile] = true;
        }
    }
    // Free tiles by section, the lowest index first.
    QMap<int, QList<int>> free;
    for (int tile = pool.size() - 1; tile >= 0; --tile) {
        if (!used[tile]) {
            free[pool[tile].section].append(tile);
        }
    }
    int next = int(pool.size());
    for (int i = 0; i < wanted.size(); ++i) {
        if (plan.tileFor[i] >= 0) {
            continue;
        }
        auto same = free.find(wanted[i].section);
        if (same == free.end() || same->isEmpty()) {
            same = std::find_if(free.begin(), free.end(), [](const QList<int>& tiles) { return !tiles.isEmpty(); });
        }
        if (same != free.end() && !same->isEmpty()) {
            plan.tileFor[i] = same->takeLast();
            used[plan.tileFor[i]] = true;
        } else {
            plan.tileFor[i] = next++;
        }
    }
    for (int tile = 0; tile < pool.size(); ++tile) {
        if (!used[tile]) {
            plan.idle.append(tile);
        }
    }
    return plan;
}
