#include "windows/settings/SettingsGeneralPage.h"

#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/TextSizeStore.h"
#include "model/seams/UrlOpening.h"
#include "services/LaunchAtLoginController.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/accessibility/NamedComboBoxAccessible.h"
#include "widgets/BrandButton.h"
#include "widgets/IslandDesignTokens.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsModel.h"
#include "windows/settings/SettingsSwitch.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QComboBox* makePicker(QWidget* parent, const QString& objectName) {
    NamedComboBoxAccessible::install();
    auto* picker = new QComboBox(parent);
    picker->setObjectName(objectName);
    picker->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    picker->setMinimumWidth(160);
    return picker;
}

} // namespace

SettingsGeneralPage::SettingsGeneralPage(const SettingsDependencies& dependencies, QWidget* parent)
    : QWidget(parent), m_deps(dependencies) {
    setObjectName(QStringLiteral("settingsGeneralPage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);

    for (const SettingsSection& section : SettingsModel::sectionsFor(SettingsCategory::general)) {
        const SettingsLook::Section built = SettingsLook::makeSection(this, section.titleKey);
        column->addWidget(built.frame);
        QWidget* card = built.rows->parentWidget();
        if (section.titleKey == QLatin1String("settings.display.feedback")) {
            m_language = makePicker(card, QStringLiteral("settingsLanguagePicker"));
            for (const AppLanguage language : AppLanguages::allCases()) {
                m_language->addItem(QString(), AppLanguages::rawValue(language));
            }
            built.rows->addWidget(
                SettingsLook::makeRow(card,
                                      SettingsLook::makeRowLabel(card, QStringLiteral("settingsLanguageLabel"),
                                                                 L10N("settings.language.title")),
                                      m_language));

            auto* segments = new QWidget(card);
            segments->setObjectName(QStringLiteral("settingsTextSizePicker"));
            auto* line = new QHBoxLayout(segments);
            line->setContentsMargins(0, 0, 0, 0);
            line->setSpacing(0);
            m_textSize = new QButtonGroup(segments);
            m_textSize->setExclusive(true);
            const QList<PromptPanelTextSize> sizes = PromptPanelTextSizes::allCases();
            for (int i = 0; i < sizes.size(); ++i) {
                auto* segment = new QPushButton(segments);
                segment->setObjectName(QStringLiteral("settingsTextSize.") + PromptPanelTextSizes::rawValue(sizes[i]));
                segment->setCheckable(true);
                // One choice of three: a radio button to assistive technology (the group keeps
                // it exclusive).
                segment->setAutoExclusive(true);
                segment->setAutoDefault(false);
                SettingsLook::setTextKey(segment, PromptPanelTextSizes::titleKey(sizes[i]));
                m_textSize->addButton(segment, int(sizes[i]));
                line->addWidget(segment);
            }
            built.rows->addWidget(
                SettingsLook::makeRow(card,
                                      SettingsLook::makeRowLabel(card, QStringLiteral("settingsTextSizeLabel"),
                                                                 L10N("settings.text.size.title")),
                                      segments));

            m_hover = new SettingsSwitch(card);
            m_hover->setObjectName(QStringLiteral("settingsHoverOpenSwitch"));
            SettingsLook::setTextKey(m_hover, L10N("settings.hover.open"));
            built.rows->addWidget(m_hover);
            built.rows->addWidget(SettingsLook::makeHelpLabel(card, QStringLiteral("settingsHoverOpenHelp"),
                                                              L10N("settings.hover.open.help")));

            m_haptics = new SettingsSwitch(card);
            m_haptics->setObjectName(QStringLiteral("settingsHapticsSwitch"));
            SettingsLook::setTextKey(m_haptics, L10N("settings.copy.haptics"));
            built.rows->addWidget(m_haptics);
            built.rows->addWidget(SettingsLook::makeHelpLabel(card, QStringLiteral("settingsHapticsHelp"),
                                                              L10N("settings.copy.haptics.help")));

            m_sound = makePicker(card, QStringLiteral("settingsCopySoundPicker"));
            for (const ShortcutSettingsStore::CopySoundOption& option : ShortcutSettingsStore::copySoundOptions()) {
                m_sound->addItem(QString(), option.soundName);
            }
            built.rows->addWidget(SettingsLook::makeRow(
                card,
                SettingsLook::makeRowLabel(card, QStringLiteral("settingsCopySoundLabel"), L10N("settings.copy.sound")),
                m_sound));
        } else {
            m_login = new SettingsSwitch(card);
            m_login->setObjectName(QStringLiteral("settingsLaunchAtLoginSwitch"));
            SettingsLook::setTextKey(m_login, L10N("settings.startup.launch.at.login"));
            built.rows->addWidget(m_login);
            m_startupHelp = SettingsLook::makeHelpLabel(card, QStringLiteral("settingsStartupHelp"));
            built.rows->addWidget(m_startupHelp);
            m_startupSettings = SettingsLook::makeActionButton(
                card, QStringLiteral("settingsOpenStartupSettingsButton"),
                L10N("settings.startup.open.system.settings"), QStringLiteral("gearshape"));
            built.rows->addWidget(m_startupSettings, 0, Qt::AlignLeft);
        }
    }
    column->addStretch(1);

    // User input only: activated and clicked never fire for a value set by render().
    connect(m_language, &QComboBox::activated, this, [this](int index) {
        if (const auto language = AppLanguages::fromRawValue(m_language->itemData(index).toString())) {
            m_deps.languageStore.setSelection(*language);
        }
    });
    connect(m_textSize, &QButtonGroup::idClicked, this,
            [this](int id) { m_deps.textSizeStore.setSelection(PromptPanelTextSize(id)); });
    connect(m_hover, &SettingsSwitch::clicked, this,
            [this](bool checked) { m_deps.shortcutStore.setHoverOpenEnabled(checked); });
    connect(m_haptics, &SettingsSwitch::clicked, this,
            [this](bool checked) { m_deps.shortcutStore.setCopyHapticsEnabled(checked); });
    connect(m_sound, &QComboBox::activated, this, [this](int index) {
        SettingsModel::chooseCopySound(m_deps.shortcutStore, m_sound->itemData(index).toString(),
                                       m_deps.selectCopySound);
    });
    connect(m_login, &SettingsSwitch::clicked, this,
            [this](bool checked) { m_deps.launchAtLogin.setEnabled(checked); });
    connect(m_startupSettings, &BrandButton::clicked, this,
            [this] { m_deps.urlOpener.openUrl(m_deps.startupSettingsUrl); });

    ShortcutSettingsStore* store = &m_deps.shortcutStore;
    connect(store, &ShortcutSettingsStore::hoverOpenEnabledChanged, this, &SettingsGeneralPage::render);
    connect(store, &ShortcutSettingsStore::copyHapticsEnabledChanged, this, &SettingsGeneralPage::render);
    connect(store, &ShortcutSettingsStore::copySoundNameChanged, this, &SettingsGeneralPage::render);
    connect(&m_deps.textSizeStore, &TextSizeStore::selectionChanged, this, &SettingsGeneralPage::render);
    connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this, &SettingsGeneralPage::render);
    connect(&m_deps.launchAtLogin, &LaunchAtLoginController::statusChanged, this, &SettingsGeneralPage::render);
    connect(&m_deps.launchAtLogin, &LaunchAtLoginController::hasErrorChanged, this, &SettingsGeneralPage::render);
    render();
}

void SettingsGeneralPage::render() {
    const AppLanguage language = m_deps.languageStore.resolvedLanguage();
    const ShortcutSettingsStore& store = m_deps.shortcutStore;
    {
        const QSignalBlocker blocker(m_language);
        const QList<AppLanguage> languages = AppLanguages::allCases();
        for (int i = 0; i < languages.size(); ++i) {
            m_language->setItemText(i, L10n::string(SettingsModel::languageTitleKey(languages[i]), language));
        }
        m_language->setCurrentIndex(m_language->findData(AppLanguages::rawValue(m_deps.languageStore.selection())));
        AccessibleText::setName(m_language, L10n::string(L10N("settings.language.title"), language));
    }
    {
        const QSignalBlocker blocker(m_textSize);
        if (QAbstractButton* selected = m_textSize->button(int(m_deps.textSizeStore.selection()))) {
            selected->setChecked(true);
            // The row's label names the group of choices too.
            AccessibleText::setName(selected->parentWidget(), L10n::string(L10N("settings.text.size.title"), language));
        }
        // The chosen segment in the steel tint, the others plain.
        for (QAbstractButton* segment : m_textSize->buttons()) {
            QPalette colours = palette();
            if (segment->isChecked()) {
                colours.setColor(QPalette::Button,
                                 IslandDesignTokens::withOpacity(IslandDesignTokens::Brand::steel, 0.75));
                colours.setColor(QPalette::ButtonText, Qt::white);
            }
            segment->setPalette(colours);
        }
    }
    {
        const QSignalBlocker hover(m_hover);
        const QSignalBlocker haptics(m_haptics);
        m_hover->setChecked(store.hoverOpenEnabled());
        m_haptics->setChecked(store.copyHapticsEnabled());
    }
    {
        const QSignalBlocker blocker(m_sound);
        const QList<ShortcutSettingsStore::CopySoundOption>& options = ShortcutSettingsStore::copySoundOptions();
        for (int i = 0; i < options.size(); ++i) {
            m_sound->setItemText(i, SettingsModel::copySoundTitle(options[i], language));
        }
        m_sound->setCurrentIndex(m_sound->findData(store.copySoundName()));
        AccessibleText::setName(m_sound, L10n::string(L10N("settings.copy.sound"), language));
    }
    {
        const LaunchAtLoginController& login = m_deps.launchAtLogin;
        const QSignalBlocker blocker(m_login);
        m_login->setChecked(login.status() == LaunchAtLoginStatus::enabled);
        m_login->setEnabled(login.canToggle());
        SettingsLook::setText(m_startupHelp,
                              L10n::string(SettingsModel::startupHelpKey(login.status(), login.hasError()), language));
        m_startupSettings->setVisible(SettingsModel::showsStartupSettingsButton(login.status()));
    }
}
