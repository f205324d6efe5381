// Latencies of the application shell as the user sees them, on the private X server of
// tests/e2e/with-display (script/bench runs bench_x11_* programs there), with the Release app:
// - from the global hot key (an XTest key press) to the panel window being mapped;
// - from the start of the process to the status item (the capsule: no tray host runs) being mapped.
// Each repetition is one measured run; the median over the repetitions is the figure to read.

#include "X11Bench.h"

#include <benchmark/benchmark.h>

namespace {

using X11Bench::App;
using X11Bench::Clock;
using X11Bench::Display;

// From the spawn of the process to the capsule's MapNotify.
void BM_StartToStatusItemMapped(benchmark::State& state) {
    Display display;
    if (!display.ok()) {
        state.SkipWithError("no X display");
        return;
    }
    for (auto _ : state) {
        App app;
        const Clock::time_point started = Clock::now();
        if (!app.start()) {
            state.SkipWithError("the app did not start");
            return;
        }
        xcb_window_t capsule = XCB_WINDOW_NONE;
        std::optional<Clock::time_point> mapped;
        if (display.waitFor(
                [&capsule](xcb_generic_event_t* event) { return X11Bench::isCapsuleCreated(event, capsule); },
                std::chrono::seconds(10))) {
            display.watch(capsule);
            // Mapped before we listened: count it now, which can only make the figure larger.
            mapped = display.isViewable(capsule) ? std::optional(Clock::now())
                                                 : display.waitForMapped(capsule, std::chrono::seconds(10));
        }
        if (!mapped) {
            state.SkipWithError("the status item was not mapped");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*mapped - started).count());
    }
}
BENCHMARK(BM_StartToStatusItemMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(15);

// From the XTest press of Super+Shift+P to the panel's MapNotify; the panel is closed again
// (unmeasured) between the runs.
void BM_HotKeyToPanelMapped(benchmark::State& state) {
    static Display display;
    static App app;
    static xcb_window_t panel = XCB_WINDOW_NONE;
    static bool setUp = false;
    if (!display.ok()) {
        state.SkipWithError("no X display");
        return;
    }
    if (!setUp) {
        setUp = true;
        xcb_window_t capsule = XCB_WINDOW_NONE;
        if (!app.start() ||
            !display.waitFor(
                [&capsule](xcb_generic_event_t* event) { return X11Bench::isCapsuleCreated(event, capsule); },
                std::chrono::seconds(10))) {
            state.SkipWithError("the app did not start");
            return;
        }
        // Let the launch settle (the hot key grab, the first load of the library).
        ::usleep(1000 * 1000);
        panel = display.hiddenPanel();
        display.watch(panel);
    }
    if (panel == XCB_WINDOW_NONE) {
        state.SkipWithError("no panel window");
        return;
    }
    for (auto _ : state) {
        const Clock::time_point pressed = Clock::now();
        display.typeHotKey();
        const std::optional<Clock::time_point> mapped = display.waitForMapped(panel, std::chrono::seconds(5));
        if (!mapped) {
            state.SkipWithError("the hot key did not map the panel");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*mapped - pressed).count());
        display.typeHotKey();
        if (!display.waitForUnmapped(panel, std::chrono::seconds(5))) {
            state.SkipWithError("the hot key did not close the panel");
            return;
        }
        ::usleep(50 * 1000);
        display.drain();
    }
}
BENCHMARK(BM_HotKeyToPanelMapped)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(25);

} // namespace

BENCHMARK_MAIN();
