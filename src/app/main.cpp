#include "app/Runtime.h"
#include "app/SingleInstance.h"
#include "app/StatusIslandController.h"
#include "config/BackgroundWork.h"
#include "config/InstanceLock.h"
#include "platform/x11/X11Desktop.h"
#include "store/LibraryMemory.h"
#include "widgets/accessibility/PopupAccessibility.h"
#include "widgets/OrrisHollowsAppearance.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop like Quit does, so everything is torn down in order.
void quitOnTerminationSignals(QApplication& application) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

const char usage[] = "Usage: orris-hollows [--toggle]\n"
                     "Keeps a library of reusable prompts in the tray and shows them in a panel.\n"
                     "\n"
                     "  --toggle    show the panel of the running instance, or hide it when it is shown\n"
                     "              (starts the app first when none runs)\n"
                     "  --help      print this help and exit\n"
                     "  --version   print the version and exit\n";

bool runsOnX11() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    return platform.isEmpty() || platform.startsWith("xcb");
}

} // namespace

int main(int argc, char* argv[]) {
    LibraryMemory::configureAllocator();
    bool toggle = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--toggle") == 0) {
            toggle = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("orris-hollows " ORRIS_HOLLOWS_VERSION "\n", stdout);
            return 0;
        } else {
            std::fprintf(stderr, "orris-hollows: unknown argument: %s\n", argv[i]);
            std::fputs(usage, stderr);
            return 2;
        }
    }
    if (runsOnX11() && !X11Desktop::displayReachable()) {
        std::fputs("orris-hollows: no X11 display: set DISPLAY, or run inside a desktop session\n", stderr);
        return 1;
    }

    // Before the application exists: its accessible interface is made while it starts.
    PopupAccessibility::installApplicationAccessible();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orris Hollows"));
    QApplication::setOrganizationName(QStringLiteral("orris-hollows"));
    QApplication::setDesktopFileName(QStringLiteral("orris-hollows"));
    QApplication::setQuitOnLastWindowClosed(false);

    const AppEnvironment environment = AppEnvironment::system();
    const QString dataFolder = environment.dataDirectory();
    SingleInstance instance(SingleInstance::defaultSocketPath(dataFolder));
    const QByteArray request = toggle ? QByteArrayLiteral("toggle") : QByteArrayLiteral("show");
    // The lock decides, whatever the display: one instance per home, held until this process ends.
    const InstanceLock::Outcome lock = InstanceLock::tryAcquire(dataFolder);
    if (lock == InstanceLock::Outcome::heldElsewhere) {
        // The holder may still be starting: give it time to listen and answer.
        if (instance.sendToRunningInstance(request, 10'000)) {
            return 0;
        }
        std::fputs("orris-hollows: another instance is running for this home and did not answer\n", stderr);
        return 1;
    }
    if (lock == InstanceLock::Outcome::unavailable && instance.sendToRunningInstance(request)) {
        return 0;
    }
    instance.listen();

    BackgroundWork::configureFramePool();
    OrrisHollowsAppearance::applyDark(application);
    quitOnTerminationSignals(application);

    Runtime runtime(environment, RuntimePlatform::system(environment));
    runtime.start();
    QObject::connect(&instance, &SingleInstance::requestReceived, &runtime, [&runtime](const QByteArray& received) {
        if (received == "toggle") {
            runtime.statusController().togglePanel();
        } else {
            runtime.statusController().showPanel();
        }
    });
    if (toggle) {
        QObject::connect(&runtime, &Runtime::launched, &runtime,
                         [&runtime] { runtime.statusController().showPanel(); });
    }
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &runtime, [&runtime] { runtime.shutDown(); });
    return application.exec();
}
