#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/seams/HotKeyEventSource.h"
#include "services/HotKeySuspending.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

// The application's one global hot key. Every registration is stamped with a generation, the
// number in its hot-key id, so that a press that arrives after the shortcut changed or was
// removed never runs an action. The platform's press handler never runs the action itself: it
// posts a queued call, so the action always runs in a later turn of the event loop, after any
// registration change made in the current one.
//
// While suspended (a shortcut recorder listens), the platform registration is really removed, so
// that the combination reaches the application or another client; the registration, its
// generation and its action are kept and grabbed again when the last suspension ends.
class HotKeyService : public QObject, public HotKeySuspending {
    Q_OBJECT
public:
    // "OHRW" as a big-endian four-character code.
    static constexpr quint32 signature = 0x4F485257;

    using RegisterHandler = std::function<qint32(const PromptKeyboardShortcut& shortcut, EventHotKeyID hotKeyID,
                                                 std::optional<HotKeyRef>& ref)>;
    using UnregisterHandler = std::function<qint32(HotKeyRef ref)>;

    // With installsEventHandler the handler is installed on eventSource at once; a failed
    // installation is tried again at the next registration. eventSource may be null only
    // when installsEventHandler is false.
    HotKeyService(std::shared_ptr<HotKeyEventSource> eventSource, bool installsEventHandler,
                  RegisterHandler registerHandler, UnregisterHandler unregisterHandler, QObject* parent = nullptr);
    ~HotKeyService() override;

    // The service of the running desktop: X11 key grabs, installing its event handler. Where
    // there is no X connection, every registration reports a failure.
    static std::unique_ptr<HotKeyService> createPlatformService(QObject* parent = nullptr);

    // Makes the shortcut the one live hot key with that action. Returns 0 on success, else the
    // platform status of the registration or of the handler installation. Unless the handler
    // is missing and cannot be installed, the previous registration is removed first, whether
    // or not the new one succeeds.
    qint32 registerHotKey(const PromptKeyboardShortcut& shortcut, std::function<void()> onPressed);

    // Forgets the live registration without touching the platform's.
    void invalidateRegistration();

    // Releases the platform registration until the matching resume(). A registration made while
    // suspended is tried on the platform (its status is real) and released again at once.
    void suspend() override;
    // After the last suspension: registers the kept shortcut again under the same generation.
    void resume() override;
    bool isSuspended() const { return m_suspensions > 0; }
    // The platform status of the last re-registration after a suspension (0 when it worked).
    qint32 lastResumeStatus() const { return m_lastResumeStatus; }
    // At termination: invalidates, unregisters the hot key and removes the event handler.
    void tearDown();

    bool isRunning() const { return m_isRunning; }
    quint32 registrationGeneration() const { return m_registrationGeneration; }
    std::optional<quint64> activeGeneration() const { return m_activeGeneration; }
    std::optional<quint32> activeEventID() const { return m_activeEventID; }
    qint32 eventHandlerStatus() const { return m_eventHandlerStatus; }

signals:
    // Grabbing the kept shortcut again after a suspension failed: no hot key is live now.
    void resumeFailed(qint32 status);

private:
    friend class TestHotKeyService;

    void installEventHandler();
    void handlePlatformPress(const EventHotKeyID& hotKeyID);
    void handleHotKeyEvent(quint32 id, quint64 generation);

    std::shared_ptr<HotKeyEventSource> m_eventSource;
    bool m_eventHandlerInstalled = false;
    qint32 m_eventHandlerStatus = 0;
    std::optional<HotKeyRef> m_hotKeyRef;
    // The shortcut of the live registration, kept to grab it again after a suspension.
    std::optional<PromptKeyboardShortcut> m_shortcut;
    int m_suspensions = 0;
    qint32 m_lastResumeStatus = 0;
    std::function<void()> m_callback;
    quint32 m_registrationGeneration = 0;
    std::optional<quint64> m_activeGeneration;
    std::optional<quint32> m_activeEventID;
    bool m_isRunning = false;
    const bool m_installsEventHandler;
    const RegisterHandler m_registerHandler;
    const UnregisterHandler m_unregisterHandler;
};
