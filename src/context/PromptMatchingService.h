#pragma once

#include "context/AgentWorkspaceBinding.h"
#include "context/ContextMatchDetails.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class ContextBindingStore;

// Chooses the workspace for a context. A small value built on demand from the store's state.
// The precedence is fixed: an agent binding the user chose always wins; every automatic means
// (legacy keyword bindings, project files, the detected folder, the title) counts only with
// automatic matching switched on.
struct PromptMatchingService {
    QList<PromptWorkspace> workspaces;
    // Shared with the store; never null.
    const ContextBindingStore* bindingStore = nullptr;
    bool advancedAutomaticMatchingEnabled = false;
    bool projectConfigsEnabled = false;
    std::function<bool(const QString& path)> isProjectConfigTrusted = [](const QString&) { return false; };
    std::function<std::optional<QString>(const AgentContext& context)> projectConfigPath = [](const AgentContext&) {
        return std::optional<QString>();
    };
    std::function<std::optional<PromptWorkspace>(const AgentContext& context, const QString& path)> projectWorkspace =
        [](const AgentContext&, const QString&) { return std::optional<PromptWorkspace>(); };
    // Expands "~/" in match paths and detected folders.
    QString homePath;

    ContextMatchDetails matchDetails(const AgentContext& context) const;

    // The context's agent bindings whose workspace still exists, in the store's order.
    QList<AgentWorkspaceBinding> validAgentBindings(const AgentContext& context) const;

    // The binding of the workspace last chosen for the context, else the default one, else the
    // first.
    std::optional<AgentWorkspaceBinding> selectedAgentBinding(const AgentContext& context,
                                                              const QList<AgentWorkspaceBinding>& bindings) const;

private:
    const PromptWorkspace* workspaceWithID(const QString& id) const;
};
