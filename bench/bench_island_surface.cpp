// The cost of one frame of the island's opening morph in a 520 x 720 panel, drawn in software
// into an image as Xvfb would: the glass, the shadow (with a compositor), the clipped content
// and toolbar with their fades. Each iteration moves the morph on by one 60 Hz frame and paints.

#include "model/environment/Clock.h"
#include "panel/island/IslandMorphState.h"
#include "panel/island/IslandSurfaceView.h"
#include "widgets/BrandButton.h"
#include "widgets/BrandLineEdit.h"
#include "widgets/OrrisHollowsAppearance.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace std::chrono_literals;

class FrameClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::fromMSecsSinceEpoch(m_now.count()); }
    std::chrono::milliseconds monotonicNow() const override { return m_now; }
    void advance(std::chrono::milliseconds by) { m_now += by; }

private:
    std::chrono::milliseconds m_now{1'000'000};
};

class NoScheduler final : public Scheduler {
public:
    Token schedule(std::chrono::milliseconds, std::function<void()>) override { return 0; }
    Token scheduleRepeating(std::chrono::milliseconds, std::function<void()>) override { return 0; }
    void cancel(Token) override {}
};

QWidget* makeContent() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(18, 18, 18, 8);
    layout->addWidget(new QLabel(QStringLiteral("Orris Hollows")));
    auto* search = new BrandLineEdit;
    search->setPlaceholderText(QStringLiteral("Search prompts"));
    layout->addWidget(search);
    auto* row = new QHBoxLayout;
    for (const auto& title : {QStringLiteral("New Prompt"), QStringLiteral("Manage Workspaces")}) {
        auto* button = new BrandButton(ButtonLook::Kind::panelAction, title);
        button->setLabel(BrandButton::Label::panelAction, QStringLiteral("plus"), true);
        row->addWidget(button);
    }
    layout->addLayout(row);
    layout->addStretch();
    return content;
}

QWidget* makeToolbar() {
    auto* toolbar = new QWidget;
    auto* layout = new QHBoxLayout(toolbar);
    layout->setContentsMargins(14, 8, 14, 14);
    auto* settings = new BrandButton(ButtonLook::Kind::bottomToolbar, QStringLiteral("Settings"));
    settings->setLabel(BrandButton::Label::bottomToolbar, QStringLiteral("gearshape"), false);
    auto* add = new BrandButton(ButtonLook::Kind::bottomToolbar, QStringLiteral("New Prompt"));
    add->setLabel(BrandButton::Label::bottomToolbar, QStringLiteral("plus"), true);
    layout->addWidget(settings);
    layout->addWidget(add);
    return toolbar;
}

void openingMorphFrame(benchmark::State& state, bool compositing) {
    auto clock = std::make_shared<FrameClock>();
    IslandMorphState morph(std::make_shared<NoScheduler>());
    IslandSurfaceView surface(morph, makeContent(), makeToolbar(), clock);
    surface.resize(520, 720);
    surface.setCompositing(compositing);
    surface.show();
    QCoreApplication::processEvents();
    QImage frame(surface.size(), QImage::Format_ARGB32_Premultiplied);

    // The shadow is rendered once per panel size, on the first frame that shows it.
    morph.open(false);
    clock->advance(300ms);
    surface.animator().tick();
    surface.render(&frame);

    auto restart = [&] {
        morph.resetCollapsed();
        morph.open(false);
    };
    restart();
    std::chrono::milliseconds elapsed{0};
    for (auto _ : state) {
        clock->advance(16ms);
        elapsed += 16ms;
        surface.animator().tick();
        frame.fill(Qt::transparent);
        surface.render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
        if (elapsed >= IslandMorphState::openDuration) {
            state.PauseTiming();
            elapsed = 0ms;
            restart();
            state.ResumeTiming();
        }
    }
}

void BM_OpeningMorphFrame_Composited(benchmark::State& state) {
    openingMorphFrame(state, true);
}
void BM_OpeningMorphFrame_Masked(benchmark::State& state) {
    openingMorphFrame(state, false);
}
BENCHMARK(BM_OpeningMorphFrame_Composited)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpeningMorphFrame_Masked)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Software rendering, as on Xvfb, without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    OrrisHollowsAppearance::applyDark(application);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
