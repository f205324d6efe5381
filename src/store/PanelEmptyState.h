#pragma once

#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// Why the panel has no tile to show.
struct PanelEmptyStateReason {
    enum class Kind {
        recognizedUnbound, // the detected agent has no workspace bound; carries its name
        noSearchResults,
        noWorkspaces,
        editableWorkspaceEmpty,
        automationPermission,
        unavailable,
    };

    Kind kind = Kind::unavailable;
    QString agentName; // only for recognizedUnbound

    static PanelEmptyStateReason recognizedUnbound(const QString& agentName) {
        return {Kind::recognizedUnbound, agentName};
    }
    static PanelEmptyStateReason of(Kind kind) { return {kind, {}}; }

    bool operator==(const PanelEmptyStateReason& other) const {
        return kind == other.kind && (kind != Kind::recognizedUnbound || agentName == other.agentName);
    }
};

// The buttons the empty panel offers, as the empty-state view lays them out.
enum class EmptyPromptAction {
    clearSearch,
    createWorkspace,
    installOrImport,
    createPrompt,
    importPrompts,
    bindWorkspace,
    openAutomationSettings,
    manageWorkspaces,
};

inline size_t qHash(EmptyPromptAction action, size_t seed = 0) {
    return qHash(int(action), seed);
}

// The facts the empty state is decided from; the snapshot builder fills them in.
struct PanelEmptyStateInput {
    bool isSearching = false;
    bool hasWorkspaces = false;
    bool matchedWorkspaceIsEditable = false;
    std::optional<bool> matchedWorkspaceHasPrompts; // none when no workspace matched
    std::optional<QString> agentName;               // none when the agent is not recognised
    bool hasMatchedWorkspace = false;
    bool advancedAutomaticMatchingEnabled = false;
    bool needsAutomationPermission = false;
};

// One reason and the actions offered for it, in button order.
struct PanelEmptyState {
    PanelEmptyStateReason reason;
    QList<EmptyPromptAction> actions;

    // The first rule that holds decides: a search explains itself first, then a missing
    // workspace, an empty editable workspace, an unbound agent, the permission, else nothing.
    // Pure; callable from any thread.
    static PanelEmptyState resolve(const PanelEmptyStateInput& input);

    bool operator==(const PanelEmptyState& other) const = default;
};

Q_DECLARE_METATYPE(PanelEmptyStateReason)
Q_DECLARE_METATYPE(EmptyPromptAction)
Q_DECLARE_METATYPE(PanelEmptyState)
