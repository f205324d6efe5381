#pragma once

#include "model/Localization.h"
#include "model/PromptModels.h"
#include "windows/manager/WorkspaceManagerEmptyState.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <optional>

class PromptStore;

// The state of the workspace manager window and every rule it follows: the workspace search,
// the ticked workspaces and which of them may be deleted, the selected workspace and what the
// detail column shows, the texts of the rows, and the store operations behind each button with
// the result line they leave. No widget: the view draws it and forwards input. Main thread.
//
// The manager list is the store's workspaceManagerWorkspaces(), read afresh on every call, so a
// reload or an edit elsewhere shows at the next redraw.
class WorkspaceManagerModel : public QObject {
    Q_OBJECT
public:
    enum class DetailMode {
        workspace,   // a workspace is selected: the detail pane
        emptyState,  // nothing selected and the list is empty or filtered to nothing
        placeholder, // nothing selected
    };
    enum class PromptListMode {
        prompts,         // filteredPrompts is not empty
        noSearchResults, // the workspace has prompts, the search matched none
        editableEmpty,   // a user workspace without prompts: the manager's empty state
        noPrompts,       // a read-only workspace without prompts
    };

    // One row of the sidebar list, ready to draw.
    struct Row {
        QString id;
        QString name;
        QString promptCountText;
        QString detailLine;     // "<source> · <n> <bindings>"
        QString pathText;       // the file path with the home folder as "~", or "not saved"
        QString readOnlyReason; // empty for a user workspace
        QString tickAccessibleName;
        bool isTickable = false; // user workspaces only
        bool isTicked = false;
        bool isSelected = false;

        bool operator==(const Row& other) const = default;
    };

    struct PromptRow {
        QString id;
        QString title;
        QString metaLine; // group and tags, each only when not empty, joined by " · "
        QString text;     // newlines as spaces
        bool isEditable = false;
    };

    struct Fact {
        QString title;
        QString value;
    };

    WorkspaceManagerModel(PromptStore& store, std::optional<QString> initialWorkspaceID, QObject* parent = nullptr);

    PromptStore& store() const { return m_store; }
    // The interface language, as the store's texts use it.
    AppLanguage language() const;
    QString text(const QString& key) const;

    // ---- state ----
    const std::optional<QString>& selectedWorkspaceID() const { return m_selectedWorkspaceID; }
    // Selecting never changes the ticks.
    void selectWorkspace(const std::optional<QString>& id);
    const QSet<QString>& selectedForDeletion() const { return m_selectedForDeletion; }
    // Read-only and unknown ids are refused, so only user workspaces can be ticked.
    void setTicked(const QString& id, bool ticked);
    const QString& workspaceSearch() const { return m_workspaceSearch; }
    void setWorkspaceSearch(const QString& text);
    const QString& promptSearch() const { return m_promptSearch; }
    void setPromptSearch(const QString& text);
    const std::optional<QString>& resultMessage() const { return m_resultMessage; }

    // ---- derived, recomputed from the store on every call ----
    QList<PromptWorkspace> managerWorkspaces() const;
    // Name, localised source label and full file path ("not saved" without a file), lower-cased;
    // ids and match paths are not searched.
    QList<PromptWorkspace> filteredWorkspaces() const;
    std::optional<PromptWorkspace> selectedWorkspace() const;
    // The ticked ids that name a user workspace of the list, hidden by the search or not.
    QSet<QString> deletableSelection() const;
    std::optional<WorkspaceManagerEmptyState> managerEmptyState() const;
    DetailMode detailMode() const;
    // What the list shows when the filtered list is empty.
    WorkspaceManagerEmptyState listEmptyState() const;
    QList<Row> rows() const;
    Row row(const PromptWorkspace& workspace) const;

    bool canSelectFiltered() const;
    bool canClearSelection() const { return !m_selectedForDeletion.isEmpty(); }
    bool canDeleteSelection() const { return !deletableSelection().isEmpty(); }
    // Adds the visible user workspaces to the ticks; earlier ticks stay.
    void selectFiltered();
    void clearSelection();

    // The confirmation's text: the count of deletable ids and their names, sorted in code-point
    // order, one per line.
    QString deleteWorkspaceMessage() const;
    // Deletes the deletable ticks. Deleted ids leave the ticks (failures stay ticked) and the
    // selection when it was one of them; the result line is the store's summary, then its
    // error on a second line when something failed.
    void deleteSelectedWorkspaces();

    // ---- detail pane ----
    QList<PromptItem> filteredPrompts(const PromptWorkspace& workspace) const;
    PromptListMode promptListMode(const PromptWorkspace& workspace) const;
    PromptRow promptRow(const PromptItem& prompt, const PromptWorkspace& workspace) const;
    QString promptMetaLine(const PromptItem& prompt) const;
    QList<Fact> facts(const PromptWorkspace& workspace) const;
    QString modifiedTime(const PromptWorkspace& workspace) const;
    // The pack export serves saved user workspaces only: the store exports nothing else.
    static bool canExport(const PromptWorkspace& workspace);
    static bool isEditable(const PromptWorkspace& workspace);

    // ---- actions ----
    void reload();
    void copySampleToMyWorkspaces(const PromptWorkspace& sample);
    void hideSamples();
    // Reads the pack file and installs it; success selects the new workspace and clears both
    // searches.
    void importPromptPack(const QString& path);
    void exportPromptPack(const PromptWorkspace& workspace, const QString& destination);
    // Deletes the prompt from the selected workspace; nothing without a selection.
    void deletePrompt(const PromptItem& prompt);

    // ---- pure helpers ----
    static QString proposedExportFileName(const QString& workspaceID);
    // The chosen path with ".yaml" added back when the user removed the extension.
    static QString exportDestination(const QString& chosenPath);
    // "~" for the home folder itself and for paths under home + "/"; any other path unchanged.
    static QString abbreviatingHome(const QString& path, const QString& home);
    // Medium date, short time, in the language, in local time.
    static QString formatModifiedTime(const QDateTime& date, AppLanguage language);

signals:
    // The list's content, ticks or highlight may have changed.
    void listChanged();
    // The selection, the prompt search or the selected workspace's content may have changed.
    void detailChanged();
    void resultMessageChanged();

private:
    // What the result line shows: a message of its own, or the store's outcome, which it then
    // follows (a reload started by the action ends later and changes what is shown).
    enum class ResultSource { own, storeStatus, storeErrorOrStatus };
    void setResultMessage(const std::optional<QString>& message, ResultSource source = ResultSource::own);
    void setResultFromStore();
    void setResultFromStoreStatus();

    PromptStore& m_store;
    std::optional<QString> m_selectedWorkspaceID;
    QSet<QString> m_selectedForDeletion;
    QString m_workspaceSearch;
    QString m_promptSearch;
    std::optional<QString> m_resultMessage;
    ResultSource m_resultSource = ResultSource::own;
};
