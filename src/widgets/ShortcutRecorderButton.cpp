#include "widgets/ShortcutRecorderButton.h"

#include "widgets/accessibility/AccessibleText.h"

#include "model/Localization.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The "keyboard" and "record" symbols, painted so that no icon theme is needed.
QIcon symbol(bool recording) {
    const qreal scale = 2.0;
    QPixmap pixmap(QSize(16, 16) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tint = recording ? SheetLook::errorText() : SheetLook::secondaryText();
    painter.setPen(QPen(tint, 1.4));
    if (recording) {
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        painter.setBrush(tint);
        painter.drawEllipse(QRectF(5, 5, 6, 6));
    } else {
        painter.drawRoundedRect(QRectF(1, 3.5, 14, 9), 2, 2);
        painter.setBrush(tint);
        for (int column = 0; column < 4; ++column) {
            painter.drawRect(QRectF(3.2 + column * 2.8, 5.8, 0.6, 0.6));
        }
        painter.drawRect(QRectF(5, 9.2, 6, 0.6));
    }
    return QIcon(pixmap);
}

} // namespace

ShortcutRecorderButton::ShortcutRecorderButton(RecorderState::ValueAdapter adapter, Options options,
                                               HotKeySuspending* suspending, QWidget* parent)
    : QWidget(parent), m_state(std::move(adapter), suspending), m_options(std::move(options)) {
    setObjectName(QStringLiteral("shortcutRecorder"));
    m_state.setTextKeys(m_options.titleKey, m_options.recordHelpKey, m_options.invalidMessageKey);

    auto* layout = new QHBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    if (m_options.messageBelow) {
        layout->addStretch(1);
    }
    column->addLayout(layout);

    m_recordButton = new QPushButton(this);
    m_recordButton->setObjectName(QStringLiteral("shortcutRecordButton"));
    m_recordButton->setMinimumWidth(m_options.minimumWidth);
    m_recordButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_recordButton->setAutoDefault(false);
    QFont titleFont = SheetLook::baseFont(m_options.textSize);
    titleFont.setWeight(QFont::DemiBold);
    m_recordButton->setFont(titleFont);
    m_recordButton->installEventFilter(this);
    layout->addWidget(m_recordButton);

    if (m_options.allowsClear) {
        m_clearButton = new QPushButton(this);
        m_clearButton->setObjectName(QStringLiteral("shortcutClearButton"));
        m_clearButton->setAutoDefault(false);
        // A click must not take the focus from a recording button (that would stop it).
        m_clearButton->setFocusPolicy(Qt::TabFocus);
        m_clearButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        layout->addWidget(m_clearButton);
        connect(m_clearButton, &QPushButton::clicked, this, [this] { m_state.clearValue(); });
    }

    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(QStringLiteral("shortcutRecorderMessage"));
    m_messageLabel->setFont(SheetLook::captionFont(m_options.textSize));
    m_messageLabel->setWordWrap(true);
    QPalette palette = m_messageLabel->palette();
    palette.setColor(QPalette::WindowText, SheetLook::secondaryText());
    m_messageLabel->setPalette(palette);
    if (m_options.messageBelow) {
        m_messageLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
        column->addWidget(m_messageLabel);
    } else {
        layout->addWidget(m_messageLabel, 1);
        // Keeps the buttons at their size while no message is shown.
        layout->addStretch(1);
    }

    connect(m_recordButton, &QPushButton::clicked, this, [this] {
        // Keys are read while the button holds the focus; losing it ends the recording.
        m_recordButton->setFocus(Qt::OtherFocusReason);
        m_state.start();
    });
    connect(&m_state, &RecorderState::changed, this, &ShortcutRecorderButton::refresh);
    refresh();
}

ShortcutRecorderButton::~ShortcutRecorderButton() {
    m_state.stop();
}

void ShortcutRecorderButton::setAccessibleLabel(const QString& label) {
    if (m_accessibleLabel != label) {
        m_accessibleLabel = label;
        refresh();
    }
}

void ShortcutRecorderButton::refresh() {
    const AppLanguage language = L10n::currentLanguage();
    const bool recording = m_state.isRecording();
    m_recordButton->setText(m_state.buttonTitle());
    m_recordButton->setIcon(symbol(recording));
    m_recordButton->setToolTip(L10n::string(L10N("help.shortcut.record"), language));
    const QString help = L10n::string(L10N("help.shortcut.record"), language);
    if (m_accessibleLabel.isEmpty()) {
        AccessibleText::setName(m_recordButton, help);
        AccessibleText::setDescription(m_recordButton, m_state.buttonTitle());
    } else {
        AccessibleText::setName(m_recordButton, m_accessibleLabel);
        AccessibleText::setDescription(m_recordButton,
                                       m_state.buttonTitle() + L10n::string(L10N("list.separator"), language) + help);
    }
    if (m_clearButton != nullptr) {
        m_clearButton->setText(L10n::string(L10N("action.clear.shortcut"), language));
        AccessibleText::setName(m_clearButton, m_clearButton->text());
        m_clearButton->setEnabled(m_state.hasValue());
    }
    const QString message = m_state.message();
    m_messageLabel->setText(message);
    AccessibleText::setName(m_messageLabel, message);
    m_messageLabel->setVisible(!message.isEmpty());
}

void ShortcutRecorderButton::hideEvent(QHideEvent* event) {
    m_state.stop();
    QWidget::hideEvent(event);
}

void ShortcutRecorderButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        m_state.stop();
    }
    QWidget::changeEvent(event);
}

bool ShortcutRecorderButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_recordButton && event->type() == QEvent::FocusOut) {
        m_state.stop();
    }
    return QWidget::eventFilter(watched, event);
}
