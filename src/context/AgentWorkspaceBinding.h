#pragma once

#include "model/AgentType.h"
#include "model/Result.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QJsonObject>
#include <QMetaType>
#include <QString>

#include <optional>

// Ties one agent type to one workspace. The only kind of binding the system creates; matching
// tries it first.
struct AgentWorkspaceBinding {
    QString id;
    AgentType agentType = AgentType::unknown;
    QString appName;
    std::optional<QString> bundleIdentifier;
    QString workspaceID;
    bool isDefault = false;
    QDateTime createdAt;

    bool operator==(const AgentWorkspaceBinding& other) const = default;

    // One key per field ("bundleIdentifier" only when present), "createdAt" as ISO 8601 in UTC.
    QJsonObject toJson() const;
    // Every key but "bundleIdentifier" is required; "agentType" must be a known raw value;
    // "createdAt" is a number (seconds since 2001-01-01) or an ISO 8601 text.
    static Result<AgentWorkspaceBinding> fromJson(const QJsonObject& object);
};

size_t qHash(const AgentWorkspaceBinding& binding, size_t seed = 0);

Q_DECLARE_METATYPE(AgentWorkspaceBinding)
