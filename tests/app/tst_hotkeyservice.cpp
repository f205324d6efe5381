#include "FakeHotKeyPlatform.h"

#include "app/HotKeyService.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>
#include <memory>

using Kind = FakeHotKeyPlatform::Call::Kind;

class TestHotKeyService : public QObject {
    Q_OBJECT

    static constexpr PromptKeyboardShortcut shortcutA{35, ModifierFlags::control | ModifierFlags::shift};
    static constexpr PromptKeyboardShortcut shortcutB{40, ModifierFlags::command | ModifierFlags::option};

    std::shared_ptr<FakeHotKeyPlatform> m_platform;

    std::unique_ptr<HotKeyService> makeService(bool installsEventHandler = true) {
        return std::make_unique<HotKeyService>(
            installsEventHandler ? m_platform : nullptr, installsEventHandler,
            [platform = m_platform](const PromptKeyboardShortcut& shortcut, EventHotKeyID hotKeyID,
                                    std::optional<HotKeyRef>& ref) {
                return platform->registerHotKey(shortcut, hotKeyID, ref);
            },
            [platform = m_platform](HotKeyRef ref) { return platform->unregisterHotKey(ref); });
    }

    static void setGeneration(HotKeyService& service, quint32 generation) {
        service.m_registrationGeneration = generation;
    }

private slots:
    void init() { m_platform = std::make_shared<FakeHotKeyPlatform>(); }

    void pressRunsTheActionInALaterTurnOnly() {
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        QVERIFY(service->isRunning());
        const EventHotKeyID live = m_platform->lastRegisteredID();
        QCOMPARE(live.signature, HotKeyService::signature);
        QCOMPARE(service->activeEventID(), std::optional<quint32>(live.id));
        QCOMPARE(service->activeGeneration(), std::optional<quint64>(live.id));

        m_platform->press(live);
        QCOMPARE(presses, 0); // never inside the platform's dispatch
        QCoreApplication::processEvents();
        QCOMPARE(presses, 1);
    }

    void sameShortcutTwiceUnregistersTheFirst() {
        auto service = makeService();
        int first = 0;
        int second = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++first; }), 0);
        const FakeHotKeyPlatform::Call firstCall = m_platform->calls.last();
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++second; }), 0);
        const FakeHotKeyPlatform::Call secondCall = m_platform->calls.last();

        QCOMPARE(m_platform->kinds(),
                 (QList<Kind>{Kind::install, Kind::registration, Kind::unregistration, Kind::registration}));
        QCOMPARE(m_platform->calls.at(2).ref, firstCall.ref);
        QVERIFY(secondCall.hotKeyID.id != firstCall.hotKeyID.id);

        m_platform->press(firstCall.hotKeyID);
        m_platform->press(secondCall.hotKeyID);
        QCoreApplication::processEvents();
        QCOMPARE(first, 0);
        QCOMPARE(second, 1);
    }

    void failureAfterSuccessLeavesNoHotKey() {
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        const FakeHotKeyPlatform::Call old = m_platform->calls.last();
        m_platform->registerStatuses = {10};
        QCOMPARE(service->registerHotKey(shortcutB, [&] { ++presses; }), 10);
        const FakeHotKeyPlatform::Call failed = m_platform->calls.last();

        QVERIFY(!service->isRunning());
        QCOMPARE(service->activeEventID(), std::nullopt);
        QCOMPARE(m_platform->calls.at(2).kind, Kind::unregistration);
        QCOMPARE(m_platform->calls.at(2).ref, old.ref);
        m_platform->press(old.hotKeyID);
        m_platform->press(failed.hotKeyID);
        QCoreApplication::processEvents();
        QCOMPARE(presses, 0);

        // Nothing is left to unregister at the next attempt.
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        QCOMPARE(m_platform->kinds().count(Kind::unregistration), 1);
    }

    void generationsNeverReachZero_data() {
        QTest::addColumn<quint32>("counter");
        QTest::addColumn<quint32>("expected");
        constexpr quint32 largest = std::numeric_limits<quint32>::max();
        QTest::newRow("fresh") << 0u << 2u;
        QTest::newRow("below the top") << largest - 2 << largest;
        QTest::newRow("invalidation reaches the top") << largest - 1 << 1u;
        QTest::newRow("invalidation wraps to zero") << largest << 1u;
    }
    void generationsNeverReachZero() {
        QFETCH(quint32, counter);
        QFETCH(quint32, expected);
        auto service = makeService();
        setGeneration(*service, counter);
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        QCOMPARE(m_platform->lastRegisteredID().id, expected);
        QCOMPARE(service->registrationGeneration(), expected);
        m_platform->press({HotKeyService::signature, expected});
        QCoreApplication::processEvents();
        QCOMPARE(presses, 1);
    }

    void foreignPressesRunNothing_data() {
        QTest::addColumn<quint32>("signature");
        QTest::addColumn<qint64>("idOffset");
        QTest::newRow("another signature") << quint32(0x41424344) << qint64(0);
        QTest::newRow("an earlier id") << HotKeyService::signature << qint64(-1);
        QTest::newRow("a later id") << HotKeyService::signature << qint64(1);
    }
    void foreignPressesRunNothing() {
        QFETCH(quint32, signature);
        QFETCH(qint64, idOffset);
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        const EventHotKeyID live = m_platform->lastRegisteredID();
        m_platform->press({signature, quint32(live.id + idOffset)});
        QCoreApplication::processEvents();
        QCOMPARE(presses, 0);
        QVERIFY(service->isRunning());
    }

    void latePressesAreDropped_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("registered again in the same turn") << "register";
        QTest::newRow("invalidated") << "invalidate";
        QTest::newRow("torn down") << "tearDown";
        QTest::newRow("service destroyed") << "destroy";
    }
    void latePressesAreDropped() {
        QFETCH(QString, change);
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        m_platform->press(m_platform->lastRegisteredID());
        if (change == "register") {
            QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        } else if (change == "invalidate") {
            service->invalidateRegistration();
        } else if (change == "tearDown") {
            service->tearDown();
        } else {
            service.reset();
            // The platform no longer calls into the destroyed service.
            QVERIFY(!m_platform->handler);
        }
        QCoreApplication::processEvents();
        QCOMPARE(presses, 0);
    }

    void tearDownUnregistersAndRemovesTheHandler() {
        auto service = makeService();
        QCOMPARE(service->registerHotKey(shortcutA, [] {}), 0);
        const HotKeyRef ref = m_platform->calls.last().ref;
        service->tearDown();
        QCOMPARE(m_platform->kinds(),
                 (QList<Kind>{Kind::install, Kind::registration, Kind::unregistration, Kind::remove}));
        QCOMPARE(m_platform->calls.at(2).ref, ref);
        QVERIFY(!m_platform->handler);
        QVERIFY(!service->isRunning());
    }

    void withoutEventHandlerRegistrationUsesTheHandlersAlone() {
        auto service = makeService(false);
        QCOMPARE(service->eventHandlerStatus(), 0);
        QCOMPARE(service->registerHotKey(shortcutA, [] {}), 0);
        QCOMPARE(m_platform->kinds(), QList<Kind>{Kind::registration});
        QVERIFY(service->isRunning());
    }

    void failedHandlerInstallationBlocksRegistrationUntilItSucceeds() {
        m_platform->installStatus = -1;
        auto service = makeService();
        QCOMPARE(service->eventHandlerStatus(), -1);
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), -1);
        QCOMPARE(m_platform->kinds(), (QList<Kind>{Kind::install, Kind::install}));
        QVERIFY(!service->isRunning());

        m_platform->installStatus = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        QCOMPARE(m_platform->kinds(), (QList<Kind>{Kind::install, Kind::install, Kind::install, Kind::registration}));
        m_platform->press(m_platform->lastRegisteredID());
        QCoreApplication::processEvents();
        QCOMPARE(presses, 1);
    }

    void anActionMayReplaceItsOwnHotKey() {
        auto service = makeService();
        int presses = 0;
        std::function<void()> action = [&] {
            ++presses;
            QCOMPARE(service->registerHotKey(shortcutB, [&] { ++presses; }), 0);
        };
        QCOMPARE(service->registerHotKey(shortcutA, action), 0);
        m_platform->press(m_platform->lastRegisteredID());
        QCoreApplication::processEvents();
        QCOMPARE(presses, 1);
        QCOMPARE(m_platform->calls.last().shortcut, shortcutB);
        m_platform->press(m_platform->lastRegisteredID());
        QCoreApplication::processEvents();
        QCOMPARE(presses, 2);
    }

    void suspensionReleasesTheGrabAndResumeTakesItAgain() {
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        const FakeHotKeyPlatform::Call registered = m_platform->calls.last();

        service->suspend();
        service->suspend(); // a second listener: still one release
        QVERIFY(service->isSuspended());
        QCOMPARE(m_platform->kinds(), (QList<Kind>{Kind::install, Kind::registration, Kind::unregistration}));
        QCOMPARE(m_platform->calls.last().ref, registered.ref);

        service->resume();
        QCOMPARE(m_platform->kinds().count(Kind::registration), 1); // the other listener still holds it
        service->resume();
        QVERIFY(!service->isSuspended());
        const FakeHotKeyPlatform::Call again = m_platform->calls.last();
        QCOMPARE(again.kind, Kind::registration);
        QCOMPARE(again.shortcut, shortcutA);
        QCOMPARE(again.hotKeyID, registered.hotKeyID); // the same registration, grabbed again
        QVERIFY(service->isRunning());
        m_platform->press(again.hotKeyID);
        QCoreApplication::processEvents();
        QCOMPARE(presses, 1);

        // The grab taken again is the one released at the next change.
        QCOMPARE(service->registerHotKey(shortcutB, [] {}), 0);
        QCOMPARE(m_platform->calls.at(m_platform->calls.size() - 2).kind, Kind::unregistration);
        QCOMPARE(m_platform->calls.at(m_platform->calls.size() - 2).ref, again.ref);
        service->resume(); // unmatched: nothing
        QCOMPARE(m_platform->calls.last().shortcut, shortcutB);
    }

    void aRegistrationWhileSuspendedIsCheckedThenHeldBack() {
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [] {}), 0);
        service->suspend();
        const qsizetype before = m_platform->calls.size();

        m_platform->registerStatuses = {10};
        QCOMPARE(service->registerHotKey(shortcutB, [&] { ++presses; }), 10); // the platform's real answer
        QCOMPARE(service->registerHotKey(shortcutB, [&] { ++presses; }), 0);
        QCOMPARE(m_platform->kinds().mid(before),
                 (QList<Kind>{Kind::registration, Kind::registration, Kind::unregistration}));

        service->resume();
        const FakeHotKeyPlatform::Call grabbed = m_platform->calls.last();
        QCOMPARE(grabbed.kind, Kind::registration);
        QCOMPARE(grabbed.shortcut, shortcutB);
        m_platform->press(grabbed.hotKeyID);
        QCoreApplication::processEvents();
        QCOMPARE(presses, 1);
    }

    void aFailedResumeLeavesNoHotKeyAndSaysSo() {
        auto service = makeService();
        int presses = 0;
        QCOMPARE(service->registerHotKey(shortcutA, [&] { ++presses; }), 0);
        const EventHotKeyID id = m_platform->lastRegisteredID();
        QSignalSpy failed(service.get(), &HotKeyService::resumeFailed);
        service->suspend();
        m_platform->registerStatuses = {10}; // another client took the combination meanwhile
        service->resume();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.first().first().toInt(), 10);
        QCOMPARE(service->lastResumeStatus(), 10);
        QVERIFY(!service->isRunning());
        m_platform->press(id);
        QCoreApplication::processEvents();
        QCOMPARE(presses, 0);
    }

    void nothingIsGrabbedAgainAfterTearDownOrWithoutARegistration() {
        auto service = makeService();
        service->suspend();
        service->resume();
        QCOMPARE(m_platform->kinds(), QList<Kind>{Kind::install});

        QCOMPARE(service->registerHotKey(shortcutA, [] {}), 0);
        service->suspend();
        service->tearDown();
        service->resume();
        QCOMPARE(m_platform->kinds().count(Kind::registration), 1);
    }
};

QTEST_GUILESS_MAIN(TestHotKeyService)
#include "tst_hotkeyservice.moc"
