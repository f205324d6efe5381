#include "store/PanelEmptyState.h"

PanelEmptyState PanelEmptyState::resolve(const PanelEmptyStateInput& input) {
    using Kind = PanelEmptyStateReason::Kind;
    using Action = EmptyPromptAction;
    if (input.isSearching) {
        if (input.matchedWorkspaceIsEditable) {
            return {PanelEmptyStateReason::of(Kind::noSearchResults), {Action::clearSearch, Action::createPrompt}};
        }
        return {PanelEmptyStateReason::of(Kind::noSearchResults), {Action::clearSearch}};
    }
    if (!input.hasWorkspaces) {
        return {PanelEmptyStateReason::of(Kind::noWorkspaces), {Action::createWorkspace, Action::installOrImport}};
    }
    if (input.matchedWorkspaceHasPrompts == false && input.matchedWorkspaceIsEditable) {
        return {PanelEmptyStateReason::of(Kind::editableWorkspaceEmpty), {Action::createPrompt, Action::importPrompts}};
    }
    if (input.agentName && !input.hasMatchedWorkspace) {
        return {PanelEmptyStateReason::recognizedUnbound(*input.agentName), {Action::bindWorkspace}};
    }
    if (input.advancedAutomaticMatchingEnabled && input.needsAutomationPermission) {
        return {PanelEmptyStateReason::of(Kind::automationPermission), {Action::openAutomationSettings}};
    }
    return {PanelEmptyStateReason::of(Kind::unavailable), {Action::manageWorkspaces, Action::importPrompts}};
}
