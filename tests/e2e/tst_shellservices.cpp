// The shell's platform services on a real X server: global hot keys grabbed with xcb and
// pressed with xdotool, and the clipboard read back by xclip while this process serves it.
#include "TestEnvironment.h"

#include "app/HotKeyService.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/environment/ToggleShortcutRegistrar.h"
#include "services/PromptActionService.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QRasterWindow>
#include <QTest>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

using namespace ModifierFlags;

namespace {

constexpr quint32 keyP = 35;
constexpr quint32 keyO = 31;
constexpr quint32 keyK = 40;
constexpr quint8 badAccess = 10;

// Runs a tool to its end while the event loop keeps turning, so that this process can answer
// the X requests the tool makes of it (a clipboard read, for one).
QByteArray run(const QString& program, const QStringList& arguments, bool* ok) {
    QProcess process;
    process.start(program, arguments);
    QDeadlineTimer deadline(15000);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QTest::qWait(5);
    }
    *ok = process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit &&
          process.exitCode() == 0;
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    return process.readAllStandardOutput();
}

bool xdotool(const QStringList& arguments) {
    bool ok = false;
    run(QStringLiteral("xdotool"), arguments, &ok);
    return ok;
}

// Sees every key press reported on the root window before the hot-key backend does.
class RootKeyPresses final : public QAbstractNativeEventFilter {
public:
    RootKeyPresses() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~RootKeyPresses() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType == "xcb_generic_event_t") {
            const auto* event = static_cast<const xcb_generic_event_t*>(message);
            if ((event->response_type & ~0x80) == XCB_KEY_PRESS) {
                const auto* key = static_cast<const xcb_key_press_event_t*>(message);
                ++presses;
                lastState = key->state;
            }
        }
        return false;
    }

    int presses = 0;
    quint16 lastState = 0;
};

// Another X client holding a key combination.
class OtherClientGrab {
public:
    OtherClientGrab(quint32 keysym, quint16 modifiers) {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection) != 0) {
            return;
        }
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(m_connection);
        xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
        if (keycodes != nullptr && keycodes[0] != XCB_NO_SYMBOL) {
            m_keycode = keycodes[0];
            xcb_generic_error_t* error =
                xcb_request_check(m_connection, xcb_grab_key_checked(m_connection, 0, m_root, modifiers, m_keycode,
                                                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            m_holds = error == nullptr;
            std::free(error);
        }
        std::free(keycodes);
        xcb_key_symbols_free(symbols);
    }
    ~OtherClientGrab() { xcb_disconnect(m_connection); }

    bool holds() const { return m_holds; }

private:
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_keycode_t m_keycode = 0;
    bool m_holds = false;
};

// Hands a key event to the native event filters as if it came from the X server.
void dispatchKey(quint8 type, quint8 keycode, quint16 state, quint32 time) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_key_press_event_t event{};
    event.response_type = type;
    event.detail = keycode;
    event.state = state;
    event.time = time;
    event.root = xcb_setup_roots_iterator(xcb_get_setup(x11->connection())).data->root;
    event.event = event.root;
    qintptr result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &event, &result);
}

quint8 keycodeOf(quint32 keysym) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(x11->connection());
    xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, keysym);
    const quint8 keycode = keycodes != nullptr ? keycodes[0] : 0;
    std::free(keycodes);
    xcb_key_symbols_free(symbols);
    return keycode;
}

class KeyCountingWindow final : public QRasterWindow {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

// Switches a lock key on, and off again however the test ends.
class LockOn {
public:
    explicit LockOn(QString key) : m_key(std::move(key)) { m_ok = xdotool({QStringLiteral("key"), m_key}); }
    ~LockOn() { xdotool({QStringLiteral("key"), m_key}); }
    bool ok() const { return m_ok; }

private:
    QString m_key;
    bool m_ok = false;
};

} // namespace

class ShellServicesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<HotKeyService> m_service;
    int m_presses = 0;

    qint32 registerCounting(const PromptKeyboardShortcut& shortcut) {
        return m_service->registerHotKey(shortcut, [this] { ++m_presses; });
    }

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    void init() {
        m_service = HotKeyService::createPlatformService();
        m_presses = 0;
    }
    void cleanup() {
        m_service->tearDown();
        m_service.reset();
    }

    void defaultHotKeyFiresOnce() {
        QCOMPARE(PromptKeyboardShortcut::defaultTogglePanel().displayString(), QStringLiteral("Super+Shift+P"));
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTRY_COMPARE(m_presses, 1);
        QTest::qWait(200);
        QCOMPARE(m_presses, 1);
    }

    void firesWithLocksOn_data() {
        QTest::addColumn<QString>("lockKey");
        QTest::addColumn<quint16>("lockMask");
        QTest::newRow("Num Lock") << "Num_Lock" << quint16(XCB_MOD_MASK_2);
        QTest::newRow("Caps Lock") << "Caps_Lock" << quint16(XCB_MOD_MASK_LOCK);
    }
    void firesWithLocksOn() {
        QFETCH(QString, lockKey);
        QFETCH(quint16, lockMask);
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        RootKeyPresses root;
        {
            LockOn lock(lockKey);
            QVERIFY(lock.ok());
            QVERIFY(xdotool({"key", "super+shift+p"}));
            QTRY_COMPARE(m_presses, 1);
            QVERIFY(root.lastState & lockMask);
        }
        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTRY_COMPARE(m_presses, 2);
        QVERIFY(!(root.lastState & lockMask));
    }

    void aHeldKeyFiresOnce() {
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        RootKeyPresses root;
        QVERIFY(xdotool({"keydown", "super+shift+p"}));
        QTest::qWait(1200);
        QVERIFY(xdotool({"keyup", "super+shift+p"}));
        QTest::qWait(200);
        QVERIFY2(root.presses > 5, "the server sent no auto-repeat");
        QCOMPARE(m_presses, 1);

        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTRY_COMPARE(m_presses, 2);
    }

    // Servers with detectable auto-repeat send a held key as presses without releases; a press
    // long after the last one counts again even when its release never came.
    void repeatsWithoutReleases() {
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        const quint8 p = keycodeOf('p');
        QVERIFY(p != 0);
        const quint16 superShift = XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT;
        const quint32 start = 0xFFFFF000; // the server's millisecond clock wraps meanwhile
        dispatchKey(XCB_KEY_PRESS, p, superShift, start);
        dispatchKey(XCB_KEY_PRESS, p, superShift, start + 660);
        dispatchKey(XCB_KEY_PRESS, p, superShift, start + 700);
        dispatchKey(XCB_KEY_PRESS, p, superShift, start + 5000);
        dispatchKey(XCB_KEY_PRESS, p, superShift, start + 5040);
        dispatchKey(XCB_KEY_RELEASE, p, superShift, start + 5100);
        dispatchKey(XCB_KEY_PRESS, p, superShift | XCB_MOD_MASK_2, start + 5200);
        dispatchKey(XCB_KEY_PRESS, p, XCB_MOD_MASK_SHIFT, start + 5300); // not ours
        QTRY_COMPARE(m_presses, 3);
        QTest::qWait(100);
        QCOMPARE(m_presses, 3);
    }

    void aCombinationHeldElsewhereFails() {
        OtherClientGrab other('o', XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT);
        QVERIFY(other.holds());
        const PromptKeyboardShortcut held{keyO, control | shift};
        QCOMPARE(registerCounting(held), qint32(badAccess));
        QVERIFY(!m_service->isRunning());
        QVERIFY(xdotool({"key", "super+shift+o"}));
        QTest::qWait(200);
        QCOMPARE(m_presses, 0);
    }

    void aRefusedRequestKeepsThePreviousHotKey() {
        TestEnvironment environment;
        ShortcutSettingsStore store(environment.defaults(), [] { return AppLanguage::english; });
        ToggleShortcutRegistrar registrar(
            store, [this](const PromptKeyboardShortcut& shortcut) { return registerCounting(shortcut); },
            [this] { return m_service->isRunning(); });
        registrar.registerCurrentToggleShortcut();
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::registered(PromptKeyboardShortcut::defaultTogglePanel()));

        OtherClientGrab other('o', XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT);
        QVERIFY(other.holds());
        const PromptKeyboardShortcut held{keyO, control | shift};
        registrar.registerRequestedToggleShortcut(held);
        QCOMPARE(store.hotKeyStatus(), HotKeyStatus::failed(held, badAccess, true));
        QCOMPARE(store.togglePanelShortcut(), PromptKeyboardShortcut::defaultTogglePanel());

        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTRY_COMPARE(m_presses, 1);
    }

    void whileSuspendedAnotherClientCanGrabTheHotKey() {
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        {
            OtherClientGrab blocked('p', XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT);
            QVERIFY(!blocked.holds()); // we hold it
        }
        m_service->suspend();
        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTest::qWait(200);
        QCOMPARE(m_presses, 0); // released: the press is not ours
        {
            OtherClientGrab other('p', XCB_MOD_MASK_4 | XCB_MOD_MASK_SHIFT);
            QVERIFY(other.holds());
            // Held by the other client at resume: the grab fails and says so.
            m_service->resume();
            QCOMPARE(m_service->lastResumeStatus(), qint32(badAccess));
            QVERIFY(!m_service->isRunning());
        }

        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        m_service->suspend();
        m_service->resume();
        QCOMPARE(m_service->lastResumeStatus(), 0);
        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTRY_COMPARE(m_presses, 1);
    }

    void otherKeysNeverRunTheAction() {
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        for (const char* keys : {"super+shift+o", "super+p", "shift+p", "ctrl+shift+p", "super+alt+shift+p"}) {
            QVERIFY(xdotool({"key", keys}));
        }
        QTest::qWait(300);
        QCOMPARE(m_presses, 0);

        // Replacing the hot key releases the old combination.
        QCOMPARE(registerCounting({keyK, control | shift}), 0);
        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTest::qWait(300);
        QCOMPARE(m_presses, 0);
        QVERIFY(xdotool({"key", "super+shift+k"}));
        QTRY_COMPARE(m_presses, 1);
    }

    void keysForOurWindowsPassThrough() {
        QCOMPARE(registerCounting(PromptKeyboardShortcut::defaultTogglePanel()), 0);
        KeyCountingWindow window;
        window.resize(200, 100);
        window.show();
        window.requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        QVERIFY(xdotool({"key", "a"}));
        QTRY_VERIFY(window.keys.contains(Qt::Key_A));
        QVERIFY(xdotool({"key", "super+shift+p"}));
        QTRY_COMPARE(m_presses, 1);
        QTest::qWait(200);
        QVERIFY(!window.keys.contains(Qt::Key_P));
    }

    void copiedTextIsServedToOtherPrograms() {
        const PromptActionService actions = PromptActionService::system();
        const QString text = QStringLiteral("h\u00e9llo\n{{x}}");
        QCOMPARE(actions.copyText(text), PromptCopyResult::success);
        bool ok = false;
        const QByteArray read = run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, &ok);
        QVERIFY(ok);
        QCOMPARE(read, text.toUtf8());

        QCOMPARE(actions.copyText(QStringLiteral("second")), PromptCopyResult::success);
        QCOMPARE(run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, &ok), QByteArray("second"));
    }

    void textCopiedElsewhereIsReplaced() {
        // xclip keeps serving its text from a child process until another owner takes over.
        bool ok = false;
        QProcess writer;
        writer.start(QStringLiteral("xclip"), {"-i", "-selection", "clipboard", "-quiet"});
        QVERIFY(writer.waitForStarted());
        writer.write("from elsewhere");
        writer.closeWriteChannel();
        QTRY_COMPARE(run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, &ok),
                     QByteArray("from elsewhere"));

        QCOMPARE(PromptActionService::system().copyText(QStringLiteral("ours")), PromptCopyResult::success);
        QCOMPARE(run(QStringLiteral("xclip"), {"-o", "-selection", "clipboard"}, &ok), QByteArray("ours"));
        QTRY_COMPARE(writer.state(), QProcess::NotRunning); // it lost the selection and ended
    }
};

QTEST_MAIN(ShellServicesTest)
#include "tst_shellservices.moc"
