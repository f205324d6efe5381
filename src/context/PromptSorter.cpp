#include "context/PromptSorter.h"

#include <algorithm>

namespace PromptSorter {

QList<PromptItem> sorted(const QList<PromptItem>& prompts, PromptSortMode mode,
                         const QHash<QString, PromptUsageRecord>& usage) {
    if (mode == PromptSortMode::manual || prompts.size() < 2) {
        return prompts;
    }

    // One lookup per prompt rather than two per comparison. A prompt without a record counts as
    // never copied, last used at the beginning of the year 1, before every real date.
    constexpr qint64 distantPastMs = -62135596800000LL;
    struct Entry {
        qsizetype position;
        qint64 count;
        qint64 lastUsedMs;
    };
    QList<Entry> entries;
    entries.reserve(prompts.size());
    for (qsizetype i = 0; i < prompts.size(); ++i) {
        const auto record = usage.constFind(prompts.at(i).id);
        if (record == usage.constEnd()) {
            entries.append({i, 0, distantPastMs});
        } else {
            const QDateTime& date = record->lastUsedAt;
            entries.append({i, record->successfulCopyCount, date.isValid() ? date.toMSecsSinceEpoch() : distantPastMs});
        }
    }

    const bool byCount = mode == PromptSortMode::frequent;
    std::stable_sort(entries.begin(), entries.end(), [byCount](const Entry& a, const Entry& b) {
        if (byCount && a.count != b.count) {
            return a.count > b.count;
        }
        if (a.lastUsedMs != b.lastUsedMs) {
            return a.lastUsedMs > b.lastUsedMs;
        }
        return a.position < b.position;
    });

    QList<PromptItem> result;
    result.reserve(prompts.size());
    for (const Entry& entry : entries) {
        result.append(prompts.at(entry.position));
    }
    return result;
}

} // namespace PromptSorter
