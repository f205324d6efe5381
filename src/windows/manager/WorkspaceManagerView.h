#pragma once

#include "model/PromptModels.h"
#include "windows/manager/WorkspaceManagerModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class AppLanguageStore;
class Confirmer;
class FileChooser;
class FileRevealer;
class PromptStore;
class QBoxLayout;
class QFrame;
class QGridLayout;
class QLabel;
class BrandLineEdit;
class QListView;
class BrandButton;
class QScrollArea;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class RequestBus;
class SheetHost;
class WorkspaceManagerListModel;

// The content of the workspace manager window: the configuration-issue banners across the top,
// a 390 px sidebar (reload, search, create and import, tick the shown workspaces or none, delete
// the ticked ones, the result line, the list), a divider, and the detail column (the selected
// workspace, an empty state, or a placeholder). Draws a WorkspaceManagerModel and forwards input
// to it; files are chosen and deletions confirmed through the seams.
class WorkspaceManagerView final : public QWidget {
    Q_OBJECT
public:
    struct Dependencies {
        PromptStore& store;
        RequestBus& requests;
        FileChooser& fileChooser;
        Confirmer& confirmer;
        FileRevealer& fileRevealer;
        // Builds the host of the sheets over the window; none: a DialogSheetHost.
        std::function<std::unique_ptr<SheetHost>(QWidget* window)> makeSheetHost = {};
        // The sheets the manager opens. A missing factory makes its button do nothing.
        std::function<QWidget*(SheetHost& host, const PromptWorkspace& workspace)> makeWorkspaceEditSheet = {};
        // `workspaceID` is empty when nothing is selected; no prompt creates a new one.
        std::function<QWidget*(SheetHost& host, const QString& workspaceID, const std::optional<PromptItem>& prompt)>
            makePromptEditorSheet = {};
        std::function<QWidget*(SheetHost& host)> makeNewWorkspaceSheet = {};
        // Followed for a change of the interface language; may be null.
        AppLanguageStore* languageStore = nullptr;
    };

    static constexpr int minimumContentWidth = 940;
    static constexpr int minimumContentHeight = 620;
    static constexpr int sidebarWidth = 390;
    // Below minimumContentWidth the detail pane goes under the list, which keeps this height.
    static constexpr int narrowListHeight = 420;
    static constexpr int narrowDetailHeight = 560;

    QSize sizeHint() const override;
    // The detail pane lies below the list (the view is narrower than the two columns need).
    bool isNarrow() const { return m_narrow; }

    WorkspaceManagerView(Dependencies dependencies, std::optional<QString> initialWorkspaceID,
                         QWidget* parent = nullptr);
    ~WorkspaceManagerView() override;

    WorkspaceManagerModel& model() { return m_model; }
    const WorkspaceManagerModel& model() const { return m_model; }
    QListView* listView() const { return m_listView; }
    // The host of the sheets, once one was needed.
    SheetHost* sheetHost() const { return m_sheetHost.get(); }

    // The window's actions, as its buttons run them.
    void importPromptPack();
    void exportPromptPack(const PromptWorkspace& workspace);
    void confirmDeleteSelectedWorkspaces();
    void confirmDeletePrompt(const PromptItem& prompt);
    void createWorkspace();
    void editWorkspace(const PromptWorkspace& workspace);
    void openPromptEditor(const std::optional<PromptItem>& prompt);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyNarrowLayout(bool narrow);
    void buildSidebar(QWidget* sidebar);
    void buildDetailPane(QWidget* pane);
    void retranslate();
    void rebuildBanners();
    void refreshList();
    void refreshDetail();
    void refreshResult();
    void rebuildPromptRows(const PromptWorkspace& workspace);
    QWidget* makePromptRow(const PromptItem& prompt, const PromptWorkspace& workspace, QWidget* parent);
    QWidget* makeEmptyStateView(const WorkspaceManagerEmptyState& state, QWidget* parent);
    SheetHost& sheets();

    Dependencies m_dependencies;
    WorkspaceManagerModel m_model;
    std::unique_ptr<SheetHost> m_sheetHost;
    bool m_appeared = false;

    QVBoxLayout* m_bannerLayout = nullptr;
    QScrollArea* m_bodyScroll = nullptr;
    QBoxLayout* m_columns = nullptr;
    QWidget* m_sidebar = nullptr;
    QFrame* m_columnDivider = nullptr;
    QWidget* m_detailColumn = nullptr;
    bool m_narrow = false;
    QLabel* m_titleLabel = nullptr;
    QToolButton* m_reloadButton = nullptr;
    BrandLineEdit* m_searchField = nullptr;
    BrandButton* m_createWorkspaceButton = nullptr;
    BrandButton* m_importButton = nullptr;
    BrandButton* m_selectFilteredButton = nullptr;
    BrandButton* m_clearSelectionButton = nullptr;
    BrandButton* m_deleteButton = nullptr;
    QLabel* m_resultLabel = nullptr;
    QStackedWidget* m_listStack = nullptr;
    QListView* m_listView = nullptr;
    WorkspaceManagerListModel* m_listModel = nullptr;
    QPointer<QWidget> m_listEmptyState;
    std::optional<WorkspaceManagerEmptyState> m_listEmptyKind;

    QStackedWidget* m_detailStack = nullptr;
    QWidget* m_detailPane = nullptr;
    QWidget* m_detailEmptyHolder = nullptr;
    QPointer<QWidget> m_detailEmptyState;
    std::optional<WorkspaceManagerEmptyState> m_detailEmptyKind;
    QWidget* m_placeholder = nullptr;
    QLabel* m_placeholderLabel = nullptr;

    QLabel* m_detailName = nullptr;
    QLabel* m_detailSource = nullptr;
    BrandButton* m_copySampleButton = nullptr;
    BrandButton* m_hideSamplesButton = nullptr;
    BrandButton* m_editWorkspaceButton = nullptr;
    BrandButton* m_exportButton = nullptr;
    QWidget* m_readOnlyNotice = nullptr;
    QLabel* m_readOnlyReason = nullptr;
    QGridLayout* m_factsGrid = nullptr;
    QList<QLabel*> m_factTitles;
    QList<QLabel*> m_factValues;
    QLabel* m_promptsTitle = nullptr;
    BrandLineEdit* m_promptSearchField = nullptr;
    BrandButton* m_createPromptButton = nullptr;
    QScrollArea* m_promptScroll = nullptr;
    QPointer<QWidget> m_promptList;
    // The workspace the detail pane shows, as it was drawn.
    std::optional<PromptWorkspace> m_shownWorkspace;
    QString m_shownPromptSearch;
};
