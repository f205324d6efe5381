#pragma once

#include "model/AgentContext.h"
#include "model/environment/AppEnvironment.h"
#include "model/environment/Scheduler.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Knows what the user is working in right now. Polls every 4 seconds and refreshes at once when
// another application becomes active; each detection reads the frontmost application, its front
// window's title (only with automatic matching on), the "ORRIS_HOLLOWS_WORKSPACE" variable and
// the known workspace paths on the main thread, and builds the context (file-system checks) on a
// worker. A result is published only while both the lifecycle and the detection generation it
// started with are current, so an older, slower detection never overwrites a newer one and
// nothing is published after stop(). Only what changed is published: an unchanged poll reads the
// platform once and wakes nobody.
class ContextDetector : public QObject {
    Q_OBJECT
public:
    struct FrontmostApplication {
        QString name = QStringLiteral("Unknown");
        std::optional<QString> bundleIdentifier;
    };

    struct WindowTitleRead {
        QString title;
        bool needsAutomationPermission = false;
        std::optional<QString> errorMessage;
    };

    using KnownWorkspacePathsProvider = std::function<QStringList()>;
    using FrontmostApplicationProvider = std::function<FrontmostApplication()>;
    using WindowTitleReader = std::function<WindowTitleRead()>;
    using AutomaticMatchingEnabledProvider = std::function<bool()>;
    // Registers a callback for "another application became active" and returns the function that
    // removes the registration. The callback runs on the main thread.
    using ActivationObserverRegistration = std::function<void()>;
    using ActivationSource = std::function<ActivationObserverRegistration(std::function<void()> onActivated)>;

    // What the platform provides. Every member may be left empty: the defaults report no
    // application, no title and no activations, and read the automatic-matching setting from
    // the environment's user defaults at each detection.
    struct Platform {
        FrontmostApplicationProvider frontmostApplicationProvider;
        WindowTitleReader windowTitleReader;
        AutomaticMatchingEnabledProvider automaticMatchingEnabledProvider;
        ActivationSource activationSource;
        bool startsTimer = true;
        std::chrono::nanoseconds detectionDelay{0};
    };

    static inline const QString environmentVariableName = QStringLiteral("ORRIS_HOLLOWS_WORKSPACE");
    static inline const QString automaticMatchingEnabledKey =
        QStringLiteral("OrrisHollows.advancedAutomaticMatchingEnabled.v1");
    static constexpr std::chrono::milliseconds minimumDetectionInterval{4000};
    static constexpr std::chrono::milliseconds timerInterval{4000};

    ContextDetector(const AppEnvironment& environment, KnownWorkspacePathsProvider knownWorkspacePathsProvider,
                    Platform platform, QObject* parent = nullptr);
    ContextDetector(const AppEnvironment& environment, KnownWorkspacePathsProvider knownWorkspacePathsProvider,
                    QObject* parent = nullptr);
    ~ContextDetector() override;

    const AgentContext& currentContext() const { return m_currentContext; }
    bool needsAutomationPermission() const { return m_needsAutomationPermission; }
    const std::optional<QString>& lastDetectionError() const { return m_lastDetectionError; }
    bool isRunning() const { return m_isRunning; }
    bool isDetecting() const { return m_isDetecting; }

    void start();
    void stop();
    void refresh(bool force);

    // Builds the context of one detection. Pure apart from file-system reads, so it runs on a
    // worker; the home folder expands "~" and the current directory resolves relative paths.
    static AgentContext makeContext(const QString& appName, const std::optional<QString>& bundleIdentifier,
                                    const QString& windowTitle, const std::optional<QString>& environmentPath,
                                    const QStringList& knownWorkspacePaths, const QString& homePath,
                                    const QString& currentDirectory);

    // The path, "~" expanded, standardised and with symbolic links resolved, when it names an
    // existing directory; none otherwise.
    static std::optional<QString> validDirectoryPath(const QString& path, const QString& homePath,
                                                     const QString& currentDirectory);

signals:
    // Emitted by a publication, in this order, each only when its value changed.
    void needsAutomationPermissionChanged(bool needsAutomationPermission);
    void lastDetectionErrorChanged(const std::optional<QString>& error);
    void currentContextChanged(const AgentContext& context);

private:
    struct Detection;

    // What a detection reads on the main thread; the context is a function of these (and of the
    // folders they name).
    struct Inputs {
        FrontmostApplication application;
        WindowTitleRead titleRead;
        std::optional<QString> environmentPath;
        QStringList knownWorkspacePaths;
        bool operator==(const Inputs& other) const;
    };

    bool automaticMatchingEnabled() const;
    void publish(quint64 lifecycleGeneration, quint64 detectionGeneration, const Inputs& inputs,
                 const std::optional<AgentContext>& context);
    void cancelDetection();

    AppEnvironment m_environment;
    KnownWorkspacePathsProvider m_knownWorkspacePathsProvider;
    Platform m_platform;

    AgentContext m_currentContext = AgentContext::unknown();
    bool m_needsAutomationPermission = false;
    std::optional<QString> m_lastDetectionError;

    std::optional<Scheduler::Token> m_timer;
    ActivationObserverRegistration m_activationObserver;
    std::shared_ptr<Detection> m_detection;
    bool m_isDetecting = false;
    bool m_isRunning = false;
    quint64 m_lifecycleGeneration = 0;
    quint64 m_detectionGeneration = 0;
    std::optional<std::chrono::milliseconds> m_lastDetectionAt;
    // The inputs of the last published detection.
    std::optional<Inputs> m_publishedInputs;
};
