#include "windows/settings/SettingsGettingStartedPage.h"

#include "services/RequestBus.h"
#include "store/FirstRunChecklistStore.h"
#include "widgets/BrandButton.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsModel.h"

#include <QLabel>
#include <QVBoxLayout>

SettingsGettingStartedPage::SettingsGettingStartedPage(const SettingsDependencies& dependencies, QWidget* parent)
    : QWidget(parent), m_deps(dependencies) {
    setObjectName(QStringLiteral("settingsGettingStartedPage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);
    const SettingsLook::Section section = SettingsLook::makeSection(this, L10N("first.checklist.settings.section"));
    column->addWidget(section.frame);
    column->addStretch(1);
    QWidget* card = section.rows->parentWidget();

    m_welcome = SettingsLook::makeActionButton(card, QStringLiteral("settingsReopenWelcomeButton"),
                                               L10N("first.welcome.reopen"), QStringLiteral("sparkles"));
    section.rows->addWidget(m_welcome, 0, Qt::AlignLeft);
    m_reopenChecklist = SettingsLook::makeActionButton(card, QStringLiteral("settingsReopenChecklistButton"),
                                                       L10N("first.checklist.reopen"));
    section.rows->addWidget(m_reopenChecklist, 0, Qt::AlignLeft);
    m_checklistHelp =
        SettingsLook::makeHelpLabel(card, QStringLiteral("settingsChecklistHelp"), L10N("first.checklist.panel.help"));
    section.rows->addWidget(m_checklistHelp);
    m_openPanel = SettingsLook::makeActionButton(card, QStringLiteral("settingsOpenPanelButton"),
                                                 L10N("first.welcome.open.panel"), QStringLiteral("menubar.rectangle"));
    section.rows->addWidget(m_openPanel, 0, Qt::AlignLeft);

    connect(m_welcome, &BrandButton::clicked, this, [this] { emit m_deps.requests.requestOpenWelcomeGuide(); });
    connect(m_reopenChecklist, &BrandButton::clicked, this, [this] { m_deps.checklistStore.reopen(); });
    connect(m_openPanel, &BrandButton::clicked, this, [this] { emit m_deps.requests.requestOpenFromMenu(); });
    connect(&m_deps.checklistStore, &FirstRunChecklistStore::isDismissedChanged, this,
            &SettingsGettingStartedPage::render);
    render();
}

void SettingsGettingStartedPage::render() {
    const QList<SettingsModel::GettingStartedRow> rows = SettingsModel::rowsFor(m_deps.checklistStore.isDismissed());
    using Row = SettingsModel::GettingStartedRow;
    m_welcome->setVisible(rows.contains(Row::reopenWelcome));
    m_reopenChecklist->setVisible(rows.contains(Row::reopenChecklist));
    m_checklistHelp->setVisible(rows.contains(Row::checklistHelp));
    m_openPanel->setVisible(rows.contains(Row::openPanel));
}
