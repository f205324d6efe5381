// Loading the prompt files of one home folder through PromptConfigLoader::loadAllConfigs, up to
// the aggregate limit of one load (10 MiB in files of 100 KB to 1 MB, about 20,000 prompts).
// Target: 100 MB/s on one core, cost linear in the size.

#include "config/PromptConfigLoader.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace {

// One realistic prompt of about 530 bytes.
QByteArray promptBlock(int number) {
    const QByteArray n = QByteArray::number(number);
    return "  - id: \"prompt-" + n +
           "\"\n"
           "    title: \"Review module " +
           n +
           " before the release\"\n"
           "    group: \"Review\"\n"
           "    agent: \"codex\"\n"
           "    tags:\n"
           "      - \"review\"\n"
           "      - \"release\"\n"
           "    text: |\n"
           "      Review module " +
           n +
           " ({{ module | src/core }}) for the coming release.\n"
           "      \n"
           "      1. List the public functions whose behaviour changed since the last tag.\n"
           "      2. Point out error paths that have no test, with the file and line.\n"
           "      3. Check that log lines never print file contents or home paths.\n"
           "      Answer in English, as a numbered list, without rewriting the code.\n"
           "\n";
}

struct Fixture {
    std::unique_ptr<QTemporaryDir> home;
    qint64 bytes = 0;
    int prompts = 0;
};

// Files of 100 KB, 300 KB, 600 KB and 1,000 KB in turn until `total` bytes are written.
Fixture makeHome(qint64 total) {
    Fixture fixture;
    fixture.home = std::make_unique<QTemporaryDir>();
    const QString workspaces = QDir(fixture.home->path()).filePath(".orris-hollows/workspaces");
    QDir().mkpath(workspaces);
    const qint64 sizes[] = {100'000, 300'000, 600'000, 1'000'000};
    int file = 0;
    while (fixture.bytes < total) {
        const qint64 target = std::min(sizes[file % 4], total - fixture.bytes);
        QByteArray content = "workspace:\n  name: \"Workspace " + QByteArray::number(file) +
                             "\"\n  match_paths:\n    - \"/home/dev/src/project-" + QByteArray::number(file) +
                             "\"\n\nprompts:\n";
        while (content.size() < target) {
            const QByteArray block = promptBlock(fixture.prompts);
            if (content.size() + block.size() > target && content.size() > 100) {
                break;
            }
            content += block;
            ++fixture.prompts;
        }
        QFile out(QDir(workspaces).filePath(QStringLiteral("workspace-%1.yaml").arg(file, 3, 10, QLatin1Char('0'))));
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
            std::abort();
        }
        fixture.bytes += content.size();
        ++file;
    }
    return fixture;
}

const Fixture& fixtureOf(qint64 total) {
    static std::map<qint64, Fixture> fixtures;
    auto found = fixtures.find(total);
    if (found == fixtures.end()) {
        found = fixtures.emplace(total, makeHome(total)).first;
    }
    return found->second;
}

void BM_LoadAllConfigs(benchmark::State& state) {
    const Fixture& fixture = fixtureOf(state.range(0));
    AppEnvironment environment;
    environment.homePath = fixture.home->path();
    for (auto _ : state) {
        PromptConfigLoader loader(environment, [] { return AppLanguage::english; });
        PromptLoadResult result = loader.loadAllConfigs();
        if (!result.issues.isEmpty()) {
            state.SkipWithError("the fixture did not load cleanly");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * fixture.bytes);
    state.SetComplexityN(fixture.bytes);
    state.counters["prompts"] = fixture.prompts;
}

// The whole aggregate limit, then smaller loads for the complexity fit.
BENCHMARK(BM_LoadAllConfigs)
    ->Arg(10'400'000)
    ->Arg(1'300'000)
    ->Arg(2'600'000)
    ->Arg(5'200'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

// The reader alone, over text already in memory: structure check and extraction of one 1 MB file.
void BM_ParseOneFile(benchmark::State& state) {
    QByteArray content = "workspace:\n  name: \"W\"\n  match_paths: []\n\nprompts:\n";
    for (int i = 0; content.size() < 1'000'000; ++i) {
        content += promptBlock(i);
    }
    const QString text = QString::fromUtf8(content);
    AppEnvironment environment;
    PromptConfigLoader loader(environment, [] { return AppLanguage::english; });
    for (auto _ : state) {
        const bool valid = PromptConfigLoader::hasValidConfigStructure(text);
        PromptWorkspace workspace = loader.parseWorkspace(text, QStringLiteral("w"), QStringLiteral("w"));
        benchmark::DoNotOptimize(valid);
        benchmark::DoNotOptimize(workspace);
    }
    state.SetBytesProcessed(state.iterations() * content.size());
}
BENCHMARK(BM_ParseOneFile)->Unit(benchmark::kMillisecond);

// A hand-made file in which every prompt repeats one id: each gets the next free "-n" suffix.
// The cost must stay linear in the number of prompts, however many share the id.
void BM_DuplicatePromptIDs(benchmark::State& state) {
    QTemporaryDir home;
    QDir().mkpath(QDir(home.path()).filePath(".orris-hollows"));
    QByteArray content = "prompts:\n";
    for (qint64 i = 0; i < state.range(0); ++i) {
        content += "  - id: x\n    text: t\n";
    }
    QFile file(QDir(home.path()).filePath(".orris-hollows/global.yaml"));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        state.SkipWithError("cannot write the fixture");
        return;
    }
    file.close();
    AppEnvironment environment;
    environment.homePath = home.path();
    for (auto _ : state) {
        PromptConfigLoader loader(environment, [] { return AppLanguage::english; });
        PromptLoadResult result = loader.loadAllConfigs();
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
}
// 40,000 prompts of 22 bytes stay under the 1 MiB limit of one file.
BENCHMARK(BM_DuplicatePromptIDs)
    ->Arg(3'000)
    ->Arg(12'000)
    ->Arg(40'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
