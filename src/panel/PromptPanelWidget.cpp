#include "panel/PromptPanelWidget.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/BrandButton.h"

#include "model/environment/ShortcutSettingsStore.h"
#include "model/Localization.h"
#include "panel/EmptyPromptView.h"
#include "panel/FirstRunChecklistView.h"
#include "panel/header/ContextHeaderView.h"
#include "panel/header/SearchIslandView.h"
#include "panel/header/WorkspacePickerView.h"
#include "panel/OverlaySheetHost.h"
#include "panel/PanelConfirmationSheet.h"
#include "panel/PromptVariableSheet.h"
#include "panel/tiles/PromptSectionsView.h"
#include "panel/tiles/PromptTileView.h"
#include "services/FileRevealer.h"
#include "services/KeyInput.h"
#include "services/RequestBus.h"
#include "store/FirstRunChecklistStore.h"
#include "store/PromptStore.h"
#include "widgets/ConfigIssueBanner.h"
#include "widgets/InterfaceEnvironment.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

QString text(const QString& key) {
    return L10n::string(key, std::nullopt);
}

BrandButton* toolbarButton(const QString& objectName, const QString& systemImage, bool primary, QWidget* parent) {
    auto* button = new BrandButton(ButtonLook::Kind::bottomToolbar, QString(), parent);
    button->setObjectName(objectName);
    button->setEmphasis(primary);
    button->setLabel(BrandButton::Label::bottomToolbar, systemImage, primary);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFocusPolicy(Qt::TabFocus);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// Without a file manager seam "show in folder" does nothing.
class NullFileRevealer final : public FileRevealer {
public:
    void reveal(const QString&) override {}
};

} // namespace

PromptPanelWidget::PromptPanelWidget(PanelViewModel& model, PanelSheetFactories factories, PanelDesktopSeams seams,
                                     QWidget* parent)
    : QWidget(parent), m_model(model), m_factories(std::move(factories)), m_seams(seams) {
    setObjectName(QStringLiteral("promptPanel"));
    AccessibleText::setName(this, text(L10N("panel.accessibility.label")));
    m_sheetHost = std::make_unique<OverlaySheetHost>(this);
    m_sheetHost->onPresentingChanged = [this](bool presenting) {
        // What lies under a sheet is out of use, also for assistive technology, which would
        // otherwise offer it next to the sheet's own controls.
        for (QWidget* part :
             {static_cast<QWidget*>(m_toolbar), static_cast<QWidget*>(m_header), m_banners,
              static_cast<QWidget*>(m_search), static_cast<QWidget*>(m_picker), static_cast<QWidget*>(m_stage)}) {
            if (part != nullptr) {
                part->setEnabled(!presenting);
            }
        }
        if (!presenting && m_search != nullptr && window()->isActiveWindow()) {
            m_search->focusField();
        }
        if (!presenting && m_model.openSheet() != PanelViewModel::Sheet::none) {
            m_model.sheetClosed();
        }
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    m_header = new ContextHeaderView(this);
    // The header and the banners keep their height; the prompt stage scrolls in what is left.
    m_header->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_header->onTrustProjectConfig = [this](const QString& path) { m_model.trustProjectConfig(path); };
    m_header->onShowDebugDetailsChange = [this](bool show) { m_model.setShowDebugDetails(show); };
    layout->addWidget(m_header);

    m_banners = new QWidget(this);
    m_banners->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_bannerLayout = new QVBoxLayout(m_banners);
    m_bannerLayout->setContentsMargins(16, 0, 16, 0);
    m_bannerLayout->setSpacing(8);
    layout->addWidget(m_banners);
    // A banner that places its buttons under its texts grows after it is laid out: the panel's
    // window hears of it through the layout requests that follow.
    m_header->installEventFilter(this);
    m_banners->installEventFilter(this);

    m_search = new SearchIslandView([this](const QString& query) { m_model.setSearchText(query); }, this);
    auto* searchRow = new QVBoxLayout();
    searchRow->setContentsMargins(28, 0, 28, 0);
    searchRow->setSpacing(10);
    searchRow->addWidget(m_search);
    m_picker = new WorkspacePickerView(m_model.promptStore(), this);
    m_picker->onBindWorkspace = [this](const QString& id) { m_model.bindWorkspace(id); };
    m_picker->onSelectWorkspace = [this](const QString& id) {
        m_model.promptStore().selectWorkspace(id, m_model.context());
    };
    m_picker->onCreateAndBindWorkspace = [this] { m_model.openWorkspaceEditor(); };
    m_picker->onOpenSettings = [this] { m_model.requestSettings(); };
    m_picker->onPopupOpenChanged = [this](bool open) { m_model.setPopupOpen(open); };
    searchRow->addWidget(m_picker);
    layout->addLayout(searchRow);

    m_stage = new QScrollArea(this);
    m_stage->setObjectName(QStringLiteral("promptStage"));
    m_stage->setFrameShape(QFrame::NoFrame);
    m_stage->setWidgetResizable(true);
    m_stage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Only a container: the keyboard stays in the search field and the tiles are reached by keys.
    m_stage->setFocusPolicy(Qt::NoFocus);
    QPalette clear = m_stage->palette();
    clear.setColor(QPalette::Window, Qt::transparent);
    clear.setColor(QPalette::Base, Qt::transparent);
    m_stage->setPalette(clear);
    m_stage->setAutoFillBackground(false);
    m_stage->viewport()->setPalette(clear);
    m_stage->viewport()->setAutoFillBackground(false);
    m_stageContent = new QWidget(m_stage);
    m_stageContent->setAutoFillBackground(false);
    m_stageLayout = new QVBoxLayout(m_stageContent);
    m_stageLayout->setContentsMargins(0, 10, 0, 10);
    m_stageLayout->setSpacing(12);
    if (m_model.checklist() != nullptr) {
        FirstRunChecklistView::Actions actions;
        actions.onOpenWorkspaceManager = [this] { m_model.requestWorkspaceManager(); };
        actions.onBindWorkspace = [this](const QString& workspaceID) { m_model.bindWorkspace(workspaceID); };
        actions.onDismiss = [this] { m_model.dismissChecklist(); };
        m_checklist = new FirstRunChecklistView(&m_model.languageStore(), std::move(actions), m_stageContent);
        auto* checklistRow = new QHBoxLayout();
        checklistRow->setContentsMargins(PromptSectionsView::horizontalInset, 0, PromptSectionsView::horizontalInset,
                                         0);
        checklistRow->addWidget(m_checklist);
        m_checklist->installEventFilter(this);
        m_stageLayout->addLayout(checklistRow);
    }
    m_sections = new PromptSectionsView(m_stageContent);
    PromptSectionsView::Callbacks callbacks;
    callbacks.onSelect = [this](const PromptItem& prompt) { m_model.select(prompt.id); };
    callbacks.onCopy = [this](const PromptItem& prompt) { m_model.copyPrompt(prompt); };
    callbacks.onRetry = [this](const PromptItem& prompt) { m_model.retry(prompt.id); };
    callbacks.onEdit = [this](const PromptItem& prompt) { m_model.openPromptEditor(prompt); };
    callbacks.onDelete = [this](const PromptItem& prompt) { m_model.requestDelete(prompt); };
    callbacks.onTogglePinned = [this](const PromptItem& prompt) { m_model.togglePinned(prompt); };
    callbacks.canMove = [this](const PromptItem& prompt, PromptMoveDirection direction) {
        return m_model.canMove(prompt, direction);
    };
    callbacks.onMove = [this](const PromptItem& prompt, PromptMoveDirection direction) {
        m_model.move(prompt, direction);
    };
    callbacks.onTileHover = [this](const PromptItem& prompt, bool hovering) {
        m_model.handleTileHover(prompt, hovering);
    };
    callbacks.onLayoutModeChange = [this](PromptPanelLayoutMode mode) {
        m_model.setListLayout(mode == PromptPanelLayoutMode::list);
    };
    callbacks.onPreviewDismissed = [this](const QString&) { m_model.cancelHoverPreview(); };
    callbacks.onPopupOpenChange = [this](bool open) { m_model.setPopupOpen(open); };
    m_sections->setCallbacks(std::move(callbacks));
    // Nothing is in view until the stage is laid out on screen: no tile widgets before then.
    m_sections->setVisibleArea(QRect());
    m_stageLayout->addWidget(m_sections);
    EmptyPromptView::Actions emptyActions;
    emptyActions.installBuiltInPack = [this] { m_model.installBuiltInPack(); };
    emptyActions.clearSearch = [this] {
        m_search->focusField();
        m_search->setText(QString());
        m_model.setSearchText(QString());
    };
    emptyActions.manageWorkspaces = [this] { m_model.requestWorkspaceManager(); };
    emptyActions.createWorkspace = [this] { m_model.openWorkspaceEditor(); };
    emptyActions.createPrompt = [this] {
        if (m_model.canCreatePrompt()) {
            m_model.openPromptEditor(std::nullopt);
        }
    };
    emptyActions.importPrompts = [this] { m_model.openImporter(); };
    emptyActions.bindWorkspace = [this](const QString& id) { m_model.bindWorkspace(id); };
    emptyActions.popupOpenChanged = [this](bool open) { m_model.setPopupOpen(open); };
    m_emptyView = new EmptyPromptView(std::move(emptyActions), m_seams.urlOpener, m_stageContent);
    m_stageLayout->addWidget(m_emptyView);
    m_stageLayout->addStretch(1);
    m_stage->setWidget(m_stageContent);
    layout->addWidget(m_stage, 1);
    // The stage makes tiles for what is in view: it hears of every scroll, resize and move.
    connect(m_stage->verticalScrollBar(), &QScrollBar::valueChanged, this, &PromptPanelWidget::updateStageArea);
    m_stage->viewport()->installEventFilter(this);
    m_stageContent->installEventFilter(this);
    m_sections->installEventFilter(this);

    // The island surface places the toolbar at its bottom edge; it is not part of this layout.
    m_toolbar = new QWidget();
    m_toolbar->setObjectName(QStringLiteral("panelToolbar"));
    // A row of 62 with the 40-high buttons centred, inset 28 at the sides and 10 above the
    // island's bottom edge.
    auto* toolbarLayout = new QHBoxLayout(m_toolbar);
    toolbarLayout->setContentsMargins(28, 11, 28, 21);
    toolbarLayout->setSpacing(8);
    m_newPromptButton = toolbarButton(QStringLiteral("newPromptButton"), QStringLiteral("plus"), true, m_toolbar);
    m_workspaceButton = toolbarButton(QStringLiteral("workspaceButton"), QStringLiteral("folder"), false, m_toolbar);
    m_importButton =
        toolbarButton(QStringLiteral("importButton"), QStringLiteral("tray.and.arrow.down"), false, m_toolbar);
    connect(m_newPromptButton, &QAbstractButton::clicked, this, [this] { m_model.openPromptEditor(std::nullopt); });
    connect(m_workspaceButton, &QAbstractButton::clicked, this, [this] { m_model.requestWorkspaceManager(); });
    connect(m_importButton, &QAbstractButton::clicked, this, [this] { m_model.openImporter(); });
    toolbarLayout->addWidget(m_newPromptButton);
    toolbarLayout->addWidget(m_workspaceButton);
    toolbarLayout->addWidget(m_importButton);

    connect(&m_model, &PanelViewModel::changed, this, &PromptPanelWidget::render);
    connect(&m_model, &PanelViewModel::searchTextChanged, m_search, &SearchIslandView::setText);
    connect(&m_model, &PanelViewModel::searchFocusRequested, this, [this] {
        if (m_openSheet == nullptr) {
            m_search->focusField();
        }
    });
    connect(&m_model, &PanelViewModel::sheetChanged, this, &PromptPanelWidget::showSheet);
    connect(&m_model, &PanelViewModel::pendingDeletionChanged, this, &PromptPanelWidget::showPendingDeletion);
    m_search->setText(m_model.searchText());
    retranslate();
    render();
}

PromptPanelWidget::~PromptPanelWidget() {
    if (m_filterInstalled) {
        qApp->removeEventFilter(this);
    }
    // Never handed to a surface (tests build the widget alone): it is ours to delete.
    if (m_toolbar != nullptr && m_toolbar->parent() == nullptr) {
        delete m_toolbar;
    }
}

void PromptPanelWidget::retranslate() {
    m_newPromptButton->setText(text(L10N("panel.toolbar.prompt")));
    AccessibleText::setName(m_newPromptButton, m_newPromptButton->text());
    m_workspaceButton->setText(text(L10N("field.workspace")));
    AccessibleText::setName(m_workspaceButton, m_workspaceButton->text());
    m_workspaceButton->setToolTip(text(L10N("action.manage.workspaces")));
    m_importButton->setText(text(L10N("action.import")));
    AccessibleText::setName(m_importButton, m_importButton->text());
    m_importButton->setToolTip(text(L10N("help.import")));
    m_search->retranslate();
}

void PromptPanelWidget::renderHeader() {
    const PanelRenderSnapshot& snapshot = m_model.snapshot();
    const PromptStore& store = m_model.promptStore();
    ContextHeaderView::Input input;
    input.context = m_model.context();
    input.workspace = snapshot.activeWorkspace;
    input.promptCount = m_model.promptCount();
    input.errorMessage = store.lastErrorMessage();
    input.matchDetails = snapshot.matchDetails;
    input.needsAutomationPermission = m_model.needsAutomationPermission();
    input.detectionErrorMessage = m_model.lastDetectionError();
    input.statusMessage = store.statusMessage();
    input.showDebugDetails = m_model.showDebugDetails();
    m_header->setInput(input);
    m_picker->refresh(m_model.context());
}

void PromptPanelWidget::render() {
    // Nothing of a hidden panel renders: it catches up when its size is asked for showing, or
    // when it shows.
    if (!isVisible() && m_rendered) {
        m_stale = true;
        return;
    }
    m_rendered = true;
    m_stale = false;
    // Texts are looked up on every render, so a change of language shows at once.
    retranslate();
    renderHeader();

    const bool canCreate = m_model.canCreatePrompt();
    m_newPromptButton->setEnabled(canCreate);
    m_newPromptButton->setToolTip(text(canCreate ? L10N("help.add.prompt.enabled") : L10N("help.add.prompt.disabled")));

    // One banner per configuration issue, in the store's order; rebuilt only when they change.
    QStringList issueKeys{QString::number(int(L10n::currentLanguage()))};
    for (const PromptConfigIssue& issue : m_model.promptStore().configIssues()) {
        issueKeys << issue.id << issue.displayName << issue.message << issue.fileURL;
    }
    if (issueKeys != m_shownIssueKeys) {
        m_shownIssueKeys = issueKeys;
        rebuildBanners();
    }
    renderStage();
    reportHeaderLinesHeight();
    if (isVisible()) {
        settleLayouts();
        // The stage is laid out now: the selection comes into view in this frame, not in one
        // of its own after it.
        if (m_revealPending) {
            m_revealPending = false;
            revealSelection();
            settleLayouts();
        }
        // A widget shown by this render (a tile brought into view, the search's clear button)
        // asks for its first paint with a posted event of its own, which would arrive after the
        // frame and paint a second one: deliver those now, so the change paints in one frame.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateLater);
    }
}

void PromptPanelWidget::settleLayouts() {
    // A new text (the header's count, say) resizes a label, then its capsule, then the header,
    // one posted layout request after another, and the window would paint between them: settle
    // them now, until a pass delivers none, so a change paints once. Bounded, should a layout
    // keep asking.
    for (int pass = 0; pass < 16; ++pass) {
        m_layoutRequestsDelivered = 0;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (m_layoutRequestsDelivered == 0) {
            return;
        }
    }
}

void PromptPanelWidget::bringUpToDate() {
    if (m_stale) {
        m_rendered = false; // render now, shown or not
        render();
    }
}

int PromptPanelWidget::headerLinesHeight(int width) {
    bringUpToDate();
    int height = m_header->optionalLinesHeight(width);
    if (!m_banners->isHidden()) {
        const int wanted =
            m_banners->hasHeightForWidth() ? m_banners->heightForWidth(width) : m_banners->sizeHint().height();
        height += layout()->spacing() + wanted;
    }
    // The getting-started card stands above the first tiles; without its height they would start
    // below the fold.
    if (m_checklist != nullptr && !m_checklist->isHidden()) {
        const int cardWidth = width - 2 * PromptSectionsView::horizontalInset;
        const int wanted = m_checklist->hasHeightForWidth() ? m_checklist->heightForWidth(cardWidth)
                                                            : m_checklist->sizeHint().height();
        height += m_stageLayout->spacing() + wanted;
    }
    return height;
}

void PromptPanelWidget::reportHeaderLinesHeight() {
    const int height = headerLinesHeight(width());
    if (height != m_reportedHeaderLinesHeight) {
        m_reportedHeaderLinesHeight = height;
        emit headerLinesHeightChanged();
    }
}

void PromptPanelWidget::rebuildBanners() {
    while (QLayoutItem* item = m_bannerLayout->takeAt(0)) {
        if (QWidget* banner = item->widget()) {
            // A banner's own button may be what led here: delete it once its click is over.
            banner->hide();
            banner->setParent(nullptr);
            banner->deleteLater();
        }
        delete item;
    }
    static NullFileRevealer noRevealer;
    FileRevealer& revealer = m_seams.fileRevealer != nullptr ? *m_seams.fileRevealer : noRevealer;
    for (const PromptConfigIssue& issue : m_model.promptStore().configIssues()) {
        auto* banner =
            new ConfigIssueBanner(issue, m_model.promptStore(), revealer, &m_model.requests(), true, m_banners);
        m_bannerLayout->addWidget(banner);
        banner->show();
    }
    m_banners->setVisible(!m_model.promptStore().configIssues().isEmpty());
}

void PromptPanelWidget::renderStage() {
    const PanelRenderSnapshot& snapshot = m_model.snapshot();
    if (m_checklist != nullptr) {
        FirstRunChecklistStore& checklist = *m_model.checklist();
        PromptStore& store = m_model.promptStore();
        m_checklist->setVisible(!checklist.isDismissed());
        if (!checklist.isDismissed()) {
            m_checklist->setState(checklist.snapshot(store.workspaces(), m_model.context(), store.bindingStore()),
                                  store.workspaces());
        }
    }
    PromptSectionsView::State state;
    state.editableWorkspaceID = m_model.editableWorkspaceID();
    state.copyFeedback = m_model.copyFeedback();
    state.selectedPromptID = m_model.selectedPromptID();
    state.previewPrompt = m_model.previewPrompt();
    state.tileShortcut = m_model.shortcutStore().promptTileShortcut();
    state.layoutMode = m_model.listLayout() ? PromptPanelLayoutMode::list : PromptPanelLayoutMode::grid;
    state.reduceMotion = InterfaceEnvironment::reduceMotion(this);
    switch (InterfaceEnvironment::textSize(this)) {
    case PromptPanelTextSize::system:
        state.typography = TileTypography::standard();
        break;
    case PromptPanelTextSize::comfortable:
        state.typography = TileTypography::comfortable();
        break;
    case PromptPanelTextSize::large:
        state.typography = TileTypography::large();
        break;
    }
    m_sections->setState(snapshot, state);
    m_sections->setVisible(!snapshot.sections.isEmpty());
    // The selection is what Return copies: when it moves (keys, the first selection, a search),
    // bring it into view once the stage has laid itself out.
    QStringList visibleIDs;
    visibleIDs.reserve(snapshot.visiblePrompts.size());
    for (const PromptItem& prompt : snapshot.visiblePrompts) {
        visibleIDs << prompt.id;
    }
    if (state.selectedPromptID != m_revealedSelection || visibleIDs != m_revealedOrder) {
        m_revealedSelection = state.selectedPromptID;
        m_revealedOrder = visibleIDs;
        if (state.selectedPromptID && isVisible()) {
            m_revealPending = true; // at the end of this render, once the stage is laid out
        } else if (state.selectedPromptID) {
            QMetaObject::invokeMethod(this, &PromptPanelWidget::revealSelection, Qt::QueuedConnection);
        }
    }
    m_emptyView->setVisible(snapshot.visiblePrompts.isEmpty());
    if (snapshot.visiblePrompts.isEmpty()) {
        m_emptyView->setState({snapshot.emptyReason, snapshot.emptyActions}, m_model.promptStore().workspaces(),
                              m_model.canInstallBuiltInPack());
    }
}

void PromptPanelWidget::revealSelection() {
    const std::optional<QString> selected = m_model.selectedPromptID();
    if (!selected) {
        return;
    }
    if (!m_revealedOrder.isEmpty() && m_revealedOrder.first() == *selected) {
        // The first tile: the whole top of the stage, its section's title included.
        m_stage->verticalScrollBar()->setValue(0);
        return;
    }
    m_stageContent->layout()->activate();
    const std::optional<QRect> rect = m_sections->tileRect(*selected);
    if (!rect || m_sections->isHidden()) {
        return;
    }
    // The tile's place in the scrolled content, with a margin of half a row gap, so the selected
    // tile's ring is not cut at the stage's edge. The tile itself may not exist until it is in view.
    QRect target(m_sections->mapTo(m_stageContent, rect->topLeft()), rect->size());
    const QRect visible(QPoint(0, -m_stageContent->y()), m_stage->viewport()->size());
    if (visible.contains(target)) {
        return;
    }
    target.adjust(0, -8, 0, 8);
    QScrollBar* bar = m_stage->verticalScrollBar();
    if (target.height() > visible.height()) {
        bar->setValue(target.center().y() - visible.height() / 2);
    } else if (target.bottom() > visible.bottom()) {
        bar->setValue(target.bottom() - visible.height());
    } else if (target.top() < visible.top()) {
        bar->setValue(target.top());
    }
}

void PromptPanelWidget::updateStageArea() {
    QWidget* viewport = m_stage->viewport();
    m_sections->setVisibleArea(QRect(m_sections->mapFrom(viewport, QPoint(0, 0)), viewport->size()));
}

void PromptPanelWidget::showSheet(PanelViewModel::Sheet sheet) {
    if (m_openSheet != nullptr) {
        QWidget* open = m_openSheet;
        m_openSheet = nullptr;
        m_sheetHost->dismiss(open);
    }
    QWidget* made = nullptr;
    switch (sheet) {
    case PanelViewModel::Sheet::none:
        return;
    case PanelViewModel::Sheet::variableForm:
        if (const std::optional<PromptVariableForm>& form = m_model.pendingVariableForm()) {
            made = new PromptVariableSheet(
                *form, [this](const QHash<QString, QString>& values) { return m_model.confirmVariables(values); },
                [this] { m_model.cancelVariables(); });
        }
        break;
    case PanelViewModel::Sheet::promptEditor:
        made = m_factories.promptEditor ? m_factories.promptEditor(*m_sheetHost, m_model) : nullptr;
        break;
    case PanelViewModel::Sheet::workspaceEditor:
        made = m_factories.workspaceEditor ? m_factories.workspaceEditor(*m_sheetHost, m_model) : nullptr;
        break;
    case PanelViewModel::Sheet::importer:
        made = m_factories.importer ? m_factories.importer(*m_sheetHost, m_model) : nullptr;
        break;
    case PanelViewModel::Sheet::workspaceEdit:
        made = m_factories.workspaceEdit ? m_factories.workspaceEdit(*m_sheetHost, m_model) : nullptr;
        break;
    }
    if (made == nullptr) {
        m_model.sheetClosed();
        return;
    }
    m_openSheet = made;
    m_sheetHost->present(made);
}

void PromptPanelWidget::showPendingDeletion() {
    const std::optional<PendingPromptDeletion>& pending = m_model.pendingDeletion();
    if (!pending) {
        if (m_openSheet != nullptr && m_openSheet->objectName() == QStringLiteral("confirmationSheet")) {
            QWidget* open = m_openSheet;
            m_openSheet = nullptr;
            m_sheetHost->dismiss(open);
        }
        return;
    }
    auto* sheet = new PanelConfirmationSheet(
        text(L10N("title.confirm.delete.prompt")), pending->prompt.title.toString(), text(L10N("action.delete")),
        text(L10N("action.cancel")), [this] { m_model.confirmDelete(); }, [this] { m_model.cancelDelete(); });
    m_openSheet = sheet;
    m_sheetHost->present(sheet);
}

// ---- keys ----

void PromptPanelWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    bringUpToDate();
    if (!m_filterInstalled) {
        qApp->installEventFilter(this);
        m_filterInstalled = true;
    }
    m_model.appeared();
}

void PromptPanelWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // A new text size reaches the panel as a font change: the tiles take their sizes from it.
    if (event->type() == QEvent::FontChange) {
        render();
    }
}

void PromptPanelWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_filterInstalled) {
        qApp->removeEventFilter(this);
        m_filterInstalled = false;
    }
    m_model.disappeared();
}

bool PromptPanelWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LayoutRequest) {
        ++m_layoutRequestsDelivered;
    }
    if ((event->type() == QEvent::Resize || event->type() == QEvent::Move) &&
        (watched == m_stage->viewport() || watched == m_stageContent || watched == m_sections)) {
        updateStageArea();
        return false;
    }
    if (event->type() == QEvent::LayoutRequest &&
        (watched == m_header || watched == m_banners || (m_checklist != nullptr && watched == m_checklist))) {
        // After the layout has run, so the banners report their new heights.
        QMetaObject::invokeMethod(this, &PromptPanelWidget::reportHeaderLinesHeight, Qt::QueuedConnection);
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) {
        return false;
    }
    // Only keys meant for this panel's window; a menu of ours that is open has its own keys.
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || target->window() != window() || QApplication::activePopupWidget() != nullptr) {
        return false;
    }
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    const std::optional<KeyEventInfo> key = KeyInput::fromKeyEvent(*keyEvent);
    if (!key) {
        return false;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key as a key press, so no window shortcut takes it before the panel sees it.
        return false;
    }
    if (m_model.handleKey(*key)) {
        keyEvent->accept();
        return true;
    }
    // A combination with Alt or the logo key that the panel passes on is a command for someone
    // else, never text: the search field would otherwise take Ctrl+Alt+1 as "1".
    const Qt::KeyboardModifiers commandModifiers = keyEvent->modifiers() & (Qt::AltModifier | Qt::MetaModifier);
    if (watched == m_search->field() && commandModifiers != Qt::NoModifier && !keyEvent->text().isEmpty() &&
        keyEvent->text().at(0).isPrint()) {
        keyEvent->ignore();
        return true;
    }
    return false;
}
