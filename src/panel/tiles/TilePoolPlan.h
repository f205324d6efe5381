#pragma once

#include <QList>
#include <QString>

// Which tile widget of the stage's pool shows which prompt after a change. A tile that already
// shows a wanted prompt keeps it, so its hover, its open menu and its accessibility object stay
// with the prompt; the other wanted prompts take idle tiles, of the same section where there are
// any (no reparenting), and new tiles only when the pool has run out.
struct TilePoolPlan {
    struct Slot {
        QString promptID; // empty for an idle tile of the pool
        int section = 0;
        bool operator==(const Slot&) const = default;
    };

    // For each wanted prompt, the index of its tile in the pool; indices from the pool's size on
    // name tiles to create, in order.
    QList<int> tileFor;
    // Tiles of the pool that show nothing after the change.
    QList<int> idle;

    static TilePoolPlan make(const QList<Slot>& pool, const QList<Slot>& wanted);
};
