// Resident memory of the prompt library: the full 10.4 MB aggregate of workspace files loaded by
// the real background loader into a store, measured over the same process before the first load.
// Targets: the loaded library costs at most 1.1 times its file bytes, and ten reloads in a row leave
// the process within 10 % of what one load costs (memory of a replaced library is given back).
// A program of its own, so that no other benchmark's fixture shares the process.

#include "BenchLibrary.h"
#include "config/BackgroundWork.h"
#include "model/environment/UserDefaults.h"
#include "store/LibraryMemory.h"
#include "store/PromptStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double residentBytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    long size = 0;
    long resident = 0;
    if (!statm || std::fscanf(statm, "%ld %ld", &size, &resident) != 2) {
        std::abort();
    }
    std::fclose(statm);
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

// The anonymous part of residentBytes(): without the code pages a first load touches (shared
// with every other process), which are not the library's.
double anonymousResidentBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        std::abort();
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:")) {
            return line.mid(8).trimmed().split(' ').first().toDouble() * 1024;
        }
    }
    std::abort();
}

// Returns the milliseconds from the request to the applied result, what the user waits for.
double reloadAndWait(PromptStore& store) {
    QElapsedTimer timer;
    timer.start();
    store.reload();
    while (store.isReloading()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The store gives freed memory back in the background.
    BackgroundWork::pool()->waitForDone();
    return elapsed;
}

void BM_LibraryResidentMemory(benchmark::State& state) {
    QTemporaryDir home;
    const qint64 bytes = BenchLibrary::writeWorkspaceFiles(state.range(0), home.path());
    AppEnvironment environment;
    environment.homePath = home.path();
    environment.defaults = std::make_shared<MemoryUserDefaults>();
    environment.clock = std::make_shared<SystemClock>();
    double empty = 0;
    double one = 0;
    double emptyAnonymous = 0;
    double oneAnonymous = 0;
    double ten = 0;
    qsizetype prompts = 0;
    std::vector<double> reloadMs; // from the request to the applied result, as the user waits for it
    for (auto _ : state) {
        PromptStore store(
            environment, [] { return AppLanguage::english; }, false);
        // The empty app: what writing the fixture left over is not the library's.
        malloc_trim(0);
        empty = residentBytes();
        emptyAnonymous = anonymousResidentBytes();
        reloadAndWait(store);
        one = residentBytes();
        oneAnonymous = anonymousResidentBytes();
        for (int i = 0; i < 10; ++i) {
            reloadMs.push_back(reloadAndWait(store));
        }
        ten = residentBytes();
        prompts = 0;
        for (const PromptWorkspace& workspace : store.workspaces()) {
            prompts += workspace.prompts.size();
        }
    }
    if (prompts == 0) {
        state.SkipWithError("the library did not load");
    }
    state.counters["fileMB"] = double(bytes) / 1e6;
    state.counters["prompts"] = double(prompts);
    state.counters["oneLoadMB"] = (one - empty) / 1e6;
    state.counters["oneLoadPerFileByte"] = (one - empty) / double(bytes);
    state.counters["oneLoadAnonymousPerFileByte"] = (oneAnonymous - emptyAnonymous) / double(bytes);
    state.counters["tenLoadsMB"] = (ten - empty) / 1e6;
    state.counters["tenLoadsPerOneLoad"] = (ten - empty) / (one - empty);
    std::sort(reloadMs.begin(), reloadMs.end());
    state.counters["reloadMsMedian"] = reloadMs.empty() ? 0 : reloadMs[reloadMs.size() / 2];
}
BENCHMARK(BM_LibraryResidentMemory)->Arg(10'400'000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    LibraryMemory::configureAllocator(); // as the app does at start
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
