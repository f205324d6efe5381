#include "windows/settings/SettingsPromptsPage.h"

#include "model/AppLog.h"
#include "model/environment/AppLanguageStore.h"
#include "services/Confirmer.h"
#include "services/RequestBus.h"
#include "store/PromptStore.h"
#include "store/PromptUsageStore.h"
#include "store/PromptVariableValueStore.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/accessibility/NamedComboBoxAccessible.h"
#include "widgets/BrandButton.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsModel.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSignalBlocker>
#include <QVBoxLayout>

SettingsPromptsPage::SettingsPromptsPage(const SettingsDependencies& dependencies, QWidget* parent)
    : QWidget(parent), m_deps(dependencies) {
    setObjectName(QStringLiteral("settingsPromptsPage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    for (const SettingsSection& section : SettingsModel::sectionsFor(SettingsCategory::prompts)) {
        const SettingsLook::Section built = SettingsLook::makeSection(this, section.titleKey);
        column->addWidget(built.frame);
        QWidget* card = built.rows->parentWidget();
        if (section.titleKey == QLatin1String("settings.environment.binding")) {
            BrandButton* manage =
                SettingsLook::makeActionButton(card, QStringLiteral("settingsManageWorkspacesButton"),
                                               L10N("action.manage.workspaces"), QStringLiteral("folder"));
            built.rows->addWidget(manage, 0, Qt::AlignLeft);
            connect(manage, &BrandButton::clicked, this,
                    [this] { emit m_deps.requests.requestOpenWorkspaceManager(std::nullopt); });
        } else if (section.titleKey == QLatin1String("settings.usage.title")) {
            NamedComboBoxAccessible::install();
            m_sort = new QComboBox(card);
            m_sort->setObjectName(QStringLiteral("settingsSortPicker"));
            m_sort->setSizeAdjustPolicy(QComboBox::AdjustToContents);
            m_sort->setMinimumWidth(160);
            for (const PromptSortMode mode : PromptSortModes::allCases()) {
                m_sort->addItem(QString(), PromptSortModes::rawValue(mode));
            }
            built.rows->addWidget(SettingsLook::makeRow(
                card,
                SettingsLook::makeRowLabel(card, QStringLiteral("settingsSortLabel"), L10N("settings.usage.sort")),
                m_sort));

            m_clearUsage = SettingsLook::makeActionButton(card, QStringLiteral("settingsClearUsageButton"),
                                                          L10N("settings.usage.clear"), {}, true);
            built.rows->addWidget(m_clearUsage, 0, Qt::AlignLeft);
            m_clearUsageError = SettingsLook::makeHelpLabel(card, QStringLiteral("settingsClearUsageError"));
            SettingsLook::setTextColor(m_clearUsageError, SettingsLook::failure());
            m_clearUsageError->hide();
            built.rows->addWidget(m_clearUsageError);

            m_clearValues = SettingsLook::makeActionButton(card, QStringLiteral("settingsClearRememberedValuesButton"),
                                                           L10N("settings.variable.recent.clear"), {}, true);
            built.rows->addWidget(m_clearValues, 0, Qt::AlignLeft);
        } else {
            m_packs =
                SettingsLook::makeActionButton(card, QStringLiteral("settingsInstallPackButton"),
                                               L10N("action.install.builtin.pack"), QStringLiteral("shippingbox"));
            built.rows->addWidget(m_packs, 0, Qt::AlignLeft);
            m_packsMenu = new QMenu(m_packs);
            m_packsMenu->setObjectName(QStringLiteral("settingsInstallPackMenu"));
        }
    }
    column->addStretch(1);

    connect(m_sort, &QComboBox::activated, this, [this](int index) {
        if (const auto mode = PromptSortModes::fromRawValue(m_sort->itemData(index).toString())) {
            m_deps.promptStore.setSortMode(*mode);
        }
    });
    connect(m_clearUsage, &BrandButton::clicked, this, &SettingsPromptsPage::clearUsage);
    connect(m_clearValues, &BrandButton::clicked, this, [this] { m_deps.variableValues.removeAll(); });
    connect(m_packs, &BrandButton::clicked, this, [this] {
        rebuildPacksMenu();
        m_packsMenu->popup(m_packs->mapToGlobal(QPoint(0, m_packs->height() + 2)));
    });
    connect(&m_deps.promptStore, &PromptStore::sortModeChanged, this, &SettingsPromptsPage::render);
    connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this, &SettingsPromptsPage::render);
    rebuildPacksMenu();
    render();
}

void SettingsPromptsPage::render() {
    const AppLanguage language = m_deps.languageStore.resolvedLanguage();
    const QSignalBlocker blocker(m_sort);
    const QList<PromptSortMode>& modes = PromptSortModes::allCases();
    for (int i = 0; i < modes.size(); ++i) {
        m_sort->setItemText(i, PromptSortModes::label(modes[i], language));
    }
    m_sort->setCurrentIndex(m_sort->findData(PromptSortModes::rawValue(m_deps.promptStore.sortMode())));
    AccessibleText::setName(m_sort, L10n::string(L10N("settings.usage.sort"), language));
    AccessibleText::setName(m_packsMenu, L10n::string(L10N("action.install.builtin.pack"), language));
}

void SettingsPromptsPage::rebuildPacksMenu() {
    m_packsMenu->clear();
    const AppLanguageStore& languages = m_deps.languageStore;
    // Resolved here, so a system choice follows the preferred languages the store was given.
    const QList<PromptPack>& packs = SettingsModel::builtInPacksFor(languages.resolvedLanguage(), {});
    for (const PromptPack& pack : packs) {
        QAction* action = m_packsMenu->addAction(pack.metadata.name);
        action->setObjectName(QStringLiteral("settingsInstallPack.") + pack.metadata.id);
        connect(action, &QAction::triggered, this,
                [this, pack] { m_deps.promptStore.installPromptPack(pack, std::nullopt); });
    }
}

void SettingsPromptsPage::clearUsage() {
    const AppLanguage language = m_deps.languageStore.resolvedLanguage();
    const bool confirmed = m_deps.confirmer.confirm(
        window(), L10n::string(L10N("settings.usage.clear.confirm.title"), language),
        L10n::string(L10N("settings.usage.clear.confirm.message"), language),
        L10n::string(L10N("settings.usage.clear"), language), L10n::string(L10N("action.cancel"), language), true);
    if (!confirmed) {
        return;
    }
    const Status cleared = m_deps.promptStore.usageStore().removeAll();
    // Cleared or not, what is shown sorted by usage is redrawn from the records as they now are.
    m_deps.promptStore.announceUsageChange();
    if (cleared) {
        m_clearUsageError->hide();
        return;
    }
    // The records stay as they were; say why, so the button does not seem to have done nothing.
    const AppError& error = cleared.error();
    const QString reason = error.message.isEmpty() ? AppLog::errorSummary(error) : error.message;
    SettingsLook::setText(m_clearUsageError, L10n::string(L10N("settings.usage.clear.failed"), language, reason));
    m_clearUsageError->show();
}
