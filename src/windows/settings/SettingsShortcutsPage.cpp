#include "windows/settings/SettingsShortcutsPage.h"

#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/TextSizeStore.h"
#include "widgets/BrandButton.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/IslandIcons.h"
#include "widgets/ShortcutRecorderButton.h"
#include "windows/settings/SettingsLook.h"
#include "windows/settings/SettingsModel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

SheetLook::TextSize recorderTextSize(PromptPanelTextSize size) {
    switch (size) {
    case PromptPanelTextSize::comfortable:
        return SheetLook::TextSize::comfortable;
    case PromptPanelTextSize::large:
        return SheetLook::TextSize::large;
    case PromptPanelTextSize::system:
        break;
    }
    return SheetLook::TextSize::system;
}

// The default's display text, semibold, at the window's text size.
QLabel* makeDefaultValue(QWidget* parent, const QString& objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    QFont font;
    font.setWeight(QFont::DemiBold);
    label->setFont(font);
    return label;
}

// "Using default": a check-mark circle and the text, in the secondary colour.
QWidget* makeUsingDefault(QWidget* parent, const QString& objectName) {
    auto* holder = new QWidget(parent);
    holder->setObjectName(objectName);
    auto* line = new QHBoxLayout(holder);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(5);
    auto* icon = new QLabel(holder);
    QPixmap pixmap(QSize(16, 16) * 2);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    IslandIcons::paint(painter, QStringLiteral("checkmark.circle"), QRectF(1, 1, 14, 14),
                       SettingsLook::secondaryText());
    painter.end();
    icon->setPixmap(pixmap);
    auto* text = new QLabel(holder);
    text->setObjectName(objectName + QStringLiteral("Text"));
    QFont font;
    font.setWeight(QFont::Medium);
    text->setFont(font);
    SettingsLook::setTextColor(text, SettingsLook::secondaryText());
    SettingsLook::setTextKey(text, L10N("settings.shortcut.using.default"));
    line->addWidget(icon);
    line->addWidget(text);
    return holder;
}

} // namespace

SettingsShortcutsPage::SettingsShortcutsPage(const SettingsDependencies& dependencies, QWidget* parent)
    : QWidget(parent), m_deps(dependencies) {
    setObjectName(QStringLiteral("settingsShortcutsPage"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(18);
    const SettingsLook::Section section = SettingsLook::makeSection(this, L10N("settings.shortcut"));
    column->addWidget(section.frame);
    column->addStretch(1);
    QWidget* card = section.rows->parentWidget();
    QVBoxLayout* rows = section.rows;
    ShortcutSettingsStore* store = &m_deps.shortcutStore;

    ShortcutRecorderButton::Options hotKeyOptions;
    hotKeyOptions.titleKey = L10N("shortcut.record.none");
    hotKeyOptions.recordHelpKey = L10N("shortcut.record.help");
    hotKeyOptions.invalidMessageKey = L10N("shortcut.record.invalid");
    hotKeyOptions.minimumWidth = 174;
    hotKeyOptions.messageBelow = true;
    hotKeyOptions.textSize = recorderTextSize(m_deps.textSizeStore.selection());
    m_hotKeyRecorder = new ShortcutRecorderButton(
        RecorderState::forValue<PromptKeyboardShortcut>(
            [store] { return std::optional<PromptKeyboardShortcut>(store->togglePanelShortcut()); },
            [](const PromptKeyboardShortcut& shortcut) { return shortcut.displayString(); },
            [](const KeyEventInfo& key) { return PromptKeyboardShortcut::fromEvent(key); },
            [store](const std::optional<PromptKeyboardShortcut>& shortcut) {
                if (shortcut) {
                    store->requestTogglePanelShortcut(*shortcut);
                }
            }),
        hotKeyOptions, m_deps.hotKeys, card);
    m_hotKeyRecorder->setObjectName(QStringLiteral("settingsHotKeyRecorder"));
    // The recorder's message sits under the row, so the row keeps its height while recording.
    rows->addWidget(SettingsLook::makeRow(
        card,
        SettingsLook::makeRowLabel(card, QStringLiteral("settingsHotKeyLabel"), L10N("settings.current.shortcut")),
        m_hotKeyRecorder));

    m_hotKeyDefault = makeDefaultValue(card, QStringLiteral("settingsHotKeyDefaultValue"));
    rows->addWidget(SettingsLook::makeRow(card,
                                          SettingsLook::makeRowLabel(card, QStringLiteral("settingsHotKeyDefaultLabel"),
                                                                     L10N("settings.default.shortcut")),
                                          m_hotKeyDefault));

    m_status = new QLabel(card);
    m_status->setObjectName(QStringLiteral("settingsHotKeyStatus"));
    m_status->setWordWrap(true);
    InterfaceEnvironment::setTextStyle(m_status, PromptPanelTextSizes::TextStyle::caption);
    rows->addWidget(m_status);

    const auto resetRow = [card](QWidget* usingDefault, BrandButton* reset, const QString& helpName) {
        auto* row = new QWidget(card);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(12);
        usingDefault->setParent(row);
        reset->setParent(row);
        line->addWidget(usingDefault, 0, Qt::AlignVCenter);
        line->addWidget(reset, 0, Qt::AlignVCenter);
        line->addStretch(1);
        QLabel* help = SettingsLook::makeHelpLabel(row, helpName, L10N("settings.shortcut.record.help"));
        help->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->addWidget(help, 1);
        return row;
    };
    m_hotKeyUsingDefault = makeUsingDefault(card, QStringLiteral("settingsHotKeyUsingDefault"));
    m_hotKeyReset = SettingsLook::makeActionButton(card, QStringLiteral("settingsHotKeyResetButton"),
                                                   L10N("action.reset.shortcut"));
    rows->addWidget(resetRow(m_hotKeyUsingDefault, m_hotKeyReset, QStringLiteral("settingsHotKeyRecordHelp")));

    auto* divider = new QFrame(card);
    divider->setObjectName(QStringLiteral("settingsShortcutDivider"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    SettingsLook::setTextColor(divider, IslandDesignTokens::white(0.14));
    rows->addWidget(divider);

    rows->addWidget(SettingsLook::makeHelpLabel(card, QStringLiteral("settingsTileShortcutHelp"),
                                                L10N("settings.prompt.tile.shortcut.help")));

    ShortcutRecorderButton::Options tileOptions;
    tileOptions.titleKey = L10N("shortcut.record.none");
    tileOptions.recordHelpKey = L10N("shortcut.tile.record.help");
    tileOptions.invalidMessageKey = L10N("shortcut.tile.record.invalid");
    tileOptions.minimumWidth = 174;
    tileOptions.messageBelow = true;
    tileOptions.textSize = hotKeyOptions.textSize;
    m_tileRecorder = new ShortcutRecorderButton(
        RecorderState::forValue<PromptTileShortcut>(
            [store] { return std::optional<PromptTileShortcut>(store->promptTileShortcut()); },
            [](const PromptTileShortcut& shortcut) { return shortcut.displayString(); },
            [](const KeyEventInfo& key) { return PromptTileShortcut::fromEvent(key); },
            [store](const std::optional<PromptTileShortcut>& shortcut) {
                if (shortcut) {
                    store->setPromptTileShortcut(*shortcut);
                }
            }),
        tileOptions, nullptr, card);
    m_tileRecorder->setObjectName(QStringLiteral("settingsTileRecorder"));
    rows->addWidget(SettingsLook::makeRow(
        card,
        SettingsLook::makeRowLabel(card, QStringLiteral("settingsTileLabel"), L10N("settings.prompt.tile.shortcut")),
        m_tileRecorder));

    m_tileDefault = makeDefaultValue(card, QStringLiteral("settingsTileDefaultValue"));
    rows->addWidget(SettingsLook::makeRow(card,
                                          SettingsLook::makeRowLabel(card, QStringLiteral("settingsTileDefaultLabel"),
                                                                     L10N("settings.default.tile.shortcut")),
                                          m_tileDefault));

    m_tileUsingDefault = makeUsingDefault(card, QStringLiteral("settingsTileUsingDefault"));
    m_tileReset =
        SettingsLook::makeActionButton(card, QStringLiteral("settingsTileResetButton"), L10N("action.reset.shortcut"));
    rows->addWidget(resetRow(m_tileUsingDefault, m_tileReset, QStringLiteral("settingsTileRecordHelp")));

    connect(m_hotKeyReset, &BrandButton::clicked, this,
            [store] { store->requestTogglePanelShortcut(PromptKeyboardShortcut::defaultTogglePanel()); });
    connect(m_tileReset, &BrandButton::clicked, this,
            [store] { store->setPromptTileShortcut(PromptTileShortcut::defaultShortcut()); });
    connect(store, &ShortcutSettingsStore::togglePanelShortcutChanged, this, &SettingsShortcutsPage::render);
    connect(store, &ShortcutSettingsStore::promptTileShortcutChanged, this, &SettingsShortcutsPage::render);
    connect(store, &ShortcutSettingsStore::hotKeyStatusChanged, this, &SettingsShortcutsPage::render);
    connect(&m_deps.languageStore, &AppLanguageStore::selectionChanged, this, &SettingsShortcutsPage::render);
    connect(&m_deps.textSizeStore, &TextSizeStore::selectionChanged, this, &SettingsShortcutsPage::applyRecorderFonts);
    render();
}

void SettingsShortcutsPage::render() {
    const ShortcutSettingsStore& store = m_deps.shortcutStore;
    // Each recorder is named by its row, so the two are told apart.
    const AppLanguage language = L10n::currentLanguage();
    m_hotKeyRecorder->setAccessibleLabel(L10n::string(L10N("settings.current.shortcut"), language));
    m_tileRecorder->setAccessibleLabel(L10n::string(L10N("settings.prompt.tile.shortcut"), language));
    m_hotKeyRecorder->refresh();
    m_tileRecorder->refresh();
    SettingsLook::setText(m_hotKeyDefault, PromptKeyboardShortcut::defaultTogglePanel().displayString());
    SettingsLook::setText(m_tileDefault, PromptTileShortcut::defaultShortcut().displayString());

    const QString message = store.hotKeyStatusMessage();
    SettingsLook::setText(m_status, message);
    SettingsLook::setTextColor(m_status,
                               SettingsLook::toneColor(SettingsModel::hotKeyStatusTone(store.hotKeyStatus().kind)));
    m_status->setVisible(!message.isEmpty());

    const bool hotKeyIsDefault = SettingsModel::isDefaultToggleShortcut(store.togglePanelShortcut());
    m_hotKeyUsingDefault->setVisible(hotKeyIsDefault);
    m_hotKeyReset->setVisible(!hotKeyIsDefault);
    const bool tileIsDefault = SettingsModel::isDefaultTileShortcut(store.promptTileShortcut());
    m_tileUsingDefault->setVisible(tileIsDefault);
    m_tileReset->setVisible(!tileIsDefault);
}

void SettingsShortcutsPage::applyRecorderFonts() {
    // The recorders take their fonts at construction; a new text size restyles them here.
    const SheetLook::TextSize size = recorderTextSize(m_deps.textSizeStore.selection());
    for (ShortcutRecorderButton* recorder : {m_hotKeyRecorder, m_tileRecorder}) {
        QFont title = SheetLook::baseFont(size);
        title.setWeight(QFont::DemiBold);
        recorder->recordButton()->setFont(title);
        recorder->messageLabel()->setFont(SheetLook::captionFont(size));
    }
}
