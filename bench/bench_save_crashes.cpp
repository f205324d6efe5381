// A process killed at a random moment during saves (1,000 kills) and during the store's workspace
// deletions (300 kills), then one start's recovery. Figures: what the kills left behind
// (`leftover...`) and what remains after the recovery, which must be 0
// (`temporaryFilesAfterStart`, `hiddenWorkspacesAfterStart`); the workspace file must still load,
// and every workspace whose deletion did not finish its removal comes back under its own id with
// its binding (`backWithoutBinding` and `backUnderAnotherID` must be 0). Each
// benchmark runs once; `--benchmark_filter=Kill` runs them alone.

#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "config/SecureFileWriter.h"
#include "config/StartupFileRecovery.h"
#include "context/ContextBindingStore.h"
#include "CrashHarness.h"
#include "model/environment/UserDefaults.h"
#include "store/PromptStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QSet>
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
using namespace CrashHarness;

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
    // Recovery runs once here, after all the kills, where the app runs it at every start: a save
    // file left by an early kill whose workspace later kills changed again cannot be told apart
    // and is kept (`keptCopies`), which the load names but which fails nothing.
    const bool loads = std::all_of(loaded.issues.cbegin(), loaded.issues.cend(),
                                   [](const auto& issue) { return issue.kind == PromptConfigIssueKind::keptCopy; }) &&
                       loaded.workspaces.size() == 1 && loaded.workspaces.first().prompts.size() == 150;
    state.counters["kills"] = kills;
    state.counters["leftoverTemporaryFiles"] = leftover;
    state.counters["removedAtStart"] = recovered.removedTemporaryFiles;
    state.counters["keptCopies"] = recovered.keptCopies;
    state.counters["restoredRefusedEdits"] = recovered.restoredRefusedEdits;
    state.counters["temporaryFilesAfterStart"] = temporaryFiles(persistence);
    state.counters["workspaceLoads"] = loads ? 1 : 0;
}
BENCHMARK(BM_KillDuringSaves)->Arg(1'000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Reloads the store and waits for the result on this thread.
void reloadStore(PromptStore& store) {
    QFuture<void> done = store.reloadAndWait();
    while (!done.isFinished()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QCoreApplication::processEvents();
}

void BM_KillDuringDeletions(benchmark::State& state) {
    const int kills = int(state.range(0));
    QTemporaryDir home;
    const AppEnvironment environment = environmentFor(home.path());
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });
    PromptStore store(
        environment, [] { return AppLanguage::english; }, false);

    // Every fifth workspace has an id of 120 bytes, the longest a created file gets.
    const auto makeDoomed = [&](int number) {
        const QString name = number % 5 == 0 ? QStringLiteral("Doomed %1 ").arg(number) + QString(150, u'd')
                                             : QStringLiteral("Doomed %1").arg(number);
        Result<PromptWorkspace> created =
            persistence.createWorkspace(name, {QStringLiteral("/srv/doomed")}, somePrompts(20));
        if (!created) {
            std::abort();
        }
        ContextBindingStore bindings(environment);
        bindings.addAgentWorkspaceBinding(AgentType::cursor, QStringLiteral("Cursor"), std::nullopt, created->id,
                                          false);
        return created->id;
    };
    // The store's own deletion, in a child that reports 'd' once it returned.
    const auto deletion = [&](const QString& id, int report) {
        const WorkspaceBatchDeletionResult result = store.deleteWorkspaces({id});
        const char deleted = result.successCount() == 1 ? 'd' : 'f';
        if (report >= 0 && ::write(report, &deleted, 1) != 1) {
            ::_exit(3);
        }
    };

    std::int64_t deletionNanoseconds = 0;
    for (int i = 0; i < 10; ++i) {
        const QString doomed = makeDoomed(-1 - i);
        reloadStore(store);
        const std::int64_t start = monotonicNanoseconds();
        deletion(doomed, -1);
        deletionNanoseconds += (monotonicNanoseconds() - start) / 10;
    }

    std::mt19937_64 random(300);
    QStringList unfinished;
    int completed = 0;
    for (auto _ : state) {
        for (int kill = 0; kill < kills; ++kill) {
            const QString doomed = makeDoomed(kill);
            reloadStore(store);
            const QByteArray reported =
                killDuring([&](int report) { deletion(doomed, report); }, deletionNanoseconds * 3, random);
            if (reported.contains('d')) {
                ++completed;
            } else {
                unfinished.append(doomed);
            }
        }
    }
    const int hiddenBefore = isolatedFiles(persistence);
    const StartupFileRecovery::Counts recovered = StartupFileRecovery::run(environment);

    // Each deletion the kill cut short either finished its removal (the file is gone, as asked)
    // or must come back whole: under its own id and with its binding.
    ContextBindingStore bindings(environment);
    QSet<QString> bound;
    for (const AgentWorkspaceBinding& binding : bindings.agentWorkspaceBindings()) {
        bound.insert(binding.workspaceID);
    }
    QSet<QString> onDisk;
    for (const QString& name : QDir(persistence.workspacesDirectory()).entryList({QStringLiteral("*.yaml")})) {
        onDisk.insert(QFileInfo(name).completeBaseName());
    }
    int restored = 0;
    int withoutBinding = 0;
    for (const QString& id : std::as_const(unfinished)) {
        if (onDisk.contains(id)) {
            ++restored;
            withoutBinding += bound.contains(id) ? 0 : 1;
        }
    }
    // Deletions killed after their file was gone leave bindings to nothing, which no workspace
    // picks up unless one is made again under that id.
    const int danglingBindings =
        int(std::count_if(bound.cbegin(), bound.cend(), [&](const QString& id) { return !onDisk.contains(id); }));
    QSet<QString> expected(unfinished.cbegin(), unfinished.cend());
    const int underAnotherID =
        int(std::count_if(onDisk.cbegin(), onDisk.cend(), [&](const QString& id) { return !expected.contains(id); }));
    state.counters["kills"] = kills;
    state.counters["completedDeletions"] = completed;
    state.counters["unfinishedDeletions"] = unfinished.size();
    state.counters["leftoverHiddenWorkspaces"] = hiddenBefore;
    state.counters["restoredAtStart"] = recovered.restoredWorkspaceFiles;
    state.counters["workspacesBack"] = restored;
    state.counters["backWithoutBinding"] = withoutBinding;
    state.counters["backUnderAnotherID"] = underAnotherID;
    state.counters["danglingBindings"] = danglingBindings;
    state.counters["hiddenWorkspacesAfterStart"] = isolatedFiles(persistence);
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
