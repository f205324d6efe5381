#pragma once

#include "context/AgentWorkspaceBinding.h"
#include "context/ContextBinding.h"

#include <QList>
#include <QMap>
#include <QString>

// The binding store's state as taken before a change that spans several stores, handed back
// to ContextBindingStore::restoreState when a later step fails.
struct ContextBindingStateSnapshot {
    QList<ContextBinding> bindings;
    QList<AgentWorkspaceBinding> agentWorkspaceBindings;
    QMap<QString, QString> lastSelectedWorkspaceIDs;

    bool operator==(const ContextBindingStateSnapshot& other) const = default;
};
