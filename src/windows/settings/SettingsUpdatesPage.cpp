#include "windows/settings/SettingsUpdatesPage.h"

#include "model/environment/AppLanguageStore.h"
#include "model/seams/UrlOpening.h"
#include "services/AppLinks.h"
#include "services/AppUpdateController.h"
#include "widgets/BrandButton.h"
#include "widgets/IslandDesignTokens.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsModel.h"
#include "windows/settings/SettingsSwitch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

SettingsUpdatesPage::SettingsUpdatesPage(const SettingsDependencies& dependencies, QWidget* parent)
    : QWidget(parent), m_deps(dependencies) {
    setObjectName(QStringLiteral("settingsUpdatesPage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);
    const SettingsLook::Section section = SettingsLook::makeSection(this, L10N("settings.updates.title"));
    column->addWidget(section.frame);
    column->addStretch(1);
    QWidget* card = section.rows->parentWidget();

    m_automatic = new SettingsSwitch(card);
    m_automatic->setObjectName(QStringLiteral("settingsAutomaticUpdatesSwitch"));
    SettingsLook::setTextKey(m_automatic, L10N("settings.updates.auto.install"));
    section.rows->addWidget(m_automatic);

    m_check =
        SettingsLook::makeActionButton(card, QStringLiteral("settingsCheckUpdatesButton"), L10N("action.check.updates"),
                                       QStringLiteral("arrow.triangle.2.circlepath"));
    section.rows->addWidget(m_check, 0, Qt::AlignLeft);

    m_help = SettingsLook::makeHelpLabel(card, QStringLiteral("settingsUpdatesHelp"));
    section.rows->addWidget(m_help);

    auto* linkRow = new QWidget(card);
    auto* line = new QHBoxLayout(linkRow);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(12);
    const QList<std::pair<QString, QString>> links{{QStringLiteral("download"), L10N("settings.download")},
                                                   {QStringLiteral("support"), L10N("settings.support")},
                                                   {QStringLiteral("privacy"), L10N("settings.privacy")}};
    for (const auto& [name, key] : links) {
        auto* link = new QPushButton(linkRow);
        link->setObjectName(QStringLiteral("settingsLink.") + name);
        link->setFlat(true);
        link->setAutoDefault(false);
        link->setCursor(Qt::PointingHandCursor);
        // Coloured by palette: a style sheet would keep the link at one font size.
        QPalette colours = link->palette();
        colours.setColor(QPalette::ButtonText, IslandDesignTokens::Brand::accent);
        link->setPalette(colours);
        SettingsLook::setTextKey(link, key);
        line->addWidget(link);
        m_links.append(link);
        const QUrl url = name == QLatin1String("download")  ? AppLinks::download()
                         : name == QLatin1String("support") ? AppLinks::support()
                                                            : AppLinks::privacy();
        connect(link, &QPushButton::clicked, this, [this, url] { m_deps.urlOpener.openUrl(url); });
    }
    line->addStretch(1);
    section.rows->addWidget(linkRow);

    connect(m_automatic, &SettingsSwitch::clicked, this, [this](bool checked) {
        // Without an updater there is nothing to switch; the controller re-reads its state after.
        if (m_deps.updates.isConfigured()) {
            m_deps.updates.setAutomaticUpdatesEnabled(checked);
        }
        render();
    });
    connect(m_check, &BrandButton::clicked, this, [this] { m_deps.updates.checkForUpdates(); });
    connect(&m_deps.updates, &AppUpdateController::automaticUpdatesEnabledChanged, this, &SettingsUpdatesPage::render);
    connect(&m_deps.updates, &AppUpdateController::canToggleAutomaticUpdatesChanged, this,
            &SettingsUpdatesPage::render);
    connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this, &SettingsUpdatesPage::render);
    render();
}

void SettingsUpdatesPage::render() {
    const AppUpdateController& updates = m_deps.updates;
    {
        const QSignalBlocker blocker(m_automatic);
        m_automatic->setChecked(updates.automaticUpdatesEnabled());
        m_automatic->setEnabled(updates.canToggleAutomaticUpdates());
    }
    SettingsLook::setText(
        m_help, L10n::string(SettingsModel::updateHelpKey(updates.isConfigured(), updates.automaticUpdatesEnabled()),
                             m_deps.languageStore.resolvedLanguage()));
}
