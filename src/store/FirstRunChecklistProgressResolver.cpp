#include "store/FirstRunChecklistProgressResolver.h"

#include "context/ContextBindingStore.h"
#include "context/PromptMatchingService.h"

#include <algorithm>

namespace FirstRunChecklistProgressResolver {

namespace {

bool isPersistedUserWorkspace(const PromptWorkspace& workspace) {
    return workspace.source == PromptWorkspaceSource::userWorkspace && workspace.fileURL.has_value();
}

} // namespace

QList<PromptWorkspace> persistedUserWorkspaces(const QList<PromptWorkspace>& workspaces) {
    QList<PromptWorkspace> kept;
    for (const PromptWorkspace& workspace : workspaces) {
        if (isPersistedUserWorkspace(workspace)) {
            kept.append(workspace);
        }
    }
    return kept;
}

bool hasPersistedUserWorkspace(const QList<PromptWorkspace>& workspaces) {
    return std::any_of(workspaces.cbegin(), workspaces.cend(), isPersistedUserWorkspace);
}

Progress resolve(const QList<PromptWorkspace>& workspaces, const AgentContext& context,
                 const ContextBindingStore& bindingStore) {
    PromptMatchingService matching;
    matching.workspaces = persistedUserWorkspaces(workspaces);
    matching.bindingStore = &bindingStore;
    matching.advancedAutomaticMatchingEnabled = false;
    matching.projectConfigsEnabled = false;

    Progress progress;
    progress.workspaceDone = !matching.workspaces.isEmpty();
    progress.bindingDone = progress.workspaceDone && !matching.validAgentBindings(context).isEmpty();
    return progress;
}

} // namespace FirstRunChecklistProgressResolver
