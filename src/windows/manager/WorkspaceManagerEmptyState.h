#pragma once

#include <QHashFunctions>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// What an empty column of the workspace manager offers.
enum class WorkspaceManagerEmptyAction {
    createWorkspace,
    importPromptPack,
    clearWorkspaceFilter,
    createPrompt,
    exportPromptPack
};

inline size_t qHash(WorkspaceManagerEmptyAction action, size_t seed = 0) {
    return qHash(int(action), seed);
}

// What the manager knows when it decides whether a column is empty.
struct WorkspaceManagerEmptyStateInput {
    struct Selection {
        enum class Kind { none, editable, readOnly };
        Kind kind = Kind::none;
        int promptCount = 0;    // editable only
        bool hasFile = false;   // editable only; takes no part in the decision
        bool canExport = false; // readOnly only

        static Selection none() { return {}; }
        static Selection editable(int promptCount, bool hasFile) {
            return {Kind::editable, promptCount, hasFile, false};
        }
        static Selection readOnly(bool canExport) { return {Kind::readOnly, 0, false, canExport}; }
    };

    int workspaceCount = 0;
    int filteredWorkspaceCount = 0;
    bool isSearching = false;
    Selection selection;
};

// Why a column of the workspace manager is empty.
class WorkspaceManagerEmptyState {
public:
    enum class Kind { readOnly, noData, filteredToEmpty, editableEmpty };

    static WorkspaceManagerEmptyState readOnly(bool canExport) { return {Kind::readOnly, canExport}; }
    static WorkspaceManagerEmptyState noData() { return {Kind::noData, false}; }
    static WorkspaceManagerEmptyState filteredToEmpty() { return {Kind::filteredToEmpty, false}; }
    static WorkspaceManagerEmptyState editableEmpty() { return {Kind::editableEmpty, false}; }

    // First match wins: an empty manager, then a search that hides everything, then the
    // selection. None: the column shows its normal content.
    static std::optional<WorkspaceManagerEmptyState> resolve(const WorkspaceManagerEmptyStateInput& input);

    Kind kind() const { return m_kind; }
    bool canExport() const { return m_canExport; }

    QSet<WorkspaceManagerEmptyAction> actions() const;
    // The actions in the fixed order of the buttons, whatever the set's order.
    QList<WorkspaceManagerEmptyAction> orderedActions() const;

    QString titleKey() const;
    QString helpKey() const;
    static QString actionTitleKey(WorkspaceManagerEmptyAction action);

    bool operator==(const WorkspaceManagerEmptyState& other) const = default;

private:
    WorkspaceManagerEmptyState(Kind kind, bool canExport) : m_kind(kind), m_canExport(canExport) {}

    Kind m_kind;
    bool m_canExport; // false for every kind but readOnly, so the default comparison holds
};
