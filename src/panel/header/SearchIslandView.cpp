#include "panel/header/SearchIslandView.h"
#include "widgets/InterfaceEnvironment.h"

#include "model/Localization.h"
#include "model/TextPrimitives.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/IslandDesignTokens.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

QIcon magnifierIcon() {
    QPixmap pixmap(32, 32);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 184), 1.6));
    painter.drawEllipse(QRectF(2.5, 2.5, 8, 8));
    painter.drawLine(QPointF(9.5, 9.5), QPointF(13.5, 13.5));
    return QIcon(pixmap);
}

QIcon clearIcon() {
    QPixmap pixmap(28, 28);
    pixmap.setDevicePixelRatio(2);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 255, 255, 184));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(0.5, 0.5, 13, 13));
    painter.setPen(QPen(QColor(30, 30, 36), 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(4.5, 4.5), QPointF(9.5, 9.5));
    painter.drawLine(QPointF(9.5, 4.5), QPointF(4.5, 9.5));
    return QIcon(pixmap);
}

} // namespace

SearchIslandView::SearchIslandView(std::function<void(const QString&)> onSearchQueryChange, QWidget* parent)
    : QWidget(parent), m_onSearchQueryChange(std::move(onSearchQueryChange)) {
    setObjectName(QStringLiteral("searchIsland"));
    setFixedHeight(44);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 0, 12, 0);
    layout->setSpacing(8);

    // A picture, not a button: it does nothing, so assistive technology should not offer it.
    auto* icon = new QLabel(this);
    icon->setPixmap(magnifierIcon().pixmap(QSize(16, 16), devicePixelRatioF()));
    icon->setFixedSize(24, 24);
    icon->setAlignment(Qt::AlignCenter);
    icon->setObjectName(QStringLiteral("searchIcon"));
    layout->addWidget(icon);

    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setFrame(false);
    // The search text follows the interface text size.
    InterfaceEnvironment::setTextStyle(m_field, PromptPanelTextSizes::TextStyle::body);
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::PlaceholderText, QColor(255, 255, 255, 120));
    m_field->setPalette(palette);
    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        updateClearButton();
        if (m_onSearchQueryChange) {
            m_onSearchQueryChange(text);
        }
    });
    layout->addWidget(m_field, 1);

    m_clear = new QToolButton(this);
    m_clear->setObjectName(QStringLiteral("searchClear"));
    m_clear->setIcon(clearIcon());
    m_clear->setIconSize(QSize(14, 14));
    m_clear->setAutoRaise(true);
    m_clear->setFocusPolicy(Qt::NoFocus);
    m_clear->setCursor(Qt::PointingHandCursor);
    connect(m_clear, &QToolButton::clicked, this, [this] {
        focusField();
        m_field->clear();
    });
    layout->addWidget(m_clear);
    retranslate();
    updateClearButton();
}

void SearchIslandView::retranslate() {
    const QString placeholder = L10n::string(L10N("search.placeholder"), std::nullopt);
    m_field->setPlaceholderText(placeholder);
    AccessibleText::setName(m_field, placeholder);
    const QString clear = L10n::string(L10N("action.clear.search"), std::nullopt);
    AccessibleText::setName(m_clear, clear);
    m_clear->setToolTip(clear);
}

void SearchIslandView::setText(const QString& text) {
    if (m_field->text() == text) {
        return;
    }
    const QSignalBlocker blocker(m_field);
    m_field->setText(text);
    updateClearButton();
}

QString SearchIslandView::text() const {
    return m_field->text();
}

void SearchIslandView::focusField() {
    m_field->setFocus(Qt::OtherFocusReason);
}

void SearchIslandView::updateClearButton() {
    m_clear->setVisible(!Text::trimWhitespaceAndNewlines(m_field->text()).isEmpty());
}

void SearchIslandView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 22, 22);
    painter.fillPath(path, QColor(255, 255, 255, 22));
    painter.setPen(QPen(IslandDesignTokens::Brand::border, 1));
    painter.drawPath(path);
}
