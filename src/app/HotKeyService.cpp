#include "app/HotKeyService.h"

#include "model/AppLog.h"
#include "platform/x11/X11HotKeyBackend.h"

#include <limits>

HotKeyService::HotKeyService(std::shared_ptr<HotKeyEventSource> eventSource, bool installsEventHandler,
                             RegisterHandler registerHandler, UnregisterHandler unregisterHandler, QObject* parent)
    : QObject(parent), m_eventSource(std::move(eventSource)), m_installsEventHandler(installsEventHandler),
      m_registerHandler(std::move(registerHandler)), m_unregisterHandler(std::move(unregisterHandler)) {
    if (m_installsEventHandler) {
        installEventHandler();
    }
}

std::unique_ptr<HotKeyService> HotKeyService::createPlatformService(QObject* parent) {
    auto backend = std::make_shared<X11HotKeyBackend>();
    // The handlers share the backend, so it lives as long as the service that uses it.
    return std::make_unique<HotKeyService>(
        backend, true,
        [backend](const PromptKeyboardShortcut& shortcut, EventHotKeyID hotKeyID, std::optional<HotKeyRef>& ref) {
            return backend->registerHotKey(shortcut, hotKeyID, ref);
        },
        [backend](HotKeyRef ref) { return backend->unregisterHotKey(ref); }, parent);
}

HotKeyService::~HotKeyService() {
    // The platform handler captures this object; it must not outlive it.
    if (m_eventHandlerInstalled && m_eventSource) {
        m_eventSource->removeEventHandler();
    }
}

void HotKeyService::installEventHandler() {
    if (m_eventHandlerInstalled) {
        return;
    }
    if (!m_eventSource) {
        m_eventHandlerStatus = -1;
        return;
    }
    m_eventHandlerStatus =
        m_eventSource->installEventHandler([this](const EventHotKeyID& hotKeyID) { handlePlatformPress(hotKeyID); });
    m_eventHandlerInstalled = m_eventHandlerStatus == 0;
}

qint32 HotKeyService::registerHotKey(const PromptKeyboardShortcut& shortcut, std::function<void()> onPressed) {
    if (m_installsEventHandler && !m_eventHandlerInstalled) {
        installEventHandler();
    }
    if (m_eventHandlerStatus != 0) {
        return m_eventHandlerStatus;
    }

    invalidateRegistration();
    if (m_hotKeyRef) {
        m_unregisterHandler(*m_hotKeyRef);
        m_hotKeyRef.reset();
    }

    // Generation 0 is never handed out, so no press can match a registration that never was.
    const quint32 generation =
        m_registrationGeneration == std::numeric_limits<quint32>::max() ? 1 : m_registrationGeneration + 1;
    m_registrationGeneration = generation;

    std::optional<HotKeyRef> ref;
    const qint32 status = m_registerHandler(shortcut, EventHotKeyID{signature, generation}, ref);
    if (status != 0) {
        return status;
    }
    m_hotKeyRef = ref;
    m_shortcut = shortcut;
    m_callback = std::move(onPressed);
    m_activeGeneration = quint64(generation);
    m_activeEventID = generation;
    m_isRunning = true;
    if (m_suspensions > 0) {
        // The status above is the platform's real answer; the grab itself waits for resume().
        m_unregisterHandler(*m_hotKeyRef);
        m_hotKeyRef.reset();
    }
    return 0;
}

void HotKeyService::suspend() {
    if (m_suspensions++ > 0) {
        return;
    }
    if (m_hotKeyRef) {
        m_unregisterHandler(*m_hotKeyRef);
        m_hotKeyRef.reset();
    }
}

void HotKeyService::resume() {
    if (m_suspensions == 0 || --m_suspensions > 0) {
        return;
    }
    if (!m_isRunning || !m_shortcut || !m_activeEventID || m_hotKeyRef) {
        return;
    }
    std::optional<HotKeyRef> ref;
    // The same id: the registration stays the one its action was made for.
    m_lastResumeStatus = m_registerHandler(*m_shortcut, EventHotKeyID{signature, *m_activeEventID}, ref);
    if (m_lastResumeStatus == 0 && ref) {
        m_hotKeyRef = ref;
        return;
    }
    qCWarning(lcUi).noquote() << "Resume hot key failed status=" + QString::number(m_lastResumeStatus);
    invalidateRegistration();
    emit resumeFailed(m_lastResumeStatus);
}

void HotKeyService::invalidateRegistration() {
    ++m_registrationGeneration; // wraps at 2^32
    m_activeGeneration.reset();
    m_activeEventID.reset();
    m_isRunning = false;
    m_callback = nullptr;
    m_shortcut.reset();
}

void HotKeyService::tearDown() {
    invalidateRegistration();
    if (m_hotKeyRef) {
        m_unregisterHandler(*m_hotKeyRef);
        m_hotKeyRef.reset();
    }
    if (m_eventHandlerInstalled && m_eventSource) {
        m_eventSource->removeEventHandler();
    }
    m_eventHandlerInstalled = false;
}

void HotKeyService::handlePlatformPress(const EventHotKeyID& hotKeyID) {
    if (hotKeyID.signature != signature) {
        return;
    }
    const quint32 id = hotKeyID.id;
    // Queued on this object: dropped when the service is gone before the call runs.
    QMetaObject::invokeMethod(
        this, [this, id] { handleHotKeyEvent(id, quint64(id)); }, Qt::QueuedConnection);
}

void HotKeyService::handleHotKeyEvent(quint32 id, quint64 generation) {
    if (!m_isRunning || m_activeEventID != id || m_activeGeneration != generation || !m_callback) {
        return;
    }
    // A copy: the action may register another hot key, which replaces m_callback.
    const std::function<void()> callback = m_callback;
    callback();
}
