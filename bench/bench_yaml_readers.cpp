// Our prompt file reader against two general YAML libraries on the same bytes, in one run: the
// bytes of a 1 MB workspace file, already in memory, to prompt data. Each round times the three
// readers in turn (the order rotates), so a busy machine slows them alike; the counters are the
// medians over the rounds. Target: our reader at least twice libyaml's event parser.
//
// - ours: PromptConfigLoader::readWorkspace, the path of a load without the file access and the
//   hash: UTF-8 check, structure check and the workspace with its prompts;
// - libyaml: its event parser over the whole document, each event taken and freed (the least a
//   program built on it must do before it holds any data);
// - yaml-cpp: YAML::Load, the document as a node tree.

#include "BenchLibrary.h"
#include "config/PromptConfigLoader.h"

#include <benchmark/benchmark.h>
#include <yaml-cpp/yaml.h>
#include <yaml.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QByteArray workspaceFile(bool chinese) {
    QByteArray content = "workspace:\n  name: \"Bench\"\n  match_paths:\n    - \"/home/dev/src/bench\"\n\nprompts:\n";
    for (int i = 0; content.size() < 1'000'000; ++i) {
        QByteArray block = BenchLibrary::promptBlock(i);
        if (chinese) {
            block.replace("      Review module", "      请审查模块");
            block.replace("Answer in English, as a numbered list", "用中文回答，按编号列出");
        }
        content += block;
    }
    return content;
}

qint64 readOurs(PromptConfigLoader& loader, const QByteArray& bytes) {
    PromptConfigIssueKind failure = PromptConfigIssueKind::unreadable;
    const std::optional<PromptWorkspace> workspace =
        loader.readWorkspace(bytes, QStringLiteral("bench"), QStringLiteral("bench"), failure);
    if (!workspace) {
        std::abort();
    }
    return workspace->prompts.size();
}

qint64 readLibyaml(const QByteArray& bytes) {
    yaml_parser_t parser;
    if (!yaml_parser_initialize(&parser)) {
        std::abort();
    }
    yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(bytes.constData()),
                                 size_t(bytes.size()));
    qint64 scalars = 0;
    for (bool done = false; !done;) {
        yaml_event_t event;
        if (!yaml_parser_parse(&parser, &event)) {
            std::abort();
        }
        scalars += event.type == YAML_SCALAR_EVENT ? 1 : 0;
        done = event.type == YAML_STREAM_END_EVENT;
        yaml_event_delete(&event);
    }
    yaml_parser_delete(&parser);
    return scalars;
}

qint64 readYamlCpp(const std::string& bytes) {
    const YAML::Node document = YAML::Load(bytes);
    return qint64(document["prompts"].size());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void BM_ReadersInterleaved(benchmark::State& state) {
    const QByteArray bytes = workspaceFile(state.range(0) != 0);
    const std::string copy(bytes.constData(), size_t(bytes.size()));
    AppEnvironment environment;
    PromptConfigLoader loader(environment, [] { return AppLanguage::english; });
    std::vector<double> seconds[3];
    qint64 round = 0;
    for (auto _ : state) {
        for (int k = 0; k < 3; ++k) {
            const int reader = int((round + k) % 3);
            const Clock::time_point start = Clock::now();
            qint64 result = 0;
            switch (reader) {
            case 0:
                result = readOurs(loader, bytes);
                break;
            case 1:
                result = readLibyaml(bytes);
                break;
            default:
                result = readYamlCpp(copy);
                break;
            }
            benchmark::DoNotOptimize(result);
            seconds[reader].push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
        ++round;
    }
    const double megabytes = double(bytes.size()) / 1e6;
    const double ours = megabytes / median(seconds[0]);
    const double libyaml = megabytes / median(seconds[1]);
    const double yamlCpp = megabytes / median(seconds[2]);
    state.counters["ours_MBps"] = ours;
    state.counters["libyaml_MBps"] = libyaml;
    state.counters["yamlcpp_MBps"] = yamlCpp;
    state.counters["x_libyaml"] = ours / libyaml;
    state.counters["x_yamlcpp"] = ours / yamlCpp;
    state.SetBytesProcessed(state.iterations() * bytes.size() * 3);
}
// 0: the English library of the other benchmarks; 1: the same with Chinese in every text.
BENCHMARK(BM_ReadersInterleaved)->Arg(0)->Arg(1)->MinTime(3.0)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
