// The panel's prompt tiles on the main thread, offscreen, for a workspace of 1,000 prompts plus
// 20 global ones:
// - the first build of the stage: the snapshot, the tiles of a 600-high view (the stage makes
//   no others), layout and one paint of the visible part. Target: under 50 ms.
// - one keystroke of search on a shown stage: a new snapshot, the tiles in view rebound, layout
//   and one paint. Target: under 16 ms, one frame.

#include "context/ContextBindingStore.h"
#include "model/environment/UserDefaults.h"
#include "panel/tiles/PromptSectionsView.h"
#include "ReadyLoader.h"
#include "store/PanelRenderSnapshotBuilder.h"
#include "store/PromptStore.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

namespace {

PromptItem promptNumber(int number) {
    PromptItem item;
    item.id = QStringLiteral("prompt-%1").arg(number);
    item.title = QStringLiteral("Review module %1 before the release").arg(number);
    item.group = QStringLiteral("Review %1").arg(number % 7);
    item.agent = AgentType::codex;
    item.isPinned = number % 50 == 0;
    item.text = QStringLiteral("Review the module {{ module | src/core }} for the coming release.\n\n"
                               "1. List the public functions whose behaviour changed since the last tag.\n"
                               "2. Point out error paths that have no test, with the file and line.\n"
                               "Answer in English, as a numbered list, without rewriting the code.\n");
    return item;
}

// A store with 20 global prompts and one editable workspace of 1,000 prompts bound to Zed.
struct PanelFixture {
    QTemporaryDir home;
    std::unique_ptr<PromptStore> store;
    AgentContext context;

    PanelFixture() {
        PromptLoadResult load;
        for (int i = 0; i < 20; ++i) {
            load.globalPrompts.append(promptNumber(1'000'000 + i));
        }
        PromptWorkspace workspace;
        workspace.id = QStringLiteral("big");
        workspace.name = QStringLiteral("Big");
        workspace.source = PromptWorkspaceSource::userWorkspace;
        for (int i = 0; i < 1'000; ++i) {
            workspace.prompts.append(promptNumber(i));
        }
        load.workspaces = {workspace};
        AppEnvironment environment;
        environment.homePath = home.path();
        environment.defaults = std::make_shared<MemoryUserDefaults>();
        environment.clock = std::make_shared<SystemClock>();
        PromptStoreServices services;
        services.configLoader = std::make_shared<ReadyLoader>(load);
        store = std::make_unique<PromptStore>(
            environment, [] { return AppLanguage::english; }, false, services);
        store->reload();
        while (store->isReloading()) {
            QCoreApplication::processEvents();
        }
        store->bindingStore().addAgentWorkspaceBinding(AgentType::zed, QStringLiteral("Zed"), std::nullopt,
                                                       QStringLiteral("big"), true);
        context.agent = AgentType::zed;
        context.frontmostAppName = QStringLiteral("Zed");
    }

    PanelRenderSnapshot snapshot(const QString& search) const {
        return PanelRenderSnapshotBuilder::make(*store, context, search, false);
    }
};

PanelFixture& fixture() {
    static PanelFixture shared;
    return shared;
}

PromptSectionsView::State stateFor(const PanelRenderSnapshot& snapshot) {
    PromptSectionsView::State state;
    if (snapshot.activeWorkspace) {
        state.editableWorkspaceID = snapshot.activeWorkspace->id;
    }
    state.language = AppLanguage::english;
    if (!snapshot.visiblePrompts.isEmpty()) {
        state.selectedPromptID = snapshot.visiblePrompts.first().id;
    }
    return state;
}

PromptSectionsView::Callbacks callbacks() {
    PromptSectionsView::Callbacks callbacks;
    PromptStore* store = fixture().store.get();
    callbacks.canMove = [store](const PromptItem& prompt, PromptMoveDirection direction) {
        return store->canMovePrompt(prompt.id, QStringLiteral("big"), direction);
    };
    return callbacks;
}

// The part of the stage the panel shows at once.
void paintVisiblePart(QWidget& stage, QImage& frame) {
    frame.fill(Qt::black);
    stage.render(&frame, QPoint(), QRegion(0, 0, frame.width(), frame.height()));
}

void BM_FirstBuild(benchmark::State& state) {
    PanelFixture& panel = fixture();
    QImage frame(PromptSectionsView::stageWidth, 600, QImage::Format_ARGB32_Premultiplied);
    int tiles = 0;
    for (auto _ : state) {
        auto stage = std::make_unique<PromptSectionsView>();
        stage->setCallbacks(callbacks());
        stage->setVisibleArea(frame.rect());
        const PanelRenderSnapshot snapshot = panel.snapshot(QString());
        stage->setState(snapshot, stateFor(snapshot));
        stage->resize(stage->sizeHint());
        paintVisiblePart(*stage, frame);
        tiles = stage->tilePoolSize();
        state.PauseTiming();
        stage.reset();
        state.ResumeTiming();
    }
    state.counters["tiles"] = tiles;
    // The rows meeting the view and the stage's margin around it, never one per prompt.
    if (tiles == 0 || tiles > 24) {
        state.SkipWithError("unexpected number of tiles");
    }
}
BENCHMARK(BM_FirstBuild)->Unit(benchmark::kMillisecond);

// Alternates between two search texts one keystroke apart; each iteration is one refresh.
void BM_SearchKeystroke(benchmark::State& state, QString shorter, QString longer) {
    PanelFixture& panel = fixture();
    QImage frame(PromptSectionsView::stageWidth, 600, QImage::Format_ARGB32_Premultiplied);
    PromptSectionsView stage;
    stage.setCallbacks(callbacks());
    stage.setVisibleArea(frame.rect());
    const PanelRenderSnapshot full = panel.snapshot(QString());
    stage.setState(full, stateFor(full));
    stage.resize(stage.sizeHint());
    paintVisiblePart(stage, frame);
    bool typed = false;
    qsizetype shown = 0;
    for (auto _ : state) {
        typed = !typed;
        const PanelRenderSnapshot snapshot = panel.snapshot(typed ? longer : shorter);
        stage.setState(snapshot, stateFor(snapshot));
        stage.resize(stage.sizeHint());
        paintVisiblePart(stage, frame);
        shown = snapshot.visiblePrompts.size();
    }
    state.counters["shown"] = double(shown);
}
// From the whole panel to a search every prompt matches: every tile stays and changes.
BENCHMARK_CAPTURE(BM_SearchKeystroke, everyTileStays, QString(), QStringLiteral("r"))->Unit(benchmark::kMillisecond);
// A search narrowed by one character, from about 130 prompts to a dozen.
BENCHMARK_CAPTURE(BM_SearchKeystroke, narrowing, QStringLiteral("module 1"), QStringLiteral("module 12"))
    ->Unit(benchmark::kMillisecond);

// The snapshot alone for the same keystrokes, to tell its share from the widgets'.
void BM_SnapshotOnly(benchmark::State& state, QString shorter, QString longer) {
    PanelFixture& panel = fixture();
    bool typed = false;
    for (auto _ : state) {
        typed = !typed;
        benchmark::DoNotOptimize(panel.snapshot(typed ? longer : shorter));
    }
}
BENCHMARK_CAPTURE(BM_SnapshotOnly, everyTileStays, QString(), QStringLiteral("r"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SnapshotOnly, narrowing, QStringLiteral("module 1"), QStringLiteral("module 12"))
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
