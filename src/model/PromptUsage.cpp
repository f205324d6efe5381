#include "model/PromptUsage.h"

#include "model/StateJson.h"

namespace {
const QString lastUsedAtKey = QStringLiteral("lastUsedAt");
const QString promptIDKey = QStringLiteral("promptID");
const QString successfulCopyCountKey = QStringLiteral("successfulCopyCount");
} // namespace

QJsonObject PromptUsageRecord::toJson() const {
    QJsonObject object;
    object.insert(lastUsedAtKey, StateJson::secondsSinceReferenceDate(lastUsedAt));
    object.insert(promptIDKey, promptID);
    object.insert(successfulCopyCountKey, QJsonValue(successfulCopyCount));
    return object;
}

Result<PromptUsageRecord> PromptUsageRecord::fromJson(const QJsonValue& value) {
    if (!value.isObject()) {
        return StateJson::typeMismatch(QStringLiteral("record"));
    }
    StateJson::FieldReader read(value.toObject());
    const QDateTime lastUsedAt = read.requiredNumericDate(lastUsedAtKey);
    const QString promptID = read.requiredString(promptIDKey);
    const qint64 count = read.requiredInteger(successfulCopyCountKey);
    if (read.error()) {
        return *read.error();
    }
    return PromptUsageRecord{promptID, lastUsedAt, count};
}

namespace PromptSortModes {

QString rawValue(PromptSortMode mode) {
    switch (mode) {
    case PromptSortMode::manual:
        return QStringLiteral("manual");
    case PromptSortMode::recent:
        return QStringLiteral("recent");
    case PromptSortMode::frequent:
        return QStringLiteral("frequent");
    }
    return QStringLiteral("manual");
}

std::optional<PromptSortMode> fromRawValue(const QString& raw) {
    for (const PromptSortMode mode : allCases()) {
        if (rawValue(mode) == raw) {
            return mode;
        }
    }
    return std::nullopt;
}

const QList<PromptSortMode>& allCases() {
    static const QList<PromptSortMode> cases{PromptSortMode::manual, PromptSortMode::recent, PromptSortMode::frequent};
    return cases;
}

QString labelKey(PromptSortMode mode) {
    switch (mode) {
    case PromptSortMode::manual:
        return L10N("settings.usage.sort.manual");
    case PromptSortMode::recent:
        return L10N("settings.usage.sort.recent");
    case PromptSortMode::frequent:
        return L10N("settings.usage.sort.frequent");
    }
    return L10N("settings.usage.sort.manual");
}

QString label(PromptSortMode mode, std::optional<AppLanguage> language) {
    return L10n::string(labelKey(mode), language);
}

} // namespace PromptSortModes
