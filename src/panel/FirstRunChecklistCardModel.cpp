#include "panel/FirstRunChecklistCardModel.h"

#include "model/Localization.h"
#include "store/FirstRunChecklistProgressResolver.h"

FirstRunChecklistCardModel::FirstRunChecklistCardModel(FirstRunChecklistSnapshot snapshot,
                                                       QList<PromptWorkspace> workspaces)
    : m_snapshot(std::move(snapshot)), m_workspaces(std::move(workspaces)) {}

QList<FirstRunChecklistRow> FirstRunChecklistCardModel::rows() const {
    FirstRunChecklistRow workspace;
    workspace.step = FirstRunStep::workspace;
    workspace.titleKey = L10N("first.checklist.workspace");
    workspace.done = m_snapshot.isCompleted(FirstRunStep::workspace);
    if (!workspace.done) {
        workspace.control = FirstRunChecklistRow::Control::button;
        workspace.controlTitleKey = L10N("action.create.workspace");
        workspace.controlEnabled = true;
    }

    FirstRunChecklistRow binding;
    binding.step = FirstRunStep::binding;
    binding.titleKey = L10N("first.checklist.binding");
    binding.done = m_snapshot.isCompleted(FirstRunStep::binding);
    if (!binding.done) {
        binding.control = FirstRunChecklistRow::Control::bindMenu;
        binding.controlTitleKey = L10N("action.bind.existing.workspace");
        binding.controlEnabled = FirstRunChecklistProgressResolver::hasPersistedUserWorkspace(m_workspaces);
    }

    FirstRunChecklistRow copy;
    copy.step = FirstRunStep::successfulCopy;
    copy.titleKey = L10N("first.checklist.copy");
    copy.done = m_snapshot.isCompleted(FirstRunStep::successfulCopy);

    return {workspace, binding, copy};
}

QList<PromptWorkspace> FirstRunChecklistCardModel::bindableWorkspaces() const {
    return FirstRunChecklistProgressResolver::persistedUserWorkspaces(m_workspaces);
}
