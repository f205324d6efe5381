#include "windows/manager/WorkspaceManagerView.h"
#include "widgets/InterfaceEnvironment.h"

#include "model/environment/AppLanguageStore.h"
#include "services/Confirmer.h"
#include "services/FileChooser.h"
#include "services/RequestBus.h"
#include "store/PromptStore.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/BrandButton.h"
#include "widgets/BrandLineEdit.h"
#include "widgets/ConfigIssueBanner.h"
#include "widgets/DialogSheetHost.h"
#include "widgets/WrappedTextLabel.h"
#include "windows/manager/WorkspaceManagerEmptyStateView.h"
#include "windows/manager/WorkspaceManagerListModel.h"
#include "windows/manager/WorkspaceManagerStyle.h"
#include "windows/manager/WorkspaceRowDelegate.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using namespace WorkspaceManagerStyle;

// The clear button a line edit makes for itself has no name of its own.
void nameClearButton(QLineEdit* field, const QString& name) {
    for (QToolButton* button : field->findChildren<QToolButton*>()) {
        AccessibleText::setName(button, name);
    }
}

enum class Symbol { reload, pencil, trash, plus, lock };

// Small outline icons painted from paths, so that no icon theme is needed.
QIcon paintedIcon(Symbol symbol, QRgb colour = qRgba(0xFF, 0xFF, 0xFF, 0xD0), int size = 16) {
    const qreal s = size;
    QPainterPath path;
    switch (symbol) {
    case Symbol::reload:
        path.arcMoveTo(QRectF(0.2 * s, 0.2 * s, 0.6 * s, 0.6 * s), 60);
        path.arcTo(QRectF(0.2 * s, 0.2 * s, 0.6 * s, 0.6 * s), 60, 300);
        path.moveTo(0.62 * s, 0.12 * s);
        path.lineTo(0.66 * s, 0.26 * s);
        path.lineTo(0.52 * s, 0.32 * s);
        break;
    case Symbol::pencil:
        path.moveTo(0.2 * s, 0.8 * s);
        path.lineTo(0.25 * s, 0.6 * s);
        path.lineTo(0.65 * s, 0.2 * s);
        path.lineTo(0.8 * s, 0.35 * s);
        path.lineTo(0.4 * s, 0.75 * s);
        path.closeSubpath();
        break;
    case Symbol::trash:
        path.moveTo(0.2 * s, 0.28 * s);
        path.lineTo(0.8 * s, 0.28 * s);
        path.moveTo(0.4 * s, 0.28 * s);
        path.lineTo(0.42 * s, 0.16 * s);
        path.lineTo(0.58 * s, 0.16 * s);
        path.lineTo(0.6 * s, 0.28 * s);
        path.moveTo(0.28 * s, 0.28 * s);
        path.lineTo(0.32 * s, 0.84 * s);
        path.lineTo(0.68 * s, 0.84 * s);
        path.lineTo(0.72 * s, 0.28 * s);
        break;
    case Symbol::plus:
        path.moveTo(0.5 * s, 0.2 * s);
        path.lineTo(0.5 * s, 0.8 * s);
        path.moveTo(0.2 * s, 0.5 * s);
        path.lineTo(0.8 * s, 0.5 * s);
        break;
    case Symbol::lock:
        path.addRoundedRect(QRectF(0.22 * s, 0.45 * s, 0.56 * s, 0.42 * s), 1.5, 1.5);
        path.moveTo(0.34 * s, 0.45 * s);
        path.arcTo(QRectF(0.34 * s, 0.15 * s, 0.32 * s, 0.5 * s), 180, -180);
        break;
    }
    return QIcon(outlineSymbol(path, size, 2, QColor::fromRgba(colour), 1.4));
}

QLabel* makeLabel(const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The settings window's action buttons: a white wash (red when destructive) that fades plainly
// when disabled, with an optional symbol before the title.
BrandButton* makeButton(const QString& objectName, QWidget* parent, const QString& symbol = {},
                        bool destructive = false) {
    auto* button = new BrandButton(ButtonLook::Kind::settingsAction, QString(), parent);
    button->setObjectName(objectName);
    button->setEmphasis(destructive);
    if (!symbol.isEmpty()) {
        button->setLabel(BrandButton::Label::bottomToolbar, symbol, false);
    }
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    return button;
}

// Buttons side by side from the start of a row; a negative spacing keeps the layout's own.
QHBoxLayout* buttonRow(std::initializer_list<BrandButton*> buttons, int spacing = -1) {
    auto* row = new QHBoxLayout;
    if (spacing >= 0) {
        row->setSpacing(spacing);
    }
    for (BrandButton* button : buttons) {
        row->addWidget(button);
    }
    row->addStretch(1);
    return row;
}

void setButtonText(QAbstractButton* button, const QString& text) {
    button->setText(text);
    button->setAccessibleName(text);
}

QFrame* makeDivider(QFrame::Shape shape, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, 40));
    line->setPalette(palette);
    return line;
}

// Empty-state views and prompt rows are replaced from their own buttons' handlers, so the old
// one goes once the handler has returned.
void discardLater(QWidget* widget) {
    if (widget != nullptr) {
        widget->hide();
        widget->deleteLater();
    }
}

} // namespace

WorkspaceManagerView::WorkspaceManagerView(Dependencies dependencies, std::optional<QString> initialWorkspaceID,
                                           QWidget* parent)
    : QWidget(parent), m_dependencies(std::move(dependencies)),
      m_model(m_dependencies.store, std::move(initialWorkspaceID)) {
    setObjectName(QStringLiteral("workspaceManagerView"));

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_bannerLayout = new QVBoxLayout;
    m_bannerLayout->setContentsMargins(16, 0, 16, 0);
    m_bannerLayout->setSpacing(0);
    root->addLayout(m_bannerLayout);

    // The columns scroll as a whole: a tiling window manager can make the window smaller than its
    // minimum size, and then the detail pane goes below the list (see resizeEvent).
    m_bodyScroll = new QScrollArea(this);
    m_bodyScroll->setObjectName(QStringLiteral("workspaceManagerBody"));
    // A container: the controls inside it take the focus, it needs none of its own.
    m_bodyScroll->setFocusPolicy(Qt::NoFocus);
    m_bodyScroll->setFrameShape(QFrame::NoFrame);
    m_bodyScroll->setWidgetResizable(true);
    m_bodyScroll->viewport()->setAutoFillBackground(false);
    auto* body = new QWidget(m_bodyScroll);
    body->setAutoFillBackground(false);
    m_columns = new QBoxLayout(QBoxLayout::LeftToRight, body);
    auto* columns = m_columns;
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    m_sidebar = new QWidget(body);
    m_sidebar->setObjectName(QStringLiteral("workspaceManagerSidebar"));
    m_sidebar->setFixedWidth(sidebarWidth);
    buildSidebar(m_sidebar);
    columns->addWidget(m_sidebar);
    m_columnDivider = makeDivider(QFrame::VLine, body);
    columns->addWidget(m_columnDivider);

    m_detailStack = new QStackedWidget(this);
    m_detailStack->setObjectName(QStringLiteral("workspaceManagerDetail"));
    m_detailPane = new QWidget(m_detailStack);
    m_detailPane->setObjectName(QStringLiteral("workspaceDetailPane"));
    buildDetailPane(m_detailPane);
    m_detailStack->addWidget(m_detailPane);
    m_detailEmptyHolder = new QWidget(m_detailStack);
    m_detailEmptyHolder->setObjectName(QStringLiteral("detailEmptyStateHolder"));
    auto* holderLayout = new QVBoxLayout(m_detailEmptyHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    m_detailStack->addWidget(m_detailEmptyHolder);
    m_placeholder = new QWidget(m_detailStack);
    m_placeholder->setObjectName(QStringLiteral("noSelectionPlaceholder"));
    auto* placeholderLayout = new QVBoxLayout(m_placeholder);
    placeholderLayout->setSpacing(10);
    placeholderLayout->addStretch(1);
    auto* folder = new QLabel(m_placeholder);
    folder->setObjectName(QStringLiteral("placeholderSymbol"));
    // The folder symbol in the large-title size.
    folder->setPixmap(
        outlineSymbol(folderOutline(largeTitlePixels), largeTitlePixels, 2, QColor::fromRgba(secondaryText), 2));
    folder->setAlignment(Qt::AlignCenter);
    placeholderLayout->addWidget(folder);
    m_placeholderLabel = makeLabel(QStringLiteral("noSelectionText"), m_placeholder);
    m_placeholderLabel->setAlignment(Qt::AlignCenter);
    m_placeholderLabel->setWordWrap(true);
    setSecondary(m_placeholderLabel);
    placeholderLayout->addWidget(m_placeholderLabel);
    placeholderLayout->addStretch(1);
    m_detailStack->addWidget(m_placeholder);

    m_detailColumn = new QWidget(body);
    m_detailColumn->setObjectName(QStringLiteral("workspaceManagerDetailColumn"));
    auto* detailLayout = new QVBoxLayout(m_detailColumn);
    detailLayout->setContentsMargins(16, 16, 16, 16);
    detailLayout->addWidget(m_detailStack);
    columns->addWidget(m_detailColumn, 1);
    m_bodyScroll->setWidget(body);
    root->addWidget(m_bodyScroll, 1);

    connect(&m_model, &WorkspaceManagerModel::listChanged, this, [this] {
        refreshList();
        refreshDetail();
    });
    connect(&m_model, &WorkspaceManagerModel::detailChanged, this, &WorkspaceManagerView::refreshDetail);
    connect(&m_model, &WorkspaceManagerModel::resultMessageChanged, this, &WorkspaceManagerView::refreshResult);
    connect(&m_dependencies.store, &PromptStore::configIssuesChanged, this, &WorkspaceManagerView::rebuildBanners);
    if (m_dependencies.languageStore != nullptr) {
        connect(m_dependencies.languageStore, &AppLanguageStore::selectionChanged, this, [this] {
            retranslate();
            rebuildBanners();
            m_listEmptyKind.reset();
            m_detailEmptyKind.reset();
            m_shownWorkspace.reset();
            refreshList();
            refreshDetail();
        });
    }

    // Buttons whose sheet is not provided stay disabled.
    m_createWorkspaceButton->setEnabled(m_dependencies.makeNewWorkspaceSheet != nullptr);

    retranslate();
    rebuildBanners();
    refreshList();
    refreshDetail();
    refreshResult();
}

WorkspaceManagerView::~WorkspaceManagerView() = default;

QSize WorkspaceManagerView::sizeHint() const {
    return QSize(minimumContentWidth, minimumContentHeight).expandedTo(QWidget::sizeHint());
}

void WorkspaceManagerView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyNarrowLayout(width() < minimumContentWidth);
}

void WorkspaceManagerView::applyNarrowLayout(bool narrow) {
    if (narrow == m_narrow) {
        return;
    }
    m_narrow = narrow;
    // Narrower than the two columns need: the list takes the whole width with the detail pane
    // below it, each tall enough to work in, and the window scrolls.
    m_columns->setDirection(narrow ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    m_columnDivider->setFrameShape(narrow ? QFrame::HLine : QFrame::VLine);
    if (narrow) {
        m_sidebar->setMinimumWidth(0);
        m_sidebar->setMaximumWidth(QWIDGETSIZE_MAX);
        m_sidebar->setMinimumHeight(narrowListHeight);
        m_detailColumn->setMinimumHeight(narrowDetailHeight);
    } else {
        m_sidebar->setFixedWidth(sidebarWidth);
        m_sidebar->setMinimumHeight(0);
        m_detailColumn->setMinimumHeight(0);
    }
}

// ---- layout ----

void WorkspaceManagerView::buildSidebar(QWidget* sidebar) {
    auto* layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);

    auto* header = new QHBoxLayout;
    m_titleLabel = makeLabel(QStringLiteral("workspaceManagerTitle"), sidebar);
    InterfaceEnvironment::setScaledFont(
        m_titleLabel, WorkspaceManagerStyle::font(m_titleLabel->font(), title3Pixels, QFont::DemiBold));
    header->addWidget(m_titleLabel);
    header->addStretch(1);
    m_reloadButton = new QToolButton(sidebar);
    m_reloadButton->setObjectName(QStringLiteral("reloadButton"));
    m_reloadButton->setIcon(paintedIcon(Symbol::reload));
    m_reloadButton->setAutoRaise(true);
    connect(m_reloadButton, &QToolButton::clicked, this, [this] { m_model.reload(); });
    header->addWidget(m_reloadButton);
    layout->addLayout(header);

    m_searchField = new BrandLineEdit(sidebar);
    m_searchField->setObjectName(QStringLiteral("workspaceSearchField"));
    m_searchField->setClearButtonEnabled(true);
    // Every keystroke filters at once.
    connect(m_searchField, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_model.setWorkspaceSearch(text); });
    layout->addWidget(m_searchField);

    // Titles alone in the two-button rows: with symbols they do not fit side by side at Large.
    m_createWorkspaceButton = makeButton(QStringLiteral("createWorkspaceButton"), sidebar);
    connect(m_createWorkspaceButton, &QAbstractButton::clicked, this, &WorkspaceManagerView::createWorkspace);
    m_importButton = makeButton(QStringLiteral("importPackButton"), sidebar);
    connect(m_importButton, &QAbstractButton::clicked, this, &WorkspaceManagerView::importPromptPack);
    layout->addLayout(buttonRow({m_createWorkspaceButton, m_importButton}, 8));

    m_selectFilteredButton = makeButton(QStringLiteral("selectFilteredButton"), sidebar);
    connect(m_selectFilteredButton, &QAbstractButton::clicked, this, [this] { m_model.selectFiltered(); });
    m_clearSelectionButton = makeButton(QStringLiteral("clearSelectionButton"), sidebar);
    connect(m_clearSelectionButton, &QAbstractButton::clicked, this, [this] { m_model.clearSelection(); });
    layout->addLayout(buttonRow({m_selectFilteredButton, m_clearSelectionButton}, 8));

    m_deleteButton = makeButton(QStringLiteral("deleteSelectedButton"), sidebar, QStringLiteral("trash"), true);
    connect(m_deleteButton, &QAbstractButton::clicked, this, &WorkspaceManagerView::confirmDeleteSelectedWorkspaces);
    layout->addLayout(buttonRow({m_deleteButton}));

    m_resultLabel = makeLabel(QStringLiteral("resultLine"), sidebar);
    m_resultLabel->setWordWrap(true);
    InterfaceEnvironment::setScaledFont(m_resultLabel,
                                        WorkspaceManagerStyle::font(m_resultLabel->font(), captionPixels));
    m_resultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSecondary(m_resultLabel);
    layout->addWidget(m_resultLabel);

    m_listStack = new QStackedWidget(sidebar);
    m_listStack->setObjectName(QStringLiteral("workspaceListStack"));
    m_listView = new QListView(m_listStack);
    m_listView->setObjectName(QStringLiteral("workspaceList"));
    m_listView->setFrameShape(QFrame::NoFrame);
    m_listView->setSelectionMode(QAbstractItemView::NoSelection);
    m_listView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_listView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_listView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_listView->setMouseTracking(true);
    m_listView->viewport()->setAutoFillBackground(false);
    m_listView->setAutoFillBackground(false);
    m_listView->setContentsMargins(0, 4, 0, 4);
    m_listModel = new WorkspaceManagerListModel(this);
    auto* delegate = new WorkspaceRowDelegate(*m_listModel, m_listView);
    m_listView->setModel(m_listModel);
    m_listView->setItemDelegate(delegate);
    m_listView->installEventFilter(this);
    connect(m_listModel, &WorkspaceManagerListModel::tickRequested, this,
            [this](const QString& id, bool ticked) { m_model.setTicked(id, ticked); });
    connect(delegate, &WorkspaceRowDelegate::selectRequested, this,
            [this](const QString& id) { m_model.selectWorkspace(id); });
    m_listStack->addWidget(m_listView);
    layout->addWidget(m_listStack, 1);
}

void WorkspaceManagerView::buildDetailPane(QWidget* pane) {
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    auto* header = new QHBoxLayout;
    auto* titles = new QVBoxLayout;
    titles->setSpacing(4);
    m_detailName = makeLabel(QStringLiteral("detailName"), pane);
    InterfaceEnvironment::setScaledFont(
        m_detailName, WorkspaceManagerStyle::font(m_detailName->font(), title2Pixels, QFont::DemiBold));
    m_detailName->setWordWrap(true);
    m_detailName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_detailSource = makeLabel(QStringLiteral("detailSource"), pane);
    setSecondary(m_detailSource);
    titles->addWidget(m_detailName);
    titles->addWidget(m_detailSource);
    header->addLayout(titles, 1);
    m_copySampleButton = makeButton(QStringLiteral("copySampleButton"), pane);
    connect(m_copySampleButton, &QAbstractButton::clicked, this, [this] {
        if (m_shownWorkspace) {
            m_model.copySampleToMyWorkspaces(*m_shownWorkspace);
        }
    });
    m_hideSamplesButton = makeButton(QStringLiteral("hideSamplesButton"), pane);
    connect(m_hideSamplesButton, &QAbstractButton::clicked, this, [this] { m_model.hideSamples(); });
    m_editWorkspaceButton = makeButton(QStringLiteral("editWorkspaceButton"), pane);
    connect(m_editWorkspaceButton, &QAbstractButton::clicked, this, [this] {
        if (m_shownWorkspace) {
            editWorkspace(*m_shownWorkspace);
        }
    });
    m_exportButton = makeButton(QStringLiteral("exportPackButton"), pane, QStringLiteral("square.and.arrow.down"));
    connect(m_exportButton, &QAbstractButton::clicked, this, [this] {
        if (m_shownWorkspace) {
            exportPromptPack(*m_shownWorkspace);
        }
    });
    for (BrandButton* button : {m_copySampleButton, m_hideSamplesButton, m_editWorkspaceButton, m_exportButton}) {
        header->addWidget(button, 0, Qt::AlignTop);
    }
    layout->addLayout(header);

    m_readOnlyNotice = new QWidget(pane);
    m_readOnlyNotice->setObjectName(QStringLiteral("readOnlyNotice"));
    auto* notice = new QHBoxLayout(m_readOnlyNotice);
    notice->setContentsMargins(0, 0, 0, 0);
    auto* lock = new QLabel(m_readOnlyNotice);
    lock->setPixmap(paintedIcon(Symbol::lock, orange, 14).pixmap(14, 14));
    notice->addWidget(lock, 0, Qt::AlignTop);
    m_readOnlyReason = makeLabel(QStringLiteral("readOnlyReason"), m_readOnlyNotice);
    m_readOnlyReason->setWordWrap(true);
    InterfaceEnvironment::setScaledFont(m_readOnlyReason,
                                        WorkspaceManagerStyle::font(m_readOnlyReason->font(), captionPixels));
    QPalette orangePalette = m_readOnlyReason->palette();
    orangePalette.setColor(QPalette::WindowText, QColor::fromRgb(orange));
    m_readOnlyReason->setPalette(orangePalette);
    notice->addWidget(m_readOnlyReason, 1);
    layout->addWidget(m_readOnlyNotice);

    m_factsGrid = new QGridLayout;
    m_factsGrid->setHorizontalSpacing(18);
    m_factsGrid->setVerticalSpacing(6);
    for (int row = 0; row < 4; ++row) {
        auto* title = makeLabel(QStringLiteral("factTitle%1").arg(row), pane);
        setSecondary(title);
        auto* value = makeLabel(QStringLiteral("factValue%1").arg(row), pane);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        m_factsGrid->addWidget(title, row, 0, Qt::AlignLeft | Qt::AlignTop);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        value->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        m_factsGrid->addWidget(value, row, 1);
        m_factTitles.append(title);
        m_factValues.append(value);
    }
    m_factsGrid->setColumnStretch(1, 1);
    layout->addLayout(m_factsGrid);
    layout->addWidget(makeDivider(QFrame::HLine, pane));

    auto* promptHeader = new QHBoxLayout;
    m_promptsTitle = makeLabel(QStringLiteral("promptsTitle"), pane);
    InterfaceEnvironment::setScaledFont(
        m_promptsTitle, WorkspaceManagerStyle::font(m_promptsTitle->font(), headlinePixels, QFont::DemiBold));
    promptHeader->addWidget(m_promptsTitle);
    promptHeader->addStretch(1);
    m_promptSearchField = new BrandLineEdit(pane);
    m_promptSearchField->setObjectName(QStringLiteral("promptSearchField"));
    m_promptSearchField->setFixedWidth(240);
    m_promptSearchField->setClearButtonEnabled(true);
    connect(m_promptSearchField, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_model.setPromptSearch(text); });
    promptHeader->addWidget(m_promptSearchField);
    m_createPromptButton = makeButton(QStringLiteral("createPromptButton"), pane, QStringLiteral("plus"));
    connect(m_createPromptButton, &QAbstractButton::clicked, this, [this] { openPromptEditor(std::nullopt); });
    promptHeader->addWidget(m_createPromptButton);
    layout->addLayout(promptHeader);

    m_promptScroll = new QScrollArea(pane);
    m_promptScroll->setObjectName(QStringLiteral("promptScroll"));
    m_promptScroll->setWidgetResizable(true);
    m_promptScroll->setFrameShape(QFrame::NoFrame);
    m_promptScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_promptScroll, 1);
}

void WorkspaceManagerView::retranslate() {
    const auto t = [this](const QString& key) { return m_model.text(key); };
    m_titleLabel->setText(t(L10N("title.workspace.manager")));
    m_titleLabel->setAccessibleName(m_titleLabel->text());
    const QString reload = t(L10N("action.reload.config"));
    m_reloadButton->setToolTip(reload);
    m_reloadButton->setAccessibleName(reload);
    const QString search = t(L10N("workspace.manager.search.workspaces"));
    m_searchField->setPlaceholderText(search);
    m_searchField->setAccessibleName(search);
    const QString clearSearch = t(L10N("action.clear.search"));
    nameClearButton(m_searchField, clearSearch);
    setButtonText(m_createWorkspaceButton, t(L10N("action.create.workspace")));
    setButtonText(m_importButton, t(L10N("action.import.prompt.pack")));
    setButtonText(m_selectFilteredButton, t(L10N("workspace.manager.select.filtered")));
    setButtonText(m_clearSelectionButton, t(L10N("workspace.manager.clear.selection")));
    setButtonText(m_deleteButton, t(L10N("workspace.manager.delete.selected")));
    m_listView->setAccessibleName(t(L10N("title.workspace.manager")));
    m_placeholderLabel->setText(t(L10N("workspace.manager.no.selection")));
    setButtonText(m_copySampleButton, t(L10N("action.copy.to.my.workspaces")));
    setButtonText(m_hideSamplesButton, t(L10N("action.hide.samples")));
    setButtonText(m_editWorkspaceButton, t(L10N("action.edit.workspace")));
    setButtonText(m_exportButton, t(L10N("action.export.pack")));
    m_promptsTitle->setText(t(L10N("workspace.manager.prompts")));
    const QString promptSearch = t(L10N("workspace.manager.search.prompts"));
    m_promptSearchField->setPlaceholderText(promptSearch);
    m_promptSearchField->setAccessibleName(promptSearch);
    nameClearButton(m_promptSearchField, clearSearch);
    // The scrolling list of the shown workspace's prompts takes focus (the keys scroll it).
    AccessibleText::setName(m_promptScroll, m_promptsTitle->text());
    setButtonText(m_createPromptButton, t(L10N("action.create.prompt")));
}

void WorkspaceManagerView::rebuildBanners() {
    while (QLayoutItem* item = m_bannerLayout->takeAt(0)) {
        // Later: the reload button of a banner may be what led here.
        if (QWidget* banner = item->widget()) {
            banner->hide();
            banner->deleteLater();
        }
        delete item;
    }
    const QList<PromptConfigIssue>& issues = m_dependencies.store.configIssues();
    m_bannerLayout->setContentsMargins(16, issues.isEmpty() ? 0 : 10, 16, 0);
    m_bannerLayout->setSpacing(10);
    for (const PromptConfigIssue& issue : issues) {
        // The manager never offers to open itself.
        m_bannerLayout->addWidget(new ConfigIssueBanner(issue, m_dependencies.store, m_dependencies.fileRevealer,
                                                        &m_dependencies.requests, false, this));
    }
}

// ---- refresh ----

void WorkspaceManagerView::refreshList() {
    if (m_searchField->text() != m_model.workspaceSearch()) {
        const QSignalBlocker blocker(m_searchField);
        m_searchField->setText(m_model.workspaceSearch());
    }
    QList<WorkspaceManagerModel::Row> rows = m_model.rows();
    const bool empty = rows.isEmpty();
    m_listModel->setRows(std::move(rows));
    if (empty) {
        const WorkspaceManagerEmptyState state = m_model.listEmptyState();
        if (m_listEmptyState == nullptr || m_listEmptyKind != state) {
            discardLater(m_listEmptyState);
            m_listEmptyState = makeEmptyStateView(state, m_listStack);
            m_listEmptyState->setObjectName(QStringLiteral("listEmptyState"));
            m_listStack->addWidget(m_listEmptyState);
            m_listEmptyKind = state;
        }
        m_listStack->setCurrentWidget(m_listEmptyState);
    } else {
        m_listStack->setCurrentWidget(m_listView);
    }
    m_selectFilteredButton->setEnabled(m_model.canSelectFiltered());
    m_clearSelectionButton->setEnabled(m_model.canClearSelection());
    m_deleteButton->setEnabled(m_model.canDeleteSelection());
}

void WorkspaceManagerView::refreshDetail() {
    switch (m_model.detailMode()) {
    case WorkspaceManagerModel::DetailMode::placeholder:
        m_shownWorkspace.reset();
        m_detailStack->setCurrentWidget(m_placeholder);
        return;
    case WorkspaceManagerModel::DetailMode::emptyState: {
        m_shownWorkspace.reset();
        const std::optional<WorkspaceManagerEmptyState> state = m_model.managerEmptyState();
        if (state && (m_detailEmptyState == nullptr || m_detailEmptyKind != *state)) {
            discardLater(m_detailEmptyState);
            m_detailEmptyState = makeEmptyStateView(*state, m_detailEmptyHolder);
            m_detailEmptyState->setObjectName(QStringLiteral("detailEmptyState"));
            m_detailEmptyHolder->layout()->addWidget(m_detailEmptyState);
            m_detailEmptyKind = state;
        }
        m_detailStack->setCurrentWidget(m_detailEmptyHolder);
        return;
    }
    case WorkspaceManagerModel::DetailMode::workspace:
        break;
    }

    const std::optional<PromptWorkspace> workspace = m_model.selectedWorkspace();
    if (!workspace) {
        return;
    }
    m_detailStack->setCurrentWidget(m_detailPane);
    const QString searchNow = m_model.promptSearch();
    if (m_promptSearchField->text() != searchNow) {
        const QSignalBlocker blocker(m_promptSearchField);
        m_promptSearchField->setText(searchNow);
    }

    const AppLanguage language = m_model.language();
    const bool editable = WorkspaceManagerModel::isEditable(*workspace);
    const bool sample = workspace->source == PromptWorkspaceSource::transientSample;
    m_detailName->setText(workspace->name);
    m_detailName->setAccessibleName(workspace->name);
    m_detailSource->setText(PromptWorkspaceSources::displayName(workspace->source, language));
    m_copySampleButton->setVisible(sample);
    m_hideSamplesButton->setVisible(sample);
    m_editWorkspaceButton->setVisible(!sample);
    m_editWorkspaceButton->setEnabled(editable && m_dependencies.makeWorkspaceEditSheet != nullptr);
    // Export sits beside Edit workspace and serves saved user workspaces only.
    m_exportButton->setVisible(editable);
    m_exportButton->setEnabled(WorkspaceManagerModel::canExport(*workspace));
    m_readOnlyNotice->setVisible(!editable);
    m_readOnlyReason->setText(m_dependencies.store.readOnlyReason(*workspace));
    const QList<WorkspaceManagerModel::Fact> facts = m_model.facts(*workspace);
    for (int row = 0; row < facts.size() && row < m_factTitles.size(); ++row) {
        m_factTitles.at(row)->setText(facts.at(row).title);
        m_factValues.at(row)->setText(facts.at(row).value);
        m_factValues.at(row)->setAccessibleName(facts.at(row).title + QStringLiteral(": ") + facts.at(row).value);
    }
    m_createPromptButton->setEnabled(editable && m_dependencies.makePromptEditorSheet != nullptr);

    // The rows are rebuilt only when what they show changed, so that typing in the workspace
    // search does not rebuild the prompts of the shown workspace on every key.
    if (m_shownWorkspace != workspace || m_shownPromptSearch != searchNow || m_promptList == nullptr) {
        m_shownWorkspace = workspace;
        m_shownPromptSearch = searchNow;
        rebuildPromptRows(*workspace);
    }
}

void WorkspaceManagerView::rebuildPromptRows(const PromptWorkspace& workspace) {
    // Inside the window from the start, so its rows' fonts find the window's text size.
    auto* list = new QWidget(m_promptScroll);
    list->setObjectName(QStringLiteral("promptList"));
    auto* layout = new QVBoxLayout(list);
    layout->setContentsMargins(0, 0, 4, 0);
    layout->setSpacing(8);
    const auto addNote = [&](const QString& objectName, const QString& text) {
        auto* note = makeLabel(objectName, list);
        note->setText(text);
        note->setAlignment(Qt::AlignCenter);
        note->setWordWrap(true);
        note->setContentsMargins(0, 36, 0, 36);
        setSecondary(note);
        layout->addWidget(note);
    };
    switch (m_model.promptListMode(workspace)) {
    case WorkspaceManagerModel::PromptListMode::prompts:
        for (const PromptItem& prompt : m_model.filteredPrompts(workspace)) {
            layout->addWidget(makePromptRow(prompt, workspace, list));
        }
        break;
    case WorkspaceManagerModel::PromptListMode::noSearchResults:
        addNote(QStringLiteral("noPromptSearchResults"), m_model.text(L10N("workspace.manager.no.search")));
        break;
    case WorkspaceManagerModel::PromptListMode::editableEmpty: {
        QWidget* empty = makeEmptyStateView(WorkspaceManagerEmptyState::editableEmpty(), list);
        empty->setObjectName(QStringLiteral("promptsEmptyState"));
        layout->addWidget(empty);
        break;
    }
    case WorkspaceManagerModel::PromptListMode::noPrompts:
        addNote(QStringLiteral("noPrompts"), m_model.text(L10N("empty.no.prompts.title")));
        break;
    }
    layout->addStretch(1);
    discardLater(m_promptScroll->takeWidget());
    m_promptScroll->setWidget(list);
    m_promptList = list;
}

QWidget* WorkspaceManagerView::makePromptRow(const PromptItem& prompt, const PromptWorkspace& workspace,
                                             QWidget* parent) {
    const WorkspaceManagerModel::PromptRow row = m_model.promptRow(prompt, workspace);
    auto* frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("promptRow"));
    frame->setProperty("promptID", row.id);
    frame->setAccessibleName(row.title);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, QColor::fromRgba(plainRow));
    frame->setPalette(palette);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);

    auto* top = new QHBoxLayout;
    // A long title wraps to two lines and is cut there, so the row's buttons always stay in view.
    auto* title = new WrappedTextLabel(2, frame);
    title->setObjectName(QStringLiteral("promptTitle"));
    title->setText(row.title);
    InterfaceEnvironment::setScaledFont(title,
                                        WorkspaceManagerStyle::font(title->font(), headlinePixels, QFont::DemiBold));
    top->addWidget(title, 1, Qt::AlignTop);
    auto* edit = new QToolButton(frame);
    edit->setObjectName(QStringLiteral("editPromptButton"));
    edit->setIcon(paintedIcon(Symbol::pencil));
    edit->setAutoRaise(true);
    edit->setToolTip(m_model.text(L10N("action.edit")));
    edit->setAccessibleName(edit->toolTip());
    edit->setEnabled(row.isEditable && m_dependencies.makePromptEditorSheet != nullptr);
    connect(edit, &QToolButton::clicked, this, [this, prompt] { openPromptEditor(prompt); });
    auto* remove = new QToolButton(frame);
    remove->setObjectName(QStringLiteral("deletePromptButton"));
    remove->setIcon(paintedIcon(Symbol::trash, destructive));
    remove->setAutoRaise(true);
    remove->setToolTip(m_model.text(L10N("action.delete")));
    remove->setAccessibleName(remove->toolTip());
    remove->setEnabled(row.isEditable);
    connect(remove, &QToolButton::clicked, this, [this, prompt] { confirmDeletePrompt(prompt); });
    top->addWidget(edit, 0, Qt::AlignTop);
    top->addWidget(remove, 0, Qt::AlignTop);
    layout->addLayout(top);

    auto* meta = new WrappedTextLabel(1, frame);
    meta->setObjectName(QStringLiteral("promptMeta"));
    meta->setText(row.metaLine);
    InterfaceEnvironment::setScaledFont(meta, WorkspaceManagerStyle::font(meta->font(), captionPixels));
    setSecondary(meta);
    layout->addWidget(meta);

    // At most two lines.
    auto* text = new WrappedTextLabel(2, frame);
    text->setObjectName(QStringLiteral("promptText"));
    text->setText(row.text);
    InterfaceEnvironment::setScaledFont(text, WorkspaceManagerStyle::font(text->font(), captionPixels));
    setSecondary(text);
    layout->addWidget(text);
    return frame;
}

QWidget* WorkspaceManagerView::makeEmptyStateView(const WorkspaceManagerEmptyState& state, QWidget* parent) {
    WorkspaceManagerEmptyStateView::Callbacks callbacks;
    if (state.kind() == WorkspaceManagerEmptyState::Kind::editableEmpty) {
        // The detail pane's empty workspace: create a prompt or import a pack.
        if (m_dependencies.makePromptEditorSheet) {
            callbacks.onCreatePrompt = [this] { openPromptEditor(std::nullopt); };
        }
        callbacks.onImportPromptPack = [this] { importPromptPack(); };
    } else {
        if (m_dependencies.makeNewWorkspaceSheet) {
            callbacks.onCreateWorkspace = [this] { createWorkspace(); };
        }
        callbacks.onImportPromptPack = [this] { importPromptPack(); };
        callbacks.onClearWorkspaceFilter = [this] { m_model.setWorkspaceSearch(QString()); };
    }
    return new WorkspaceManagerEmptyStateView(state, std::move(callbacks), parent);
}

void WorkspaceManagerView::refreshResult() {
    const std::optional<QString>& message = m_model.resultMessage();
    m_resultLabel->setVisible(message.has_value());
    m_resultLabel->setText(message.value_or(QString()));
}

// ---- actions ----

SheetHost& WorkspaceManagerView::sheets() {
    if (!m_sheetHost) {
        m_sheetHost = m_dependencies.makeSheetHost ? m_dependencies.makeSheetHost(window())
                                                   : std::make_unique<DialogSheetHost>(window());
    }
    return *m_sheetHost;
}

void WorkspaceManagerView::createWorkspace() {
    if (!m_dependencies.makeNewWorkspaceSheet) {
        return;
    }
    SheetHost& host = sheets();
    host.present(m_dependencies.makeNewWorkspaceSheet(host));
}

void WorkspaceManagerView::editWorkspace(const PromptWorkspace& workspace) {
    if (!m_dependencies.makeWorkspaceEditSheet || !WorkspaceManagerModel::isEditable(workspace)) {
        return;
    }
    SheetHost& host = sheets();
    host.present(m_dependencies.makeWorkspaceEditSheet(host, workspace));
}

void WorkspaceManagerView::openPromptEditor(const std::optional<PromptItem>& prompt) {
    if (!m_dependencies.makePromptEditorSheet) {
        return;
    }
    SheetHost& host = sheets();
    host.present(m_dependencies.makePromptEditorSheet(host, m_model.selectedWorkspaceID().value_or(QString()), prompt));
}

void WorkspaceManagerView::importPromptPack() {
    // A new request for the manager rebuilds the window's content while a dialog runs: after
    // each dialog, nothing of this view is touched when it is gone.
    const QPointer<WorkspaceManagerView> self(this);
    const std::optional<QString> path =
        m_dependencies.fileChooser.chooseFileToOpen(window(), m_model.text(L10N("action.select.pack.file")),
                                                    {m_model.text(L10N("workspace.manager.pack.file.filter"))});
    if (!self || !path) {
        return; // cancelled: nothing changes, not even the result line
    }
    m_model.importPromptPack(*path);
}

void WorkspaceManagerView::exportPromptPack(const PromptWorkspace& workspace) {
    if (!WorkspaceManagerModel::canExport(workspace)) {
        return;
    }
    const QPointer<WorkspaceManagerView> self(this);
    const QString title = m_model.text(L10N("action.export.pack"));
    const std::optional<QString> chosen = m_dependencies.fileChooser.chooseFileToSave(
        window(), title, WorkspaceManagerModel::proposedExportFileName(workspace.id),
        {m_model.text(L10N("workspace.manager.pack.file.filter"))});
    if (!self || !chosen) {
        return;
    }
    const QString destination = WorkspaceManagerModel::exportDestination(*chosen);
    // The file dialog asked about replacing the name the user typed, not the one with ".yaml"
    // added back: ask before that one is overwritten.
    if (destination != *chosen && QFileInfo::exists(destination)) {
        const bool replace = m_dependencies.confirmer.confirm(
            window(), m_model.text(L10N("workspace.manager.export.replace.title")),
            L10n::string(L10N("workspace.manager.export.replace.message"), m_model.language(),
                         QFileInfo(destination).fileName()),
            m_model.text(L10N("action.replace")), m_model.text(L10N("action.cancel")), true);
        if (!self || !replace) {
            return;
        }
    }
    m_model.exportPromptPack(workspace, destination);
}

void WorkspaceManagerView::confirmDeleteSelectedWorkspaces() {
    if (!m_model.canDeleteSelection()) {
        return;
    }
    const QPointer<WorkspaceManagerView> self(this);
    const bool confirmed = m_dependencies.confirmer.confirm(
        window(), m_model.text(L10N("workspace.manager.delete.confirm.title")), m_model.deleteWorkspaceMessage(),
        m_model.text(L10N("action.delete")), m_model.text(L10N("action.cancel")), true);
    if (self && confirmed) {
        m_model.deleteSelectedWorkspaces();
    }
}

void WorkspaceManagerView::confirmDeletePrompt(const PromptItem& prompt) {
    const QPointer<WorkspaceManagerView> self(this);
    const bool confirmed = m_dependencies.confirmer.confirm(
        window(), m_model.text(L10N("title.confirm.delete.prompt")), prompt.title.toString(),
        m_model.text(L10N("action.delete")), m_model.text(L10N("action.cancel")), true);
    if (self && confirmed) {
        m_model.deletePrompt(prompt);
    }
}

// ---- events ----

void WorkspaceManagerView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        // The list is fresh whenever the window is opened.
        m_model.reload();
    }
}

bool WorkspaceManagerView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_listView && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QModelIndex current = m_listView->currentIndex();
        const WorkspaceManagerModel::Row* row = m_listModel->rowAt(current);
        if (row != nullptr && key->modifiers() == Qt::NoModifier) {
            if (key->key() == Qt::Key_Space) {
                m_model.setTicked(row->id, !row->isTicked);
                return true;
            }
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                m_model.selectWorkspace(row->id);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
