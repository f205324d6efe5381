// The island panel of the Release app answering keys, on the private X server of
// tests/e2e/with-display (script/bench runs bench_x11_* programs there), with 10,000 prompts
// loaded: the global prompts that the panel shows (100, 1,000 or 1,880) and workspaces that no
// context matches holding the rest.
// For each number of prompts shown, each figure is the time from the XTest key press to the last
// repaint of the panel's window (XDamage; a repaint is the last when none follows within 200 ms):
// - HotKeyToFirstFrame: the hot key on a closed panel, to its first repaint;
// - Type: "e" in the empty search (every prompt still matches);
// - NarrowingKey: "9" in the empty search (a third of the prompts stay);
// - Backspace: from "9" back to the empty search;
// - EscapeClears: Escape on "9";
// - LayoutSwitch: a click on the other layout of the first section's switch;
// - Down: one of twenty Down presses in a row.
// With 1,880 shown, also:
// - IdleHidden: over 60 s (ORRIS_BENCH_IDLE_SECONDS) with the panel hidden, per minute: the CPU
//   ticks (1/100 s), the times a thread of the process went to sleep (so woke up again: the
//   wake-ups) and the times one was preempted;
// - TwentyOpenings: the resident memory after the first opening and after twenty, in kB.
// The median over the repetitions is the figure to read; "max" is the worst of them.

#include "BenchLibrary.h"
#include "X11Bench.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <thread>

namespace {

using namespace std::chrono_literals;
using X11Bench::App;
using X11Bench::Clock;
using X11Bench::Display;
using X11Bench::ProcessCounters;

constexpr int loadedPrompts = 10'000;
constexpr xcb_keysym_t keyE = 0x65;
constexpr xcb_keysym_t keyNine = 0x39;
constexpr xcb_keysym_t keyBackspace = 0xff08;
constexpr xcb_keysym_t keyEscape = 0xff1b;
constexpr xcb_keysym_t keyDown = 0xff54;
constexpr auto quiet = 200ms;

// The grid and list buttons of the first section's switch, from the panel's top right corner
// (the panel is 520 wide; the switch sits at the right end of the first section's title row).
constexpr int listButtonFromRight = 104;
constexpr int gridButtonFromRight = 140;
constexpr int switchFromTop = 214;

std::string globalPrompts(int count) {
    std::string yaml = "prompts:\n";
    for (int i = 0; i < count; ++i) {
        yaml += BenchLibrary::promptBlock(i).toStdString();
    }
    return yaml;
}

// Workspaces of at most 1,000 prompts each, matched by folders that do not exist.
std::vector<std::pair<std::string, std::string>> workspaceFiles(int first, int count) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int file = 0; count > 0; ++file) {
        const int here = std::min(count, 1000);
        std::string yaml = "workspace:\n  name: \"Workspace " + std::to_string(file) +
                           "\"\n  match_paths:\n    - \"/nonexistent/project-" + std::to_string(file) +
                           "\"\n\nprompts:\n";
        for (int i = 0; i < here; ++i) {
            yaml += BenchLibrary::promptBlock(first++).toStdString();
        }
        files.emplace_back(".orris-hollows/workspaces/workspace-" + std::to_string(file) + ".yaml", yaml);
        count -= here;
    }
    return files;
}

// One app showing `shown` prompts, its panel watched for repaints.
class Session {
public:
    explicit Session(int shown) : shown(shown) {
        app.writeFile(".config/orris-hollows/settings.ini",
                      "[General]\nOrrisHollows.firstRunWelcomeCompleted.v1=true\n"
                      "OrrisHollows.firstRunTipsDismissed.v1=true\nOrrisHollows.panelLayoutMode.v1=grid\n");
        app.writeFile(".orris-hollows/global.yaml", globalPrompts(shown));
        for (const auto& [path, content] : workspaceFiles(shown, loadedPrompts - shown)) {
            app.writeFile(path, content);
        }
        xcb_window_t capsule = XCB_WINDOW_NONE;
        if (!display.ok() || !app.start() ||
            !display.waitFor(
                [&capsule](xcb_generic_event_t* event) { return X11Bench::isCapsuleCreated(event, capsule); }, 10s)) {
            error = "the app did not start";
            return;
        }
        // Let the launch settle: the hot key grab, the first load of the library.
        std::this_thread::sleep_for(3s);
        panel = display.hiddenPanel();
        if (panel == XCB_WINDOW_NONE) {
            error = "no panel window";
            return;
        }
        display.watch(panel);
        if (std::getenv("ORRIS_BENCH_DEBUG") != nullptr) {
            std::fprintf(stderr, "panel window 0x%x\n", panel);
        }
        if (!display.watchRepaints(panel)) {
            error = "no XDamage extension";
        }
    }

    bool open() {
        if (isOpen) {
            return true;
        }
        display.drain();
        display.typeHotKey();
        if (!display.waitForMapped(panel, 5s)) {
            error = "the hot key did not map the panel";
            return false;
        }
        isOpen = true;
        restPointer();
        // The initial selection follows a moment after the panel shows.
        display.lastRepaint(600ms, 2s);
        return true;
    }

    bool close() {
        if (!isOpen) {
            return true;
        }
        if (!search.empty()) {
            press(keyEscape);
        }
        display.drain();
        display.typeHotKey();
        if (!display.waitForUnmapped(panel, 5s)) {
            error = "the hot key did not close the panel";
            return false;
        }
        isOpen = false;
        std::this_thread::sleep_for(100ms);
        display.drain();
        return true;
    }

    // Presses a key and waits until the panel has settled; the time to its last repaint.
    std::optional<std::chrono::duration<double>> press(xcb_keysym_t key) {
        display.drain();
        const Clock::time_point pressed = Clock::now();
        display.chord({key});
        const std::optional<Clock::time_point> last = display.lastRepaint(quiet, 3s);
        if (key == keyEscape) {
            search.clear();
        } else if (key == keyBackspace) {
            search = search.empty() ? search : search.substr(0, search.size() - 1);
        } else if (key == keyE || key == keyNine) {
            search += char(key);
        }
        if (!last) {
            return std::nullopt;
        }
        return *last - pressed;
    }

    std::optional<std::chrono::duration<double>> clickLayout(bool list) {
        const auto origin = display.origin(panel);
        if (!origin) {
            return std::nullopt;
        }
        display.drain();
        const Clock::time_point pressed = Clock::now();
        display.click(origin->first + 520 - (list ? listButtonFromRight : gridButtonFromRight),
                      origin->second + switchFromTop);
        const std::optional<Clock::time_point> last = display.lastRepaint(quiet, 3s);
        restPointer();
        display.lastRepaint(quiet, 1s);
        if (!last) {
            return std::nullopt;
        }
        return *last - pressed;
    }

    // On the panel's title: away from the tiles, so that no hover preview opens, and inside
    // the panel, which closes when the pointer leaves it.
    void restPointer() {
        if (const auto origin = display.origin(panel)) {
            display.movePointer(origin->first + 100, origin->second + 40);
        }
    }

    const int shown;
    Display display;
    App app;
    xcb_window_t panel = XCB_WINDOW_NONE;
    bool isOpen = false;
    bool listLayout = false;
    std::string search;
    std::string error;
};

std::unique_ptr<Session> session;

Session* sessionShowing(benchmark::State& state, int shown) {
    if (!session || session->shown != shown) {
        session.reset();
        session = std::make_unique<Session>(shown);
    }
    if (!session->error.empty()) {
        state.SkipWithError(session->error.c_str());
        return nullptr;
    }
    return session.get();
}

// Measures `measured` after `prepare`, the panel open or closed as asked.
void measureKey(benchmark::State& state, int shown, bool openPanel, const std::function<bool(Session&)>& prepare,
                const std::function<std::optional<std::chrono::duration<double>>(Session&)>& measured) {
    Session* s = sessionShowing(state, shown);
    if (s == nullptr) {
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        const bool ready = (openPanel ? s->open() : s->close()) && prepare(*s);
        state.ResumeTiming();
        if (!ready) {
            state.SkipWithError(s->error.empty() ? "could not prepare the panel" : s->error.c_str());
            return;
        }
        const std::optional<std::chrono::duration<double>> time = measured(*s);
        if (!time) {
            state.SkipWithError("the panel did not repaint");
            return;
        }
        state.SetIterationTime(time->count());
    }
}

bool emptySearch(Session& s) {
    while (!s.search.empty()) {
        s.press(keyBackspace);
    }
    return true;
}

bool searchNine(Session& s) {
    emptySearch(s);
    s.press(keyNine);
    return s.search == "9";
}

void hotKeyToFirstFrame(benchmark::State& state, int shown) {
    measureKey(
        state, shown, false, [](Session&) { return true; },
        [](Session& s) -> std::optional<std::chrono::duration<double>> {
            s.display.drain();
            const Clock::time_point pressed = Clock::now();
            s.display.typeHotKey();
            const std::optional<Clock::time_point> first = s.display.firstRepaint(5s);
            if (!first) {
                return std::nullopt;
            }
            s.isOpen = true;
            s.display.lastRepaint(600ms, 2s);
            return *first - pressed;
        });
}

void idleHidden(benchmark::State& state, int shown) {
    Session* s = sessionShowing(state, shown);
    if (s == nullptr) {
        return;
    }
    const char* configured = std::getenv("ORRIS_BENCH_IDLE_SECONDS");
    const int seconds = configured != nullptr ? std::max(1, std::atoi(configured)) : 60;
    for (auto _ : state) {
        if (!s->close()) {
            state.SkipWithError(s->error.c_str());
            return;
        }
        // The panel's own closing work and the deferred work of the last keys end first.
        std::this_thread::sleep_for(2s);
        const std::optional<ProcessCounters> before = ProcessCounters::read(s->app.pid());
        X11Bench::SwitchCounter switches(s->app.pid());
        const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
        while (Clock::now() < end) {
            std::this_thread::sleep_for(250ms);
            switches.sample();
        }
        const std::optional<ProcessCounters> after = ProcessCounters::read(s->app.pid());
        if (!before || !after) {
            state.SkipWithError("the app's counters could not be read");
            return;
        }
        const double perMinute = 60.0 / seconds;
        state.counters["cpu_ticks_per_min"] = double(after->cpuTicks - before->cpuTicks) * perMinute;
        state.counters["wakeups_per_min"] = double(switches.voluntary()) * perMinute;
        state.counters["preempted_per_min"] = double(switches.involuntary()) * perMinute;
        state.counters["threads"] = switches.threadsSeen();
        state.SetIterationTime(seconds);
    }
}

void twentyOpenings(benchmark::State& state, int shown) {
    Session* s = sessionShowing(state, shown);
    if (s == nullptr) {
        return;
    }
    for (auto _ : state) {
        long long first = 0;
        const Clock::time_point start = Clock::now();
        for (int opening = 1; opening <= 20; ++opening) {
            if (!s->open() || !s->close()) {
                state.SkipWithError(s->error.c_str());
                return;
            }
            if (opening == 1) {
                std::this_thread::sleep_for(300ms);
                first = ProcessCounters::read(s->app.pid()).value_or(ProcessCounters{}).residentKilobytes;
            }
        }
        std::this_thread::sleep_for(300ms);
        const long long last = ProcessCounters::read(s->app.pid()).value_or(ProcessCounters{}).residentKilobytes;
        state.counters["rss_first_kB"] = double(first);
        state.counters["rss_after_20_kB"] = double(last);
        state.counters["growth_kB"] = double(last - first);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

void registerFor(int shown) {
    const std::string suffix = "/shown:" + std::to_string(shown);
    const auto keyBenchmark = [&suffix](const std::string& name, auto function) {
        return benchmark::RegisterBenchmark((name + suffix).c_str(), function)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1)
            ->Repetitions(15)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics("max",
                                [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
    };
    keyBenchmark("HotKeyToFirstFrame", [shown](benchmark::State& state) { hotKeyToFirstFrame(state, shown); });
    keyBenchmark("Type", [shown](benchmark::State& state) {
        measureKey(state, shown, true, emptySearch, [](Session& s) { return s.press(keyE); });
    });
    keyBenchmark("NarrowingKey", [shown](benchmark::State& state) {
        measureKey(state, shown, true, emptySearch, [](Session& s) { return s.press(keyNine); });
    });
    keyBenchmark("Backspace", [shown](benchmark::State& state) {
        measureKey(state, shown, true, searchNine, [](Session& s) { return s.press(keyBackspace); });
    });
    keyBenchmark("EscapeClears", [shown](benchmark::State& state) {
        measureKey(state, shown, true, searchNine, [](Session& s) { return s.press(keyEscape); });
    });
    // An even number of switches: the ones that follow run on the grid again.
    keyBenchmark("LayoutSwitch", [shown](benchmark::State& state) {
        measureKey(state, shown, true, emptySearch, [](Session& s) {
            s.listLayout = !s.listLayout;
            return s.clickLayout(s.listLayout);
        });
    })->Repetitions(16);
    benchmark::RegisterBenchmark(("Down" + suffix).c_str(),
                                 [shown](benchmark::State& state) {
                                     measureKey(state, shown, true, emptySearch,
                                                [](Session& s) { return s.press(keyDown); });
                                 })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
}

} // namespace

int main(int argc, char** argv) {
    for (const int shown : {100, 1000, 1880}) {
        registerFor(shown);
    }
    benchmark::RegisterBenchmark("TwentyOpenings/shown:1880",
                                 [](benchmark::State& state) { twentyOpenings(state, 1880); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("IdleHidden/shown:1880", [](benchmark::State& state) { idleHidden(state, 1880); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    session.reset();
    return 0;
}
