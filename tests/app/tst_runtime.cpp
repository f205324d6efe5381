#include "FakeRuntimePlatform.h"
#include "FakeShellPorts.h"
#include "TestEnvironment.h"

#include "app/HotKeyService.h"
#include "app/IslandPanelWindow.h"
#include "app/Runtime.h"
#include "app/SingleInstance.h"
#include "app/StatusIslandController.h"
#include "config/BackgroundWork.h"
#include "config/InstanceLock.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/UserDefaults.h"
#include "panel/header/ProjectConfigTrustBanner.h"
#include "panel/tiles/PromptTileView.h"
#include "store/FirstRunChecklistStore.h"
#include "store/PromptStore.h"
#include "widgets/ConfigIssueBanner.h"
#include "windows/firstrun/FirstRunWelcomeView.h"

#include <QPushButton>

#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QWidget>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The height a layout gives the widget when nothing squeezes it.
int unsqueezedHeight(const QWidget* widget) {
    const int wanted =
        widget->hasHeightForWidth() ? widget->heightForWidth(widget->width()) : widget->sizeHint().height();
    return qBound(widget->minimumHeight(), wanted, widget->maximumHeight());
}

int mode(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

} // namespace

class TestRuntime : public QObject {
    Q_OBJECT

private slots:
    void launchWaitsForTheFirstReload() {
        TestEnvironment env;
        Runtime runtime(env.environment(), fakeRuntimePlatform());
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(!runtime.hasLaunched());
        QVERIFY(launched.wait(5000));
        QVERIFY(runtime.hasLaunched());
        QVERIFY(runtime.statusController().panel() != nullptr);
    }

    void aPanelNeverOpenedHoldsNoContentUntilItOpens() {
        // The panel's window exists from launch, but its widgets (and the fonts and text layouts
        // they bring) are built only when it is first opened: a language change meanwhile
        // builds nothing either, and the panel opens in the new language.
        TestEnvironment env;
        env.setPreferredLanguages({QStringLiteral("en-US")});
        env.writeFile(QStringLiteral(".orris-hollows/global.yaml"),
                      "prompts:\n  - id: a\n    title: First\n    text: One\n");
        Runtime runtime(env.environment(), fakeRuntimePlatform());
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(launched.wait(5000));
        auto* window = dynamic_cast<IslandPanelWindow*>(runtime.statusController().panel());
        QVERIFY(window != nullptr && !window->isVisible());
        QVERIFY(window->findChildren<QWidget*>().isEmpty());
        runtime.languageStore().setSelection(AppLanguage::zhHans);
        QTest::qWait(50);
        QVERIFY(window->findChildren<QWidget*>().isEmpty());

        emit runtime.requests().requestOpenFromMenu();
        QVERIFY(window->isVisible());
        auto* search = window->findChild<QLineEdit*>();
        QVERIFY(search != nullptr && search->isVisible());
        QCOMPARE(search->placeholderText(), QStringLiteral("搜索提示词"));
        QTRY_VERIFY(!window->findChildren<PromptTileView*>().isEmpty());
    }

    void welcomeGuideDecision_data() {
        QTest::addColumn<bool>("hasWorkspaceFile");
        QTest::addColumn<std::optional<bool>>("storedFlag");
        QTest::addColumn<bool>("shown");
        QTest::newRow("fresh home") << false << std::optional<bool>() << true;
        QTest::newRow("a workspace file marks the guide done") << true << std::optional<bool>() << false;
        QTest::newRow("completed before") << false << std::optional<bool>(true) << false;
        QTest::newRow("stored false shows it at every launch") << true << std::optional<bool>(false) << true;
    }
    void welcomeGuideDecision() {
        QFETCH(bool, hasWorkspaceFile);
        QFETCH(std::optional<bool>, storedFlag);
        QFETCH(bool, shown);
        TestEnvironment env;
        if (hasWorkspaceFile) {
            env.writeFile(QStringLiteral(".orris-hollows/workspaces/mine.yaml"),
                          "workspace:\n  name: Mine\nprompts:\n  - title: A\n    text: a\n");
        }
        if (storedFlag) {
            env.defaults()->setBool(FirstRunChecklistStore::welcomeCompletedKey, *storedFlag);
        }
        Runtime runtime(env.environment(), fakeRuntimePlatform());
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(runtime.welcomeWindow() == nullptr);
        QVERIFY(launched.wait(5000));
        QCOMPARE(runtime.welcomeWindow() != nullptr && runtime.welcomeWindow()->isVisible(), shown);
        if (!storedFlag) {
            QCOMPARE(env.defaults()->boolValue(FirstRunChecklistStore::welcomeCompletedKey),
                     hasWorkspaceFile ? std::optional<bool>(true) : std::nullopt);
        }
    }

    void welcomeGuideEndsOnceWhicheverWayItCloses() {
        TestEnvironment env;
        Runtime runtime(env.environment(), fakeRuntimePlatform());
        runtime.start();
        QSignalSpy manager(&runtime.requests(), &RequestBus::requestOpenWorkspaceManager);
        QSignalSpy panel(&runtime.requests(), &RequestBus::requestOpenFromMenu);
        emit runtime.requests().requestOpenWelcomeGuide();
        FirstRunWelcomeView* window = runtime.welcomeWindow();
        QVERIFY(window != nullptr && window->isVisible());
        QCOMPARE(window->size(), FirstRunWelcomeView::contentSize);

        // The close box counts as finishing the guide.
        window->close();
        QCOMPARE(env.defaults()->boolValue(FirstRunChecklistStore::welcomeCompletedKey), std::optional<bool>(true));
        QVERIFY(!runtime.firstRunChecklistStore().shouldPresentWelcome());
        QCOMPARE(manager.count(), 0);

        // Reopened, the same window; its create button finishes the guide, then opens the manager.
        env.defaults()->remove(FirstRunChecklistStore::welcomeCompletedKey);
        emit runtime.requests().requestOpenWelcomeGuide();
        QCOMPARE(runtime.welcomeWindow(), window);
        QVERIFY(runtime.firstRunChecklistStore().shouldPresentWelcome());
        const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
        QPushButton* create = nullptr;
        for (QPushButton* button : buttons) {
            if (button->isDefault()) {
                create = button;
            }
        }
        QVERIFY(create != nullptr);
        create->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(manager.count(), 1);
        QCOMPARE(panel.count(), 0);
        QCOMPARE(env.defaults()->boolValue(FirstRunChecklistStore::welcomeCompletedKey), std::optional<bool>(true));
    }

    void threeBannersUnderTheHeaderAreNotSqueezed() {
        // A terminal in a project with an untrusted file, no workspace bound, a malformed
        // workspace file: the unbound banner, the trust banner and the issue banner all show.
        TestEnvironment env;
        env.defaults()->setBool(ContextDetector::automaticMatchingEnabledKey, true);
        env.defaults()->setBool(FirstRunChecklistStore::welcomeCompletedKey, true);
        env.writeFile(QStringLiteral(".orris-hollows/workspaces/broken.yaml"), "workspace: [unclosed\n  - :\n");
        env.writeFile(QStringLiteral("shop/.orris-hollows.yaml"),
                      "workspace:\n  name: Shop\nprompts:\n  - id: s1\n    title: Check\n    text: Check\n");
        RuntimePlatform platform = fakeRuntimePlatform();
        platform.reduceMotion = [] { return true; };
        platform.contextPlatform.frontmostApplicationProvider = [] {
            return ContextDetector::FrontmostApplication{QStringLiteral("Terminal"), std::nullopt};
        };
        platform.contextPlatform.windowTitleReader = [] {
            return ContextDetector::WindowTitleRead{QStringLiteral("user@host: ~/shop")};
        };
        Runtime runtime(env.environment(), std::move(platform));
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(launched.wait(5000));
        runtime.contextDetector().refresh(true);
        QTRY_VERIFY(runtime.contextDetector().currentContext().workspacePath.has_value());

        emit runtime.requests().requestOpenFromMenu();
        auto* window = dynamic_cast<IslandPanelWindow*>(runtime.statusController().panel());
        QVERIFY(window != nullptr && window->isVisible());
        // Banners lay themselves out once shown; the window follows in a later turn.
        QTest::qWait(50);
        env.scheduler().advance(std::chrono::milliseconds(500));
        QTest::qWait(50);

        QWidget* unbound = window->findChild<QWidget*>(QStringLiteral("unboundBanner"));
        auto* trust = window->findChild<ProjectConfigTrustBanner*>();
        const QList<ConfigIssueBanner*> issues = window->findChildren<ConfigIssueBanner*>();
        QVERIFY(unbound != nullptr && unbound->isVisible());
        QVERIFY(trust != nullptr && trust->isVisible());
        QCOMPARE(issues.size(), 1);
        QVERIFY(issues.first()->isVisible());
        for (const QWidget* line : {unbound, static_cast<QWidget*>(trust), static_cast<QWidget*>(issues.first())}) {
            QVERIFY2(line->height() >= unsqueezedHeight(line), qPrintable(QStringLiteral("%1 is %2 high, needs %3")
                                                                              .arg(line->objectName())
                                                                              .arg(line->height())
                                                                              .arg(unsqueezedHeight(line))));
        }
        QWidget* header = window->findChild<QWidget*>(QStringLiteral("contextHeader"));
        QVERIFY(header != nullptr);
        QVERIFY(header->height() >= unsqueezedHeight(header));
        // The prompt stage keeps room under the banners.
        QWidget* stage = window->findChild<QWidget*>(QStringLiteral("promptStage"));
        QVERIFY(stage != nullptr);
        QVERIFY2(stage->height() >= 116, qPrintable(QString::number(stage->height())));
    }

    void gettingStartedCardLeavesTheFirstTilesInView() {
        // A fresh library with the getting-started card above its prompts: the first row of
        // tiles is in view without scrolling.
        TestEnvironment env;
        env.defaults()->setBool(FirstRunChecklistStore::welcomeCompletedKey, true);
        env.writeFile(QStringLiteral(".orris-hollows/global.yaml"),
                      "prompts:\n  - id: a\n    title: First\n    text: One\n"
                      "  - id: b\n    title: Second\n    text: Two\n");
        RuntimePlatform platform = fakeRuntimePlatform();
        platform.reduceMotion = [] { return true; };
        Runtime runtime(env.environment(), std::move(platform));
        QSignalSpy launched(&runtime, &Runtime::launched);
        runtime.start();
        QVERIFY(launched.wait(5000));

        emit runtime.requests().requestOpenFromMenu();
        auto* window = dynamic_cast<IslandPanelWindow*>(runtime.statusController().panel());
        QVERIFY(window != nullptr && window->isVisible());
        QTest::qWait(50);
        env.scheduler().advance(std::chrono::milliseconds(500));
        QTest::qWait(50);

        QWidget* card = window->findChild<QWidget*>(QStringLiteral("firstRunChecklistCard"));
        QVERIFY(card != nullptr && card->isVisible());
        auto* stage = window->findChild<QScrollArea*>(QStringLiteral("promptStage"));
        QVERIFY(stage != nullptr);
        const QList<PromptTileView*> tiles = window->findChildren<PromptTileView*>();
        QVERIFY(!tiles.isEmpty());
        const QRect viewport = stage->viewport()->rect();
        for (const PromptTileView* tile : tiles) {
            const QRect shown(tile->mapTo(stage->viewport(), QPoint(0, 0)), tile->size());
            QVERIFY2(viewport.contains(shown), qPrintable(QStringLiteral("tile at %1,%2 %3x%4 outside %5 high")
                                                              .arg(shown.x())
                                                              .arg(shown.y())
                                                              .arg(shown.width())
                                                              .arg(shown.height())
                                                              .arg(viewport.height())));
        }
    }

    void settingsWindowIsKeptAfterClosing() {
        TestEnvironment env;
        Runtime runtime(env.environment(), fakeRuntimePlatform());
        runtime.start();
        QVERIFY(runtime.settingsWindow() == nullptr);
        emit runtime.requests().requestOpenSettings();
        QWidget* first = runtime.settingsWindow();
        QVERIFY(first != nullptr && first->isVisible());
        QCOMPARE(first->size(), QSize(760, 640));
        first->close();
        emit runtime.requests().requestOpenSettings();
        QCOMPARE(runtime.settingsWindow(), first);
        QVERIFY(first->isVisible());
    }

    void languageChangeRetitlesOnlyOpenWindowsInALaterTurn() {
        TestEnvironment env;
        env.setPreferredLanguages({QStringLiteral("en-US")});
        Runtime runtime(env.environment(), fakeRuntimePlatform());
        runtime.start();
        emit runtime.requests().requestOpenSettings();
        QCOMPARE(runtime.settingsWindow()->windowTitle(), QStringLiteral("Orris Hollows Settings"));
        runtime.languageStore().setSelection(AppLanguage::zhHans);
        QCOMPARE(runtime.settingsWindow()->windowTitle(), QStringLiteral("Orris Hollows Settings"));
        QTRY_COMPARE(runtime.settingsWindow()->windowTitle(), QStringLiteral("Orris Hollows 设置"));
        QVERIFY(runtime.workspaceManagerWindow() == nullptr);
        emit runtime.requests().requestOpenWorkspaceManager(std::nullopt);
        QCOMPARE(runtime.workspaceManagerWindow()->windowTitle(), QStringLiteral("工作区管理"));
    }

    void settingsFileIsTheUsersAlone() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("orris-hollows"));
        const QString file = folder + QStringLiteral("/settings.ini");
        QVERIFY(QDir().mkpath(folder));
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QFile existing(file);
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("[General]\n");
        existing.close();
        ::chmod(QFile::encodeName(file).constData(), 0644);

        SettingsUserDefaults defaults(file);
        QCOMPARE(mode(folder), 0700);
        QCOMPARE(mode(file), 0600);
        defaults.setString(QStringLiteral("OrrisHollows.copySoundName.v1"), QStringLiteral("Glass"));
        defaults.sync();
        QCOMPARE(mode(file), 0600);

        const QString fresh = dir.filePath(QStringLiteral("new/orris-hollows/settings.ini"));
        SettingsUserDefaults created(fresh);
        created.setBool(QStringLiteral("OrrisHollows.hoverOpenEnabled.v1"), true);
        created.sync();
        QCOMPARE(mode(fresh), 0600);
        QCOMPARE(mode(QFileInfo(fresh).absolutePath()), 0700);
    }

    void secondInstanceHandsOverItsRequest() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("app.socket"));
        SingleInstance first(path);
        QVERIFY(!first.sendToRunningInstance("show", 200));
        QVERIFY(first.listen());
        QSignalSpy received(&first, &SingleInstance::requestReceived);

        // The second launch blocks while it waits for the answer, as a separate process would.
        QThread* thread = QThread::create([path] {
            SingleInstance second(path);
            QVERIFY(second.sendToRunningInstance("toggle", 3000));
        });
        thread->start();
        QTRY_COMPARE(received.count(), 1);
        QCOMPARE(received.first().first().toByteArray(), QByteArrayLiteral("toggle"));
        QVERIFY(thread->wait(5000));
        delete thread;
    }

    void staleSocketIsReplaced() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("app.socket"));
        // A crash leaves the socket file; nobody listens on it.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
        SingleInstance instance(path);
        QVERIFY(!instance.sendToRunningInstance("show", 200));
        QVERIFY(instance.listen());
    }

    // What stands at the socket's place and is not a socket stays, and listening says it failed.
    void aFolderAtTheSocketPathIsAFailedListenThatIsLogged() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("app.socket"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("app.socket")));
        LogCapture log;
        SingleInstance instance(path);
        QVERIFY(!instance.listen());
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(log.contains("Listen for later launches failed"));
    }

    // The socket's folder must be ours and private: an open one of ours is closed, anyone else's
    // (or a link) is refused, also for a later launch, which then talks to nobody.
    void theSocketFolderIsCheckedNotAssumed() {
        QTemporaryDir dir;
        const QString ours = dir.filePath(QStringLiteral("ours"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ours")));
        QVERIFY(::chmod(QFile::encodeName(ours).constData(), 0777) == 0);
        QVERIFY(SingleInstance::ensurePrivateFolder(ours).ok());
        QCOMPARE(QFileInfo(ours).permissions() & 0x0077, QFileDevice::Permissions());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(ours).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));

        const QString link = dir.filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(ours, link));
        QVERIFY(!SingleInstance::ensurePrivateFolder(link).ok());

        if (::geteuid() == 0) {
            // Another user's open folder, where that user could have bound our socket's name first.
            const QString theirs = dir.filePath(QStringLiteral("theirs"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("theirs")));
            QVERIFY(::chmod(QFile::encodeName(theirs).constData(), 0777) == 0);
            QVERIFY(::chown(QFile::encodeName(theirs).constData(), 65534, 65534) == 0);
            QVERIFY(!SingleInstance::ensurePrivateFolder(theirs).ok());
            LogCapture log;
            SingleInstance instance(theirs + QStringLiteral("/app.socket"));
            QVERIFY(!instance.listen());
            QVERIFY(log.contains("socket folder not private"));
            QVERIFY(!QFileInfo::exists(theirs + QStringLiteral("/app.socket")));
        }
    }

    // The socket's name follows the home, not the display; too long a runtime folder falls back.
    void theSocketPathBelongsToTheHome() {
        qputenv("DISPLAY", ":1");
        const QString first = SingleInstance::defaultSocketPath("/home/a/.orris-hollows");
        qputenv("DISPLAY", ":2");
        QCOMPARE(SingleInstance::defaultSocketPath("/home/a/.orris-hollows"), first);
        QVERIFY(SingleInstance::defaultSocketPath("/home/b/.orris-hollows") != first);

        QTemporaryDir dir;
        const QString longRuntime = dir.filePath(QString(90, u'r'));
        QVERIFY(QDir().mkpath(longRuntime));
        const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(longRuntime));
        const QString fallback = SingleInstance::defaultSocketPath("/home/a/.orris-hollows");
        qputenv("XDG_RUNTIME_DIR", saved);
        QVERIFY2(!fallback.startsWith(longRuntime), qPrintable(fallback));
        QVERIFY(QFile::encodeName(fallback).size() < 108);
    }

    // Of many processes started at once for one home, exactly one takes the instance lock, and it
    // keeps it until it ends.
    void oneOfManySimultaneousStartsHoldsTheLock() {
        QTemporaryDir home;
        const QString dataFolder = home.filePath(QStringLiteral(".orris-hollows"));
        constexpr int starts = 30;
        int results[2];
        int go[2];
        QVERIFY(::pipe(results) == 0 && ::pipe(go) == 0);
        // A child of fork() has only the forking thread: a pool thread of an earlier test that was
        // ending at that moment could leave a lock (the allocator's) held in the child for ever.
        BackgroundWork::pool()->waitForDone();
        QThreadPool::globalInstance()->waitForDone();
        QList<pid_t> children;
        for (int i = 0; i < starts; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(results[0]);
                ::close(go[1]);
                char byte = 0;
                [[maybe_unused]] ssize_t got = ::read(go[0], &byte, 1); // all start together
                const char held = InstanceLock::acquire(dataFolder) ? 'y' : 'n';
                [[maybe_unused]] ssize_t written = ::write(results[1], &held, 1);
                ::pause();
                ::_exit(0);
            }
            children.append(child);
        }
        ::close(results[1]);
        ::close(go[0]);
        ::close(go[1]); // end of file wakes every child at once
        QByteArray answers;
        char buffer[64];
        while (answers.size() < starts) {
            const ssize_t got = ::read(results[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            answers.append(buffer, got);
        }
        QCOMPARE(answers.count('y'), 1);
        QCOMPARE(answers.count('n'), starts - 1);
        QCOMPARE(InstanceLock::tryAcquire(dataFolder), InstanceLock::Outcome::heldElsewhere);
        for (const pid_t child : children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        ::close(results[0]);
        // The holder's end lets go of the lock.
        QCOMPARE(InstanceLock::tryAcquire(dataFolder), InstanceLock::Outcome::held);
    }
};

QTEST_MAIN(TestRuntime)
#include "tst_runtime.moc"
