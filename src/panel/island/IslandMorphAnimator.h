#pragma once

#include "model/environment/Clock.h"
#include "panel/island/IslandMorphState.h"

#include <QEasingCurve>
#include <QObject>

#include <chrono>
#include <memory>

class FrameTicker;

// Turns the morph state's flags into the values the surface draws: how far the shape is open,
// the shadow's opacity, and the fade and slide of content and toolbar. Each flag change starts
// its own curve after its own delay, from wherever the value is at that moment. A frame ticker
// runs only while a value is moving; at rest nothing runs.
class IslandMorphAnimator : public QObject {
    Q_OBJECT
public:
    struct Presentation {
        qreal expansion = 0;      // 0 capsule .. 1 full shape
        qreal shadowOpacity = 0;  // follows the shape's flag with the shape's curve
        qreal islandOpacity = 1;  // the whole island; fades only under reduced motion
        qreal contentOpacity = 0; //
        qreal contentOffset = 0;  // vertical, pixels: -8 hidden .. 0 shown
        qreal toolbarOpacity = 0; //
        qreal toolbarOffset = 0;  // vertical, pixels: +8 hidden .. 0 shown
        bool contentAcceptsInput = false;
        bool toolbarAcceptsInput = false;
        bool reduceMotion = false;
    };

    // `clock` gives the frame times; tests pass a manual one and call tick() themselves.
    IslandMorphAnimator(IslandMorphState& state, std::shared_ptr<Clock> clock, QObject* parent = nullptr);
    ~IslandMorphAnimator() override;

    Presentation presentation() const;
    // Whether the frame ticker runs; it runs exactly while a value is moving.
    bool isAnimating() const;

    // Samples every moving value at the clock's time, stopping the ticker once all have arrived.
    void tick();

signals:
    void presentationChanged();

private:
    struct Channel {
        qreal value = 0;
        qreal from = 0;
        qreal to = 0;
        std::chrono::milliseconds start{0};
        std::chrono::milliseconds duration{0};
        QEasingCurve curve;
        bool moving = false;

        void sample(std::chrono::milliseconds now);
    };

    void retarget(Channel& channel, bool flag, const IslandAnimation& animation);
    std::chrono::milliseconds now() const { return m_clock->monotonicNow(); }

    IslandMorphState& m_state;
    std::shared_ptr<Clock> m_clock;
    Channel m_expansion;
    Channel m_content;
    Channel m_toolbar;
    FrameTicker* m_ticker = nullptr;
};
