#include "context/PromptMatchingService.h"

#include "context/ContextBindingStore.h"
#include "context/WorkspaceMatcher.h"

const PromptWorkspace* PromptMatchingService::workspaceWithID(const QString& id) const {
    for (const PromptWorkspace& workspace : workspaces) {
        if (workspace.id == id) {
            return &workspace;
        }
    }
    return nullptr;
}

QList<AgentWorkspaceBinding> PromptMatchingService::validAgentBindings(const AgentContext& context) const {
    QList<AgentWorkspaceBinding> valid;
    for (const AgentWorkspaceBinding& binding : bindingStore->agentWorkspaceBindings(context)) {
        if (workspaceWithID(binding.workspaceID)) {
            valid.append(binding);
        }
    }
    return valid;
}

std::optional<AgentWorkspaceBinding>
PromptMatchingService::selectedAgentBinding(const AgentContext& context,
                                            const QList<AgentWorkspaceBinding>& bindings) const {
    if (bindings.isEmpty()) {
        return std::nullopt;
    }
    if (const auto lastSelected = bindingStore->lastSelectedWorkspaceID(context)) {
        for (const AgentWorkspaceBinding& binding : bindings) {
            if (binding.workspaceID == *lastSelected) {
                return binding;
            }
        }
    }
    for (const AgentWorkspaceBinding& binding : bindings) {
        if (binding.isDefault) {
            return binding;
        }
    }
    return bindings.first();
}

ContextMatchDetails PromptMatchingService::matchDetails(const AgentContext& context) const {
    if (const auto selected = selectedAgentBinding(context, validAgentBindings(context))) {
        if (const PromptWorkspace* workspace = workspaceWithID(selected->workspaceID)) {
            ContextMatchDetails details;
            details.workspace = *workspace;
            details.detectionSource = ContextDetectionSource::manualBinding;
            details.agentBinding = selected;
            return details;
        }
    }

    if (!advancedAutomaticMatchingEnabled) {
        return {};
    }

    if (const auto legacy = bindingStore->binding(context)) {
        if (const PromptWorkspace* workspace = workspaceWithID(legacy->workspaceID)) {
            ContextMatchDetails details;
            details.workspace = *workspace;
            details.detectionSource = ContextDetectionSource::manualBinding;
            details.legacyBinding = legacy;
            return details;
        }
    }

    if (projectConfigsEnabled) {
        if (const auto path = projectConfigPath(context)) {
            if (!isProjectConfigTrusted(*path)) {
                // An untrusted project file stops matching: the user decides first.
                ContextMatchDetails details;
                details.detectionSource = ContextDetectionSource::projectConfig;
                details.projectConfigPath = path;
                details.projectConfigRequiresTrust = true;
                return details;
            }
            if (const auto workspace = projectWorkspace(context, *path)) {
                ContextMatchDetails details;
                details.workspace = workspace;
                details.detectionSource = ContextDetectionSource::projectConfig;
                details.projectConfigPath = workspace->fileURL;
                return details;
            }
        }
    }

    const WorkspaceMatcher matcher(workspaces, homePath);
    if (const auto workspace = matcher.explicitPathWorkspace(context)) {
        ContextMatchDetails details;
        details.workspace = workspace;
        details.detectionSource = context.detectionSource;
        return details;
    }
    if (const auto workspace = matcher.inferredWorkspace(context)) {
        ContextMatchDetails details;
        details.workspace = workspace;
        details.detectionSource = context.detectionSource == ContextDetectionSource::unknown
                                      ? ContextDetectionSource::windowTitle
                                      : context.detectionSource;
        return details;
    }
    return {};
}
