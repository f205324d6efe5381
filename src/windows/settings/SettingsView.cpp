#include "windows/settings/SettingsView.h"

#include "model/environment/AppLanguageStore.h"
#include "model/environment/TextSizeStore.h"
#include "services/AppUpdateController.h"
#include "services/LaunchAtLoginController.h"
#include "widgets/FirstRunRoundedFrame.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/IslandIcons.h"
#include "windows/settings/SettingsGeneralPage.h"
#include "windows/settings/SettingsGettingStartedPage.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsPromptsPage.h"
#include "windows/settings/SettingsShortcutsPage.h"
#include "windows/settings/SettingsUpdatesPage.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStackedWidget>

namespace {

constexpr int sidebarMinimumWidth = 150;
constexpr int sidebarIdealWidth = 170;
constexpr int sidebarMaximumWidth = 190;
constexpr int sidebarSideMargin = 8;
constexpr int iconSide = 16;

QIcon categoryIcon(SettingsCategory category) {
    QIcon icon;
    for (const auto& [mode, color] :
         {std::pair{QIcon::Normal, IslandDesignTokens::white(0.85)}, std::pair{QIcon::Selected, QColor(Qt::white)}}) {
        QPixmap pixmap(QSize(iconSide, iconSide) * 2);
        pixmap.setDevicePixelRatio(2);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        IslandIcons::paint(painter, SettingsModel::categorySymbol(category), QRectF(1, 1, iconSide - 2, iconSide - 2),
                           color);
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

} // namespace

SettingsView::SettingsView(const SettingsDependencies& dependencies, QWidget* parent)
    : QWidget(parent), m_deps(dependencies) {
    setObjectName(QStringLiteral("settingsView"));
    setFixedSize(contentSize);

    auto* split = new QHBoxLayout(this);
    split->setContentsMargins(0, 0, 0, 0);
    split->setSpacing(0);

    // The sidebar's pane: a lighter column with room around the rows.
    auto* pane = new FirstRunRoundedFrame(0, 0.06, 0, this);
    pane->setObjectName(QStringLiteral("settingsSidebarPane"));
    pane->setFixedWidth(sidebarIdealWidth);
    m_sidebarPane = pane;
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(sidebarSideMargin, 14, sidebarSideMargin, 8);
    m_sidebar = new QListWidget(pane);
    m_sidebar->setObjectName(QStringLiteral("settingsSidebar"));
    m_sidebar->setIconSize(QSize(iconSide, iconSide));
    m_sidebar->setFrameShape(QFrame::NoFrame);
    m_sidebar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_sidebar->setSpacing(2);
    m_sidebar->setFocusPolicy(Qt::StrongFocus);
    // Coloured by palette, not a style sheet, so the rows follow the window's text size.
    QPalette colours = m_sidebar->palette();
    colours.setColor(QPalette::Base, Qt::transparent);
    colours.setColor(QPalette::Highlight, IslandDesignTokens::withOpacity(IslandDesignTokens::Brand::steel, 0.6));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    m_sidebar->setPalette(colours);
    for (const SettingsCategory category : SettingsModel::allCategories()) {
        auto* item = new QListWidgetItem(categoryIcon(category), QString(), m_sidebar);
        item->setData(Qt::UserRole, SettingsModel::rawValue(category));
    }
    paneLayout->addWidget(m_sidebar);
    split->addWidget(pane);

    m_stack = new QStackedWidget(this);
    m_stack->setObjectName(QStringLiteral("settingsDetail"));
    split->addWidget(m_stack, 1);

    m_gettingStarted = new SettingsGettingStartedPage(m_deps);
    m_general = new SettingsGeneralPage(m_deps);
    m_prompts = new SettingsPromptsPage(m_deps);
    m_shortcuts = new SettingsShortcutsPage(m_deps);
    m_updates = new SettingsUpdatesPage(m_deps);
    const QList<QWidget*> pages{m_gettingStarted, m_general, m_prompts, m_shortcuts, m_updates};
    const QList<SettingsCategory> categories = SettingsModel::allCategories();
    for (int i = 0; i < pages.size(); ++i) {
        auto* area = new QScrollArea(m_stack);
        area->setObjectName(QStringLiteral("settingsPage.") + SettingsModel::rawValue(categories[i]));
        area->setWidgetResizable(true);
        area->setFrameShape(QFrame::NoFrame);
        // Tab goes from the sidebar straight to the page's first control.
        area->setFocusPolicy(Qt::NoFocus);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* inset = new QWidget;
        inset->setObjectName(QStringLiteral("settingsPageInset"));
        auto* margins = new QVBoxLayout(inset);
        margins->setContentsMargins(22, 20, 22, 20);
        margins->addWidget(pages[i]);
        area->setWidget(inset);
        m_stack->addWidget(area);
        m_areas.append(area);
    }

    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        const QList<SettingsCategory> all = SettingsModel::allCategories();
        if (row >= 0 && row < all.size()) {
            selectCategory(all[row]);
        }
    });
    connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this, &SettingsView::retranslate);

    selectCategory(SettingsCategory::gettingStarted);
    applyInterfaceTextSize(this, m_deps.textSizeStore);
    // After the fonts changed (the connection above runs first).
    connect(&m_deps.textSizeStore, &TextSizeStore::selectionChanged, this, &SettingsView::fitSidebar);
    retranslate();
}

void SettingsView::selectCategory(SettingsCategory category) {
    m_selected = category;
    const int index = int(SettingsModel::allCategories().indexOf(category));
    {
        const QSignalBlocker blocker(m_sidebar);
        m_sidebar->setCurrentRow(index);
    }
    m_stack->setCurrentIndex(index);
}

QScrollArea* SettingsView::pageArea(SettingsCategory category) const {
    const int index = int(SettingsModel::allCategories().indexOf(category));
    return index >= 0 && index < m_areas.size() ? m_areas[index] : nullptr;
}

QList<QWidget*> SettingsView::visibleSections() const {
    QList<QWidget*> shown;
    QScrollArea* area = pageArea(m_selected);
    if (area == nullptr) {
        return shown;
    }
    for (QWidget* widget : area->widget()->findChildren<QWidget*>()) {
        if (widget->objectName().startsWith(QLatin1String("settingsSection.")) && !widget->isHidden()) {
            shown.append(widget);
        }
    }
    std::sort(shown.begin(), shown.end(), [](const QWidget* a, const QWidget* b) {
        return a->mapTo(a->window(), QPoint()).y() < b->mapTo(b->window(), QPoint()).y();
    });
    return shown;
}

void SettingsView::retranslate() {
    const AppLanguage language = m_deps.languageStore.resolvedLanguage();
    renderSidebar();
    SettingsLook::retext(this, language);
    m_gettingStarted->render();
    m_general->render();
    m_prompts->render();
    m_shortcuts->render();
    m_updates->render();
}

void SettingsView::renderSidebar() {
    const AppLanguage language = m_deps.languageStore.resolvedLanguage();
    const QList<SettingsCategory> categories = SettingsModel::allCategories();
    for (int i = 0; i < categories.size(); ++i) {
        m_sidebar->item(i)->setText(L10n::string(SettingsModel::categoryTitleKey(categories[i]), language));
    }
    m_sidebar->setAccessibleName(L10n::string(L10N("action.settings"), language));
    fitSidebar();
}

void SettingsView::fitSidebar() {
    const QFontMetrics metrics(m_sidebar->font());
    int widest = 0;
    for (int row = 0; row < m_sidebar->count(); ++row) {
        widest = std::max(widest, metrics.horizontalAdvance(m_sidebar->item(row)->text()));
    }
    // The row's spacing and the style's margins around the icon and the text.
    const int needed = 2 * sidebarSideMargin + 2 * m_sidebar->spacing() + iconSide + widest + 20;
    m_sidebarPane->setFixedWidth(
        std::clamp(std::max(needed, sidebarIdealWidth), sidebarMinimumWidth, sidebarMaximumWidth));
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Changes made outside the window (the updater's settings, the autostart entry) show at once.
    m_deps.updates.refreshUpdateSettings();
    m_deps.launchAtLogin.refresh();
}
