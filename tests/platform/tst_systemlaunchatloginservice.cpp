#include "TestEnvironment.h"

#include "platform/SystemLaunchAtLoginService.h"
#include "services/LaunchAtLoginController.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/stat.h>

class SystemLaunchAtLoginServiceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEnvironment> m_environment;

    QString autostart() const { return m_environment->home() + "/config/autostart"; }

    std::shared_ptr<SystemLaunchAtLoginService> service(const QString& executable = "/opt/orris/orris-hollows") {
        return std::make_shared<SystemLaunchAtLoginService>(autostart(), executable);
    }

    // A stand-in for the app that leaves a mark when started.
    QString writeFakeExecutable(const QString& folder, const QString& marker) {
        QDir().mkpath(folder);
        const QString path = folder + "/orris-hollows";
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return {};
        }
        file.write("#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void init() { m_environment = std::make_unique<TestEnvironment>(); }

    void autostartFolderFollowsTheEnvironment_data() {
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute config home") << "/srv/cfg"
                                              << "/srv/cfg/autostart";
        QTest::newRow("relative config home is ignored") << "cfg"
                                                         << "HOME/.config/autostart";
        QTest::newRow("unset") << QString() << "HOME/.config/autostart";
    }
    void autostartFolderFollowsTheEnvironment() {
        QFETCH(QString, configHome);
        QFETCH(QString, expected);
        if (!configHome.isNull()) {
            m_environment->setEnvironmentVariable("XDG_CONFIG_HOME", configHome);
        }
        expected.replace("HOME", m_environment->home());
        QCOMPARE(SystemLaunchAtLoginService::autostartDirectory(m_environment->environment()), expected);
    }

    void execArgumentsAreQuoted_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("exec");
        QTest::newRow("plain") << "/usr/bin/orris-hollows"
                               << "\"/usr/bin/orris-hollows\"";
        QTest::newRow("space") << "/opt/Orris Hollows/app"
                               << "\"/opt/Orris Hollows/app\"";
        QTest::newRow("quote, backtick, dollar") << "/a\"b`c$d"
                                                 << "\"/a\\\\\"b\\\\`c\\\\$d\"";
        QTest::newRow("backslash") << "/a\\b"
                                   << "\"/a\\\\\\\\b\"";
        QTest::newRow("per cent") << "/a%f"
                                  << "\"/a%%f\"";
        QTest::newRow("line break and tab") << "/a\nb\tc"
                                            << "\"/a\\nb\\tc\"";
    }
    void execArgumentsAreQuoted() {
        QFETCH(QString, path);
        QFETCH(QString, exec);
        QCOMPARE(SystemLaunchAtLoginService::quotedExecArgument(path), exec);
        QVERIFY(SystemLaunchAtLoginService::desktopEntry(path).contains("\nExec=" + exec + "\n"));
    }

    void enablingWritesAnEntryThatStartsTheApp() {
        const QString gio = QStandardPaths::findExecutable("gio");
        if (gio.isEmpty()) {
            QFAIL("gio is not installed (script/deps test installs libglib2.0-bin)");
        }
        const QString marker = m_environment->home() + "/started";
        // Every character the Exec key must quote, apart from "%", which GLib's launcher
        // refuses in a program path although the entry is well formed.
        const QString executable =
            writeFakeExecutable(m_environment->home() + "/Orris Hollows $HOME `id` \"q\" \\ 'x'", marker);
        QVERIFY(!executable.isEmpty());

        LaunchAtLoginController controller(service(executable));
        QCOMPARE(controller.status(), LaunchAtLoginStatus::disabled);
        controller.setEnabled(true);
        QCOMPARE(controller.status(), LaunchAtLoginStatus::enabled);
        QVERIFY(!controller.hasError());

        const QString entry = autostart() + "/orris-hollows.desktop";
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(entry).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);

        // The desktop's own launcher reads the Exec line as a session starts it at login.
        QProcess launcher;
        launcher.start(gio, {"launch", entry});
        QVERIFY(launcher.waitForFinished(10000));
        QCOMPARE(launcher.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(marker), 10000);

        controller.setEnabled(false);
        QCOMPARE(controller.status(), LaunchAtLoginStatus::disabled);
        QVERIFY(!QFile::exists(entry));
    }

    void aRemovalByOthersShowsAfterRefresh() {
        LaunchAtLoginController controller(service());
        controller.setEnabled(true);
        QCOMPARE(controller.status(), LaunchAtLoginStatus::enabled);
        QVERIFY(QFile::remove(autostart() + "/orris-hollows.desktop"));
        QCOMPARE(controller.status(), LaunchAtLoginStatus::enabled);
        controller.refresh();
        QCOMPARE(controller.status(), LaunchAtLoginStatus::disabled);
    }

    void statusReadsTheEntry_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        QTest::newRow("ours") << SystemLaunchAtLoginService::desktopEntry("/x").toUtf8() << 1;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nExec=/x\nHidden=true\n") << 0;
        QTest::newRow("switched off for GNOME")
            << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << 0;
        QTest::newRow("hidden in another group") << QByteArray("[Desktop Entry]\nExec=/x\n[Other]\nHidden=true\n") << 1;
        QTest::newRow("empty file") << QByteArray() << 1;
        QTest::newRow("too large to be ours") << SystemLaunchAtLoginService::desktopEntry("/x").toUtf8() +
                                                     QByteArray(SystemLaunchAtLoginService::maximumEntrySize, '#')
                                              << 0;
    }
    void statusReadsTheEntry() {
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        m_environment->writeFile("config/autostart/orris-hollows.desktop", content);
        QCOMPARE(service()->status(), status);
    }

    void oddEntriesNeitherHangNorCrash() {
        QDir().mkpath(autostart());
        const QString entry = autostart() + "/orris-hollows.desktop";
        QCOMPARE(::mkfifo(QFile::encodeName(entry).constData(), 0600), 0);
        QCOMPARE(service()->status(), int(LaunchAtLoginServicing::notRegistered));
        QVERIFY(service()->unregisterItem().ok());
        QVERIFY(!QFileInfo::exists(entry));
    }

    void unregisteringASymlinkKeepsItsTarget() {
        const QString target = m_environment->writeFile("shared/orris-hollows.desktop",
                                                        SystemLaunchAtLoginService::desktopEntry("/x").toUtf8());
        QDir().mkpath(autostart());
        QVERIFY(QFile::link(target, autostart() + "/orris-hollows.desktop"));
        auto login = service();
        QCOMPARE(login->status(), int(LaunchAtLoginServicing::enabled));
        QVERIFY(login->unregisterItem().ok());
        QCOMPARE(login->status(), int(LaunchAtLoginServicing::notRegistered));
        QVERIFY(QFile::exists(target));
    }

    void aBlockedFolderReportsTheError() {
        // A file where the autostart folder should be.
        m_environment->writeFile("config/autostart", "not a folder");
        LaunchAtLoginController controller(service());
        LogCapture log;
        controller.setEnabled(true);
        QCOMPARE(controller.status(), LaunchAtLoginStatus::disabled);
        QVERIFY(controller.hasError());
        QVERIFY(log.contains("Update launch at login failed error="));
        QVERIFY(!log.contains(m_environment->home()));
    }

    void aFailedWriteKeepsTheEntryAbsent() {
        LaunchAtLoginController controller(service());
        {
            ScopedWriteFault fault;
            controller.setEnabled(true);
        }
        QVERIFY(controller.hasError());
        QCOMPARE(controller.status(), LaunchAtLoginStatus::disabled);
        QCOMPARE(QDir(autostart()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    void unknownPlacesAreUnavailable() {
        SystemLaunchAtLoginService withoutFolder({}, "/x");
        QCOMPARE(LaunchAtLoginController::mapStatus(withoutFolder.status()), LaunchAtLoginStatus::unavailable);
        QVERIFY(!withoutFolder.registerItem().ok());
    }
};

QTEST_GUILESS_MAIN(SystemLaunchAtLoginServiceTest)
#include "tst_systemlaunchatloginservice.moc"
