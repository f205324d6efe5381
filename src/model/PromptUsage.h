#pragma once

#include "model/Localization.h"
#include "model/Result.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// What the system remembers about one prompt's use: the last successful copy and how many
// there were. Kept per prompt id by the usage store.
struct PromptUsageRecord {
    QString promptID;
    QDateTime lastUsedAt;
    qint64 successfulCopyCount = 0;

    bool operator==(const PromptUsageRecord& other) const {
        return promptID == other.promptID && lastUsedAt == other.lastUsedAt &&
               successfulCopyCount == other.successfulCopyCount;
    }

    // {"lastUsedAt": seconds since 2001-01-01 (number), "promptID": text, "successfulCopyCount": integer}.
    QJsonObject toJson() const;
    // All three keys are required; the count must be an integer, the date a number.
    static Result<PromptUsageRecord> fromJson(const QJsonValue& value);
};

// The order of the panel's prompts: the file's order, most recently copied first, or most
// often copied first. Stored by its raw value.
enum class PromptSortMode { manual, recent, frequent };

namespace PromptSortModes {
QString rawValue(PromptSortMode mode);
// Exact, case-sensitive.
std::optional<PromptSortMode> fromRawValue(const QString& raw);
const QList<PromptSortMode>& allCases();
QString labelKey(PromptSortMode mode);
QString label(PromptSortMode mode, std::optional<AppLanguage> language = std::nullopt);
} // namespace PromptSortModes

Q_DECLARE_METATYPE(PromptUsageRecord)
Q_DECLARE_METATYPE(PromptSortMode)
