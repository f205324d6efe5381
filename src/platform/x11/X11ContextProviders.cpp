#include "platform/x11/X11ContextProviders.h"

#include "config/BackgroundWork.h"

#include <QFutureWatcher>
#include <QGuiApplication>
#include <qguiapplication_platform.h>
#include <QPointer>
#include <QPromise>
#include <QThreadPool>

X11ContextProviders::X11ContextProviders(const AppEnvironment& environment, const QByteArray& displayName,
                                         QObject* parent)
    : QObject(parent), m_monitor(X11ActiveWindowMonitor::connectToDisplay(displayName)) {
    if (!m_monitor) {
        return;
    }
    const auto variable = [&environment](const char* name) -> std::optional<QString> {
        return environment.environmentVariable ? environment.environmentVariable(QString::fromLatin1(name))
                                               : std::nullopt;
    };
    const QStringList directories =
        DesktopEntryIndex::dataDirectories(environment.homePath, variable("XDG_DATA_HOME"), variable("XDG_DATA_DIRS"));

    // Reading every installed desktop entry takes a while: never on the UI thread.
    auto promise = std::make_shared<QPromise<DesktopEntryIndex>>();
    auto* watcher = new QFutureWatcher<DesktopEntryIndex>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        if (watcher->future().resultCount() > 0) {
            m_desktopEntries = watcher->result();
            emit desktopEntriesIndexed();
        }
    });
    watcher->setFuture(promise->future());
    promise->start();
    BackgroundWork::pool()->start([promise, directories] {
        promise->addResult(DesktopEntryIndex::build(directories));
        promise->finish();
    });
}

X11ContextProviders::~X11ContextProviders() = default;

QByteArray X11ContextProviders::applicationDisplayName(const AppEnvironment& environment) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return {};
    }
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) {
        return {};
    }
    const auto display =
        environment.environmentVariable ? environment.environmentVariable(QStringLiteral("DISPLAY")) : std::nullopt;
    return display ? display->toLocal8Bit() : QByteArray();
}

ApplicationIdentity X11ContextProviders::identityOf(const X11WindowFacts& facts,
                                                    const DesktopEntryIndex* desktopEntries) {
    WindowApplicationFacts application;
    application.wmClassInstance = facts.instance;
    application.wmClassClass = facts.windowClass;
    application.executableName = facts.executableName;
    std::optional<DesktopEntryIndex::Entry> entry;
    if (desktopEntries) {
        entry = facts.sandboxAppId ? desktopEntries->byId(*facts.sandboxAppId) : std::nullopt;
        if (!entry) {
            entry = desktopEntries->forWindowClass(facts.instance, facts.windowClass);
        }
    }
    if (entry) {
        application.desktopEntryId = entry->id;
        application.desktopEntryName = entry->name;
    } else if (facts.sandboxAppId) {
        // A sandboxed app's id is its desktop entry's id, whether or not the index has it yet.
        application.desktopEntryId = *facts.sandboxAppId;
    }
    return ApplicationIdentity::fromWindow(application);
}

ContextDetector::FrontmostApplication X11ContextProviders::frontmostApplication() {
    const auto facts = m_monitor ? m_monitor->frontmostWindow() : std::nullopt;
    m_titleOfLastRead = facts ? std::optional(facts->title) : std::nullopt;
    m_lastReadAt = std::chrono::steady_clock::now();
    if (!facts) {
        return {};
    }
    const ApplicationIdentity identity = identityOf(*facts, m_desktopEntries ? &*m_desktopEntries : nullptr);
    return {identity.appName, identity.bundleIdentifier};
}

ContextDetector::WindowTitleRead X11ContextProviders::frontWindowTitle() {
    // X11 titles are open to every client: no permission to ask for, no error to report.
    // A detection reads the application and then, at once, its title: the window just read
    // answers both, which saves two round trips to the server.
    if (m_titleOfLastRead && std::chrono::steady_clock::now() - m_lastReadAt < titleReuseWindow) {
        const QString title = *m_titleOfLastRead;
        m_titleOfLastRead.reset();
        return {title, false, std::nullopt};
    }
    const auto facts = m_monitor ? m_monitor->frontmostWindow() : std::nullopt;
    return {facts ? facts->title : QString(), false, std::nullopt};
}

ContextDetector::ActivationObserverRegistration
X11ContextProviders::observeActivations(std::function<void()> onActivated) {
    if (!m_monitor) {
        return [] {};
    }
    const QMetaObject::Connection connection =
        connect(m_monitor.get(), &X11ActiveWindowMonitor::activeApplicationChanged, this, std::move(onActivated));
    return [connection] { QObject::disconnect(connection); };
}

ContextDetector::Platform X11ContextProviders::detectorPlatform() {
    QPointer<X11ContextProviders> self(this);
    ContextDetector::Platform platform;
    platform.frontmostApplicationProvider = [self] {
        return self ? self->frontmostApplication() : ContextDetector::FrontmostApplication{};
    };
    platform.windowTitleReader = [self] {
        return self ? self->frontWindowTitle() : ContextDetector::WindowTitleRead{};
    };
    platform.activationSource =
        [self](std::function<void()> onActivated) -> ContextDetector::ActivationObserverRegistration {
        if (!self) {
            return [] {};
        }
        return self->observeActivations(std::move(onActivated));
    };
    return platform;
}
