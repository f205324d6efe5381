#pragma once

#include "model/AgentContext.h"
#include "model/environment/Scheduler.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// How one flag of the island moves to its new value: the curve, how long, and after what delay.
// The flag itself takes its new value at once; whoever draws it animates towards it.
struct IslandAnimation {
    enum class Curve {
        none,     // jump to the end at once, cancelling any running animation of the flag
        standard, // cubic Bézier (0.4, 0.0) (0.2, 1.0)
        easeOut,
    };
    Curve curve = Curve::none;
    std::chrono::milliseconds duration{0};
    std::chrono::milliseconds delay{0};

    bool operator==(const IslandAnimation&) const = default;

    static IslandAnimation immediate() { return {}; }
};

// How far the island is open: the status controller opens and closes it, the surface draws it,
// and the panel view reads the pinned context and holds the interaction lock. It keeps no timer
// of its own; the two delayed steps of a close are one-shot items on the scheduler.
class IslandMorphState : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds openDuration{320};
    static constexpr std::chrono::milliseconds closeCompletionDelay{300};
    static constexpr std::chrono::milliseconds reducedMotionDuration{100};

    explicit IslandMorphState(std::shared_ptr<Scheduler> scheduler, QObject* parent = nullptr);

    bool isExpanded() const { return m_isExpanded; }
    bool contentVisible() const { return m_contentVisible; }
    bool toolbarVisible() const { return m_toolbarVisible; }
    bool isInteractionLocked() const { return m_isInteractionLocked; }
    const std::optional<AgentContext>& pinnedContext() const { return m_pinnedContext; }
    bool accessibilityReduceMotion() const { return m_accessibilityReduceMotion; }

    void setInteractionLocked(bool locked);
    void setPinnedContext(const std::optional<AgentContext>& context);
    void setAccessibilityReduceMotion(bool reduceMotion);

    // Starts opening and returns at once.
    void open(bool reduceMotion);
    // Starts closing; `completion` runs once, on the main thread, when the window may be hidden:
    // 0.3 s after every full close (even when an open came in between: callers guard it), 0.1 s
    // after a reduced one.
    void close(bool reduceMotion, std::function<void()> completion);
    // Back to closed at once, without animation or completion.
    void resetCollapsed();

signals:
    // Emitted on every assignment of the flag, with the way it should move.
    void expandedChanged(bool expanded, IslandAnimation animation);
    void contentVisibleChanged(bool visible, IslandAnimation animation);
    void toolbarVisibleChanged(bool visible, IslandAnimation animation);
    // Emitted only when the value changes.
    void interactionLockedChanged(bool locked);
    void pinnedContextChanged();
    void accessibilityReduceMotionChanged(bool reduceMotion);

private:
    void setExpanded(bool expanded, IslandAnimation animation);
    void setContentVisible(bool visible, IslandAnimation animation);
    void setToolbarVisible(bool visible, IslandAnimation animation);

    std::shared_ptr<Scheduler> m_scheduler;
    bool m_isExpanded = false;
    bool m_contentVisible = false;
    bool m_toolbarVisible = false;
    bool m_isInteractionLocked = false;
    std::optional<AgentContext> m_pinnedContext;
    bool m_accessibilityReduceMotion = false;
    qint64 m_transitionGeneration = 0;
};
