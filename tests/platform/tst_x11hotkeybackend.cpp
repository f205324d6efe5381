#include "app/HotKeyService.h"
#include "platform/x11/X11HotKeyBackend.h"

#include <QGuiApplication>
#include <QTest>

// Runs under the offscreen platform, where Qt has no X connection.
class X11HotKeyBackendTest : public QObject {
    Q_OBJECT

private slots:
    void withoutAnXConnectionEverythingFails() {
        QVERIFY(QGuiApplication::platformName() != QLatin1String("xcb"));
        X11HotKeyBackend backend;
        QVERIFY(!backend.isAvailable());
        QCOMPARE(backend.installEventHandler([](const EventHotKeyID&) {}), X11HotKeyBackend::noDisplayStatus);
        std::optional<HotKeyRef> ref = 7;
        QCOMPARE(
            backend.registerHotKey(PromptKeyboardShortcut::defaultTogglePanel(), {HotKeyService::signature, 1}, ref),
            X11HotKeyBackend::noDisplayStatus);
        QVERIFY(!ref);
        QCOMPARE(backend.unregisterHotKey(1), X11HotKeyBackend::noDisplayStatus);
    }

    void theServiceReportsTheFailure() {
        auto service = HotKeyService::createPlatformService();
        QCOMPARE(service->registerHotKey(PromptKeyboardShortcut::defaultTogglePanel(), [] {}),
                 X11HotKeyBackend::noDisplayStatus);
        QVERIFY(!service->isRunning());
        service->tearDown();
    }

    void lockVariants_data() {
        QTest::addColumn<quint16>("modifiers");
        QTest::addColumn<quint16>("numLock");
        QTest::addColumn<QList<quint16>>("masks");
        QTest::newRow("super shift, num lock on mod2")
            << quint16(0x41) << quint16(0x10) << QList<quint16>{0x41, 0x43, 0x51, 0x53};
        QTest::newRow("no num lock key") << quint16(0x41) << quint16(0) << QList<quint16>{0x41, 0x43};
        QTest::newRow("no modifiers") << quint16(0) << quint16(0x10) << QList<quint16>{0x0, 0x2, 0x10, 0x12};
    }
    void lockVariants() {
        QFETCH(quint16, modifiers);
        QFETCH(quint16, numLock);
        QFETCH(QList<quint16>, masks);
        QCOMPARE(X11HotKeyBackend::lockVariants(modifiers, numLock), masks);
    }
};

QTEST_MAIN(X11HotKeyBackendTest)
#include "tst_x11hotkeybackend.moc"
