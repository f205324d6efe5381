#include "panel/tiles/FullPromptPreviewCard.h"

#include "panel/tiles/TileIcons.h"
#include "panel/tiles/TileLook.h"
#include "widgets/accessibility/AccessibleText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

namespace {

constexpr int padding = 22;
constexpr int spacing = 10;
constexpr int cornerRadius = 26;
constexpr int buttonHeight = 30;

QFont captionFont() {
    QFont font;
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    return font;
}

QIcon symbolIcon(bool copied) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = copied ? QColor(Qt::black) : TileLook::white(0.9);
    if (copied) {
        TileIcons::checkmark(painter, QRectF(4, 4, 24, 24), color, 3.2);
    } else {
        // Two overlapping pages.
        painter.setPen(QPen(color, 2.6));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(11, 4, 16, 19), 3, 3);
        painter.drawRoundedRect(QRectF(5, 10, 16, 19), 3, 3);
    }
    return QIcon(pixmap);
}

} // namespace

FullPromptPreviewCard::FullPromptPreviewCard(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("fullPromptPreviewCard"));
    setFixedSize(cardSize);
    setAttribute(Qt::WA_TranslucentBackground);

    m_copy = new QPushButton(this);
    m_copy->setObjectName(QStringLiteral("fullPromptPreviewCopy"));
    m_copy->setFocusPolicy(Qt::NoFocus);
    m_copy->setFixedHeight(buttonHeight);
    m_copy->hide();
    connect(m_copy, &QPushButton::clicked, this, [this] {
        if (m_onCopy) {
            m_onCopy();
        }
    });

    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("fullPromptPreviewText"));
    m_text->setReadOnly(true);
    m_text->setAcceptRichText(false);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setLineWrapMode(QTextEdit::WidgetWidth);
    m_text->viewport()->setAutoFillBackground(false);
    m_text->setStyleSheet(QStringLiteral("QTextEdit { background: transparent; }"));
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::Text, TileLook::white(0.9));
    palette.setColor(QPalette::Base, Qt::transparent);
    m_text->setPalette(palette);
    m_text->document()->setDocumentMargin(0);
    setTextInteractive(true);
    setLanguage(std::nullopt);
    relayout();
}

void FullPromptPreviewCard::setPrompt(const PromptItem& prompt) {
    const bool textChanged = prompt.text != m_bodyText;
    m_promptID = prompt.id;
    m_titleText = prompt.title.toString();
    m_bodyText = prompt.text.toString();
    AccessibleText::setName(this, m_titleText);
    if (textChanged) {
        m_text->setPlainText(m_bodyText);
        applyTextFormat();
        m_text->verticalScrollBar()->setValue(0);
    }
    relayout();
    update();
}

void FullPromptPreviewCard::setCopied(bool copied) {
    if (m_copied != copied) {
        m_copied = copied;
        updateCopyButton();
        update();
    }
}

void FullPromptPreviewCard::setShowsCopyAction(bool shows) {
    m_showsCopyAction = shows;
    m_copy->setVisible(shows);
    relayout();
    update();
}

void FullPromptPreviewCard::setOnCopy(std::function<void()> onCopy) {
    m_onCopy = std::move(onCopy);
}

void FullPromptPreviewCard::setTypography(const TileTypography& typography) {
    if (m_typography == typography) {
        return;
    }
    m_typography = typography;
    m_text->setFont(typography.previewBodyFont());
    applyTextFormat();
    relayout();
    update();
}

void FullPromptPreviewCard::setLanguage(std::optional<AppLanguage> language) {
    m_language = language;
    AccessibleText::setDescription(this, L10n::string(L10N("title.preview.full.prompt"), language));
    updateCopyButton();
    update();
}

void FullPromptPreviewCard::setTextInteractive(bool interactive) {
    m_text->setTextInteractionFlags(interactive ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                                : Qt::NoTextInteraction);
    m_text->setFocusPolicy(interactive ? Qt::ClickFocus : Qt::NoFocus);
}

void FullPromptPreviewCard::updateCopyButton() {
    m_copy->setText(m_copied ? L10n::string(L10N("prompt.copied"), m_language)
                             : L10n::string(L10N("action.copy"), m_language));
    AccessibleText::setName(m_copy, m_copy->text());
    m_copy->setIcon(symbolIcon(m_copied));
    // The look of the panel's toolbar buttons: primary (light) only while copied.
    m_copy->setStyleSheet(m_copied ? QStringLiteral("QPushButton { color: black; background: rgba(255,255,255,235); "
                                                    "border: none; border-radius: 15px; padding: 0 10px; }")
                                   : QStringLiteral("QPushButton { color: rgba(255,255,255,230); background: "
                                                    "rgba(255,255,255,28); border: 1px solid rgba(255,255,255,23); "
                                                    "border-radius: 15px; padding: 0 10px; }"));
    relayout();
}

void FullPromptPreviewCard::applyTextFormat() {
    QTextCursor cursor(m_text->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(m_typography.lineSpacing, QTextBlockFormat::LineDistanceHeight);
    cursor.mergeBlockFormat(format);
}

qreal FullPromptPreviewCard::headerHeight() const {
    const qreal caption = QFontMetricsF(captionFont()).height();
    return m_showsCopyAction ? std::max<qreal>(caption, buttonHeight) : caption;
}

void FullPromptPreviewCard::relayout() {
    const int inner = cardSize.width() - 2 * padding;
    m_title.setText(m_titleText, m_typography.previewTitleFont(), inner, 2, m_typography.lineSpacing);
    const qreal header = headerHeight();
    if (m_showsCopyAction) {
        m_copy->adjustSize();
        m_copy->move(cardSize.width() - padding - m_copy->width(), padding + int((header - buttonHeight) / 2));
    }
    const qreal titleTop = padding + header + spacing + 1 + spacing;
    const int textTop = int(std::ceil(titleTop + m_title.height() + spacing));
    m_text->setGeometry(padding, textTop, inner, cardSize.height() - padding - textTop);
}

void FullPromptPreviewCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(TileLook::white(m_copied ? 0.28 : 0.16), 1));
    painter.setBrush(TileLook::overlayFill());
    painter.drawRoundedRect(bounds, cornerRadius, cornerRadius);

    const qreal header = headerHeight();
    const QFont caption = captionFont();
    painter.setFont(caption);
    painter.setPen(TileLook::white(0.72));
    const qreal captionWidth = cardSize.width() - 2 * padding - (m_showsCopyAction ? m_copy->width() + spacing : 0);
    const QString captionText = QFontMetricsF(caption).elidedText(
        L10n::string(L10N("title.preview.full.prompt"), m_language), Qt::ElideRight, captionWidth);
    painter.drawText(QRectF(padding, padding, captionWidth, header), Qt::AlignLeft | Qt::AlignVCenter, captionText);

    const qreal separatorY = padding + header + spacing;
    painter.setPen(Qt::NoPen);
    painter.setBrush(TileLook::white(0.16));
    painter.drawRect(QRectF(padding, separatorY, cardSize.width() - 2 * padding, 1));

    m_title.paint(painter, QPointF(padding, separatorY + 1 + spacing), TileLook::white(0.98));
}
