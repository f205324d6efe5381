#include "TestEnvironment.h"

#include "panel/island/IslandMorphState.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(IslandAnimation)

class TestIslandMorphState : public QObject {
    Q_OBJECT

    struct Flags {
        bool expanded, content, toolbar;
        bool operator==(const Flags&) const = default;
    };
    static Flags flags(const IslandMorphState& state) {
        return {state.isExpanded(), state.contentVisible(), state.toolbarVisible()};
    }

private slots:
    void openAnimatesShapeThenContentThenToolbar() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        QSignalSpy expanded(&state, &IslandMorphState::expandedChanged);
        QSignalSpy content(&state, &IslandMorphState::contentVisibleChanged);
        QSignalSpy toolbar(&state, &IslandMorphState::toolbarVisibleChanged);
        state.open(false);
        QCOMPARE(flags(state), (Flags{true, true, true}));
        QCOMPARE(expanded.first().at(1).value<IslandAnimation>(),
                 (IslandAnimation{IslandAnimation::Curve::standard, 320ms, 0ms}));
        QCOMPARE(content.first().at(1).value<IslandAnimation>(),
                 (IslandAnimation{IslandAnimation::Curve::easeOut, 100ms, 60ms}));
        QCOMPARE(toolbar.first().at(1).value<IslandAnimation>(),
                 (IslandAnimation{IslandAnimation::Curve::easeOut, 100ms, 120ms}));
        QCOMPARE(env.scheduler().pendingCount(), 0);
    }

    void reducedOpenJumpsTheShapeAndFadesTogether() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        QSignalSpy expanded(&state, &IslandMorphState::expandedChanged);
        QSignalSpy toolbar(&state, &IslandMorphState::toolbarVisibleChanged);
        state.open(true);
        QVERIFY(state.accessibilityReduceMotion());
        QCOMPARE(expanded.first().at(1).value<IslandAnimation>(), IslandAnimation::immediate());
        QCOMPARE(toolbar.first().at(1).value<IslandAnimation>(),
                 (IslandAnimation{IslandAnimation::Curve::easeOut, 100ms, 0ms}));
        state.open(false);
        QVERIFY(!state.accessibilityReduceMotion());
    }

    void fullCloseCompletesAfter300msEvenAfterAnOpen() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        state.open(false);
        int completions = 0;
        state.close(false, [&] { ++completions; });
        QCOMPARE(flags(state), (Flags{false, false, false}));
        env.scheduler().advance(100ms);
        state.open(false);
        env.scheduler().advance(199ms);
        QCOMPARE(completions, 0);
        env.scheduler().advance(1ms);
        QCOMPARE(completions, 1);
        QCOMPARE(flags(state), (Flags{true, true, true}));
    }

    void reducedCloseThenOpenStaysExpandedAndCompletesOnce() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        state.open(true);
        int completions = 0;
        state.close(true, [&] { ++completions; });
        QVERIFY(state.isExpanded()); // the shape waits for the fade
        env.scheduler().advance(50ms);
        state.open(true);
        env.scheduler().advance(50ms);
        QCOMPARE(completions, 1);
        QCOMPARE(flags(state), (Flags{true, true, true}));
        env.scheduler().advance(1s);
        QCOMPARE(completions, 1);
    }

    void reducedCloseCollapsesAfterTheFade() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        state.open(true);
        bool done = false;
        state.close(true, [&] { done = true; });
        env.scheduler().advance(100ms);
        QVERIFY(done);
        QCOMPARE(flags(state), (Flags{false, false, false}));
    }

    void twoClosesGiveTwoCompletions() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        int completions = 0;
        state.close(false, [&] { ++completions; });
        env.scheduler().advance(100ms);
        state.close(false, [&] { ++completions; });
        env.scheduler().advance(200ms);
        QCOMPARE(completions, 1);
        env.scheduler().advance(100ms);
        QCOMPARE(completions, 2);
    }

    void resetKeepsLockAndContextAndSkipsAPendingCollapse() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        state.setInteractionLocked(true);
        state.setPinnedContext(AgentContext::unknown());
        state.open(true);
        state.close(true, {});
        state.open(true);
        state.resetCollapsed();
        QCOMPARE(flags(state), (Flags{false, false, false}));
        QVERIFY(state.isInteractionLocked());
        QVERIFY(state.pinnedContext().has_value());
        state.open(true);
        env.scheduler().advance(100ms); // the earlier close's collapse must not run
        QVERIFY(state.isExpanded());
    }

    void lockAndContextAnnounceRealChangesOnly() {
        TestEnvironment env;
        IslandMorphState state(env.environment().scheduler);
        QSignalSpy locks(&state, &IslandMorphState::interactionLockedChanged);
        QSignalSpy contexts(&state, &IslandMorphState::pinnedContextChanged);
        state.setInteractionLocked(true);
        state.setInteractionLocked(true);
        state.setPinnedContext(AgentContext::unknown());
        state.setPinnedContext(AgentContext::unknown());
        QCOMPARE(locks.count(), 1);
        QCOMPARE(contexts.count(), 1);
    }

    void destroyedStateStillRunsTheCompletion() {
        TestEnvironment env;
        bool done = false;
        {
            IslandMorphState state(env.environment().scheduler);
            state.close(true, [&] { done = true; });
        }
        env.scheduler().advance(100ms);
        QVERIFY(done);
    }
};

QTEST_GUILESS_MAIN(TestIslandMorphState)
#include "tst_islandmorphstate.moc"
