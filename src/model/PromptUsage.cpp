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
    const QJsonObject object = value.toObject();
    const auto lastUsedAt = StateJson::requiredNumericDate(object, lastUsedAtKey);
    if (!lastUsedAt) {
        return lastUsedAt.error();
    }
    const auto promptID = StateJson::requiredString(object, promptIDKey);
    if (!promptID) {
        return promptID.error();
    }
    const auto count = StateJson::requiredInteger(object, successfulCopyCountKey);
    if (!count) {
        return count.error();
    }
    return PromptUsageRecord{*promptID, *lastUsedAt, *count};
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
