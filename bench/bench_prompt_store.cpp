// The prompt store on the main thread:
// - applying a reload's result of the whole aggregate limit (10 MB of prompt files, about 19,000
//   prompts). Target: under 16 ms, one frame.
// - building the panel's render snapshot (matching, ordering by the sort mode, search, sections)
//   for a workspace of 1,000 to 40,000 prompts, as the panel does on every key press. Targets:
//   1 ms or less at 1,000 prompts; with a search under 2 ms at 10,000; at 40,000 (the size the
//   limits allow) under 4 ms without a search and 8 ms with one; cost linear in the number of
//   prompts.
//   A guarded save of a workspace of 100 and 1,000 prompts over its file, as every edit does
//   (encode, write, flush, check the file it replaces, replace).

#include "BenchLibrary.h"
#include "config/PromptConfigLoader.h"
#include "config/PromptConfigLoading.h"
#include "config/PromptPersistenceService.h"
#include "context/ContextBindingStore.h"
#include "model/environment/UserDefaults.h"
#include "ReadyLoader.h"
#include "store/LibraryMemory.h"
#include "store/PanelRenderSnapshotBuilder.h"
#include "store/PromptStore.h"
#include "store/PromptUsageStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace {

// The prompt files of a home folder in workspace files of at most 1 MB, read by the real loader.
PromptLoadResult loadedResult(qint64 totalBytes, const QString& home) {
    BenchLibrary::writeWorkspaceFiles(totalBytes, home);
    AppEnvironment environment;
    environment.homePath = home;
    PromptConfigLoader loader(environment, [] { return AppLanguage::english; });
    return loader.loadAllConfigs();
}

AppEnvironment environmentFor(const QString& home) {
    AppEnvironment environment;
    environment.homePath = home;
    environment.defaults = std::make_shared<MemoryUserDefaults>();
    environment.clock = std::make_shared<SystemClock>();
    return environment;
}

// Applying a result of the full 10 MB aggregate on the main thread, with 500 prompts that have
// usage records, so that the check for removed prompts has work to do.
void BM_ApplyReloadResult(benchmark::State& state) {
    QTemporaryDir home;
    const PromptLoadResult result = loadedResult(state.range(0), home.path());
    if (!result.issues.isEmpty()) {
        state.SkipWithError("the fixture did not load cleanly");
        return;
    }
    qint64 prompts = 0;
    for (const PromptWorkspace& workspace : result.workspaces) {
        prompts += workspace.prompts.size();
    }
    const AppEnvironment environment = environmentFor(home.path());
    PromptStoreServices services;
    services.configLoader = std::make_shared<ReadyLoader>(result);
    PromptStore store(
        environment, [] { return AppLanguage::english; }, false, services);
    for (int i = 0; i < 500; ++i) {
        store.usageStore().recordSuccessfulCopy(QStringLiteral("prompt-%1").arg(i * 37),
                                                QDateTime::currentDateTimeUtc());
    }
    for (auto _ : state) {
        store.reload();
        while (store.isReloading()) {
            QCoreApplication::processEvents();
        }
    }
    if (store.workspaces().size() != result.workspaces.size()) {
        state.SkipWithError("the result was not applied");
    }
    state.counters["prompts"] = double(prompts);
    state.SetComplexityN(prompts);
}
BENCHMARK(BM_ApplyReloadResult)->Arg(10'400'000)->Arg(2'600'000)->Unit(benchmark::kMillisecond);

PromptItem promptNumber(int number) {
    PromptItem item;
    item.id = QStringLiteral("prompt-%1").arg(number);
    item.title = QStringLiteral("Review module %1 before the release").arg(number);
    item.group = QStringLiteral("Review %1").arg(number % 7);
    item.agent = AgentType::codex;
    item.tags = {QStringLiteral("review"), QStringLiteral("release")};
    item.isPinned = number % 50 == 0;
    item.text = QStringLiteral("Review the module {{ module | src/core }} for the coming release.\n\n"
                               "1. List the public functions whose behaviour changed since the last tag.\n"
                               "2. Point out error paths that have no test, with the file and line.\n"
                               "3. Check that log lines never print file contents or home paths.\n"
                               "Answer in English, as a numbered list, without rewriting the code.\n");
    return item;
}

// A store with 20 global prompts and one workspace of `count` prompts bound to the agent Zed,
// 200 of them with usage records.
struct SnapshotFixture {
    QTemporaryDir home;
    std::unique_ptr<PromptStore> store;
    AgentContext context;

    explicit SnapshotFixture(int count) {
        PromptLoadResult load;
        for (int i = 0; i < 20; ++i) {
            PromptItem global = promptNumber(1'000'000 + i);
            global.group = QStringLiteral("Review %1").arg(i % 3);
            load.globalPrompts.append(global);
        }
        PromptWorkspace workspace;
        workspace.id = QStringLiteral("big");
        workspace.name = QStringLiteral("Big");
        workspace.matchPaths = {QStringLiteral("/home/dev/src/big")};
        for (int i = 0; i < count; ++i) {
            workspace.prompts.append(promptNumber(i));
        }
        load.workspaces = {workspace};
        PromptStoreServices services;
        services.configLoader = std::make_shared<ReadyLoader>(load);
        store = std::make_unique<PromptStore>(
            environmentFor(home.path()), [] { return AppLanguage::english; }, false, services);
        store->reload();
        while (store->isReloading()) {
            QCoreApplication::processEvents();
        }
        store->bindingStore().addAgentWorkspaceBinding(AgentType::zed, QStringLiteral("Zed"), std::nullopt,
                                                       QStringLiteral("big"), true);
        const QDateTime start = QDateTime::currentDateTimeUtc();
        for (int i = 0; i < 200; ++i) {
            store->usageStore().recordSuccessfulCopy(QStringLiteral("prompt-%1").arg(i * 7 % count), start.addSecs(i));
        }
        context.agent = AgentType::zed;
        context.frontmostAppName = QStringLiteral("Zed");
        context.frontWindowTitle = QStringLiteral("main.rs - big");
    }
};

// One family per sort mode, with and without a search text that matches nothing (so the whole
// text of every prompt is searched); the argument is the number of prompts of the workspace.
void BM_BuildRenderSnapshot(benchmark::State& state, PromptSortMode mode, bool searching) {
    static std::map<int, std::unique_ptr<SnapshotFixture>> fixtures;
    const int count = int(state.range(0));
    auto& fixture = fixtures[count];
    if (!fixture) {
        fixture = std::make_unique<SnapshotFixture>(count);
    }
    fixture->store->setSortMode(mode);
    const QString search = searching ? QStringLiteral("rollback plan") : QString();
    qsizetype visible = 0;
    for (auto _ : state) {
        const PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*fixture->store, fixture->context, search, false);
        visible = snapshot.visiblePrompts.size();
        benchmark::DoNotOptimize(snapshot);
    }
    if (!search.isEmpty() ? visible != 0 : visible != count + 20) {
        state.SkipWithError("unexpected number of visible prompts");
    }
    state.SetComplexityN(count);
}

void registerSnapshotBenchmarks() {
    for (const PromptSortMode mode : PromptSortModes::allCases()) {
        for (const bool searching : {false, true}) {
            const std::string name = "BM_BuildRenderSnapshot/" + PromptSortModes::rawValue(mode).toStdString() +
                                     (searching ? "/search" : "/all");
            benchmark::RegisterBenchmark(name.c_str(), BM_BuildRenderSnapshot, mode, searching)
                ->Arg(1'000)
                ->Arg(10'000)
                ->Arg(20'000)
                ->Arg(40'000)
                ->Complexity(benchmark::oN)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

// The same snapshot when a trusted project file of `count` prompts decides the match: the trust
// check reads and hashes the file on every snapshot (the workspace itself comes from the cache).
void BM_BuildRenderSnapshotFromProjectFile(benchmark::State& state) {
    const int count = int(state.range(0));
    QTemporaryDir home;
    QByteArray content = "workspace:\n  name: \"Shop\"\n\nprompts:\n";
    for (int i = 0; i < count; ++i) {
        content += BenchLibrary::promptBlock(i);
    }
    QDir(home.path()).mkpath(QStringLiteral("shop/src"));
    QFile file(home.path() + QStringLiteral("/shop/.orris-hollows.yaml"));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::abort();
    }
    file.close();
    AppEnvironment environment = environmentFor(home.path());
    environment.defaults->setBool(PromptStore::advancedAutomaticMatchingEnabledKey, true);
    PromptStoreServices services;
    services.configLoader = std::make_shared<ReadyLoader>(PromptLoadResult{});
    PromptStore store(
        environment, [] { return AppLanguage::english; }, false, services);
    store.trustProjectConfig(file.fileName());
    AgentContext context;
    context.agent = AgentType::terminal;
    context.frontmostAppName = QStringLiteral("Terminal");
    context.workspacePath = home.path() + QStringLiteral("/shop/src");
    qsizetype visible = 0;
    for (auto _ : state) {
        const PanelRenderSnapshot snapshot = PanelRenderSnapshotBuilder::make(store, context, QString(), false);
        visible = snapshot.visiblePrompts.size();
        benchmark::DoNotOptimize(snapshot);
    }
    if (visible != count) {
        state.SkipWithError("the project workspace was not matched");
    }
    state.counters["fileBytes"] = double(content.size());
}
BENCHMARK(BM_BuildRenderSnapshotFromProjectFile)->Arg(1'000)->Unit(benchmark::kMicrosecond);

// One edit's save: the workspace written over its file, guarded by the version last written.
void BM_SaveWorkspace(benchmark::State& state) {
    QTemporaryDir home;
    const AppEnvironment environment = environmentFor(home.path());
    PromptPersistenceService persistence(environment, [] { return AppLanguage::english; });
    PromptWorkspace workspace;
    workspace.name = QStringLiteral("Saved");
    workspace.matchPaths = {QStringLiteral("/home/dev/src/saved")};
    for (int i = 0; i < state.range(0); ++i) {
        workspace.prompts.append(promptNumber(i));
    }
    Result<PromptWorkspace> created =
        persistence.createWorkspace(workspace.name, workspace.matchPaths, workspace.prompts);
    if (!created) {
        state.SkipWithError("the workspace could not be created");
        return;
    }
    workspace = *created;
    for (auto _ : state) {
        workspace.prompts.first().title = QStringLiteral("Edit %1").arg(state.iterations());
        Result<PromptWorkspace> saved = persistence.saveWorkspace(workspace, std::nullopt);
        if (!saved) {
            state.SkipWithError("a save failed");
            return;
        }
        workspace = *saved;
    }
    state.counters["fileBytes"] = double(QFileInfo(*workspace.fileURL).size());
}
BENCHMARK(BM_SaveWorkspace)->Arg(100)->Arg(1'000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    LibraryMemory::configureAllocator(); // as the app does at start
    QCoreApplication application(argc, argv);
    registerSnapshotBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
