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
    StateJson::FieldReader read(object);
    AgentWorkspaceBinding binding;
    binding.id = read.requiredString(idKey);
    if (const auto type = AgentTypes::fromRawValue(read.requiredString(agentTypeKey))) {
        binding.agentType = *type;
    } else {
        read.fail(StateJson::dataCorrupted(QStringLiteral("Unknown agentType")));
    }
    binding.appName = read.requiredString(appNameKey);
    binding.bundleIdentifier = read.optionalString(bundleIdentifierKey);
    binding.workspaceID = read.requiredString(workspaceIDKey);
    binding.isDefault = read.requiredBool(isDefaultKey);
    binding.createdAt = read.requiredFlexibleDate(createdAtKey);
    if (read.error()) {
        return *read.error();
    }
    return binding;
}

size_t qHash(const AgentWorkspaceBinding& binding, size_t seed) {
    return qHashMulti(seed, binding.id, int(binding.agentType), binding.appName, binding.bundleIdentifier.has_value(),
                      binding.bundleIdentifier.value_or(QString()), binding.workspaceID, binding.isDefault,
                      binding.createdAt.toMSecsSinceEpoch());
}
