// Memory of the idle app on the private X server, against a bare Qt program that shows one
// window (bare_qt_window): each started in a home of its own and left alone for a few seconds,
// then read from /proc/<pid>/smaps_rollup. The app is measured at its second start in the home
// (the first one opens the welcome guide), with an empty home (its samples) and with the full
// 10.4 MB library (the loader's aggregate limit).
// CopyQ, an idle clipboard manager of about the same reach, is measured beside them when it is
// installed (script/deps bench), started the same way in a fresh home: its main process, and the
// clipboard monitor it starts as a second process (rolled up: PSS adds up across processes).
// Targets: the empty app at most 6 MB resident over the bare program; the app with the library
// no more resident than CopyQ's main process.

#include "BenchLibrary.h"
#include "X11Bench.h"

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// The process's children, as the kernel lists them.
std::vector<pid_t> childrenOf(pid_t pid) {
    std::ifstream list("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<pid_t> children;
    for (pid_t child = 0; list >> child;) {
        children.push_back(child);
    }
    return children;
}

constexpr const char* copyqBinary = "/usr/bin/copyq";

// Whether the process still runs CopyQ (and its id was not handed on).
bool isCopyq(pid_t pid) {
    std::ifstream commandLine("/proc/" + std::to_string(pid) + "/cmdline");
    std::string program;
    std::getline(commandLine, program, '\0');
    return program == copyqBinary;
}

struct CopyqMemory {
    Memory main;
    Memory withMonitor; // PSS summed; RSS summed too, counting shared pages twice
};

// CopyQ left idle for as long as the app; its clipboard monitor is ended by pid if it outlives it.
std::optional<CopyqMemory> copyqIdleMemory() {
    App app;
    if (!app.start(copyqBinary)) {
        return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::seconds(6));
    CopyqMemory memory;
    const std::optional<Memory> main = memoryOf(app.pid());
    if (!main) {
        return std::nullopt;
    }
    memory.main = *main;
    memory.withMonitor = *main;
    const std::vector<pid_t> children = childrenOf(app.pid());
    for (const pid_t child : children) {
        if (const std::optional<Memory> monitor = memoryOf(child)) {
            memory.withMonitor.rssMB += monitor->rssMB;
            memory.withMonitor.pssMB += monitor->pssMB;
        }
    }
    app.stop();
    for (const pid_t child : children) {
        for (int wait = 0; wait < 20 && isCopyq(child); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (isCopyq(child)) {
            ::kill(child, SIGTERM);
        }
    }
    return memory;
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
    // ORRIS_BENCH_SMAPS_DIR keeps each program's full map for a breakdown by mapping.
    if (const char* dir = std::getenv("ORRIS_BENCH_SMAPS_DIR")) {
        std::ifstream map("/proc/" + std::to_string(app.pid()) + "/smaps");
        std::ofstream(std::string(dir) + "/" + std::filesystem::path(binary).filename().string() +
                      (library ? "-library" : "-empty") + ".smaps")
            << map.rdbuf();
    }
    return memoryOf(app.pid());
}

void BM_IdleMemory(benchmark::State& state) {
    Memory bare;
    Memory empty;
    Memory withLibrary;
    std::optional<CopyqMemory> copyq;
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
        if (std::filesystem::exists(copyqBinary)) {
            copyq = copyqIdleMemory();
            if (!copyq) {
                state.SkipWithError("CopyQ did not start or could not be read");
                return;
            }
        }
    }
    state.counters["bareRssMB"] = bare.rssMB;
    state.counters["barePssMB"] = bare.pssMB;
    state.counters["emptyRssMB"] = empty.rssMB;
    state.counters["emptyPssMB"] = empty.pssMB;
    state.counters["emptyOverBareRssMB"] = empty.rssMB - bare.rssMB;
    state.counters["libraryRssMB"] = withLibrary.rssMB;
    state.counters["libraryPssMB"] = withLibrary.pssMB;
    if (copyq) {
        state.counters["copyqRssMB"] = copyq->main.rssMB;
        state.counters["copyqPssMB"] = copyq->main.pssMB;
        state.counters["copyqWithMonitorRssMB"] = copyq->withMonitor.rssMB;
        state.counters["copyqWithMonitorPssMB"] = copyq->withMonitor.pssMB;
        state.counters["libraryOverCopyqRssMB"] = withLibrary.rssMB - copyq->main.rssMB;
    } else {
        state.SetLabel("CopyQ is not installed: script/deps bench installs it");
    }
}
BENCHMARK(BM_IdleMemory)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
