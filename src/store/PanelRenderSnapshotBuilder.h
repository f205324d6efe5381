#pragma once

#include "context/ContextMatchDetails.h"
#include "model/AgentContext.h"
#include "model/PromptModels.h"
#include "store/PanelRenderSnapshot.h"

#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class PromptStore;

// Builds the panel's snapshot from the store, the detected context and the search text. The
// panel rebuilds it on every draw and key press, so it reads no file beyond what matching needs
// and keeps no cache of its own: what only a reload changes, the store keeps. Main thread.
namespace PanelRenderSnapshotBuilder {

using MatchDetailsFunction = std::function<ContextMatchDetails(const AgentContext& context)>;

// Without a match function, the store's matching decides.
PanelRenderSnapshot make(PromptStore& store, const AgentContext& context, const QString& searchText,
                         bool needsAutomationPermission, const MatchDetailsFunction& matchDetails = {});

// The ids of a user workspace's prompts; none for any other source or no workspace.
QSet<QString> editablePromptIDs(const std::optional<PromptWorkspace>& workspace);

} // namespace PanelRenderSnapshotBuilder
