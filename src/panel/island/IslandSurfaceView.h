#pragma once

#include "model/environment/Clock.h"
#include "panel/island/IslandGeometry.h"
#include "panel/island/IslandMorphAnimator.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class IslandMorphState;
class QGraphicsOpacityEffect;

// The island: a dark glass slab that grows from a capsule at the top centre of its window into
// the full panel, with the panel's content above its bottom toolbar. Content and toolbar keep
// their full-size geometry throughout; they only slide and fade, and take input only while their
// flag says they are visible. Fill the panel window with it.
//
// Without a compositor the window shows only the island's shape: connect maskChanged to the
// window's setMask. With one, call setCompositing(true) on a translucent window and the shadow
// shows.
class IslandSurfaceView : public QWidget {
    Q_OBJECT
public:
    // `content` and `toolbar` become children of the surface. Without a clock the system's is used.
    IslandSurfaceView(IslandMorphState& state, QWidget* content, QWidget* toolbar, std::shared_ptr<Clock> clock = {},
                      QWidget* parent = nullptr);
    ~IslandSurfaceView() override;

    void setInsets(IslandGeometry::Insets insets);
    // Whether a compositor draws the window with its alpha channel: then the shadow is painted.
    void setCompositing(bool compositing);
    bool isCompositing() const { return m_compositing; }

    IslandGeometry islandGeometry() const;
    // The island's shape now, in this widget's coordinates (the window's, when it fills it).
    QRegion currentMask() const;
    QRectF currentShapeRect() const;
    IslandMorphAnimator& animator() { return *m_animator; }
    const IslandMorphAnimator& animator() const { return *m_animator; }

    QWidget* content() const { return m_content; }
    QWidget* toolbar() const { return m_toolbar; }

signals:
    // The shape changed; `mask` as currentMask().
    void maskChanged(const QRegion& mask);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyPresentation();
    void layoutChildren(const IslandMorphAnimator::Presentation& presentation);
    void paintShadow(QPainter& painter, const IslandGeometry& geometry, qreal opacity, qreal expansion,
                     bool excludeShape);
    void paintGlass(QPainter& painter, const QRectF& panel) const;

    IslandMorphState& m_state;
    IslandMorphAnimator* m_animator = nullptr;
    QPointer<QWidget> m_content;
    QPointer<QWidget> m_toolbar;
    QWidget* m_panel = nullptr;
    QGraphicsOpacityEffect* m_contentEffect = nullptr;
    QGraphicsOpacityEffect* m_toolbarEffect = nullptr;
    IslandGeometry::Insets m_insets;
    bool m_compositing = false;
    QRegion m_mask;
    QImage m_shadow;
    QSize m_shadowForSize;
    QImage m_glass;
    QSize m_glassForSize;
};
