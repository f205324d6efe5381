// Memory of the idle app on the private X server, against a bare Qt program that shows one
// window (bare_qt_window): each started in a home of its own and left alone for a few seconds,
// then read from /proc/<pid>/smaps_rollup. The app is measured at its second start in the home
// (the first one opens the welcome guide), with an empty home (its samples) and with the full
// 10.4 MB library (the loader's aggregate limit).
// Target: the empty app at most 6 MB resident over the bare program.

#include "BenchLibrary.h"
#include "X11Bench.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <thread>

namespace {

using X11Bench::App;

struct Memory {
    double rssMB = 0;
    double pssMB = 0;
};

std::optional<Memory> memoryOf(pid_t pid) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    Memory memory;
    bool rss = false;
    bool pss = false;
    for (std::string row; std::getline(rollup, row);) {
        if (row.starts_with("Rss:")) {
            memory.rssMB = double(std::stoll(row.substr(4))) / 1024.0;
            rss = true;
        } else if (row.starts_with("Pss:")) {
            memory.pssMB = double(std::stoll(row.substr(4))) / 1024.0;
            pss = true;
        }
    }
    return rss && pss ? std::optional(memory) : std::nullopt;
}

// Started, settled (the library loaded, start-up work done), measured, ended.
std::optional<Memory> idleMemory(const std::string& binary, bool library) {
    App app;
    if (library && BenchLibrary::writeWorkspaceFiles(10'400'000, QString::fromStdString(app.home())) <= 0) {
        return std::nullopt;
    }
    if (binary == ORRIS_APP_BINARY) {
        if (!app.start(binary)) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        app.stop();
    }
    if (!app.start(binary)) {
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::seconds(6));
    return memoryOf(app.pid());
}

void BM_IdleMemory(benchmark::State& state) {
    Memory bare;
    Memory empty;
    Memory withLibrary;
    for (auto _ : state) {
        const std::optional<Memory> b = idleMemory(ORRIS_BARE_QT_BINARY, false);
        const std::optional<Memory> e = idleMemory(ORRIS_APP_BINARY, false);
        const std::optional<Memory> l = idleMemory(ORRIS_APP_BINARY, true);
        if (!b || !e || !l) {
            state.SkipWithError("a program did not start or could not be read");
            return;
        }
        bare = *b;
        empty = *e;
        withLibrary = *l;
    }
    state.counters["bareRssMB"] = bare.rssMB;
    state.counters["barePssMB"] = bare.pssMB;
    state.counters["emptyRssMB"] = empty.rssMB;
    state.counters["emptyPssMB"] = empty.pssMB;
    state.counters["emptyOverBareRssMB"] = empty.rssMB - bare.rssMB;
    state.counters["libraryRssMB"] = withLibrary.rssMB;
    state.counters["libraryPssMB"] = withLibrary.pssMB;
}
BENCHMARK(BM_IdleMemory)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
