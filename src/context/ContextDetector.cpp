#include "context/ContextDetector.h"

#include "config/BackgroundWork.h"
#include "context/IDEWorkspaceDetector.h"
#include "model/FilePaths.h"
#include "model/TerminalContextDetector.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

#include <condition_variable>
#include <mutex>

// The cancellation flag of one detection in flight, shared with its worker.
struct ContextDetector::Detection {
    std::mutex mutex;
    std::condition_variable wake;
    bool cancelled = false;

    void cancel() {
        {
            std::lock_guard lock(mutex);
            cancelled = true;
        }
        wake.notify_all();
    }

    bool isCancelled() {
        std::lock_guard lock(mutex);
        return cancelled;
    }

    // Cut short by cancel().
    void sleep(std::chrono::nanoseconds duration) {
        std::unique_lock lock(mutex);
        wake.wait_for(lock, duration, [this] { return cancelled; });
    }
};

ContextDetector::ContextDetector(const AppEnvironment& environment,
                                 KnownWorkspacePathsProvider knownWorkspacePathsProvider, Platform platform,
                                 QObject* parent)
    : QObject(parent), m_environment(environment),
      m_knownWorkspacePathsProvider(std::move(knownWorkspacePathsProvider)), m_platform(std::move(platform)) {}

ContextDetector::ContextDetector(const AppEnvironment& environment,
                                 KnownWorkspacePathsProvider knownWorkspacePathsProvider, QObject* parent)
    : ContextDetector(environment, std::move(knownWorkspacePathsProvider), Platform{}, parent) {}

ContextDetector::~ContextDetector() {
    // The scheduler and the activation source outlive us; leave nothing behind that points here.
    if (m_timer && m_environment.scheduler) {
        m_environment.scheduler->cancel(*m_timer);
    }
    if (m_activationObserver) {
        m_activationObserver();
    }
    if (m_detection) {
        m_detection->cancel();
    }
}

void ContextDetector::start() {
    if (m_isRunning) {
        return;
    }
    const quint64 generation = ++m_lifecycleGeneration;
    m_isRunning = true;
    QPointer<ContextDetector> self(this);
    if (m_platform.startsTimer && m_environment.scheduler) {
        m_timer = m_environment.scheduler->scheduleRepeating(timerInterval, [self, generation] {
            if (self && self->m_isRunning && self->m_lifecycleGeneration == generation) {
                self->refresh(false);
            }
        });
    }
    if (m_platform.activationSource) {
        m_activationObserver = m_platform.activationSource([self, generation] {
            if (self && self->m_isRunning && self->m_lifecycleGeneration == generation) {
                self->refresh(true);
            }
        });
    }
    refresh(true);
}

void ContextDetector::stop() {
    ++m_lifecycleGeneration;
    m_isRunning = false;
    cancelDetection();
    m_isDetecting = false;
    if (m_timer) {
        if (m_environment.scheduler) {
            m_environment.scheduler->cancel(*m_timer);
        }
        m_timer.reset();
    }
    if (m_activationObserver) {
        m_activationObserver();
        m_activationObserver = nullptr;
    }
}

void ContextDetector::cancelDetection() {
    if (m_detection) {
        m_detection->cancel();
        m_detection.reset();
    }
}

bool ContextDetector::automaticMatchingEnabled() const {
    if (m_platform.automaticMatchingEnabledProvider) {
        return m_platform.automaticMatchingEnabledProvider();
    }
    return m_environment.defaults && m_environment.defaults->boolValue(automaticMatchingEnabledKey).value_or(false);
}

void ContextDetector::refresh(bool force) {
    if (!m_isRunning) {
        return;
    }
    const FrontmostApplication application =
        m_platform.frontmostApplicationProvider ? m_platform.frontmostApplicationProvider() : FrontmostApplication{};
    const QStringList knownWorkspacePaths =
        m_knownWorkspacePathsProvider ? m_knownWorkspacePathsProvider() : QStringList();

    // A monotonic clock: after the wall clock is set back, polling must not stall until it
    // catches up.
    const std::chrono::milliseconds now = m_environment.clock->monotonicNow();
    if (!force) {
        if (m_lastDetectionAt && now - *m_lastDetectionAt < minimumDetectionInterval) {
            return;
        }
        if (m_isDetecting) {
            return;
        }
    } else if (m_isDetecting) {
        cancelDetection();
    }

    Inputs inputs{application, {}, std::nullopt, knownWorkspacePaths};
    if (automaticMatchingEnabled() && m_platform.windowTitleReader) {
        inputs.titleRead = m_platform.windowTitleReader();
    }
    inputs.environmentPath =
        m_environment.environmentVariable ? m_environment.environmentVariable(environmentVariableName) : std::nullopt;
    m_lastDetectionAt = now;
    // The poll finds what was published last: nothing to build on a worker and nothing to tell.
    // A folder that appears or goes away under an unchanged title shows at the next activation
    // or change of title.
    if (!force && m_publishedInputs && *m_publishedInputs == inputs) {
        return;
    }
    m_isDetecting = true;
    const quint64 detectionGeneration = ++m_detectionGeneration;
    const quint64 lifecycleGeneration = m_lifecycleGeneration;

    auto detection = std::make_shared<Detection>();
    m_detection = detection;
    const std::chrono::nanoseconds delay = m_platform.detectionDelay;
    const QString homePath = m_environment.homePath;
    const QString currentDirectory = QDir::currentPath();
    const QString title = inputs.titleRead.title;
    const std::optional<QString> environmentPath = inputs.environmentPath;

    QFuture<std::optional<AgentContext>> future =
        QtConcurrent::run(BackgroundWork::pool(),
                          [detection, delay, application, title, environmentPath, knownWorkspacePaths, homePath,
                           currentDirectory]() -> std::optional<AgentContext> {
                              if (delay.count() > 0) {
                                  detection->sleep(delay);
                              }
                              if (detection->isCancelled()) {
                                  return std::nullopt;
                              }
                              AgentContext context =
                                  makeContext(application.name, application.bundleIdentifier, title, environmentPath,
                                              knownWorkspacePaths, homePath, currentDirectory);
                              if (detection->isCancelled()) {
                                  return std::nullopt;
                              }
                              return context;
                          });

    // The watcher is our child: when the detector goes away first, the result goes nowhere.
    auto* watcher = new QFutureWatcher<std::optional<AgentContext>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, lifecycleGeneration, detectionGeneration, inputs] {
                watcher->deleteLater();
                publish(lifecycleGeneration, detectionGeneration, inputs, watcher->result());
            });
    watcher->setFuture(future);
}

bool ContextDetector::Inputs::operator==(const Inputs& other) const {
    return application.name == other.application.name &&
           application.bundleIdentifier == other.application.bundleIdentifier &&
           titleRead.title == other.titleRead.title &&
           titleRead.needsAutomationPermission == other.titleRead.needsAutomationPermission &&
           titleRead.errorMessage == other.titleRead.errorMessage && environmentPath == other.environmentPath &&
           knownWorkspacePaths == other.knownWorkspacePaths;
}

void ContextDetector::publish(quint64 lifecycleGeneration, quint64 detectionGeneration, const Inputs& inputs,
                              const std::optional<AgentContext>& context) {
    // A dropped result leaves isDetecting alone: whatever outdated it has already set it.
    if (!m_isRunning || lifecycleGeneration != m_lifecycleGeneration || detectionGeneration != m_detectionGeneration ||
        !context) {
        return;
    }
    m_isDetecting = false;
    m_detection.reset();
    m_publishedInputs = inputs;
    // Every listener re-reads the library for a new context: an unchanged one must reach nobody.
    const bool permissionChanged = m_needsAutomationPermission != inputs.titleRead.needsAutomationPermission;
    const bool errorChanged = m_lastDetectionError != inputs.titleRead.errorMessage;
    const bool contextChanged = !(m_currentContext == *context);
    m_needsAutomationPermission = inputs.titleRead.needsAutomationPermission;
    m_lastDetectionError = inputs.titleRead.errorMessage;
    m_currentContext = *context;
    if (permissionChanged) {
        emit needsAutomationPermissionChanged(m_needsAutomationPermission);
    }
    if (errorChanged) {
        emit lastDetectionErrorChanged(m_lastDetectionError);
    }
    if (contextChanged) {
        emit currentContextChanged(m_currentContext);
    }
}

std::optional<QString> ContextDetector::validDirectoryPath(const QString& path, const QString& homePath,
                                                           const QString& currentDirectory) {
    // An empty value names no folder; read as a path it would become the current directory.
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QString expanded = FilePaths::expandingTilde(path, homePath, FilePaths::LoneTilde::home);
    const QString standardized = TerminalContextDetector::standardizedPath(expanded, currentDirectory);
    const QFileInfo info(standardized);
    // canonicalFilePath resolves every symbolic link and is empty for a path that does not exist.
    const QString resolved = info.canonicalFilePath();
    if (resolved.isEmpty() || !QFileInfo(resolved).isDir()) {
        return std::nullopt;
    }
    return resolved;
}

AgentContext ContextDetector::makeContext(const QString& appName, const std::optional<QString>& bundleIdentifier,
                                          const QString& windowTitle, const std::optional<QString>& environmentPath,
                                          const QStringList& knownWorkspacePaths, const QString& homePath,
                                          const QString& currentDirectory) {
    AgentContext context;
    context.frontmostAppName = appName;
    context.frontmostBundleIdentifier = bundleIdentifier;
    context.frontWindowTitle = windowTitle;
    context.agent = AgentTypes::infer(bundleIdentifier, appName, windowTitle);

    const auto found = [&context](const QString& path, ContextDetectionSource source) {
        context.workspacePath = path;
        context.workspaceName = path.isEmpty() ? unrecognizedWorkspaceName : FilePaths::lastComponent(path);
        context.detectionSource = source;
        return context;
    };

    if (environmentPath) {
        if (const auto path = validDirectoryPath(*environmentPath, homePath, currentDirectory)) {
            return found(*path, ContextDetectionSource::environment);
        }
    }

    if (TerminalContextDetector::isTerminalApp(appName)) {
        if (const auto candidate = TerminalContextDetector::workspacePath(windowTitle, homePath, currentDirectory)) {
            if (const auto path = validDirectoryPath(*candidate, homePath, currentDirectory)) {
                if (context.agent == AgentType::unknown) {
                    context.agent = AgentType::terminal;
                }
                return found(*path, ContextDetectionSource::terminalDirectory);
            }
        }
    }

    if (IDEWorkspaceDetector::isIDEApp(appName)) {
        if (const auto candidate =
                IDEWorkspaceDetector::workspacePath(windowTitle, knownWorkspacePaths, homePath, currentDirectory)) {
            if (const auto path = validDirectoryPath(*candidate, homePath, currentDirectory)) {
                return found(*path, ContextDetectionSource::ideWorkspace);
            }
        }
        context.workspacePath.reset();
        if (const auto name = IDEWorkspaceDetector::workspaceName(windowTitle)) {
            context.workspaceName = *name;
            context.detectionSource = ContextDetectionSource::ideWorkspace;
        } else {
            context.workspaceName = unrecognizedWorkspaceName;
            context.detectionSource = ContextDetectionSource::unknown;
        }
        return context;
    }

    context.workspacePath.reset();
    context.workspaceName = unrecognizedWorkspaceName;
    context.detectionSource =
        windowTitle.isEmpty() ? ContextDetectionSource::unknown : ContextDetectionSource::windowTitle;
    return context;
}
