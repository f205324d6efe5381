#include "panel/island/IslandMorphAnimator.h"

#include "panel/island/FrameTicker.h"
#include "panel/island/IslandGeometry.h"
#include "widgets/IslandCurves.h"

IslandMorphAnimator::IslandMorphAnimator(IslandMorphState& state, std::shared_ptr<Clock> clock, QObject* parent)
    : QObject(parent), m_state(state), m_clock(std::move(clock)) {
    m_ticker = new FrameTicker([this] { tick(); }, this);
    m_expansion.value = state.isExpanded() ? 1 : 0;
    m_content.value = state.contentVisible() ? 1 : 0;
    m_toolbar.value = state.toolbarVisible() ? 1 : 0;
    connect(&state, &IslandMorphState::expandedChanged, this,
            [this](bool expanded, IslandAnimation animation) { retarget(m_expansion, expanded, animation); });
    connect(&state, &IslandMorphState::contentVisibleChanged, this,
            [this](bool visible, IslandAnimation animation) { retarget(m_content, visible, animation); });
    connect(&state, &IslandMorphState::toolbarVisibleChanged, this,
            [this](bool visible, IslandAnimation animation) { retarget(m_toolbar, visible, animation); });
    connect(&state, &IslandMorphState::accessibilityReduceMotionChanged, this,
            &IslandMorphAnimator::presentationChanged);
}

IslandMorphAnimator::~IslandMorphAnimator() = default;

void IslandMorphAnimator::Channel::sample(std::chrono::milliseconds now) {
    if (!moving) {
        return;
    }
    if (now < start) {
        value = from;
        return;
    }
    const auto elapsed = now - start;
    if (duration.count() <= 0 || elapsed >= duration) {
        value = to;
        moving = false;
        return;
    }
    const qreal progress = curve.valueForProgress(qreal(elapsed.count()) / qreal(duration.count()));
    value = from + (to - from) * progress;
}

void IslandMorphAnimator::retarget(Channel& channel, bool flag, const IslandAnimation& animation) {
    const auto at = now();
    channel.sample(at);
    const qreal target = flag ? 1.0 : 0.0;
    if (animation.curve == IslandAnimation::Curve::none || animation.duration.count() <= 0) {
        channel.value = target;
        channel.moving = false;
    } else {
        // A new animation takes over from wherever the value is now.
        channel.from = channel.value;
        channel.to = target;
        channel.start = at + animation.delay;
        channel.duration = animation.duration;
        channel.curve =
            animation.curve == IslandAnimation::Curve::standard ? IslandCurves::standard() : IslandCurves::easeOut();
        channel.moving = !qFuzzyCompare(channel.from + 1.0, target + 1.0);
        if (!channel.moving) {
            channel.value = target;
        }
    }
    const bool moving = m_expansion.moving || m_content.moving || m_toolbar.moving;
    if (moving && m_ticker->state() != QAbstractAnimation::Running) {
        m_ticker->start();
    } else if (!moving) {
        m_ticker->stop();
    }
    emit presentationChanged();
}

bool IslandMorphAnimator::isAnimating() const {
    return m_ticker->state() == QAbstractAnimation::Running;
}

void IslandMorphAnimator::tick() {
    const bool wasAnimating = m_expansion.moving || m_content.moving || m_toolbar.moving;
    const auto at = now();
    m_expansion.sample(at);
    m_content.sample(at);
    m_toolbar.sample(at);
    if (!(m_expansion.moving || m_content.moving || m_toolbar.moving)) {
        m_ticker->stop();
    }
    if (wasAnimating) {
        emit presentationChanged();
    }
}

IslandMorphAnimator::Presentation IslandMorphAnimator::presentation() const {
    Presentation p;
    p.reduceMotion = m_state.accessibilityReduceMotion();
    p.expansion = m_expansion.value;
    p.shadowOpacity = m_expansion.value;
    p.contentAcceptsInput = m_state.contentVisible();
    p.toolbarAcceptsInput = m_state.toolbarVisible();
    if (p.reduceMotion) {
        // Nothing slides; the whole island fades with the content flag.
        p.islandOpacity = m_content.value;
        p.contentOpacity = 1;
        p.toolbarOpacity = 1;
        return p;
    }
    p.contentOpacity = m_content.value;
    p.contentOffset = -IslandGeometry::slideDistance * (1 - m_content.value);
    p.toolbarOpacity = m_toolbar.value;
    p.toolbarOffset = IslandGeometry::slideDistance * (1 - m_toolbar.value);
    return p;
}
