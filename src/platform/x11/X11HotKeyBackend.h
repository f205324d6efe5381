#pragma once

#include "model/KeyboardShortcutModels.h"
#include "model/seams/HotKeyEventSource.h"

#include <QAbstractNativeEventFilter>
#include <QList>

#include <optional>

struct xcb_connection_t;

// Global hot keys on X11: passive key grabs on the root window, one for each combination of
// the shortcut's modifiers with Caps Lock and Num Lock, so that the hot key works whatever
// lock is on. Grabs are checked requests: a combination that another client holds gives its
// X error code (BadAccess, 10) as the status. Presses come in through a native event filter,
// which ignores auto-repeat and passes every event that is not ours on to Qt.
//
// Works only on the "xcb" platform with a live connection; otherwise (offscreen, Wayland)
// every operation reports noDisplayStatus and nothing touches X.
class X11HotKeyBackend final : public HotKeyEventSource, private QAbstractNativeEventFilter {
public:
    static constexpr qint32 noDisplayStatus = -1;
    // The shortcut's key has no key code on the current keyboard, or is not in the key table.
    static constexpr qint32 unknownKeyStatus = -2;
    static constexpr qint32 unknownReferenceStatus = -3;

    // Takes Qt's X connection when the application runs on "xcb".
    X11HotKeyBackend();
    ~X11HotKeyBackend() override;
    X11HotKeyBackend(const X11HotKeyBackend&) = delete;
    X11HotKeyBackend& operator=(const X11HotKeyBackend&) = delete;

    bool isAvailable() const { return m_connection != nullptr; }

    qint32 installEventHandler(PressHandler handler) override;
    void removeEventHandler() override;

    qint32 registerHotKey(const PromptKeyboardShortcut& shortcut, EventHotKeyID hotKeyID,
                          std::optional<HotKeyRef>& ref);
    qint32 unregisterHotKey(HotKeyRef ref);

    // The X modifier masks grabbed for a shortcut whose own mask is `modifiers`: alone, with
    // Caps Lock, with Num Lock and with both.
    static QList<quint16> lockVariants(quint16 modifiers, quint16 numLockMask);

private:
    struct Grab {
        HotKeyRef ref = 0;
        EventHotKeyID hotKeyID;
        QList<quint8> keycodes;
        quint16 modifiers = 0;
        QList<quint16> masks;
        // Auto-repeat detection: whether the key is down and the time of its last event.
        bool down = false;
        quint32 lastPressTime = 0;
        std::optional<quint32> lastReleaseTime;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool handleKeyPress(quint8 keycode, quint16 state, quint32 time, quint32 window);
    bool handleKeyRelease(quint8 keycode, quint32 time, quint32 window);
    void ungrab(const Grab& grab);
    quint16 numLockMask() const;

    xcb_connection_t* m_connection = nullptr;
    quint32 m_root = 0;
    PressHandler m_handler;
    bool m_filterInstalled = false;
    QList<Grab> m_grabs;
    HotKeyRef m_nextRef = 1;
};
