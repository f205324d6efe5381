#include "FakeHotKeyPlatform.h"
#include "FakeShellPorts.h"
#include "TestEnvironment.h"

#include "app/HotKeyService.h"
#include "app/StatusIslandController.h"
#include "context/ContextDetector.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "panel/island/IslandMorphState.h"
#include "services/RequestBus.h"
#include "store/PromptStore.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Everything the controller works with, over a temporary home, fake ports and manual time.
struct Harness {
    TestEnvironment env;
    std::shared_ptr<FakeHotKeyPlatform> hotKeys = std::make_shared<FakeHotKeyPlatform>();
    AppLanguageStore languages{env.defaults(), [] { return QStringList{"en-US"}; }};
    PromptStore store{env.environment(), [] { return AppLanguage::english; }, false};
    ContextDetector detector{env.environment(), [] { return QStringList(); },
                             ContextDetector::Platform{.startsTimer = false}};
    ShortcutSettingsStore shortcuts{env.defaults(), [] { return AppLanguage::english; }};
    HotKeyService hotKeyService{
        hotKeys, true,
        [platform = hotKeys](const PromptKeyboardShortcut& shortcut, EventHotKeyID id, std::optional<HotKeyRef>& ref) {
            return platform->registerHotKey(shortcut, id, ref);
        },
        [platform = hotKeys](HotKeyRef ref) { return platform->unregisterHotKey(ref); }};
    RequestBus requests;
    IslandMorphState morph{env.environment().scheduler};
    FakeStatusItem item;
    FakePanelWindow* panel = nullptr;
    QPoint pointer{2000, 2000};
    bool reduceMotion = false;
    int quits = 0;
    std::unique_ptr<StatusIslandController> controller;

    // launchStatuses: what the platform answers to the registrations made at launch.
    explicit Harness(QList<qint32> launchStatuses = {}) {
        hotKeys->registerStatuses = launchStatuses;
        StatusIslandController::Dependencies dependencies{store,
                                                          detector,
                                                          shortcuts,
                                                          hotKeyService,
                                                          languages,
                                                          requests,
                                                          morph,
                                                          item,
                                                          env.defaults(),
                                                          env.environment().scheduler,
                                                          env.environment().clock};
        StatusIslandController::Platform platform{
            [this] { return pointer; },
            [] {
                return QList<PanelPlacement::Screen>{{QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800)}};
            },
            [this] { return reduceMotion; }, [this] { ++quits; }};
        controller = std::make_unique<StatusIslandController>(std::move(dependencies), std::move(platform), [this] {
            auto window = std::make_unique<FakePanelWindow>();
            panel = window.get();
            return window;
        });
        controller->refreshStatusItem();
        controller->bindIslandUpdates();
        controller->makePanelIfNeeded();
    }

    void advance(std::chrono::milliseconds by) { env.scheduler().advance(by); }
    // Opens the panel and lets the opening protection pass.
    void openAndSettle() {
        item.click();
        advance(700ms);
    }
};

} // namespace

class TestStatusIslandController : public QObject {
    Q_OBJECT

private slots:
    void clickOpensUnderTheItemAndAgainCloses() {
        Harness h;
        QVERIFY(h.panel != nullptr);
        QVERIFY(!h.panel->visible);
        QVERIFY(h.panel->ignoresInput);
        h.item.click();
        QVERIFY(h.panel->visible);
        QVERIFY(!h.panel->ignoresInput);
        QCOMPARE(h.panel->currentFrame, QRect(380, 32, 520, 480));
        QVERIFY(h.morph.isExpanded());
        QVERIFY(h.morph.pinnedContext().has_value());

        h.item.click();
        QVERIFY(h.controller->isClosing());
        QVERIFY(h.panel->ignoresInput);
        QVERIFY(h.panel->visible); // until the close animation is over
        h.advance(300ms);
        QVERIFY(!h.panel->visible);
        QVERIFY(!h.morph.pinnedContext().has_value());
        QVERIFY(!h.morph.isExpanded());
    }

    void clickDuringTheCloseReopensAndTheStaleCompletionDoesNothing() {
        Harness h;
        h.item.click();
        h.item.click();
        h.advance(100ms);
        h.item.click();
        QVERIFY(!h.controller->isClosing());
        h.advance(300ms);
        QVERIFY(h.panel->visible);
        QCOMPARE(h.panel->orderOutCount, 0);
        QVERIFY(h.morph.isExpanded());
        QVERIFY(h.morph.pinnedContext().has_value());
    }

    void nothingClosesALockedPanel() {
        Harness h;
        h.openAndSettle();
        h.morph.setInteractionLocked(true);
        const AgentContext pinned = *h.morph.pinnedContext();
        h.item.click();
        emit h.requests.requestClose();
        h.panel->pointerLeaves();
        h.advance(2s);
        QVERIFY(h.controller->isPanelShown());
        QCOMPARE(*h.morph.pinnedContext(), pinned);

        // Releasing the lock with the pointer far away lets the grace check close it.
        h.morph.setInteractionLocked(false);
        QVERIFY(h.controller->hasPendingGraceClose());
        h.advance(240ms);
        QVERIFY(h.controller->isClosing());
    }

    void aPanelThePointerNeverVisitedOutlivesTheEndOfASheet() {
        // Opened from the keyboard with the pointer elsewhere: the end of a sheet must not close it.
        Harness h;
        emit h.requests.requestOpenFromMenu();
        h.advance(700ms);
        h.morph.setInteractionLocked(true);
        h.morph.setInteractionLocked(false);
        h.advance(2s);
        QVERIFY(h.controller->isPanelShown());

        // Once the pointer has been over the panel and left, the check closes it as before.
        h.panel->pointerEnters();
        h.panel->pointerLeaves();
        h.advance(240ms);
        QVERIFY(h.controller->isClosing());
        h.advance(300ms);

        // Reopened from the keyboard, the earlier visit no longer counts.
        emit h.requests.requestOpenFromMenu();
        h.advance(700ms);
        h.morph.setInteractionLocked(true);
        h.morph.setInteractionLocked(false);
        h.advance(2s);
        QVERIFY(h.controller->isPanelShown());
    }

    void requestsOpenAndClose() {
        Harness h;
        emit h.requests.requestOpenFromMenu();
        QVERIFY(h.controller->isPanelShown());
        emit h.requests.requestClose();
        QVERIFY(h.controller->isClosing());
    }

    void hoverOpensOnlyWhenEnabledAndAfterTheDelay() {
        Harness h;
        h.pointer = QPoint(640, 16);
        h.item.enter();
        h.advance(1s);
        QVERIFY(!h.panel->visible);
        QVERIFY(h.item.hovered);

        h.shortcuts.setHoverOpenEnabled(true);
        h.item.exit();
        h.item.enter();
        h.advance(400ms);
        h.item.exit();
        h.advance(1s);
        QVERIFY(!h.panel->visible);

        h.item.enter();
        h.advance(420ms);
        QVERIFY(h.panel->visible);
    }

    void enteringTheItemCancelsTheGraceCheckEvenWithHoverOff() {
        Harness h;
        h.openAndSettle();
        h.panel->pointerLeaves();
        QVERIFY(h.controller->hasPendingGraceClose());
        h.pointer = QPoint(640, 16);
        h.item.enter();
        QVERIFY(!h.controller->hasPendingGraceClose());
    }

    void graceCloseAfterLeavingTheIsland() {
        Harness h;
        h.item.click();
        h.panel->pointerLeaves();
        // Within 0.6 s of opening the check only repeats.
        h.advance(480ms);
        QVERIFY(h.controller->isPanelShown());
        h.advance(240ms);
        QVERIFY(h.controller->isClosing());
    }

    void graceCheckKeepsThePanelForTheMarginAndOpenPopups_data() {
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<bool>("popup");
        QTest::addColumn<bool>("staysOpen");
        // The panel is (380, 32, 520, 480): 20 beside, 32 below and 12 above stay.
        QTest::newRow("19 to the left") << QPoint(361, 200) << false << true;
        QTest::newRow("21 to the left") << QPoint(358, 200) << false << false;
        QTest::newRow("31 below") << QPoint(600, 542) << false << true;
        QTest::newRow("33 below") << QPoint(600, 545) << false << false;
        QTest::newRow("11 above") << QPoint(600, 21) << false << true;
        QTest::newRow("far away") << QPoint(2000, 2000) << false << false;
        QTest::newRow("far away with a menu of the panel open") << QPoint(2000, 2000) << true << true;
    }
    void graceCheckKeepsThePanelForTheMarginAndOpenPopups() {
        QFETCH(QPoint, pointer);
        QFETCH(bool, popup);
        QFETCH(bool, staysOpen);
        Harness h;
        h.openAndSettle();
        h.pointer = pointer;
        h.panel->popupOpen = popup;
        h.panel->pointerLeaves();
        h.advance(240ms);
        QCOMPARE(h.controller->isPanelShown(), staysOpen);
        if (staysOpen) {
            QVERIFY(h.controller->hasPendingGraceClose()); // it keeps checking
        }
    }

    // A tray icon reports clicks but never the pointer leaving it: where the pointer is against
    // the icon's geometry decides.
    void trayOpenedPanelClosesOnceThePointerLeavesIconAndPanel() {
        Harness h;
        h.item.reportsLeaving = false;
        h.pointer = QPoint(640, 16); // on the icon
        h.item.click();
        QVERIFY(h.controller->isPanelShown());
        QVERIFY(h.controller->hasPendingGraceClose());
        h.advance(1s);
        QVERIFY(h.controller->isPanelShown()); // resting on the icon keeps it
        QVERIFY(h.controller->hasPendingGraceClose());

        // Straight from the icon to elsewhere, never through the panel.
        h.pointer = QPoint(1200, 700);
        h.advance(240ms);
        QVERIFY(h.controller->isClosing());
        h.advance(300ms);
        QVERIFY(!h.panel->visible);

        // Through the panel, back onto the icon, then away.
        h.pointer = QPoint(640, 16);
        h.item.click();
        h.pointer = QPoint(640, 300);
        h.panel->pointerEnters();
        h.advance(1s);
        h.pointer = QPoint(640, 16);
        h.panel->pointerLeaves();
        h.advance(720ms);
        QVERIFY(h.controller->isPanelShown());
        h.pointer = QPoint(1200, 700);
        h.advance(240ms);
        QVERIFY(h.controller->isClosing());
    }

    void pointerBackOnThePanelCancelsTheCheck() {
        Harness h;
        h.openAndSettle();
        h.panel->pointerLeaves();
        h.panel->pointerEnters();
        h.advance(1s);
        QVERIFY(h.controller->isPanelShown());
    }

    void frameRefreshesOnlyOnARealChange() {
        Harness h;
        h.openAndSettle();
        h.controller->panelSearchQueryChanged(QString());
        h.controller->panelLayoutModeChanged(false);
        QVERIFY(!h.controller->hasPendingFrameRefresh());
        h.controller->panelSearchQueryChanged(QStringLiteral("a"));
        h.controller->panelSearchQueryChanged(QStringLiteral("ab"));
        h.controller->panelLayoutModeChanged(true);
        QVERIFY(h.controller->hasPendingFrameRefresh());
        const int before = h.panel->frameChanges;
        h.advance(100ms);
        QVERIFY(!h.controller->hasPendingFrameRefresh());
        QVERIFY(h.panel->frameChanges <= before + 1);
    }

    void headerLinesOfTheContentAddToTheHeight() {
        Harness h;
        h.panel->headerLines = 150;
        h.openAndSettle();
        QCOMPARE(h.panel->currentFrame, QRect(380, 32, 520, 630));
        // A banner that grows while the panel is open resizes it in a later turn.
        h.panel->setHeaderLines(400);
        QCOMPARE(h.panel->currentFrame.height(), 630);
        QVERIFY(h.controller->hasPendingFrameRefresh());
        h.advance(100ms);
        QCOMPARE(h.panel->currentFrame.height(), 720);
    }

    void contextFollowsOnlyAnOpenUnlockedPanel() {
        Harness h;
        QVERIFY(!h.morph.pinnedContext().has_value());
        h.openAndSettle();
        QVERIFY(h.morph.pinnedContext().has_value());
        h.morph.setInteractionLocked(true);
        h.item.click(); // the hot key or a click while locked re-opens but keeps the context
        QVERIFY(h.morph.pinnedContext().has_value());
    }

    void rightClickShowsTheMenuAndItsCommandsAct() {
        Harness h;
        QSignalSpy manager(&h.requests, &RequestBus::requestOpenWorkspaceManager);
        QSignalSpy settings(&h.requests, &RequestBus::requestOpenSettings);
        QSignalSpy welcome(&h.requests, &RequestBus::requestOpenWelcomeGuide);
        h.item.click(Qt::RightButton);
        QCOMPARE(h.item.menusShown, 1);
        QVERIFY(!h.panel->visible);
        h.item.menuCommand(StatusItemMenuCommand::manageWorkspaces);
        h.item.menuCommand(StatusItemMenuCommand::settings);
        h.item.menuCommand(StatusItemMenuCommand::welcomeGuide);
        QCOMPARE(manager.count(), 1);
        QCOMPARE(manager.first().first().value<std::optional<QString>>(), std::nullopt);
        QCOMPARE(settings.count(), 1);
        QCOMPARE(welcome.count(), 1);
        h.item.menuCommand(StatusItemMenuCommand::open);
        QVERIFY(h.panel->visible);
        h.item.menuCommand(StatusItemMenuCommand::quit);
        QCOMPARE(h.quits, 1);

        // A tray host that draws the exported menu itself reports the chosen row alone.
        emit h.item.menuCommandChosen(StatusItemMenuCommand::settings);
        QCOMPARE(settings.count(), 2);
        emit h.item.menuCommandChosen(StatusItemMenuCommand::quit);
        QCOMPARE(h.quits, 2);
        QCOMPARE(h.item.menusShown, 1);
    }

    void rightClickDuringTheCloseEndsItBeforeTheMenu() {
        Harness h;
        h.item.click();
        h.item.click();
        QVERIFY(h.controller->isClosing());
        h.item.click(Qt::RightButton);
        QVERIFY(!h.panel->visible);
        QVERIFY(!h.controller->isClosing());
        QCOMPARE(h.item.menusShown, 1);
        const int hidden = h.panel->orderOutCount;
        h.advance(300ms); // the close's own completion finds it already done
        QCOMPARE(h.panel->orderOutCount, hidden);
        QVERIFY(!h.morph.pinnedContext().has_value());
    }

    void hotKeyIsRegisteredAndToggles() {
        Harness h;
        QCOMPARE(h.shortcuts.hotKeyStatus(), HotKeyStatus::registered(PromptKeyboardShortcut::defaultTogglePanel()));
        h.hotKeys->press(h.hotKeys->lastRegisteredID());
        QCoreApplication::processEvents();
        QVERIFY(h.controller->isPanelShown());
    }

    // Another client holds the stored hot key at launch: nothing is live, and the status says so
    // rather than promising a previous shortcut; the status item still opens the panel.
    void hotKeyHeldAtLaunchReportsNoneActive() {
        Harness h({10});
        QVERIFY(!h.hotKeyService.isRunning());
        QCOMPARE(h.shortcuts.hotKeyStatus(),
                 HotKeyStatus::failed(PromptKeyboardShortcut::defaultTogglePanel(), 10, false));
        QVERIFY(h.shortcuts.hotKeyStatusMessage().contains(QStringLiteral("No global shortcut is active")));
        h.item.click();
        QVERIFY(h.controller->isPanelShown());
    }

    void failedRequestedHotKeyRestoresThePrevious_data() {
        QTest::addColumn<QList<qint32>>("statuses");
        QTest::addColumn<HotKeyStatus>("expected");
        const PromptKeyboardShortcut requested{40, ModifierFlags::command | ModifierFlags::option};
        QTest::newRow("restored") << QList<qint32>{10, 0} << HotKeyStatus::failed(requested, 10, true);
        QTest::newRow("restore failed too") << QList<qint32>{10, 11} << HotKeyStatus::restoreFailed(10, 11);
        QTest::newRow("accepted") << QList<qint32>{} << HotKeyStatus::registered(requested);
    }
    void failedRequestedHotKeyRestoresThePrevious() {
        QFETCH(QList<qint32>, statuses);
        QFETCH(HotKeyStatus, expected);
        Harness h;
        const PromptKeyboardShortcut previous = h.shortcuts.togglePanelShortcut();
        const PromptKeyboardShortcut requested{40, ModifierFlags::command | ModifierFlags::option};
        h.hotKeys->registerStatuses = statuses;
        h.shortcuts.requestTogglePanelShortcut(requested);
        QCOMPARE(h.shortcuts.hotKeyStatus(), expected);
        QCOMPARE(h.shortcuts.togglePanelShortcut(), statuses.isEmpty() ? requested : previous);
    }

    void languageChangeRelabelsAndRebuildsThePanel() {
        Harness h;
        const int applied = int(h.item.applied.size());
        h.languages.setSelection(AppLanguage::zhHans);
        QCoreApplication::processEvents();
        QCOMPARE(h.panel->rebuilds, 1);
        QVERIFY(h.item.applied.size() > applied);
        QVERIFY(h.item.applied.last().accessibilityLabel.contains(QStringLiteral("提示词")));
    }

    void statusLabelCountsThePromptsOfTheContext() {
        Harness h;
        h.env.writeFile(QStringLiteral(".orris-hollows/global.yaml"),
                        "prompts:\n  - title: One\n    text: a\n  - title: Two\n    text: b\n");
        QSignalSpy reloaded(&h.store, &PromptStore::contentChanged);
        h.store.reload();
        QVERIFY(reloaded.wait(5000));
        QTRY_VERIFY(h.item.applied.last().accessibilityLabel.contains(QLatin1String("2")));
    }

    void reducedMotionCloseHidesAfterTheFade() {
        Harness h;
        h.reduceMotion = true;
        h.item.click();
        QVERIFY(h.morph.accessibilityReduceMotion());
        h.item.click();
        h.advance(100ms);
        QVERIFY(!h.panel->visible);
    }
};

QTEST_MAIN(TestStatusIslandController)
#include "tst_statusislandcontroller.moc"
