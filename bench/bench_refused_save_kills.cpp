// Saves that another editor's change makes the app refuse, killed at each step of the guarded
// swap (written, swapped, checked, swapped back; 100 kills each) and at random moments (1,000
// kills); after every kill, one start's recovery. Figures: `lostExternalEdits` (the file no
// longer holds the other editor's bytes after the start) must be 0; `keptCopies` counts the
// copies a start kept because it could not tell the two files apart, `leftoverFiles` what stays
// in the folder besides the workspace file, `editsOnlyInTheSwapFile` the kills after which only
// the swap file held the other editor's bytes (what a start that removed every temporary file,
// as earlier versions did, would have lost). Each benchmark runs once; `--benchmark_filter=Refused`.

#include "config/PromptPersistenceService.h"
#include "config/SecureFileWriter.h"
#include "config/StartupFileRecovery.h"
#include "CrashHarness.h"
#include "model/environment/UserDefaults.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using namespace CrashHarness;

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeExternally(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size()) {
        std::abort();
    }
}

// One scene: a workspace the app has read, then changed on disk by another editor, and the
// app's own edit of what it read, whose save the changed file makes the app refuse.
struct Scene {
    PromptWorkspace read;
    PromptWorkspace mine;
    QString path;
    QByteArray theirs;
};

Scene makeScene(PromptPersistenceService& persistence, int number) {
    Result<PromptWorkspace> created = persistence.createWorkspace(QStringLiteral("Refused"), {}, somePrompts(150));
    if (!created) {
        std::abort();
    }
    Scene scene{*created, *created, *created->fileURL, {}};
    scene.mine.prompts.first().title = QStringLiteral("Mine %1").arg(number);
    scene.theirs = "workspace:\n  name: \"Theirs " + QByteArray::number(number) + "\"\nprompts: []\n";
    writeExternally(scene.path, scene.theirs);
    return scene;
}

// Runs `work` in a child; `killAfter` >= 0 kills it that many nanoseconds after it is ready,
// otherwise the child is expected to kill itself. Returns whether the child died of SIGKILL.
bool runChild(const std::function<void()>& work, std::int64_t killAfter) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        std::abort();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        const char byte = 'r';
        if (::write(ready[1], &byte, 1) != 1) {
            ::_exit(2);
        }
        work();
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    if (::read(ready[0], &byte, 1) != 1) {
        std::abort();
    }
    ::close(ready[0]);
    if (killAfter >= 0) {
        sleepNanoseconds(killAfter);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

struct Tally {
    int kills = 0;
    int lostExternalEdits = 0;
    int keptCopies = 0;
    int restoredRefusedEdits = 0;
    int leftoverFiles = 0;
    int onlyInTheSwapFile = 0;

    void afterStart(const AppEnvironment& environment, const Scene& scene) {
        // Where the other editor's bytes are not at their place before the start, only the swap
        // file holds them: a start that removed every temporary file would lose them.
        if (contentOf(scene.path) != scene.theirs) {
            ++onlyInTheSwapFile;
        }
        const StartupFileRecovery::Counts counts = StartupFileRecovery::run(environment);
        keptCopies += counts.keptCopies;
        restoredRefusedEdits += counts.restoredRefusedEdits;
        if (contentOf(scene.path) != scene.theirs) {
            ++lostExternalEdits;
        }
        const QDir folder(QFileInfo(scene.path).absolutePath());
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (name != QFileInfo(scene.path).fileName()) {
                ++leftoverFiles;
                QFile::remove(folder.filePath(name));
            }
        }
        QFile::remove(scene.path);
    }

    void report(benchmark::State& state) const {
        state.counters["kills"] = kills;
        state.counters["lostExternalEdits"] = lostExternalEdits;
        state.counters["restoredAtStart"] = restoredRefusedEdits;
        state.counters["keptCopies"] = keptCopies;
        state.counters["leftoverFiles"] = leftoverFiles;
        state.counters["editsOnlyInTheSwapFile"] = onlyInTheSwapFile;
    }
};

void BM_RefusedSaveKilledAtEachStep(benchmark::State& state) {
    const int perStep = int(state.range(0));
    QTemporaryDir home;
    const AppEnvironment environment = environmentFor(home.path());
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });
    Tally tally;
    int missedSteps = 0;
    for (auto _ : state) {
        for (const SecureFileWriter::SwapStep step :
             {SecureFileWriter::SwapStep::written, SecureFileWriter::SwapStep::swapped,
              SecureFileWriter::SwapStep::checked, SecureFileWriter::SwapStep::swappedBack}) {
            for (int i = 0; i < perStep; ++i) {
                const Scene scene = makeScene(persistence, tally.kills);
                const bool killed = runChild(
                    [&] {
                        SecureFileWriter::setStepHook([step](SecureFileWriter::SwapStep at) {
                            if (at == step) {
                                ::raise(SIGKILL);
                            }
                        });
                        persistence.saveWorkspace(scene.mine, scene.read.fileVersion);
                    },
                    -1);
                missedSteps += killed ? 0 : 1;
                ++tally.kills;
                tally.afterStart(environment, scene);
            }
        }
    }
    tally.report(state);
    state.counters["stepsNotReached"] = missedSteps;
}
BENCHMARK(BM_RefusedSaveKilledAtEachStep)->Arg(100)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_RefusedSavesKilledAtRandom(benchmark::State& state) {
    const int kills = int(state.range(0));
    QTemporaryDir home;
    const AppEnvironment environment = environmentFor(home.path());
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });

    // One refused save's duration: the kills fall anywhere in a run of them.
    const Scene timing = makeScene(persistence, -1);
    const std::int64_t start = monotonicNanoseconds();
    for (int i = 0; i < 20; ++i) {
        if (persistence.saveWorkspace(timing.mine, timing.read.fileVersion)) {
            std::abort(); // it must be refused
        }
    }
    const std::int64_t saveNanoseconds = (monotonicNanoseconds() - start) / 20;
    QFile::remove(timing.path);

    std::mt19937_64 random(42);
    Tally tally;
    for (auto _ : state) {
        for (int kill = 0; kill < kills; ++kill) {
            const Scene scene = makeScene(persistence, kill);
            const std::int64_t after = std::uniform_int_distribution<std::int64_t>(0, saveNanoseconds * 3)(random);
            runChild(
                [&] {
                    for (;;) {
                        persistence.saveWorkspace(scene.mine, scene.read.fileVersion);
                    }
                },
                after);
            ++tally.kills;
            tally.afterStart(environment, scene);
        }
    }
    tally.report(state);
    state.counters["refusedSaveMicroseconds"] = double(saveNanoseconds) / 1000.0;
}
BENCHMARK(BM_RefusedSavesKilledAtRandom)->Arg(1'000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
