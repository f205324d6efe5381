#pragma once

#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QList>

class ContextBindingStore;

// Which first-run steps the library and bindings of the moment complete. Only a workspace the
// user saved to a file of their own counts: global, project and sample workspaces, and one not
// yet written, do not.
namespace FirstRunChecklistProgressResolver {

struct Progress {
    bool workspaceDone = false;
    bool bindingDone = false;

    bool operator==(const Progress& other) const = default;
};

// The user workspaces that have a file, in list order.
QList<PromptWorkspace> persistedUserWorkspaces(const QList<PromptWorkspace>& workspaces);
bool hasPersistedUserWorkspace(const QList<PromptWorkspace>& workspaces);

// The binding step is done when the context's agent is bound to one of those workspaces.
Progress resolve(const QList<PromptWorkspace>& workspaces, const AgentContext& context,
                 const ContextBindingStore& bindingStore);

} // namespace FirstRunChecklistProgressResolver
