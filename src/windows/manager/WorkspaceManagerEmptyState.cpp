#include "windows/manager/WorkspaceManagerEmptyState.h"

#include "model/Localization.h"

std::optional<WorkspaceManagerEmptyState>
WorkspaceManagerEmptyState::resolve(const WorkspaceManagerEmptyStateInput& input) {
    using SelectionKind = WorkspaceManagerEmptyStateInput::Selection::Kind;
    if (input.workspaceCount == 0) {
        return noData();
    }
    if (input.isSearching && input.filteredWorkspaceCount == 0) {
        return filteredToEmpty();
    }
    switch (input.selection.kind) {
    case SelectionKind::none:
        return std::nullopt;
    case SelectionKind::readOnly:
        return readOnly(input.selection.canExport);
    case SelectionKind::editable:
        return input.selection.promptCount == 0 ? std::optional(editableEmpty()) : std::nullopt;
    }
    return std::nullopt;
}

QSet<WorkspaceManagerEmptyAction> WorkspaceManagerEmptyState::actions() const {
    switch (m_kind) {
    case Kind::noData:
        return {WorkspaceManagerEmptyAction::createWorkspace, WorkspaceManagerEmptyAction::importPromptPack};
    case Kind::filteredToEmpty:
        return {WorkspaceManagerEmptyAction::clearWorkspaceFilter};
    case Kind::editableEmpty:
        return {WorkspaceManagerEmptyAction::createPrompt, WorkspaceManagerEmptyAction::importPromptPack};
    case Kind::readOnly:
        if (m_canExport) {
            return {WorkspaceManagerEmptyAction::exportPromptPack};
        }
        return {};
    }
    return {};
}

QList<WorkspaceManagerEmptyAction> WorkspaceManagerEmptyState::orderedActions() const {
    static const QList<WorkspaceManagerEmptyAction> buttonOrder{
        WorkspaceManagerEmptyAction::createWorkspace, WorkspaceManagerEmptyAction::clearWorkspaceFilter,
        WorkspaceManagerEmptyAction::createPrompt, WorkspaceManagerEmptyAction::importPromptPack,
        WorkspaceManagerEmptyAction::exportPromptPack};
    const QSet<WorkspaceManagerEmptyAction> offered = actions();
    QList<WorkspaceManagerEmptyAction> ordered;
    for (const WorkspaceManagerEmptyAction action : buttonOrder) {
        if (offered.contains(action)) {
            ordered.append(action);
        }
    }
    return ordered;
}

QString WorkspaceManagerEmptyState::titleKey() const {
    switch (m_kind) {
    case Kind::noData:
        return L10N("workspace.manager.empty.title");
    case Kind::filteredToEmpty:
        return L10N("workspace.manager.filtered.empty.title");
    case Kind::editableEmpty:
        return L10N("workspace.manager.editable.empty.title");
    case Kind::readOnly:
        return L10N("workspace.manager.readonly.title");
    }
    return {};
}

QString WorkspaceManagerEmptyState::helpKey() const {
    switch (m_kind) {
    case Kind::noData:
        return L10N("workspace.manager.empty.help");
    case Kind::filteredToEmpty:
        return L10N("workspace.manager.filtered.empty.help");
    case Kind::editableEmpty:
        return L10N("workspace.manager.editable.empty.help");
    case Kind::readOnly:
        return L10N("workspace.manager.readonly.help");
    }
    return {};
}

QString WorkspaceManagerEmptyState::actionTitleKey(WorkspaceManagerEmptyAction action) {
    switch (action) {
    case WorkspaceManagerEmptyAction::createWorkspace:
        return L10N("action.create.workspace");
    case WorkspaceManagerEmptyAction::importPromptPack:
        return L10N("action.import.prompt.pack");
    case WorkspaceManagerEmptyAction::clearWorkspaceFilter:
        return L10N("action.clear.search");
    case WorkspaceManagerEmptyAction::createPrompt:
        return L10N("action.create.prompt");
    case WorkspaceManagerEmptyAction::exportPromptPack:
        return L10N("action.export.pack");
    }
    return {};
}
