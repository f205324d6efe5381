// The cost of one context detection: the X11 reads of the frontmost application and its window
// title on the main thread, and the context built from them on the worker. Runs against a
// private Xvfb whose active window is a terminal-like window titled with a folder of a
// temporary home, so that the figures do not depend on the desktop the benchmark runs on.

#include "context/ContextDetector.h"
#include "platform/x11/X11ContextProviders.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>

#include <cstring>
#include <memory>

namespace {

QStringList noKnownPaths() {
    return {};
}

const QString terminalTitle = QStringLiteral("user@host: ~/projects/demo");

struct Fixture {
    QTemporaryDir home;
    std::unique_ptr<QProcess> server;
    QByteArray display;
    xcb_connection_t* connection = nullptr;
    AppEnvironment environment;
    std::unique_ptr<X11ContextProviders> providers;

    ~Fixture() {
        providers.reset();
        if (connection) {
            xcb_disconnect(connection);
        }
        if (server) {
            server->terminate();
            server->waitForFinished(5000);
        }
    }

    bool startServer() {
        for (int number = 73; number < 120; ++number) {
            if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
                continue;
            }
            const QByteArray name = ':' + QByteArray::number(number);
            server = std::make_unique<QProcess>();
            server->start(QStringLiteral("Xvfb"),
                          {QString::fromLatin1(name), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                           QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("640x480x24")});
            if (!server->waitForStarted(5000)) {
                server.reset();
                return false;
            }
            for (int attempt = 0; attempt < 100; ++attempt) {
                connection = xcb_connect(name.constData(), nullptr);
                if (!xcb_connection_has_error(connection)) {
                    display = name;
                    return true;
                }
                xcb_disconnect(connection);
                connection = nullptr;
                if (server->state() != QProcess::Running) {
                    break;
                }
                QThread::msleep(50);
            }
            server->kill();
            server->waitForFinished();
            server.reset();
        }
        return false;
    }

    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, strlen(name), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return result;
    }

    // A window that looks like an xterm of another process, made the active one.
    void showTerminalWindow() {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        const char windowClass[] = "xterm\0XTerm";
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            sizeof(windowClass), windowClass);
        const QByteArray title = terminalTitle.toUtf8();
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            title.size(), title.constData());
        const quint32 pid = quint32(server->processId());
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                            &pid);
        xcb_map_window(connection, window);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, screen->root, atom("_NET_ACTIVE_WINDOW"),
                            XCB_ATOM_WINDOW, 32, 1, &window);
        xcb_aux_sync();
    }

    void xcb_aux_sync() { free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)); }

    bool setUp() {
        if (!home.isValid() || !QDir(home.path()).mkpath(QStringLiteral("projects/demo"))) {
            return false;
        }
        environment.homePath = home.path();
        environment.clock = std::make_shared<SystemClock>();
        environment.environmentVariable = [](const QString&) { return std::optional<QString>(); };
        if (!startServer()) {
            return false;
        }
        showTerminalWindow();
        providers = std::make_unique<X11ContextProviders>(environment, display);
        if (!providers->isConnected()) {
            return false;
        }
        // Name applications with the desktop entries, as the running app does after start-up.
        QEventLoop loop;
        QObject::connect(providers.get(), &X11ContextProviders::desktopEntriesIndexed, &loop, &QEventLoop::quit);
        if (!providers->hasDesktopEntries()) {
            loop.exec();
        }
        return providers->frontWindowTitle().title == terminalTitle;
    }
};

Fixture* fixture() {
    static Fixture* shared = [] {
        auto* created = new Fixture;
        if (!created->setUp()) {
            delete created;
            return static_cast<Fixture*>(nullptr);
        }
        return created;
    }();
    return shared;
}

void BM_FrontmostApplication(benchmark::State& state) {
    Fixture* f = fixture();
    if (!f) {
        state.SkipWithError("no Xvfb to run against");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(f->providers->frontmostApplication());
    }
}
BENCHMARK(BM_FrontmostApplication);

void BM_WindowTitle(benchmark::State& state) {
    Fixture* f = fixture();
    if (!f) {
        state.SkipWithError("no Xvfb to run against");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(f->providers->frontWindowTitle());
    }
}
BENCHMARK(BM_WindowTitle);

void BM_MakeContext(benchmark::State& state) {
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("projects/demo"));
    const QStringList known = {home.path() + QStringLiteral("/projects/other"), QStringLiteral("/srv/app")};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ContextDetector::makeContext(QStringLiteral("Terminal"), std::nullopt, terminalTitle,
                                                              std::nullopt, known, home.path(), QStringLiteral("/")));
    }
}
BENCHMARK(BM_MakeContext);

// Everything one detection computes: both X11 reads and the context, on one thread.
void BM_Detection(benchmark::State& state) {
    Fixture* f = fixture();
    if (!f) {
        state.SkipWithError("no Xvfb to run against");
        return;
    }
    for (auto _ : state) {
        const auto application = f->providers->frontmostApplication();
        const auto title = f->providers->frontWindowTitle();
        const AgentContext context =
            ContextDetector::makeContext(application.name, application.bundleIdentifier, title.title, std::nullopt, {},
                                         f->home.path(), QStringLiteral("/"));
        if (context.detectionSource != ContextDetectionSource::terminalDirectory) {
            state.SkipWithError("the terminal's folder was not found");
            return;
        }
        benchmark::DoNotOptimize(context);
    }
}
BENCHMARK(BM_Detection);

// A forced refresh until its context is published: the detection plus the hand-over to the
// worker and back through the event loop.
void BM_RefreshUntilPublished(benchmark::State& state) {
    Fixture* f = fixture();
    if (!f) {
        state.SkipWithError("no Xvfb to run against");
        return;
    }
    ContextDetector::Platform platform = f->providers->detectorPlatform();
    platform.automaticMatchingEnabledProvider = [] { return true; };
    platform.startsTimer = false;
    ContextDetector detector(f->environment, noKnownPaths, platform);
    QEventLoop loop;
    QObject::connect(&detector, &ContextDetector::currentContextChanged, &loop, &QEventLoop::quit);
    detector.start();
    loop.exec();
    for (auto _ : state) {
        detector.refresh(true);
        loop.exec();
    }
    if (detector.currentContext().detectionSource != ContextDetectionSource::terminalDirectory) {
        state.SkipWithError("the terminal's folder was not found");
    }
}
BENCHMARK(BM_RefreshUntilPublished)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete fixture();
    return 0;
}
