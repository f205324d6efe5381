#include "FakeAppUpdater.h"
#include "FakeUrlOpener.h"

#include "services/AppLinks.h"
#include "services/AppUpdateController.h"

#include <QTest>

#include <optional>

namespace {

std::optional<QString> keyOfLength(int bytes) {
    return QString::fromLatin1(QByteArray(bytes, '\x5a').toBase64());
}

const QString feed = QStringLiteral("https://updates.example.org/appcast.xml");

} // namespace

class AppUpdateControllerTest : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeUrlOpener> m_opener;
    FakeAppUpdater* m_updater = nullptr; // owned by the controller once created
    int m_updatersMade = 0;

    std::unique_ptr<AppUpdateController> configured(bool checks, bool downloads) {
        return std::make_unique<AppUpdateController>(
            AppUpdateController::Configuration{keyOfLength(32), feed},
            [this, checks, downloads] {
                auto updater = std::make_unique<FakeAppUpdater>();
                updater->checks = checks;
                updater->downloads = downloads;
                m_updater = updater.get();
                ++m_updatersMade;
                return updater;
            },
            m_opener);
    }

private slots:
    void init() {
        m_opener = std::make_shared<FakeUrlOpener>();
        m_updater = nullptr;
        m_updatersMade = 0;
    }

    void validatesTheConfiguration_data() {
        QTest::addColumn<std::optional<QString>>("key");
        QTest::addColumn<std::optional<QString>>("feedURL");
        QTest::addColumn<bool>("valid");
        QTest::newRow("valid") << keyOfLength(32) << std::optional(feed) << true;
        QTest::newRow("no key") << std::optional<QString>() << std::optional(feed) << false;
        QTest::newRow("31 bytes") << keyOfLength(31) << std::optional(feed) << false;
        QTest::newRow("33 bytes") << keyOfLength(33) << std::optional(feed) << false;
        QTest::newRow("not Base64") << std::optional<QString>("not base64 at all, no!!") << std::optional(feed)
                                    << false;
        QTest::newRow("bad character") << std::optional(keyOfLength(32)->replace(3, 1, '*')) << std::optional(feed)
                                       << false;
        QTest::newRow("unpadded") << std::optional(keyOfLength(32)->chopped(1)) << std::optional(feed) << false;
        QTest::newRow("key with a line break")
            << std::optional(keyOfLength(32)->insert(8, '\n')) << std::optional(feed) << false;
        QTest::newRow("no feed") << keyOfLength(32) << std::optional<QString>() << false;
        QTest::newRow("http") << keyOfLength(32) << std::optional<QString>("http://updates.example.org/a.xml") << false;
        QTest::newRow("upper-case scheme")
            << keyOfLength(32) << std::optional<QString>("HTTPS://updates.example.org/a.xml") << false;
        QTest::newRow("mixed-case scheme")
            << keyOfLength(32) << std::optional<QString>("Https://updates.example.org/a.xml") << false;
        QTest::newRow("no host") << keyOfLength(32) << std::optional<QString>("https:///a.xml") << false;
        QTest::newRow("opaque") << keyOfLength(32) << std::optional<QString>("https:a.xml") << false;
        QTest::newRow("no scheme") << keyOfLength(32) << std::optional<QString>("updates.example.org/a.xml") << false;
        QTest::newRow("not an address") << keyOfLength(32) << std::optional<QString>("https://exa mple.org/") << false;
    }
    void validatesTheConfiguration() {
        QFETCH(std::optional<QString>, key);
        QFETCH(std::optional<QString>, feedURL);
        QFETCH(bool, valid);
        QCOMPARE(AppUpdateController::isSparkleConfigured(key, feedURL), valid);
    }

    void notConfiguredOpensTheDownloadPage() {
        // A valid configuration without an updater on this desktop is still not configured.
        AppUpdateController controller({keyOfLength(32), feed}, {}, m_opener);
        QVERIFY(!controller.isConfigured());
        controller.startAutomaticChecksIfConfigured();
        controller.setAutomaticUpdatesEnabled(true);
        controller.refreshUpdateSettings();
        QVERIFY(!controller.automaticUpdatesEnabled());
        QVERIFY(!controller.canToggleAutomaticUpdates());
        QVERIFY(m_opener->opened.isEmpty());
        controller.checkForUpdates();
        QCOMPARE(m_opener->opened, QList<QUrl>{AppLinks::download()});
        QCOMPARE(AppLinks::download().scheme(), QStringLiteral("https"));
        QCOMPARE(AppLinks::download().path(), QStringLiteral("/download"));
    }

    void invalidConfigurationNeverMakesAnUpdater() {
        AppUpdateController controller(
            {keyOfLength(31), feed},
            [this] {
                ++m_updatersMade;
                return std::make_unique<FakeAppUpdater>();
            },
            m_opener);
        controller.startAutomaticChecksIfConfigured();
        controller.checkForUpdates();
        QCOMPARE(m_updatersMade, 0);
        QCOMPARE(m_opener->opened.size(), 1);
    }

    void automaticUpdatesNeedChecksAndDownloads_data() {
        QTest::addColumn<bool>("checks");
        QTest::addColumn<bool>("downloads");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("backgroundChecks");
        QTest::newRow("both") << true << true << true << 1;
        QTest::newRow("checks only") << true << false << false << 1;
        QTest::newRow("downloads only") << false << true << false << 0;
        QTest::newRow("neither") << false << false << false << 0;
    }
    void automaticUpdatesNeedChecksAndDownloads() {
        QFETCH(bool, checks);
        QFETCH(bool, downloads);
        QFETCH(bool, enabled);
        QFETCH(int, backgroundChecks);
        auto controller = configured(checks, downloads);
        QVERIFY(controller->isConfigured());
        QCOMPARE(m_updatersMade, 0); // not before its first use
        controller->startAutomaticChecksIfConfigured();
        QCOMPARE(controller->automaticUpdatesEnabled(), enabled);
        QVERIFY(controller->canToggleAutomaticUpdates());
        QCOMPARE(m_updater->backgroundChecks, backgroundChecks);
    }

    void theSwitchSetsAndClearsBothSettings() {
        auto controller = configured(true, false);
        controller->setAutomaticUpdatesEnabled(true);
        QVERIFY(m_updater->checks && m_updater->downloads);
        QVERIFY(controller->automaticUpdatesEnabled());
        controller->setAutomaticUpdatesEnabled(false);
        QVERIFY(!m_updater->checks && !m_updater->downloads);
        QVERIFY(!controller->automaticUpdatesEnabled());
        QCOMPARE(m_updatersMade, 1);
    }

    void configuredCheckGoesToTheUpdater() {
        auto controller = configured(false, false);
        controller->checkForUpdates();
        QCOMPARE(m_updater->userChecks, 1);
        QVERIFY(m_opener->opened.isEmpty());
        QVERIFY(controller->canToggleAutomaticUpdates());
    }
};

QTEST_GUILESS_MAIN(AppUpdateControllerTest)
#include "tst_appupdatecontroller.moc"
