#include "panel/island/IslandMorphState.h"

#include <QPointer>

using namespace std::chrono_literals;

namespace {

IslandAnimation standardCurve(std::chrono::milliseconds duration, std::chrono::milliseconds delay = 0ms) {
    return {IslandAnimation::Curve::standard, duration, delay};
}

IslandAnimation easeOut(std::chrono::milliseconds duration, std::chrono::milliseconds delay = 0ms) {
    return {IslandAnimation::Curve::easeOut, duration, delay};
}

} // namespace

IslandMorphState::IslandMorphState(std::shared_ptr<Scheduler> scheduler, QObject* parent)
    : QObject(parent), m_scheduler(std::move(scheduler)) {}

void IslandMorphState::setInteractionLocked(bool locked) {
    if (m_isInteractionLocked == locked) {
        return;
    }
    m_isInteractionLocked = locked;
    emit interactionLockedChanged(locked);
}

void IslandMorphState::setPinnedContext(const std::optional<AgentContext>& context) {
    if (m_pinnedContext == context) {
        return;
    }
    m_pinnedContext = context;
    emit pinnedContextChanged();
}

void IslandMorphState::setAccessibilityReduceMotion(bool reduceMotion) {
    if (m_accessibilityReduceMotion == reduceMotion) {
        return;
    }
    m_accessibilityReduceMotion = reduceMotion;
    emit accessibilityReduceMotionChanged(reduceMotion);
}

void IslandMorphState::open(bool reduceMotion) {
    ++m_transitionGeneration;
    setAccessibilityReduceMotion(reduceMotion);
    if (reduceMotion) {
        setExpanded(true, IslandAnimation::immediate());
        setContentVisible(true, easeOut(reducedMotionDuration));
        setToolbarVisible(true, easeOut(reducedMotionDuration));
        return;
    }
    setExpanded(true, standardCurve(openDuration));
    setContentVisible(true, easeOut(100ms, 60ms));
    setToolbarVisible(true, easeOut(100ms, 120ms));
}

void IslandMorphState::close(bool reduceMotion, std::function<void()> completion) {
    const qint64 generation = ++m_transitionGeneration;
    setAccessibilityReduceMotion(reduceMotion);
    setContentVisible(false, easeOut(100ms));
    setToolbarVisible(false, easeOut(100ms));
    if (reduceMotion) {
        // The shape jumps closed once the fade is over, unless another transition began meanwhile.
        QPointer<IslandMorphState> self(this);
        m_scheduler->schedule(reducedMotionDuration, [self, generation, completion = std::move(completion)] {
            if (self && self->m_transitionGeneration == generation) {
                self->setExpanded(false, IslandAnimation::immediate());
            }
            if (completion) {
                completion();
            }
        });
        return;
    }
    setExpanded(false, standardCurve(240ms, 40ms));
    m_scheduler->schedule(closeCompletionDelay, [completion = std::move(completion)] {
        if (completion) {
            completion();
        }
    });
}

void IslandMorphState::resetCollapsed() {
    ++m_transitionGeneration;
    setExpanded(false, IslandAnimation::immediate());
    setContentVisible(false, IslandAnimation::immediate());
    setToolbarVisible(false, IslandAnimation::immediate());
}

void IslandMorphState::setExpanded(bool expanded, IslandAnimation animation) {
    m_isExpanded = expanded;
    emit expandedChanged(expanded, animation);
}

void IslandMorphState::setContentVisible(bool visible, IslandAnimation animation) {
    m_contentVisible = visible;
    emit contentVisibleChanged(visible, animation);
}

void IslandMorphState::setToolbarVisible(bool visible, IslandAnimation animation) {
    m_toolbarVisible = visible;
    emit toolbarVisibleChanged(visible, animation);
}
