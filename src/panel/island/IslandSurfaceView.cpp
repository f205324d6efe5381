#include "panel/island/IslandSurfaceView.h"

#include "panel/island/IslandMorphState.h"
#include "widgets/InterfaceEnvironment.h"

#include <QGraphicsOpacityEffect>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Room around the full shape for the larger shadow's blur and offset.
constexpr int shadowMargin = 64;

struct ShadowLayer {
    qreal opacity;
    qreal blurRadius;
    qreal offsetY;
};
constexpr ShadowLayer shadowLayers[] = {{0.36, 28, 18}, {0.18, 6, 3}};

// One pass of a running-sum box blur over an 8-bit alpha plane, along rows or columns.
void boxBlurPass(std::vector<uint8_t>& plane, int width, int height, int radius, bool horizontal) {
    if (radius <= 0) {
        return;
    }
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int stride = horizontal ? 1 : width;
    const int window = 2 * radius + 1;
    std::vector<uint8_t> line(static_cast<size_t>(length));
    for (int l = 0; l < lines; ++l) {
        uint8_t* base = plane.data() + (horizontal ? size_t(l) * size_t(width) : size_t(l));
        for (int i = 0; i < length; ++i) {
            line[size_t(i)] = base[size_t(i) * size_t(stride)];
        }
        int sum = 0;
        for (int i = -radius; i <= radius; ++i) {
            sum += (i >= 0 && i < length) ? line[size_t(i)] : 0;
        }
        for (int i = 0; i < length; ++i) {
            base[size_t(i) * size_t(stride)] = uint8_t(sum / window);
            const int out = i - radius;
            const int in = i + radius + 1;
            sum += (in < length ? line[size_t(in)] : 0) - (out >= 0 ? line[size_t(out)] : 0);
        }
    }
}

// A soft shadow: the shape's coverage blurred by three box passes, which approach a Gaussian.
std::vector<uint8_t> blurredCoverage(const QSize& size, const QRectF& shape, qreal radius, qreal blur) {
    QImage coverage(size, QImage::Format_Alpha8);
    coverage.fill(0);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::Antialiasing, true);
        QPainterPath path;
        path.addRoundedRect(shape, radius, radius);
        p.fillPath(path, Qt::black);
    }
    std::vector<uint8_t> plane(size_t(size.width()) * size_t(size.height()));
    for (int y = 0; y < size.height(); ++y) {
        std::copy_n(coverage.constScanLine(y), size.width(), plane.data() + size_t(y) * size_t(size.width()));
    }
    // The blur radius spans about two standard deviations; three boxes of this size match it.
    const qreal sigma = blur / 2.0;
    const int box = std::max(0, int(std::lround((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0)));
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurPass(plane, size.width(), size.height(), box, true);
        boxBlurPass(plane, size.width(), size.height(), box, false);
    }
    return plane;
}

QImage renderShadow(const QSizeF& full) {
    const QSize size(int(std::ceil(full.width())) + 2 * shadowMargin, int(std::ceil(full.height())) + 2 * shadowMargin);
    std::vector<int> alpha(size_t(size.width()) * size_t(size.height()), 0);
    for (const ShadowLayer& layer : shadowLayers) {
        const QRectF shape(shadowMargin, shadowMargin + layer.offsetY, full.width(), full.height());
        const auto plane = blurredCoverage(size, shape, 36, layer.blurRadius);
        for (size_t i = 0; i < plane.size(); ++i) {
            // "Over" of two black layers: a + b(1 - a).
            const int a = alpha[i];
            const int b = int(std::lround(plane[i] * layer.opacity));
            alpha[i] = a + b * (255 - a) / 255;
        }
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            row[x] = qRgba(0, 0, 0, alpha[size_t(y) * size_t(size.width()) + size_t(x)]);
        }
    }
    // The plate itself is all but invisible.
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(shadowMargin, shadowMargin, full.width(), full.height()), 36, 36);
    p.fillPath(plate, QColor(0, 0, 0, 3));
    return image;
}

void setEffectOpacity(QGraphicsOpacityEffect* effect, qreal opacity) {
    // A full-opacity effect would still render through an extra pixmap.
    const bool needed = opacity < 0.999;
    effect->setEnabled(needed);
    if (needed) {
        effect->setOpacity(opacity);
    }
}

} // namespace

IslandSurfaceView::IslandSurfaceView(IslandMorphState& state, QWidget* content, QWidget* toolbar,
                                     std::shared_ptr<Clock> clock, QWidget* parent)
    : QWidget(parent), m_state(state), m_content(content), m_toolbar(toolbar) {
    setObjectName(QStringLiteral("islandSurface"));
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    if (!clock) {
        clock = std::make_shared<SystemClock>();
    }
    m_animator = new IslandMorphAnimator(state, std::move(clock), this);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("islandPanel"));
    m_panel->setAttribute(Qt::WA_TranslucentBackground);
    if (m_content) {
        m_content->setParent(m_panel);
        m_contentEffect = new QGraphicsOpacityEffect(m_content);
        m_content->setGraphicsEffect(m_contentEffect);
    }
    if (m_toolbar) {
        m_toolbar->setParent(m_panel);
        m_toolbarEffect = new QGraphicsOpacityEffect(m_toolbar);
        m_toolbar->setGraphicsEffect(m_toolbarEffect);
    }
    connect(m_animator, &IslandMorphAnimator::presentationChanged, this, &IslandSurfaceView::applyPresentation);
    applyPresentation();
}

IslandSurfaceView::~IslandSurfaceView() = default;

void IslandSurfaceView::setInsets(IslandGeometry::Insets insets) {
    m_insets = insets;
    m_shadow = {};
    m_glass = {};
    applyPresentation();
}

void IslandSurfaceView::setCompositing(bool compositing) {
    if (m_compositing == compositing) {
        return;
    }
    m_compositing = compositing;
    update();
}

IslandGeometry IslandSurfaceView::islandGeometry() const {
    return IslandGeometry::forWindow(QSizeF(size()), m_insets);
}

QRegion IslandSurfaceView::currentMask() const {
    return m_mask;
}

QRectF IslandSurfaceView::currentShapeRect() const {
    return islandGeometry().shapeRect(m_animator->presentation().expansion);
}

void IslandSurfaceView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyPresentation();
}

void IslandSurfaceView::applyPresentation() {
    const auto presentation = m_animator->presentation();
    InterfaceEnvironment::setReduceMotion(this, presentation.reduceMotion);
    layoutChildren(presentation);

    const IslandGeometry geometry = islandGeometry();
    const QRegion mask = geometry.maskRegion(presentation.expansion);
    // The panel's children are clipped to the shape as well; the glass is clipped when painted.
    m_panel->setMask(mask.translated(-m_panel->pos()));
    if (mask != m_mask) {
        m_mask = mask;
        emit maskChanged(m_mask);
    }
    update();
}

void IslandSurfaceView::layoutChildren(const IslandMorphAnimator::Presentation& presentation) {
    const IslandGeometry geometry = islandGeometry();
    const QRect panel = geometry.panelRect().toAlignedRect();
    m_panel->setGeometry(panel);
    const int toolbarHeight = m_toolbar ? std::max(0, m_toolbar->sizeHint().height()) : 0;
    const int contentHeight = std::max(0, panel.height() - toolbarHeight);
    if (m_content) {
        m_content->setGeometry(0, int(std::lround(presentation.contentOffset)), panel.width(), contentHeight);
        m_content->setAttribute(Qt::WA_TransparentForMouseEvents, !presentation.contentAcceptsInput);
        setEffectOpacity(m_contentEffect, presentation.contentOpacity * presentation.islandOpacity);
    }
    if (m_toolbar) {
        m_toolbar->setGeometry(0, contentHeight + int(std::lround(presentation.toolbarOffset)), panel.width(),
                               toolbarHeight);
        m_toolbar->setAttribute(Qt::WA_TransparentForMouseEvents, !presentation.toolbarAcceptsInput);
        setEffectOpacity(m_toolbarEffect, presentation.toolbarOpacity * presentation.islandOpacity);
    }
}

void IslandSurfaceView::paintEvent(QPaintEvent*) {
    const auto presentation = m_animator->presentation();
    if (presentation.islandOpacity <= 0) {
        return;
    }
    const IslandGeometry geometry = islandGeometry();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setOpacity(presentation.islandOpacity);
    if (m_compositing && presentation.shadowOpacity > 0) {
        paintShadow(painter, geometry, presentation.shadowOpacity * presentation.islandOpacity, presentation.expansion,
                    presentation.islandOpacity >= 1.0);
        painter.setOpacity(presentation.islandOpacity);
    }
    // The glass is drawn once per size; each frame fills the shape with it in one pass.
    const QRectF panel = geometry.panelRect();
    const QSize panelSize = panel.size().toSize();
    if (m_glass.isNull() || m_glassForSize != panelSize) {
        m_glass = QImage(panelSize, QImage::Format_ARGB32_Premultiplied);
        m_glass.fill(Qt::transparent);
        QPainter glassPainter(&m_glass);
        glassPainter.setRenderHint(QPainter::Antialiasing, true);
        paintGlass(glassPainter, QRectF(QPointF(0, 0), panel.size()));
        m_glassForSize = panelSize;
    }
    QBrush glass(m_glass);
    glass.setTransform(QTransform::fromTranslate(panel.left(), panel.top()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glass);
    painter.drawPath(geometry.shapePath(presentation.expansion));
}

void IslandSurfaceView::paintShadow(QPainter& painter, const IslandGeometry& geometry, qreal opacity, qreal expansion,
                                    bool excludeShape) {
    const QRectF panel = geometry.panelRect();
    const QSize key = panel.size().toSize();
    if (m_shadow.isNull() || m_shadowForSize != key) {
        m_shadow = renderShadow(panel.size());
        m_shadowForSize = key;
    }
    const QPoint origin = QPointF(panel.left() - shadowMargin, panel.top() - shadowMargin).toPoint();
    QRegion visible(QRect(origin, m_shadow.size()));
    if (excludeShape) {
        // The opaque glass will cover the shape's inside (all but its rounded corners), so the
        // shadow under it need not be blended.
        const QRectF shape = geometry.shapeRect(expansion);
        const qreal r = geometry.cornerRadius(expansion);
        visible -= QRegion(shape.adjusted(r, 1, -r, -1).toRect());
        visible -= QRegion(shape.adjusted(1, r, -1, -r).toRect());
    }
    painter.save();
    painter.setOpacity(opacity);
    for (const QRect& target : visible) {
        painter.drawImage(target, m_shadow, target.translated(-origin));
    }
    painter.restore();
}

void IslandSurfaceView::paintGlass(QPainter& painter, const QRectF& panel) const {
    const qreal radius = IslandGeometry::glassCornerRadius;
    QPainterPath shape;
    shape.addRoundedRect(panel, radius, radius);
    painter.setClipPath(shape, Qt::IntersectClip);

    // No backdrop blur here: an opaque dark fill stands in for the translucent material (with a
    // compositor, a window behind would otherwise read through the island).
    painter.fillRect(panel, QColor(38, 40, 48));
    painter.fillRect(panel, QColor(0, 0, 0, int(0.74 * 255)));

    QLinearGradient sheen(panel.topLeft(), panel.bottomRight());
    sheen.setColorAt(0.0, QColor(255, 255, 255, int(0.07 * 255)));
    sheen.setColorAt(0.5, QColor(0, 0, 0, 0));
    sheen.setColorAt(1.0, QColor(0, 0, 0, int(0.2 * 255)));
    painter.fillRect(panel, sheen);

    const QRectF highlightRect(panel.left(), panel.top(), panel.width(), std::min<qreal>(150, panel.height()));
    QLinearGradient highlight(highlightRect.topLeft(), QPointF(highlightRect.left(), panel.top() + 150));
    highlight.setColorAt(0.0, QColor(255, 255, 255, int(0.16 * 255)));
    highlight.setColorAt(0.5, QColor(255, 255, 255, int(0.045 * 255)));
    highlight.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(highlightRect, highlight);

    QLinearGradient edge(panel.topLeft(), panel.bottomLeft());
    edge.setColorAt(0.0, QColor(255, 255, 255, int(0.24 * 255)));
    edge.setColorAt(0.5, QColor(255, 255, 255, int(0.12 * 255)));
    edge.setColorAt(1.0, QColor(255, 255, 255, int(0.04 * 255)));
    QPainterPath border;
    border.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    painter.setPen(QPen(QBrush(edge), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(border);
}
