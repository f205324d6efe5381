#include "panel/header/WorkspacePickerSpec.h"

#include "context/PromptMatchingService.h"
#include "model/Localization.h"
#include "store/PromptStore.h"

WorkspacePickerSpec WorkspacePickerSpec::make(PromptStore& store, const AgentContext& context, AppLanguage language) {
    WorkspacePickerSpec spec;
    const QList<PromptWorkspace> bound = store.boundWorkspaces(context);
    if (store.workspaces().isEmpty()) {
        spec.form = Form::hint;
        return spec;
    }
    if (context.agent != AgentType::unknown && bound.isEmpty()) {
        spec.form = Form::unbound;
        spec.menuEnabled = true;
        for (const PromptWorkspace& workspace : store.workspaces()) {
            spec.menuEntries.append({workspace.id, workspace.name});
        }
        return spec;
    }
    spec.form = Form::bound;
    for (const PromptWorkspace& workspace : bound) {
        spec.menuEntries.append({workspace.id, workspace.name});
    }
    spec.menuEnabled = bound.size() >= 2;
    const ContextMatchDetails details = store.matchingService().matchDetails(context);
    spec.title = details.workspace ? details.workspace->name : L10n::string(L10N("common.not.bound"), language);
    return spec;
}
