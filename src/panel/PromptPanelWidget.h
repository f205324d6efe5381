#pragma once

#include "panel/PanelViewModel.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class FirstRunChecklistView;
class ContextHeaderView;
class EmptyPromptView;
class FileRevealer;
class OverlaySheetHost;
class PromptSectionsView;
class QLabel;
class BrandButton;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SearchIslandView;
class SheetHost;
class UrlOpening;
class WorkspacePickerView;

// The sheets the panel opens that other parts of the app build. A missing factory closes the
// request at once.
struct PanelSheetFactories {
    std::function<QWidget*(SheetHost& host, const PanelViewModel& model)> promptEditor;
    std::function<QWidget*(SheetHost& host, const PanelViewModel& model)> workspaceEditor;
    std::function<QWidget*(SheetHost& host, const PanelViewModel& model)> importer;
    std::function<QWidget*(SheetHost& host, const PanelViewModel& model)> workspaceEdit;
};

// The desktop services the panel's views reach: revealing a file, opening an address. Either may
// be null; the action then does nothing.
struct PanelDesktopSeams {
    FileRevealer* fileRevealer = nullptr;
    UrlOpening* urlOpener = nullptr;
};

// The island panel's content: the header, the banners, the search row, the scrolling stage of
// sections (or the empty state) and the bottom toolbar, drawn from the panel model. While it is
// on screen an application event filter hands key presses to the model ahead of the focused
// control; sheets open as overlays inside it.
class PromptPanelWidget final : public QWidget {
    Q_OBJECT
public:
    PromptPanelWidget(PanelViewModel& model, PanelSheetFactories factories, PanelDesktopSeams seams = {},
                      QWidget* parent = nullptr);
    ~PromptPanelWidget() override;

    PanelViewModel& model() const { return m_model; }
    SearchIslandView* searchView() const { return m_search; }
    ContextHeaderView* header() const { return m_header; }
    WorkspacePickerView* workspacePicker() const { return m_picker; }
    EmptyPromptView* emptyView() const { return m_emptyView; }
    QWidget* toolbar() const { return m_toolbar; }
    OverlaySheetHost& sheetHost() const { return *m_sheetHost; }

    // The height that the header's optional lines (unbound, error, trust or trusted notice), the
    // configuration-issue banners and the getting-started card take at this width of the panel,
    // spacing included. The
    // panel's height rule counts prompts and sections; its window adds this, so that no line is
    // squeezed when several show at once.
    // The panel brings itself up to date first: a hidden panel leaves its renders for later.
    int headerLinesHeight(int width);
    // Renders now what changed while the panel was hidden.
    void bringUpToDate();

signals:
    // The value above may have changed: the lines changed, or a banner laid itself out anew.
    void headerLinesHeightChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void render();
    void renderHeader();
    void rebuildBanners();
    void renderStage();
    void retranslate();
    void showSheet(PanelViewModel::Sheet sheet);
    void showPendingDeletion();
    void reportHeaderLinesHeight();
    void revealSelection();
    void settleLayouts();
    void updateStageArea();

    PanelViewModel& m_model;
    PanelSheetFactories m_factories;
    std::unique_ptr<OverlaySheetHost> m_sheetHost;
    PanelDesktopSeams m_seams;
    ContextHeaderView* m_header = nullptr;
    QWidget* m_banners = nullptr;
    QVBoxLayout* m_bannerLayout = nullptr;
    QStringList m_shownIssueKeys;
    SearchIslandView* m_search = nullptr;
    WorkspacePickerView* m_picker = nullptr;
    QScrollArea* m_stage = nullptr;
    QWidget* m_stageContent = nullptr;
    QVBoxLayout* m_stageLayout = nullptr;
    FirstRunChecklistView* m_checklist = nullptr;
    PromptSectionsView* m_sections = nullptr;
    EmptyPromptView* m_emptyView = nullptr;
    QPointer<QWidget> m_toolbar;
    BrandButton* m_newPromptButton = nullptr;
    BrandButton* m_workspaceButton = nullptr;
    BrandButton* m_importButton = nullptr;
    QPointer<QWidget> m_openSheet;
    bool m_filterInstalled = false;
    int m_reportedHeaderLinesHeight = -1;
    bool m_rendered = false; // the first render runs hidden: the panel is built from it
    bool m_stale = false;    // a render was left for later while hidden
    bool m_revealPending = false;
    int m_layoutRequestsDelivered = 0; // counted by the event filter while layouts settle
    // The selection and order last brought into view.
    std::optional<QString> m_revealedSelection;
    QStringList m_revealedOrder;
};
