#include "context/ContextBinding.h"

#include "model/StateJson.h"

namespace {
const QString idKey = QStringLiteral("id");
const QString appNameKey = QStringLiteral("appName");
const QString bundleIdentifierKey = QStringLiteral("bundleIdentifier");
const QString windowKeywordKey = QStringLiteral("windowKeyword");
const QString workspaceIDKey = QStringLiteral("workspaceID");
const QString createdAtKey = QStringLiteral("createdAt");
} // namespace

QJsonObject ContextBinding::toJson() const {
    QJsonObject object;
    object.insert(appNameKey, appName);
    if (bundleIdentifier) {
        object.insert(bundleIdentifierKey, *bundleIdentifier);
    }
    object.insert(createdAtKey, StateJson::iso8601(createdAt));
    object.insert(idKey, id);
    object.insert(windowKeywordKey, windowKeyword);
    object.insert(workspaceIDKey, workspaceID);
    return object;
}

Result<ContextBinding> ContextBinding::fromJson(const QJsonValue& value) {
    if (!value.isObject()) {
        return StateJson::typeMismatch(QStringLiteral("binding"));
    }
    const QJsonObject object = value.toObject();
    ContextBinding binding;
    const auto id = StateJson::requiredString(object, idKey);
    if (!id) {
        return id.error();
    }
    binding.id = *id;
    const auto appName = StateJson::requiredString(object, appNameKey);
    if (!appName) {
        return appName.error();
    }
    binding.appName = *appName;
    const auto bundleIdentifier = StateJson::optionalString(object, bundleIdentifierKey);
    if (!bundleIdentifier) {
        return bundleIdentifier.error();
    }
    binding.bundleIdentifier = *bundleIdentifier;
    const auto windowKeyword = StateJson::requiredString(object, windowKeywordKey);
    if (!windowKeyword) {
        return windowKeyword.error();
    }
    binding.windowKeyword = *windowKeyword;
    const auto workspaceID = StateJson::requiredString(object, workspaceIDKey);
    if (!workspaceID) {
        return workspaceID.error();
    }
    binding.workspaceID = *workspaceID;
    const auto createdAt = StateJson::requiredFlexibleDate(object, createdAtKey);
    if (!createdAt) {
        return createdAt.error();
    }
    binding.createdAt = *createdAt;
    return binding;
}

size_t qHash(const ContextBinding& binding, size_t seed) {
    return qHashMulti(seed, binding.id, binding.appName, binding.bundleIdentifier.has_value(),
                      binding.bundleIdentifier.value_or(QString()), binding.windowKeyword, binding.workspaceID,
                      binding.createdAt.toMSecsSinceEpoch());
}
