#include "context/AgentWorkspaceBinding.h"

#include "model/StateJson.h"

namespace {
const QString idKey = QStringLiteral("id");
const QString agentTypeKey = QStringLiteral("agentType");
const QString appNameKey = QStringLiteral("appName");
const QString bundleIdentifierKey = QStringLiteral("bundleIdentifier");
const QString workspaceIDKey = QStringLiteral("workspaceID");
const QString isDefaultKey = QStringLiteral("isDefault");
const QString createdAtKey = QStringLiteral("createdAt");
} // namespace

QJsonObject AgentWorkspaceBinding::toJson() const {
    QJsonObject object;
    object.insert(agentTypeKey, AgentTypes::rawValue(agentType));
    object.insert(appNameKey, appName);
    if (bundleIdentifier) {
        object.insert(bundleIdentifierKey, *bundleIdentifier);
    }
    object.insert(createdAtKey, StateJson::iso8601(createdAt));
    object.insert(idKey, id);
    object.insert(isDefaultKey, isDefault);
    object.insert(workspaceIDKey, workspaceID);
    return object;
}

Result<AgentWorkspaceBinding> AgentWorkspaceBinding::fromJson(const QJsonObject& object) {
    AgentWorkspaceBinding binding;
    const auto id = StateJson::requiredString(object, idKey);
    if (!id) {
        return id.error();
    }
    binding.id = *id;
    const auto agentType = StateJson::requiredString(object, agentTypeKey);
    if (!agentType) {
        return agentType.error();
    }
    const auto type = AgentTypes::fromRawValue(*agentType);
    if (!type) {
        return StateJson::dataCorrupted(QStringLiteral("Unknown agentType"));
    }
    binding.agentType = *type;
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
    const auto workspaceID = StateJson::requiredString(object, workspaceIDKey);
    if (!workspaceID) {
        return workspaceID.error();
    }
    binding.workspaceID = *workspaceID;
    const auto isDefault = StateJson::requiredBool(object, isDefaultKey);
    if (!isDefault) {
        return isDefault.error();
    }
    binding.isDefault = *isDefault;
    const auto createdAt = StateJson::requiredFlexibleDate(object, createdAtKey);
    if (!createdAt) {
        return createdAt.error();
    }
    binding.createdAt = *createdAt;
    return binding;
}

size_t qHash(const AgentWorkspaceBinding& binding, size_t seed) {
    return qHashMulti(seed, binding.id, int(binding.agentType), binding.appName, binding.bundleIdentifier.has_value(),
                      binding.bundleIdentifier.value_or(QString()), binding.workspaceID, binding.isDefault,
                      binding.createdAt.toMSecsSinceEpoch());
}
