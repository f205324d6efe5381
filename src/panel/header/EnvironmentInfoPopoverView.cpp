#include "panel/header/EnvironmentInfoPopoverView.h"

#include "panel/header/EnvironmentOverviewPresentation.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/accessibility/PopupAccessibility.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/IslandIcons.h"
#include "widgets/PanelLabel.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QColor orange(255, 159, 10);

// The text with a break opportunity (a zero-width space) between the characters of every run
// too long to be a word, such as an app id or a title without blanks, which a label would
// otherwise cut at its column's edge; words still wrap between them.
QString breakableText(const QString& text) {
    constexpr qsizetype longestWord = 12;
    QString result;
    result.reserve(text.size() * 2);
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype end = i;
        while (end < text.size() && !text.at(end).isSpace()) {
            ++end;
        }
        if (end - i > longestWord) {
            for (qsizetype j = i; j < end; ++j) {
                result.append(text.at(j));
                if (j + 1 < end && !text.at(j).isHighSurrogate()) {
                    result.append(QChar(0x200B));
                }
            }
        } else {
            result.append(QStringView(text).mid(i, end - i));
        }
        while (end < text.size() && text.at(end).isSpace()) {
            result.append(text.at(end++));
        }
        i = end;
    }
    return result;
}

class IconLabel final : public QWidget {
public:
    IconLabel(const QString& name, QWidget* parent) : QWidget(parent), m_name(name) { setFixedSize(18, 14); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        IslandIcons::paint(painter, m_name, QRectF(3, 1, 12, 12), IslandDesignTokens::white(0.82));
    }

private:
    QString m_name;
};

} // namespace

EnvironmentInfoPopoverView::EnvironmentInfoPopoverView(QWidget* parent) : QFrame(parent, Qt::Popup) {
    setObjectName(QStringLiteral("environmentPopover"));
    // Listed among the app's windows while shown, and focused when it opens, so a screen reader
    // finds the card and reads it (it has no controls of its own to take the focus).
    PopupAccessibility::expose(this);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    // The click that closes the card must not reach the info button too, or it would reopen it.
    setAttribute(Qt::WA_NoMouseReplay);
    setFixedWidth(330);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(14);
    m_title = PanelLabel::make(QStringLiteral("environmentTitle"), 15, IslandDesignTokens::Brand::textPrimary, this);
    QFont titleFont = m_title->font();
    titleFont.setWeight(QFont::DemiBold);
    // Every text of the card follows the panel's text size (the card is a window of its own, so it
    // does not inherit it).
    InterfaceEnvironment::setScaledFont(m_title, titleFont);
    layout->addWidget(m_title);
    auto* rows = new QWidget(this);
    m_rows = new QVBoxLayout(rows);
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    layout->addWidget(rows);
    m_automationHint = PanelLabel::make(QStringLiteral("automationHint"), 11, orange, this);
    m_automationHint->setWordWrap(true);
    InterfaceEnvironment::setScaledFont(m_automationHint, m_automationHint->font());
    m_detectionError = PanelLabel::make(QStringLiteral("detectionError"), 11, orange, this);
    m_detectionError->setWordWrap(true);
    InterfaceEnvironment::setScaledFont(m_detectionError, m_detectionError->font());
    layout->addWidget(m_automationHint);
    layout->addWidget(m_detectionError);
    setInput(m_input);
}

void EnvironmentInfoPopoverView::setInput(const Input& input) {
    m_input = input;
    // The size first, so the rows are made in their fonts: a font changed afterwards does not reach
    // the measurements their layouts keep while the card is hidden, and a wrapped value would be
    // given too few lines.
    applyInterfaceTextSize(this, m_textSize);
    const AppLanguage language = L10n::currentLanguage();
    m_title->setText(L10n::string(L10N("environment.overview.title"), language));
    AccessibleText::setName(this, m_title->text());
    while (QLayoutItem* item = m_rows->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QList<EnvironmentOverviewItem> items =
        EnvironmentOverviewPresentation::items(input.context, input.workspace, input.matchDetails, language);
    for (const EnvironmentOverviewItem& item : items) {
        auto* row = new QWidget(m_rows->parentWidget());
        row->setObjectName(QStringLiteral("environmentRow_") + item.id);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 9, 0, 9);
        rowLayout->setSpacing(10);
        rowLayout->addWidget(new IconLabel(item.icon, row));
        QLabel* title = PanelLabel::make(QStringLiteral("rowTitle"), 12, IslandDesignTokens::white(0.64), row);
        title->setText(item.title);
        InterfaceEnvironment::setScaledFont(title, title->font());
        // The column grows with the text size, as its text does.
        title->setFixedWidth(qRound(74.0 * PromptPanelTextSizes::basePixelSize(m_textSize) /
                                    PromptPanelTextSizes::basePixelSize(PromptPanelTextSize::system)));
        // At the larger text sizes and in other languages a title or a value can be longer than
        // its column: it wraps between words rather than being cut.
        title->setWordWrap(true);
        rowLayout->addWidget(title, 0, Qt::AlignTop);
        QLabel* value = PanelLabel::make(QStringLiteral("rowValue"), 13, IslandDesignTokens::white(0.82), row);
        value->setWordWrap(true);
        value->setText(breakableText(item.value));
        value->setToolTip(item.value);
        // Read as "App: Terminal": the whole value.
        AccessibleText::setName(value, item.title + QStringLiteral(": ") + item.value);
        InterfaceEnvironment::setScaledFont(value, value->font());
        rowLayout->addWidget(value, 1);
        m_rows->addWidget(row);
        row->show();
        if (item.id != items.last().id) {
            auto* divider = new QFrame(m_rows->parentWidget());
            divider->setObjectName(QStringLiteral("environmentDivider"));
            divider->setFixedHeight(1);
            divider->setAutoFillBackground(true);
            QPalette dividerPalette = divider->palette();
            dividerPalette.setColor(QPalette::Window, IslandDesignTokens::white(0.08));
            divider->setPalette(dividerPalette);
            m_rows->addWidget(divider);
            divider->show();
        }
    }
    m_automationHint->setText(L10n::string(L10N("automation.permission.hint"), language));
    m_automationHint->setVisible(input.needsAutomationPermission);
    m_detectionError->setText(input.detectionErrorMessage.value_or(QString()));
    m_detectionError->setVisible(input.detectionErrorMessage.has_value());
    setToolTip(EnvironmentOverviewPresentation::diagnosticTooltip(input.statusMessage, input.workspace,
                                                                  input.matchDetails, language));
    applyInterfaceTextSize(this, m_textSize);
    layout()->activate();
    fitHeight();
}

void EnvironmentInfoPopoverView::fitHeight() {
    // The height its rows take at its own fixed width. (adjustSize would measure them at the width
    // of its size hint, which a long value makes wider, and give a wrapped value too few lines.)
    resize(width(), layout()->totalHeightForWidth(width()));
}

void EnvironmentInfoPopoverView::setTextSize(PromptPanelTextSize size) {
    if (m_textSize != size) {
        m_textSize = size;
        setInput(m_input);
    }
}

void EnvironmentInfoPopoverView::popUp(const QWidget* anchor) {
    fitHeight();
    const QPoint below = anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height() + 6));
    QPoint topLeft(below.x() - width() / 2, below.y());
    if (const QScreen* screen = anchor->screen()) {
        const QRect available = screen->availableGeometry();
        topLeft.setX(qBound(available.left(), topLeft.x(), qMax(available.left(), available.right() - width())));
    }
    move(topLeft);
    show();
    if (QAccessible::isActive()) {
        // Tells assistive technology that the application has a new child to read.
        QAccessibleEvent created(this, QAccessible::ObjectCreated);
        QAccessible::updateAccessibility(&created);
    }
    setFocus(Qt::PopupFocusReason);
}

void EnvironmentInfoPopoverView::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    if (onClosed) {
        onClosed();
    }
}

void EnvironmentInfoPopoverView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
    // Opaque: without a backdrop blur the panel's text under a translucent fill reads through.
    painter.fillPath(shape, QColor(14, 15, 18));
    painter.setPen(QPen(IslandDesignTokens::white(0.16), 1));
    painter.drawPath(shape);
}
