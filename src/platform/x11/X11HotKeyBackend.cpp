#include "platform/x11/X11HotKeyBackend.h"

#include "model/KeyTable.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {

constexpr quint16 lockMask = XCB_MOD_MASK_LOCK;
constexpr quint16 modifierBits = 0xFF;
constexpr quint32 numLockKeysym = 0xff7f;
// A press that follows the last one of a held key within this time is auto-repeat, also when
// the release in between was never seen (another client grabbed the keyboard meanwhile).
constexpr quint32 repeatWindowMs = 1000;

xcb_window_t rootOfDefaultScreen(xcb_connection_t* connection) {
    int screenNumber = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber) == 0) {
        screenNumber = 0;
    }
    std::free(host);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem > 0; ++index, xcb_screen_next(&screens)) {
        if (index == screenNumber) {
            return screens.data->root;
        }
    }
    screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace

X11HotKeyBackend::X11HotKeyBackend() {
    if (qGuiApp == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr || xcb_connection_has_error(connection) != 0) {
        return;
    }
    m_root = rootOfDefaultScreen(connection);
    if (m_root != XCB_WINDOW_NONE) {
        m_connection = connection;
    }
}

X11HotKeyBackend::~X11HotKeyBackend() {
    // Without the application the connection, and with it every grab, is already gone.
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    removeEventHandler();
    if (m_connection != nullptr) {
        for (const Grab& grab : std::as_const(m_grabs)) {
            ungrab(grab);
        }
        xcb_flush(m_connection);
    }
}

qint32 X11HotKeyBackend::installEventHandler(PressHandler handler) {
    if (m_connection == nullptr) {
        return noDisplayStatus;
    }
    m_handler = std::move(handler);
    if (!m_filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        m_filterInstalled = true;
    }
    return 0;
}

void X11HotKeyBackend::removeEventHandler() {
    m_handler = nullptr;
    if (m_filterInstalled && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    m_filterInstalled = false;
}

QList<quint16> X11HotKeyBackend::lockVariants(quint16 modifiers, quint16 numLockMask) {
    QList<quint16> masks;
    for (const quint16 locks : {quint16(0), lockMask, numLockMask, quint16(lockMask | numLockMask)}) {
        const quint16 mask = modifiers | locks;
        if (!masks.contains(mask)) {
            masks.append(mask);
        }
    }
    return masks;
}

quint16 X11HotKeyBackend::numLockMask() const {
    quint16 mask = 0;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
    xcb_get_modifier_mapping_reply_t* mapping =
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (symbols != nullptr && mapping != nullptr) {
        const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(mapping);
        const int perModifier = mapping->keycodes_per_modifier;
        for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
            for (int index = 0; index < perModifier; ++index) {
                const xcb_keycode_t keycode = keycodes[modifier * perModifier + index];
                if (keycode != 0 && xcb_key_symbols_get_keysym(symbols, keycode, 0) == numLockKeysym) {
                    mask = quint16(1u << modifier);
                    break;
                }
            }
        }
    }
    std::free(mapping);
    if (symbols != nullptr) {
        xcb_key_symbols_free(symbols);
    }
    return mask;
}

qint32 X11HotKeyBackend::registerHotKey(const PromptKeyboardShortcut& shortcut, EventHotKeyID hotKeyID,
                                        std::optional<HotKeyRef>& ref) {
    ref.reset();
    if (m_connection == nullptr) {
        return noDisplayStatus;
    }
    const KeyTableEntry* entry = KeyTable::byKeyCode(shortcut.keyCode);
    if (entry == nullptr) {
        return unknownKeyStatus;
    }

    Grab grab;
    grab.hotKeyID = hotKeyID;
    // A keysym can sit on several keys (a keypad and a main-block key, for instance).
    if (xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection)) {
        if (xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, entry->keysym)) {
            for (const xcb_keycode_t* keycode = keycodes; *keycode != XCB_NO_SYMBOL; ++keycode) {
                if (!grab.keycodes.contains(*keycode)) {
                    grab.keycodes.append(*keycode);
                }
            }
            std::free(keycodes);
        }
        xcb_key_symbols_free(symbols);
    }
    if (grab.keycodes.isEmpty()) {
        return unknownKeyStatus;
    }
    grab.modifiers = KeyTable::x11MaskFromFlags(shortcut.modifiersRawValue);
    grab.masks = lockVariants(grab.modifiers, numLockMask());

    // Send every grab first, then collect the replies: one round trip in all.
    QList<xcb_void_cookie_t> cookies;
    for (const quint8 keycode : std::as_const(grab.keycodes)) {
        for (const quint16 mask : std::as_const(grab.masks)) {
            cookies.append(
                xcb_grab_key_checked(m_connection, 0, m_root, mask, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    qint32 status = 0;
    for (const xcb_void_cookie_t& cookie : std::as_const(cookies)) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, cookie)) {
            if (status == 0) {
                status = error->error_code;
            }
            std::free(error);
        }
    }
    if (status != 0) {
        // Release the combinations we did get; those held by others are not touched by this.
        ungrab(grab);
        xcb_flush(m_connection);
        return status;
    }

    grab.ref = m_nextRef++;
    m_grabs.append(grab);
    ref = grab.ref;
    return 0;
}

qint32 X11HotKeyBackend::unregisterHotKey(HotKeyRef ref) {
    if (m_connection == nullptr) {
        return noDisplayStatus;
    }
    for (qsizetype index = 0; index < m_grabs.size(); ++index) {
        if (m_grabs.at(index).ref == ref) {
            ungrab(m_grabs.at(index));
            xcb_flush(m_connection);
            m_grabs.removeAt(index);
            return 0;
        }
    }
    return unknownReferenceStatus;
}

void X11HotKeyBackend::ungrab(const Grab& grab) {
    for (const quint8 keycode : grab.keycodes) {
        for (const quint16 mask : grab.masks) {
            xcb_ungrab_key(m_connection, keycode, m_root, mask);
        }
    }
}

bool X11HotKeyBackend::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & ~0x80) {
    case XCB_KEY_PRESS: {
        const auto* key = static_cast<const xcb_key_press_event_t*>(message);
        return handleKeyPress(key->detail, key->state, key->time, key->event);
    }
    case XCB_KEY_RELEASE: {
        const auto* key = static_cast<const xcb_key_release_event_t*>(message);
        return handleKeyRelease(key->detail, key->time, key->event);
    }
    default:
        return false;
    }
}

bool X11HotKeyBackend::handleKeyPress(quint8 keycode, quint16 state, quint32 time, quint32 window) {
    if (window != m_root) {
        return false;
    }
    const quint16 mask = state & modifierBits;
    for (Grab& grab : m_grabs) {
        if (!grab.keycodes.contains(keycode) || !grab.masks.contains(mask)) {
            continue;
        }
        // Held keys repeat either as presses alone (detectable auto-repeat) or as a release
        // and a press with the same time stamp.
        const bool repeat =
            grab.down ? quint32(time - grab.lastPressTime) < repeatWindowMs : grab.lastReleaseTime == time;
        grab.down = true;
        grab.lastPressTime = time;
        if (!repeat && m_handler) {
            const EventHotKeyID hotKeyID = grab.hotKeyID;
            m_handler(hotKeyID);
        }
        return true;
    }
    return false;
}

bool X11HotKeyBackend::handleKeyRelease(quint8 keycode, quint32 time, quint32 window) {
    if (window != m_root) {
        return false;
    }
    bool ours = false;
    for (Grab& grab : m_grabs) {
        if (grab.keycodes.contains(keycode) && grab.down) {
            grab.down = false;
            grab.lastReleaseTime = time;
            ours = true;
        }
    }
    return ours;
}
