// The prompt store on the main thread: applying a reload's result of the whole aggregate limit
// (10 MB of prompt files, about 19,000 prompts). Target: under 16 ms, one frame.

#include "config/PromptConfigLoader.h"
#include "config/PromptConfigLoading.h"
#include "model/UserDefaults.h"
#include "store/PromptStore.h"
#include "store/PromptUsageStore.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

// A loader whose every load is already finished with one result.
class ReadyLoader final : public PromptConfigLoading {
public:
    explicit ReadyLoader(PromptLoadResult result) : m_result(std::move(result)) {}
    QFuture<PromptLoadResult> loadAllConfigs(AppLanguage) override { return QtFuture::makeReadyFuture(m_result); }

private:
    PromptLoadResult m_result;
};

QByteArray promptBlock(int number) {
    const QByteArray n = QByteArray::number(number);
    return "  - id: \"prompt-" + n + "\"\n    title: \"Review module " + n +
           " before the release\"\n    group: \"Review " + QByteArray::number(number % 7) +
           "\"\n    agent: \"codex\"\n    tags:\n      - \"review\"\n      - \"release\"\n    text: |\n"
           "      Review the module {{ module | src/core }} for the coming release.\n"
           "      \n"
           "      1. List the public functions whose behaviour changed since the last tag.\n"
           "      2. Point out error paths that have no test, with the file and line.\n"
           "      3. Check that log lines never print file contents or home paths.\n"
           "      Answer in English, as a numbered list, without rewriting the code.\n\n";
}

// The prompt files of a home folder in workspace files of at most 1 MB, read by the real loader.
PromptLoadResult loadedResult(qint64 totalBytes, const QString& home) {
    const QString folder = QDir(home).filePath(".orris-hollows/workspaces");
    QDir().mkpath(folder);
    qint64 written = 0;
    int prompts = 0;
    for (int file = 0; written < totalBytes; ++file) {
        QByteArray content = "workspace:\n  name: \"Workspace " + QByteArray::number(file) +
                             "\"\n  match_paths:\n    - \"/home/dev/src/project-" + QByteArray::number(file) +
                             "\"\n\nprompts:\n";
        while (content.size() < std::min<qint64>(1'000'000, totalBytes - written)) {
            content += promptBlock(prompts++);
        }
        QFile out(QDir(folder).filePath(QStringLiteral("workspace-%1.yaml").arg(file)));
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
            std::abort();
        }
        written += content.size();
    }
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
    PromptStore store(environment, [] { return AppLanguage::english; }, false, services);
    for (int i = 0; i < 500; ++i) {
        store.usageStore().recordSuccessfulCopy(QStringLiteral("prompt-%1").arg(i * 37), QDateTime::currentDateTimeUtc());
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
