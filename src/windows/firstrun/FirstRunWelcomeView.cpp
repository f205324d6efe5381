#include "windows/firstrun/FirstRunWelcomeView.h"

#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "widgets/FirstRunLook.h"
#include "widgets/FirstRunRoundedFrame.h"
#include "widgets/FirstRunSymbols.h"
#include "widgets/InterfaceEnvironment.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

constexpr int buttonSymbolSize = 16;
constexpr int privacySymbolSize = 14;
constexpr int buttonPadding = 8;
constexpr int buttonHeight = 30;

} // namespace

FirstRunWelcomeView::FirstRunWelcomeView(const ShortcutSettingsStore* shortcutStore,
                                         const AppLanguageStore* languageStore, FirstRunWelcomeModel::Actions actions,
                                         QWidget* parent)
    : QWidget(parent), m_shortcutStore(shortcutStore), m_languageStore(languageStore), m_model(std::move(actions)) {
    setObjectName(QStringLiteral("firstRunWelcomeView"));
    setFixedSize(contentSize);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(28, 28, 28, 28);
    column->setSpacing(22);
    column->addStretch(1);

    auto* head = new QVBoxLayout;
    head->setSpacing(8);
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("firstRunWelcomeTitle"));
    m_subtitle = new QLabel(this);
    m_subtitle->setObjectName(QStringLiteral("firstRunWelcomeSubtitle"));
    m_subtitle->setWordWrap(true);
    head->addWidget(m_title);
    head->addWidget(m_subtitle);
    column->addLayout(head);

    auto* steps = new QVBoxLayout;
    steps->setSpacing(12);
    for (int number = 1; number <= 3; ++number) {
        auto* row = new FirstRunRoundedFrame(12, 0.08, 0.16, this);
        row->setObjectName(QStringLiteral("firstRunWelcomeStep.%1").arg(number));
        auto* line = new QHBoxLayout(row);
        // The badge reaches past the icon's top-left corner into the padding.
        line->setContentsMargins(14 - FirstRunSymbols::stepBadgeShift, 14 - FirstRunSymbols::stepBadgeShift, 14, 14);
        line->setSpacing(14);
        StepWidgets widgets;
        widgets.icon = new QLabel(row);
        widgets.icon->setObjectName(QStringLiteral("firstRunWelcomeStepIcon.%1").arg(number));
        const int iconSide = FirstRunSymbols::stepCircleSize + FirstRunSymbols::stepBadgeShift;
        widgets.icon->setFixedSize(iconSide, iconSide);
        auto* text = new QVBoxLayout;
        text->setContentsMargins(0, FirstRunSymbols::stepBadgeShift, 0, 0);
        text->setSpacing(4);
        widgets.title = new QLabel(row);
        widgets.title->setObjectName(QStringLiteral("firstRunWelcomeStepTitle.%1").arg(number));
        widgets.detail = new QLabel(row);
        widgets.detail->setObjectName(QStringLiteral("firstRunWelcomeStepDetail.%1").arg(number));
        widgets.detail->setWordWrap(true);
        text->addWidget(widgets.title);
        text->addWidget(widgets.detail);
        line->addWidget(widgets.icon, 0, Qt::AlignTop);
        line->addLayout(text, 1);
        steps->addWidget(row);
        m_steps.append(widgets);
    }
    column->addLayout(steps);

    auto* privacy = new QHBoxLayout;
    privacy->setSpacing(6);
    m_privacyIcon = new QLabel(this);
    m_privacyIcon->setObjectName(QStringLiteral("firstRunWelcomePrivacyIcon"));
    m_privacyIcon->setFixedSize(privacySymbolSize, privacySymbolSize);
    m_privacyNote = new QLabel(this);
    m_privacyNote->setObjectName(QStringLiteral("firstRunWelcomePrivacyNote"));
    m_privacyNote->setWordWrap(true);
    privacy->addWidget(m_privacyIcon, 0, Qt::AlignTop);
    privacy->addWidget(m_privacyNote, 1);
    column->addLayout(privacy);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    m_laterButton = addButton(QStringLiteral("firstRunWelcomeLaterButton"), FirstRunWelcomeFinish::later);
    m_openPanelButton = addButton(QStringLiteral("firstRunWelcomeOpenPanelButton"), FirstRunWelcomeFinish::openPanel);
    m_createButton =
        addButton(QStringLiteral("firstRunWelcomeCreateWorkspaceButton"), FirstRunWelcomeFinish::createWorkspace);
    m_createButton->setDefault(true);
    buttons->addWidget(m_laterButton);
    buttons->addStretch(1);
    buttons->addWidget(m_openPanelButton);
    buttons->addWidget(m_createButton);
    column->addLayout(buttons);
    column->addStretch(1);

    // Window-wide, so Return reaches the default button wherever the focus is.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, m_createButton, &QPushButton::click);
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, m_laterButton, &QPushButton::click);

    if (m_shortcutStore) {
        connect(m_shortcutStore, &ShortcutSettingsStore::togglePanelShortcutChanged, this, [this] { render(); });
    }
    if (m_languageStore) {
        connect(m_languageStore, &AppLanguageStore::selectionChanged, this, [this] { render(); });
    }
    applyFonts();
    render();
}

QPushButton* FirstRunWelcomeView::addButton(const QString& objectName, FirstRunWelcomeFinish kind) {
    auto* button = new QPushButton(this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this, kind] { m_model.finish(kind); });
    return button;
}

void FirstRunWelcomeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_model.rearm();
}

void FirstRunWelcomeView::closeEvent(QCloseEvent* event) {
    m_model.finish(FirstRunWelcomeFinish::windowClosed);
    event->accept();
}

void FirstRunWelcomeView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        render();
    } else if (event->type() == QEvent::FontChange) {
        // The text size reaches the labels and buttons after this root: size the buttons after.
        QMetaObject::invokeMethod(this, &FirstRunWelcomeView::render, Qt::QueuedConnection);
    }
}

void FirstRunWelcomeView::render() {
    const AppLanguage language = m_languageStore ? m_languageStore->resolvedLanguage() : L10n::currentLanguage();
    const PromptKeyboardShortcut shortcut =
        m_shortcutStore ? m_shortcutStore->togglePanelShortcut() : PromptKeyboardShortcut::defaultTogglePanel();
    const auto setText = [](QWidget* widget, const QString& text) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(text);
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            button->setText(text);
        }
        widget->setAccessibleName(text);
    };

    setWindowTitle(L10n::string(L10N("first.welcome.window.title"), language));
    setText(m_title, L10n::string(L10N("first.welcome.title"), language));
    setText(m_subtitle, L10n::string(L10N("first.welcome.subtitle"), language));
    applySecondaryColour(m_subtitle);

    const QPalette colours = palette();
    const QColor accent = FirstRunLook::accent(colours);
    const QFont badgeFont = FirstRunLook::font(FirstRunLook::TextRole::stepBadge, font());
    const QList<FirstRunWelcomeModel::Step> steps = FirstRunWelcomeModel::steps(shortcut, language);
    for (qsizetype i = 0; i < steps.size() && i < m_steps.size(); ++i) {
        const auto& step = steps.at(i);
        const StepWidgets& widgets = m_steps.at(i);
        widgets.icon->setPixmap(FirstRunSymbols::stepIcon(
            step.symbol, step.number, accent, FirstRunLook::onAccent(colours), badgeFont, devicePixelRatioF()));
        widgets.icon->setAccessibleName(QString::number(step.number));
        setText(widgets.title, step.title);
        setText(widgets.detail, step.detail);
        applySecondaryColour(widgets.detail);
    }

    const QColor secondary = FirstRunLook::secondary(colours);
    m_privacyIcon->setPixmap(
        FirstRunSymbols::pixmap(QStringLiteral("lock.shield"), secondary, privacySymbolSize, devicePixelRatioF()));
    setText(m_privacyNote, L10n::string(L10N("first.welcome.privacy"), language));
    applySecondaryColour(m_privacyNote);

    setText(m_laterButton, L10n::string(L10N("first.welcome.later"), language));
    setText(m_openPanelButton, L10n::string(L10N("first.welcome.open.panel"), language));
    setText(m_createButton, L10n::string(L10N("action.create.first.workspace"), language));
    FirstRunLook::stylePrimaryButton(m_createButton);
    const qreal ratio = devicePixelRatioF();
    m_openPanelButton->setIcon(FirstRunSymbols::pixmap(QStringLiteral("menubar.rectangle"),
                                                       colours.color(QPalette::ButtonText), buttonSymbolSize, ratio));
    m_createButton->setIcon(FirstRunSymbols::pixmap(QStringLiteral("folder.badge.plus"),
                                                    m_createButton->palette().color(QPalette::ButtonText),
                                                    buttonSymbolSize, ratio));
    for (QPushButton* button : {m_laterButton, m_openPanelButton, m_createButton}) {
        // Room around the text, which the style's own margins leave tight.
        button->setMinimumSize(0, 0);
        const QSize hint = button->sizeHint();
        button->setMinimumSize(hint.width() + 2 * buttonPadding, qMax(hint.height(), buttonHeight));
    }
    // A larger text size makes the guide taller, never cut.
    if (QLayout* column = layout()) {
        column->activate();
        const int needed = column->hasHeightForWidth() ? column->totalHeightForWidth(contentSize.width())
                                                       : column->totalMinimumSize().height();
        setFixedSize(contentSize.width(), qMax(contentSize.height(), needed));
    }
}

void FirstRunWelcomeView::applyFonts() {
    using FirstRunLook::TextRole;
    const QFont base = font();
    InterfaceEnvironment::setScaledFont(m_title, FirstRunLook::font(TextRole::welcomeTitle, base));
    InterfaceEnvironment::setScaledFont(m_subtitle, FirstRunLook::font(TextRole::welcomeBody, base));
    for (const StepWidgets& widgets : m_steps) {
        InterfaceEnvironment::setScaledFont(widgets.title, FirstRunLook::font(TextRole::stepTitle, base));
        InterfaceEnvironment::setScaledFont(widgets.detail, FirstRunLook::font(TextRole::stepDetail, base));
    }
    InterfaceEnvironment::setScaledFont(m_privacyNote, FirstRunLook::font(TextRole::privacyNote, base));
    for (QPushButton* button : {m_laterButton, m_openPanelButton, m_createButton}) {
        InterfaceEnvironment::setScaledFont(button, FirstRunLook::font(TextRole::welcomeBody, base));
    }
}

void FirstRunWelcomeView::applySecondaryColour(QLabel* label) {
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, FirstRunLook::secondary(palette()));
    label->setPalette(colours);
}
