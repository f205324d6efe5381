#include "store/PanelRenderSnapshotBuilder.h"

#include "context/PromptMatchingService.h"
#include "model/TextPrimitives.h"
#include "store/PromptStore.h"

#include <algorithm>

namespace PanelRenderSnapshotBuilder {

namespace {
constexpr int numberedTileCount = 9;
} // namespace

PanelRenderSnapshot make(PromptStore& store, const AgentContext& context, const QString& searchText,
                         bool needsAutomationPermission, const MatchDetailsFunction& matchDetails) {
    PanelRenderSnapshot snapshot;
    snapshot.matchDetails = matchDetails ? matchDetails(context) : store.matchingService().matchDetails(context);
    snapshot.activeWorkspace = snapshot.matchDetails.workspace;
    snapshot.visiblePrompts = store.visiblePrompts(context, snapshot.matchDetails, searchText);
    snapshot.sections = store.promptSectionsOf(snapshot.visiblePrompts);

    const bool searching = !Text::trimWhitespaceAndNewlines(QStringView(searchText)).isEmpty();
    const std::optional<PromptWorkspace>& active = snapshot.activeWorkspace;

    PanelEmptyStateInput input;
    input.isSearching = searching;
    input.hasWorkspaces = !store.workspaces().isEmpty();
    input.matchedWorkspaceIsEditable = active && active->source == PromptWorkspaceSource::userWorkspace;
    if (active) {
        input.matchedWorkspaceHasPrompts = !active->prompts.isEmpty();
    }
    if (context.agent != AgentType::unknown) {
        input.agentName = AgentTypes::displayName(context.agent, L10n::currentLanguage());
    }
    input.hasMatchedWorkspace = active.has_value();
    input.advancedAutomaticMatchingEnabled = store.advancedAutomaticMatchingEnabled();
    input.needsAutomationPermission = needsAutomationPermission;
    const PanelEmptyState empty = PanelEmptyState::resolve(input);
    snapshot.emptyReason = empty.reason;
    snapshot.emptyActions = empty.actions;

    snapshot.editablePromptIDs = store.editablePromptIDs(snapshot.matchDetails);

    // A project workspace is shown beside the global prompts and may repeat one of their ids:
    // such an id keeps the first number it got.
    const qsizetype numbered = std::min<qsizetype>(snapshot.visiblePrompts.size(), numberedTileCount);
    for (qsizetype i = 0; i < numbered; ++i) {
        const QString& id = snapshot.visiblePrompts.at(i).id;
        if (!snapshot.shortcutNumbers.contains(id)) {
            snapshot.shortcutNumbers.insert(id, int(i + 1));
        }
    }
    snapshot.allowsPromptOrdering = !searching;
    return snapshot;
}

QSet<QString> editablePromptIDs(const std::optional<PromptWorkspace>& workspace) {
    QSet<QString> ids;
    if (!workspace || workspace->source != PromptWorkspaceSource::userWorkspace) {
        return ids;
    }
    ids.reserve(workspace->prompts.size());
    for (const PromptItem& prompt : workspace->prompts) {
        ids.insert(prompt.id);
    }
    return ids;
}

} // namespace PanelRenderSnapshotBuilder
