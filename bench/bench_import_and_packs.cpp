// The two readers of pasted or chosen text whose cost the caps bound: the pasted-import parse,
// run on a worker thread after every debounced edit of the import sheet (at most 512 KiB, 200
// sections), and the pack preview, run when the user picks a pack file (at most 1 MiB, 500
// prompts). Both should stay linear in the size and well under the time of one keystroke.

#include "config/PromptImportParser.h"
#include "config/PromptPackService.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

// 150 blank-line blocks of a title and lines of prose, filling `bytes`: the worst layout under
// the 200-section cap, since every line of the whole text is split, trimmed and joined.
QString pastedText(qsizetype bytes) {
    const QString line = QStringLiteral("Check the error paths of the parser and list the ones that have no test.\n");
    const qsizetype linesPerBlock = std::max<qsizetype>(1, bytes / 150 / line.size());
    QString text;
    for (int block = 0;; ++block) {
        QString next = QStringLiteral("Section %1\n").arg(block);
        for (qsizetype i = 0; i < linesPerBlock; ++i) {
            next += line;
        }
        next += u'\n';
        if (text.size() + next.size() > bytes) {
            return text;
        }
        text += next;
    }
}

// A pack of `prompts` prompts of about 2 KB each, under the 1 MiB limit at 500.
QString packText(int prompts) {
    QString text =
        QStringLiteral("pack:\n  id: \"bench\"\n  name: \"Bench\"\nworkspace:\n  name: \"Bench\"\nprompts:\n");
    const QString line = QStringLiteral("      Review the module for the coming release and list what changed.\n");
    for (int i = 0; i < prompts; ++i) {
        text +=
            QStringLiteral("  - id: \"p%1\"\n    title: \"Prompt %1\"\n    group: \"Review\"\n    agent: \"codex\"\n"
                           "    tags:\n      - \"review\"\n    text: |\n")
                .arg(i);
        for (int j = 0; j < 28; ++j) {
            text += line;
        }
        text += u'\n';
    }
    return text;
}

void BM_ImportParse(benchmark::State& state) {
    const QString text = pastedText(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(PromptImportParser::parse(text, AppLanguage::english));
    }
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
    state.SetComplexityN(text.size());
}
BENCHMARK(BM_ImportParse)->RangeMultiplier(2)->Range(64 << 10, 512 << 10)->Complexity(benchmark::oN);

void BM_ImportRefusedOverCap(benchmark::State& state) {
    const QString text = pastedText(10 << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PromptImportParser::parse(text, AppLanguage::english));
    }
}
BENCHMARK(BM_ImportRefusedOverCap);

void BM_PackPreview(benchmark::State& state) {
    AppEnvironment environment;
    environment.homePath = QStringLiteral("/nonexistent-bench-home");
    const PromptPackService service(environment, [] { return AppLanguage::english; });
    const QString text = packText(int(state.range(0)));
    if (!service.parseImportPreviewFromText(text).ok()) {
        state.SkipWithError("the pack is refused");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(service.parseImportPreviewFromText(text));
    }
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_PackPreview)
    ->Arg(62)
    ->Arg(125)
    ->Arg(250)
    ->Arg(500)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
