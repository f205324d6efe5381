// A process killed at a random moment during saves (1,000 kills) and during workspace deletions
// (300 kills), then one start's recovery. Figures: what the kills left behind (`leftover...`) and
// what remains after the recovery, which must be 0 (`temporaryFilesAfterStart`,
// `hiddenWorkspacesAfterStart`, `lostWorkspaces`), and the workspace file must still load. Each
// benchmark runs once; `--benchmark_filter=Kill` runs them alone.

#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "config/SecureFileWriter.h"
#include "config/StartupFileRecovery.h"
#include "context/ContextBindingStore.h"
#include "model/UserDefaults.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::int64_t monotonicNanoseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

void sleepNanoseconds(std::int64_t nanoseconds) {
    timespec duration{time_t(nanoseconds / 1'000'000'000), long(nanoseconds % 1'000'000'000)};
    while (::nanosleep(&duration, &duration) != 0 && errno == EINTR) {
    }
}

AppEnvironment environmentFor(const QString& home) {
    AppEnvironment environment;
    environment.homePath = home;
    environment.defaults = std::make_shared<MemoryUserDefaults>();
    environment.clock = std::make_shared<SystemClock>();
    environment.preferredLanguages = [] { return QStringList{QStringLiteral("en")}; };
    return environment;
}

QList<PromptItem> somePrompts(int count) {
    QList<PromptItem> prompts;
    for (int i = 0; i < count; ++i) {
        PromptItem prompt;
        prompt.id = QStringLiteral("prompt-%1").arg(i);
        prompt.title = QStringLiteral("Prompt %1").arg(i);
        prompt.group = QStringLiteral("General");
        prompt.text = QString(500, u'x');
        prompts.append(prompt);
    }
    return prompts;
}

int count(const QString& folder, const std::function<bool(const QString&)>& matches) {
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return int(std::count_if(names.cbegin(), names.cend(), matches));
}

int temporaryFiles(const PromptPersistenceService& persistence) {
    return count(persistence.baseDirectory(), SecureFileWriter::isTemporaryFileName) +
           count(persistence.workspacesDirectory(), SecureFileWriter::isTemporaryFileName);
}

int isolatedFiles(const PromptPersistenceService& persistence) {
    return count(persistence.workspacesDirectory(),
                 [](const QString& name) { return name.startsWith(PromptPersistenceService::isolatedFilePrefix); });
}

// Starts `work` in a child that first says it is ready; kills it a random moment later, within
// `window`. Returns what the child wrote after the ready byte before it died (or finished).
QByteArray killDuring(const std::function<void(int report)>& work, std::int64_t window, std::mt19937_64& random) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        std::abort();
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const char ready = 'r';
        if (::write(pipe[1], &ready, 1) != 1) {
            ::_exit(2);
        }
        work(pipe[1]);
        ::_exit(0);
    }
    ::close(pipe[1]);
    char ready = 0;
    if (::read(pipe[0], &ready, 1) != 1) {
        std::abort();
    }
    sleepNanoseconds(std::uniform_int_distribution<std::int64_t>(0, window)(random));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    QByteArray reported;
    char buffer[64];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
        reported.append(buffer, got);
    }
    ::close(pipe[0]);
    return reported;
}

void BM_KillDuringSaves(benchmark::State& state) {
    const int kills = int(state.range(0));
    QTemporaryDir home;
    const AppEnvironment environment = environmentFor(home.path());
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });
    Result<PromptWorkspace> created =
        persistence.createWorkspace(QStringLiteral("Saved"), {QStringLiteral("/srv/saved")}, somePrompts(150));
    if (!created) {
        state.SkipWithError("the workspace could not be created");
        return;
    }
    // One save's duration: the kills fall anywhere in a run of saves.
    const std::int64_t start = monotonicNanoseconds();
    PromptWorkspace workspace = *created;
    for (int i = 0; i < 10; ++i) {
        workspace = *persistence.saveWorkspace(workspace, std::nullopt);
    }
    const std::int64_t saveNanoseconds = (monotonicNanoseconds() - start) / 10;

    std::mt19937_64 random(1'000);
    for (auto _ : state) {
        for (int kill = 0; kill < kills; ++kill) {
            killDuring(
                [&](int) {
                    PromptWorkspace edited = workspace;
                    for (int edit = 0;; ++edit) {
                        edited.prompts.first().title = QStringLiteral("Edit %1").arg(edit);
                        Result<PromptWorkspace> saved = persistence.saveWorkspace(edited, std::nullopt);
                        if (saved) {
                            edited = *saved;
                        }
                    }
                },
                saveNanoseconds * 3, random);
        }
    }
    const int leftover = temporaryFiles(persistence);
    const StartupFileRecovery::Counts recovered = StartupFileRecovery::run(environment);
    PromptConfigLoader loader(environment, [] { return AppLanguage::english; });
    const PromptLoadResult loaded = loader.loadAllConfigs();
    const bool loads =
        loaded.issues.isEmpty() && loaded.workspaces.size() == 1 && loaded.workspaces.first().prompts.size() == 150;
    state.counters["kills"] = kills;
    state.counters["leftoverTemporaryFiles"] = leftover;
    state.counters["removedAtStart"] = recovered.removedTemporaryFiles;
    state.counters["temporaryFilesAfterStart"] = temporaryFiles(persistence);
    state.counters["workspaceLoads"] = loads ? 1 : 0;
}
BENCHMARK(BM_KillDuringSaves)->Arg(1'000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_KillDuringDeletions(benchmark::State& state) {
    const int kills = int(state.range(0));
    QTemporaryDir home;
    const AppEnvironment environment = environmentFor(home.path());
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });

    // One deletion as the store runs it: move the file aside, drop the workspace's bindings, then
    // remove the file for good. The child reports 'd' once the file is gone.
    const auto deletion = [&](const PromptWorkspace& workspace, int report) {
        ContextBindingStore bindings(environment);
        Result<std::optional<WorkspaceFileIsolation>> isolation = persistence.isolateWorkspaceFile(workspace);
        if (!isolation || !*isolation) {
            return;
        }
        if (!bindings.deleteWorkspaceReferences(workspace.id)) {
            persistence.restoreIsolatedWorkspaceFile(*isolation);
            return;
        }
        // Once the removal has begun the file may be gone, as the user asked.
        const char removing = 'u';
        if (report >= 0 && ::write(report, &removing, 1) != 1) {
            ::_exit(3);
        }
        if (persistence.finalWorkspaceRemoval((*isolation)->isolatedURL)) {
            const char deleted = 'd';
            if (report >= 0 && ::write(report, &deleted, 1) != 1) {
                ::_exit(3);
            }
        }
    };
    const auto makeDoomed = [&](int number) {
        Result<PromptWorkspace> created = persistence.createWorkspace(QStringLiteral("Doomed %1").arg(number),
                                                                      {QStringLiteral("/srv/doomed")}, somePrompts(20));
        if (!created) {
            std::abort();
        }
        ContextBindingStore bindings(environment);
        bindings.addAgentWorkspaceBinding(AgentType::cursor, QStringLiteral("Cursor"), std::nullopt, created->id,
                                          false);
        return *created;
    };

    std::int64_t deletionNanoseconds = 0;
    for (int i = 0; i < 10; ++i) {
        const PromptWorkspace doomed = makeDoomed(-1 - i);
        const std::int64_t start = monotonicNanoseconds();
        deletion(doomed, -1);
        deletionNanoseconds += (monotonicNanoseconds() - start) / 10;
    }

    std::mt19937_64 random(300);
    QStringList unfinished;
    int completed = 0;
    int lost = 0;
    for (auto _ : state) {
        for (int kill = 0; kill < kills; ++kill) {
            const PromptWorkspace doomed = makeDoomed(kill);
            const QByteArray reported =
                killDuring([&](int report) { deletion(doomed, report); }, deletionNanoseconds * 3, random);
            if (reported.contains('d')) {
                ++completed;
            } else if (!reported.contains('u')) {
                unfinished.append(*doomed.fileURL);
            }
        }
    }
    const int hiddenBefore = isolatedFiles(persistence);
    const StartupFileRecovery::Counts recovered = StartupFileRecovery::run(environment);
    // A deletion killed before its final removal began must leave the workspace file in place.
    lost = int(std::count_if(unfinished.cbegin(), unfinished.cend(),
                             [](const QString& path) { return !QFile::exists(path); }));
    state.counters["kills"] = kills;
    state.counters["completedDeletions"] = completed;
    state.counters["unfinishedDeletions"] = unfinished.size();
    state.counters["leftoverHiddenWorkspaces"] = hiddenBefore;
    state.counters["restoredAtStart"] = recovered.restoredWorkspaceFiles;
    state.counters["hiddenWorkspacesAfterStart"] = isolatedFiles(persistence);
    state.counters["lostWorkspaces"] = lost;
    state.counters["temporaryFilesAfterStart"] = temporaryFiles(persistence);
}
BENCHMARK(BM_KillDuringDeletions)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond);

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
