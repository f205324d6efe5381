#include "FakeLaunchAtLoginService.h"
#include "TestEnvironment.h"

#include "services/LaunchAtLoginController.h"

#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(LaunchAtLoginStatus)

class LaunchAtLoginControllerTest : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeLaunchAtLoginService> m_service;

private slots:
    void init() { m_service = std::make_shared<FakeLaunchAtLoginService>(); }

    void mapsPlatformStatuses_data() {
        QTest::addColumn<int>("platform");
        QTest::addColumn<LaunchAtLoginStatus>("status");
        QTest::addColumn<bool>("canToggle");
        QTest::newRow("not registered") << 0 << LaunchAtLoginStatus::disabled << true;
        QTest::newRow("enabled") << 1 << LaunchAtLoginStatus::enabled << true;
        QTest::newRow("requires approval") << 2 << LaunchAtLoginStatus::requiresApproval << false;
        QTest::newRow("not found") << 3 << LaunchAtLoginStatus::disabled << true;
        QTest::newRow("unknown") << -1 << LaunchAtLoginStatus::unavailable << false;
        QTest::newRow("out of range") << 4 << LaunchAtLoginStatus::unavailable << false;
    }
    void mapsPlatformStatuses() {
        QFETCH(int, platform);
        QFETCH(LaunchAtLoginStatus, status);
        QFETCH(bool, canToggle);
        m_service->platformStatus = platform;
        LaunchAtLoginController controller(m_service);
        QCOMPARE(controller.status(), status);
        QCOMPARE(controller.canToggle(), canToggle);
        QVERIFY(!controller.hasError());
    }

    void setEnabledReachesTheWishedState() {
        LaunchAtLoginController controller(m_service);
        QSignalSpy statusSpy(&controller, &LaunchAtLoginController::statusChanged);
        controller.setEnabled(true);
        QCOMPARE(controller.status(), LaunchAtLoginStatus::enabled);
        QVERIFY(!controller.hasError());
        controller.setEnabled(false);
        QCOMPARE(controller.status(), LaunchAtLoginStatus::disabled);
        QCOMPARE(m_service->calls, (QStringList{"register", "unregister"}));
        QCOMPARE(statusSpy.count(), 2);
    }

    void outcomes_data() {
        QTest::addColumn<bool>("wish");
        QTest::addColumn<int>("statusAfter");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<LaunchAtLoginStatus>("status");
        QTest::addColumn<bool>("hasError");
        QTest::addColumn<bool>("logged");
        QTest::newRow("refused without a word") << true << 0 << false << LaunchAtLoginStatus::disabled << true << false;
        QTest::newRow("refused with an error") << true << 0 << true << LaunchAtLoginStatus::disabled << true << true;
        // The platform complained, but the item is as wished: no error to show.
        QTest::newRow("error yet enabled") << true << 1 << true << LaunchAtLoginStatus::enabled << false << true;
        QTest::newRow("needs approval") << true << 2 << false << LaunchAtLoginStatus::requiresApproval << false
                                        << false;
        QTest::newRow("removal refused") << false << 1 << true << LaunchAtLoginStatus::enabled << true << true;
    }
    void outcomes() {
        QFETCH(bool, wish);
        QFETCH(int, statusAfter);
        QFETCH(bool, fails);
        QFETCH(LaunchAtLoginStatus, status);
        QFETCH(bool, hasError);
        QFETCH(bool, logged);
        m_service->platformStatus = wish ? 0 : 1;
        m_service->statusAfterChange = statusAfter;
        if (fails) {
            m_service->error = AppError::posix(13);
        }
        LaunchAtLoginController controller(m_service);
        LogCapture log;
        controller.setEnabled(wish);
        QCOMPARE(controller.status(), status);
        QCOMPARE(controller.hasError(), hasError);
        QCOMPARE(log.contains("Update launch at login failed error=PosixError domain=posix code=13"), logged);
    }

    void unchangedWishDoesNothingNotEvenClearTheError() {
        m_service->platformStatus = 1;
        m_service->statusAfterChange = 1;
        m_service->error = AppError::posix(5);
        LaunchAtLoginController controller(m_service);
        controller.setEnabled(false);
        QVERIFY(controller.hasError());
        controller.setEnabled(true);
        QVERIFY(controller.hasError());
        QCOMPARE(m_service->calls, QStringList{"unregister"});
    }

    void requiresApprovalLocksTheSwitchUntilRefreshed() {
        m_service->statusAfterChange = 2;
        LaunchAtLoginController controller(m_service);
        controller.setEnabled(true);
        QVERIFY(!controller.canToggle());
        controller.setEnabled(false);
        QCOMPARE(m_service->calls, QStringList{"register"});

        m_service->platformStatus = 1;
        controller.refresh();
        QCOMPARE(controller.status(), LaunchAtLoginStatus::enabled);
        QVERIFY(controller.canToggle());
    }

    void refreshClearsTheError() {
        m_service->statusAfterChange = 0;
        LaunchAtLoginController controller(m_service);
        controller.setEnabled(true);
        QVERIFY(controller.hasError());
        QSignalSpy errorSpy(&controller, &LaunchAtLoginController::hasErrorChanged);
        controller.refresh();
        QVERIFY(!controller.hasError());
        QCOMPARE(errorSpy.count(), 1);
    }
};

QTEST_GUILESS_MAIN(LaunchAtLoginControllerTest)
#include "tst_launchatlogincontroller.moc"
