#include "context/PromptSorter.h"

#include <algorithm>
#include <vector>

namespace PromptSorter {

namespace {

// The sorted order of `count` prompts as indices into them. A prompt without a record counts as
// never copied, last used at the beginning of the year 1, before every real date.
std::vector<qsizetype> sortedIndices(qsizetype count, PromptSortMode mode,
                                     const QHash<QString, PromptUsageRecord>& usage,
                                     const std::function<const QString&(qsizetype)>& idAt) {
    constexpr qint64 distantPastMs = -62135596800000LL;
    struct Entry {
        qsizetype index;
        qint64 count;
        qint64 lastUsedMs;
    };
    const bool byCount = mode == PromptSortMode::frequent;
    const auto before = [byCount](const Entry& a, const Entry& b) {
        if (byCount && a.count != b.count) {
            return a.count > b.count;
        }
        if (a.lastUsedMs != b.lastUsedMs) {
            return a.lastUsedMs > b.lastUsedMs;
        }
        return a.index < b.index;
    };

    // Most prompts were never copied and all of those tie, so only the others are sorted: those
    // ordered before the never-copied ones, then these in file order, then any ordered after them
    // (a record older than the year 1). The index breaks every tie, so this is the full order.
    std::vector<Entry> ahead;
    std::vector<Entry> behind;
    std::vector<qsizetype> never;
    never.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        const auto record = usage.constFind(idAt(i));
        if (record == usage.constEnd()) {
            never.push_back(i);
            continue;
        }
        const QDateTime& date = record->lastUsedAt;
        const Entry entry{i, record->successfulCopyCount, date.isValid() ? date.toMSecsSinceEpoch() : distantPastMs};
        const Entry neverCopied{i, 0, distantPastMs};
        if (before(entry, neverCopied)) {
            ahead.push_back(entry);
        } else if (before(neverCopied, entry)) {
            behind.push_back(entry);
        } else {
            never.push_back(i);
        }
    }
    std::sort(ahead.begin(), ahead.end(), before);
    std::sort(behind.begin(), behind.end(), before);
    std::vector<qsizetype> order;
    order.reserve(size_t(count));
    for (const Entry& entry : ahead) {
        order.push_back(entry.index);
    }
    order.insert(order.end(), never.begin(), never.end());
    for (const Entry& entry : behind) {
        order.push_back(entry.index);
    }
    return order;
}

} // namespace

QList<PromptItem> sorted(const QList<PromptItem>& prompts, PromptSortMode mode,
                         const QHash<QString, PromptUsageRecord>& usage) {
    if (mode == PromptSortMode::manual || prompts.size() < 2) {
        return prompts;
    }
    const std::vector<qsizetype> order = sortedIndices(
        prompts.size(), mode, usage, [&prompts](qsizetype i) -> const QString& { return prompts.at(i).id; });
    QList<PromptItem> result;
    result.reserve(prompts.size());
    for (const qsizetype i : order) {
        result.append(prompts.at(i));
    }
    return result;
}

QList<qint32> sortedPositions(const QList<qint32>& positions, PromptSortMode mode,
                              const QHash<QString, PromptUsageRecord>& usage,
                              const std::function<const QString&(qint32)>& idAt) {
    if (mode == PromptSortMode::manual || positions.size() < 2) {
        return positions;
    }
    const std::vector<qsizetype> order = sortedIndices(
        positions.size(), mode, usage, [&](qsizetype i) -> const QString& { return idAt(positions.at(i)); });
    QList<qint32> result;
    result.reserve(positions.size());
    for (const qsizetype i : order) {
        result.append(positions.at(i));
    }
    return result;
}

} // namespace PromptSorter
