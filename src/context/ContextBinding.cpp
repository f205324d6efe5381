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
    StateJson::FieldReader read(value.toObject());
    ContextBinding binding;
    binding.id = read.requiredString(idKey);
    binding.appName = read.requiredString(appNameKey);
    binding.bundleIdentifier = read.optionalString(bundleIdentifierKey);
    binding.windowKeyword = read.requiredString(windowKeywordKey);
    binding.workspaceID = read.requiredString(workspaceIDKey);
    binding.createdAt = read.requiredFlexibleDate(createdAtKey);
    if (read.error()) {
        return *read.error();
    }
    return binding;
}

size_t qHash(const ContextBinding& binding, size_t seed) {
    return qHashMulti(seed, binding.id, binding.appName, binding.bundleIdentifier.has_value(),
                      binding.bundleIdentifier.value_or(QString()), binding.windowKeyword, binding.workspaceID,
                      binding.createdAt.toMSecsSinceEpoch());
}
