#include "panel/header/ContextHeaderView.h"

#include "model/Localization.h"
#include "panel/header/ContextHeaderPresentation.h"
#include "panel/header/EnvironmentInfoPopoverView.h"
#include "panel/header/ProjectConfigTrustBanner.h"
#include "panel/header/SourceNoticeView.h"
#include "widgets/accessibility/AccessibleText.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandDesignTokens.h"
#include "widgets/IslandIcons.h"
#include "widgets/MiddleElidedLabel.h"
#include "widgets/PanelLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A rounded fill (and optional outline) behind a row of children.
class Backdrop final : public QWidget {
public:
    Backdrop(qreal radius, QColor fill, QColor outline, QWidget* parent)
        : QWidget(parent), m_radius(radius), m_fill(fill), m_outline(outline) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        const qreal radius = m_radius < 0 ? height() / 2.0 : m_radius;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
        painter.fillPath(shape, m_fill);
        if (m_outline.alpha() > 0) {
            painter.setPen(QPen(m_outline, 1));
            painter.drawPath(shape);
        }
    }

private:
    qreal m_radius;
    QColor m_fill;
    QColor m_outline;
};

// The round diagnostics button: an "i" in a circle, brighter while the popover is open.
class InfoButton final : public QToolButton {
public:
    explicit InfoButton(QWidget* parent) : QToolButton(parent) {
        setFixedSize(40, 40);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool open = isChecked();
        const QRectF circle = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(IslandDesignTokens::white(open ? 0.14 : 0.07));
        painter.setPen(QPen(IslandDesignTokens::Brand::border, 1));
        painter.drawEllipse(circle);
        const QColor ink = open ? QColor(Qt::white) : IslandDesignTokens::white(0.72);
        const QRectF glyph(width() / 2.0 - 8, height() / 2.0 - 8, 16, 16);
        if (open) {
            painter.setBrush(ink);
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(glyph);
            painter.setPen(QPen(QColor(20, 20, 26), 1.8, Qt::SolidLine, Qt::RoundCap));
        } else {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(ink, 1.4));
            painter.drawEllipse(glyph.adjusted(0.7, 0.7, -0.7, -0.7));
            painter.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        }
        const qreal cx = glyph.center().x();
        painter.drawLine(QPointF(cx, glyph.top() + 7), QPointF(cx, glyph.bottom() - 4));
        painter.drawPoint(QPointF(cx, glyph.top() + 4.3));
    }
};

} // namespace

ContextHeaderView::ContextHeaderView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("contextHeader"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 0);
    layout->setSpacing(12);

    auto* firstRow = new QHBoxLayout;
    firstRow->setSpacing(12);
    auto* names = new QVBoxLayout;
    names->setSpacing(4);
    m_product = PanelLabel::make(QStringLiteral("headerTitle"), 22, IslandDesignTokens::Brand::textPrimary, this);
    QFont productFont = m_product->font();
    productFont.setBold(true);
    m_product->setFont(productFont);
    m_summary = new MiddleElidedLabel(this);
    m_summary->setObjectName(QStringLiteral("headerDetail"));
    m_summary->setPrefersFullWidth(true);
    PanelLabel::style(m_summary, 13, IslandDesignTokens::white(0.82));
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    names->addWidget(m_product);
    names->addWidget(m_summary);
    firstRow->addLayout(names, 1);

    m_countCapsule = new Backdrop(-1, IslandDesignTokens::white(0.075), Qt::transparent, this);
    m_countCapsule->setObjectName(QStringLiteral("promptCountCapsule"));
    m_countCapsule->setFixedHeight(40);
    auto* countLayout = new QHBoxLayout(m_countCapsule);
    countLayout->setContentsMargins(14, 0, 14, 0);
    countLayout->setSpacing(5);
    m_count = PanelLabel::make(QStringLiteral("promptCount"), 14, IslandDesignTokens::Brand::accent, m_countCapsule);
    QFont countFont = m_count->font();
    countFont.setBold(true);
    m_count->setFont(countFont);
    m_countSuffix =
        PanelLabel::make(QStringLiteral("promptCountSuffix"), 12, IslandDesignTokens::white(0.72), m_countCapsule);
    countLayout->addWidget(m_count);
    countLayout->addWidget(m_countSuffix);
    firstRow->addWidget(m_countCapsule);

    m_debugButton = new InfoButton(this);
    m_debugButton->setObjectName(QStringLiteral("debugToggle"));
    connect(m_debugButton, &QToolButton::clicked, this, [this] {
        if (onShowDebugDetailsChange) {
            onShowDebugDetailsChange(!m_input.showDebugDetails);
        }
    });
    firstRow->addWidget(m_debugButton);
    layout->addLayout(firstRow);

    m_unboundBanner = new Backdrop(14, IslandDesignTokens::white(0.065), IslandDesignTokens::white(0.07), this);
    m_unboundBanner->setObjectName(QStringLiteral("unboundBanner"));
    m_unboundBanner->setFixedHeight(44);
    auto* bannerLayout = new QHBoxLayout(m_unboundBanner);
    bannerLayout->setContentsMargins(15, 0, 15, 0);
    bannerLayout->setSpacing(10);
    auto* dot = new Backdrop(4, IslandDesignTokens::Brand::accent, Qt::transparent, m_unboundBanner);
    dot->setFixedSize(8, 8);
    bannerLayout->addWidget(dot);
    m_unboundText =
        PanelLabel::make(QStringLiteral("unboundText"), 13, IslandDesignTokens::white(0.82), m_unboundBanner);
    bannerLayout->addWidget(m_unboundText, 1);
    layout->addWidget(m_unboundBanner);

    m_error = PanelLabel::make(QStringLiteral("headerError"), 11,
                               IslandDesignTokens::withOpacity(QColor(255, 69, 58), 0.92), this);
    m_error->setWordWrap(true);
    layout->addWidget(m_error);

    m_trustBanner = new ProjectConfigTrustBanner(QString(), {}, this);
    m_trustBanner->setOnTrust([this] {
        // The banner trusts exactly the file it names, even if a newer match arrived meanwhile.
        const QString path = m_input.matchDetails.projectConfigPath.value_or(QString());
        if (onTrustProjectConfig && !path.isEmpty()) {
            onTrustProjectConfig(path);
        }
    });
    m_trustBanner->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(m_trustBanner);
    m_notice = new SourceNoticeView(QString(), this);
    layout->addWidget(m_notice);
    setInput(m_input);
}

ContextHeaderView::~ContextHeaderView() {
    if (m_popover != nullptr) {
        m_popover->onClosed = nullptr;
        delete m_popover;
    }
}

void ContextHeaderView::setInput(const Input& input) {
    m_input = input;
    const AppLanguage language = L10n::currentLanguage();
    const ContextHeaderLines lines =
        ContextHeaderLines::make(input.context, input.workspace, input.errorMessage, input.matchDetails, language);
    m_product->setText(L10n::string(L10N("product.name"), language));
    AccessibleText::setName(m_summary, lines.statusSummary);
    m_summary->setFullText(lines.statusSummary);
    m_count->setText(QString::number(input.promptCount));
    m_countSuffix->setText(
        L10n::string(input.promptCount == 1 ? L10N("prompt.count.suffix.one") : L10N("prompt.count.suffix"), language));
    AccessibleText::setName(m_countCapsule, m_count->text() + QLatin1Char(' ') + m_countSuffix->text());

    m_debugButton->setChecked(input.showDebugDetails);
    m_debugButton->setToolTip(L10n::string(L10N("help.debug.toggle"), language));
    AccessibleText::setName(m_debugButton,
                            L10n::string(input.showDebugDetails ? L10N("debug.hide") : L10N("debug.show"), language));
    m_debugButton->update();

    m_unboundBanner->setVisible(lines.unboundBanner.has_value());
    m_unboundText->setText(lines.unboundBanner.value_or(QString()));
    AccessibleText::setName(m_unboundBanner, m_unboundText->text());
    m_error->setVisible(lines.errorLine.has_value());
    m_error->setText(lines.errorLine.value_or(QString()));

    m_trustBanner->setVisible(lines.projectLine == ContextHeaderLines::ProjectLine::trustBanner);
    m_trustBanner->setConfigPath(lines.projectConfigPath);
    m_trustBanner->retranslate();
    m_notice->setVisible(lines.projectLine == ContextHeaderLines::ProjectLine::trustedNotice);
    m_notice->setText(L10n::string(L10N("project.config.trusted.notice"), language));
    syncPopover();
}

int ContextHeaderView::optionalLinesHeight(int width) const {
    const QMargins margins = layout()->contentsMargins();
    const int inner = width - margins.left() - margins.right();
    int height = 0;
    // isHidden, not isVisible: the panel measures its content before its window is shown.
    for (const QWidget* line : {m_unboundBanner, static_cast<QWidget*>(m_error), static_cast<QWidget*>(m_trustBanner),
                                static_cast<QWidget*>(m_notice)}) {
        if (!line->isHidden()) {
            const int wanted = line->hasHeightForWidth() ? line->heightForWidth(inner) : line->sizeHint().height();
            height += layout()->spacing() + qBound(line->minimumHeight(), wanted, line->maximumHeight());
        }
    }
    return height;
}

void ContextHeaderView::syncPopover() {
    if (!m_input.showDebugDetails) {
        if (m_popover != nullptr && m_popover->isVisible()) {
            m_popover->hide();
        }
        return;
    }
    if (m_popover == nullptr) {
        // A child of the panel's window, so focus rules and the window manager treat it as ours.
        m_popover = new EnvironmentInfoPopoverView(window());
        m_popover->onClosed = [this] {
            // A click outside closed it: the owner's state follows.
            if (m_input.showDebugDetails && onShowDebugDetailsChange) {
                onShowDebugDetailsChange(false);
            }
        };
    }
    m_popover->setTextSize(InterfaceEnvironment::textSize(this));
    m_popover->setInput({m_input.context, m_input.workspace, m_input.matchDetails, m_input.needsAutomationPermission,
                         m_input.detectionErrorMessage, m_input.statusMessage});
    if (!m_popover->isVisible() && isVisible()) {
        m_popover->popUp(m_debugButton);
    }
}
