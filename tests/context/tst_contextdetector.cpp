#include "context/ContextDetector.h"

#include "config/BackgroundWork.h"

#include "TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace std::chrono_literals;

namespace {

QStringList noKnownPaths() {
    return {};
}

// Lets every worker finish and delivers their results, so that a test can assert that
// something was NOT published.
void settle() {
    BackgroundWork::pool()->waitForDone();
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// A fake platform whose answers the test changes at will.
struct FakePlatform {
    ContextDetector::FrontmostApplication application{QStringLiteral("Terminal"), std::nullopt};
    ContextDetector::WindowTitleRead titleRead;
    int titleReads = 0;
    std::function<void()> onActivated;
    int registrations = 0;
    int removals = 0;

    ContextDetector::Platform platform(std::chrono::nanoseconds delay = 0ns) {
        ContextDetector::Platform p;
        p.frontmostApplicationProvider = [this] { return application; };
        p.windowTitleReader = [this] {
            ++titleReads;
            return titleRead;
        };
        p.activationSource = [this](std::function<void()> callback) {
            ++registrations;
            onActivated = std::move(callback);
            return [this] { ++removals; };
        };
        p.detectionDelay = delay;
        return p;
    }
};

} // namespace

class ContextDetectorTest : public QObject {
    Q_OBJECT

private:
    static QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

private slots:
    void initTestCase() { qRegisterMetaType<AgentContext>(); }

    void unforcedRefreshesAreThrottledOnTheMonotonicClock() {
        TestEnvironment env;
        env.defaults()->setBool(ContextDetector::automaticMatchingEnabledKey, true);
        FakePlatform fake;
        fake.titleRead.title = QStringLiteral("first");
        ContextDetector detector(env.environment(), noKnownPaths, fake.platform());
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);

        detector.start();
        QVERIFY(detector.isDetecting());
        QVERIFY(published.wait());
        QCOMPARE(detector.currentContext().frontWindowTitle, QStringLiteral("first"));

        // 3.9 s after the last start: skipped.
        env.clock().advance(3900ms);
        fake.titleRead.title = QStringLiteral("second");
        detector.refresh(false);
        QVERIFY(!detector.isDetecting());
        QCOMPARE(fake.titleReads, 1);

        // The user sets the clock back an hour: polling goes on regardless. The timer fires at
        // exactly 4.0 s after the start.
        env.clock().setWallClockOnly(env.clock().now().addSecs(-3600));
        env.scheduler().advance(100ms);
        QVERIFY(detector.isDetecting());
        QVERIFY(published.wait());
        QCOMPARE(detector.currentContext().frontWindowTitle, QStringLiteral("second"));

        // An unforced refresh while a detection is in flight does nothing; a forced one runs
        // at any time.
        env.clock().advance(5000ms);
        fake.titleRead.title = QStringLiteral("third");
        detector.refresh(false);
        QVERIFY(detector.isDetecting());
        const int reads = fake.titleReads;
        env.clock().advance(4000ms);
        detector.refresh(false);
        QCOMPARE(fake.titleReads, reads);
        env.clock().advance(1ms);
        detector.refresh(true);
        QCOMPARE(fake.titleReads, reads + 1);
        settle();
        QVERIFY(!detector.isDetecting());
    }

    void onlyTheLatestOfTwoForcedRefreshesIsPublished() {
        TestEnvironment env;
        FakePlatform fake;
        fake.application = {QStringLiteral("Cursor"), std::nullopt};
        ContextDetector detector(env.environment(), noKnownPaths, fake.platform());
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);

        detector.start();
        // The first detection has finished on its worker, its result not yet delivered, when
        // another application becomes active.
        BackgroundWork::pool()->waitForDone();
        fake.application = {QStringLiteral("Zed"), QStringLiteral("dev.zed.Zed")};
        QVERIFY(fake.onActivated);
        fake.onActivated();
        settle();

        QCOMPARE(published.count(), 1);
        QCOMPARE(detector.currentContext().frontmostAppName, QStringLiteral("Zed"));
        QCOMPARE(detector.currentContext().agent, AgentType::zed);
        QVERIFY(!detector.isDetecting());
    }

    void aSlowDetectionIsCancelledByAForcedRefresh() {
        TestEnvironment env;
        FakePlatform fake;
        fake.application = {QStringLiteral("Cursor"), std::nullopt};
        ContextDetector detector(env.environment(), noKnownPaths, fake.platform(1h));
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);

        detector.start();
        QVERIFY(detector.isDetecting());
        // The hour-long pause of the first detection ends with its cancellation; so does the
        // second's when the detector stops.
        fake.application = {QStringLiteral("Zed"), std::nullopt};
        detector.refresh(true);
        detector.stop();
        settle();
        QCOMPARE(published.count(), 0);
        QCOMPARE(detector.currentContext(), AgentContext::unknown());
    }

    void nothingIsPublishedAfterStop() {
        TestEnvironment env;
        FakePlatform fake;
        ContextDetector detector(env.environment(), noKnownPaths, fake.platform());
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);

        detector.start();
        QCOMPARE(env.scheduler().pendingCount(), 1);
        QCOMPARE(fake.registrations, 1);
        const std::function<void()> staleActivation = fake.onActivated;
        detector.stop();
        settle();
        QCOMPARE(published.count(), 0);
        QVERIFY(!detector.isRunning());
        QVERIFY(!detector.isDetecting());
        QCOMPARE(env.scheduler().pendingCount(), 0);
        QCOMPARE(fake.removals, 1);

        // Late triggers of the stopped run do nothing.
        staleActivation();
        detector.refresh(true);
        env.scheduler().advance(10s);
        settle();
        QCOMPARE(published.count(), 0);

        // A new start publishes again; an activation of the old run still does nothing.
        fake.application = {QStringLiteral("Zed"), std::nullopt};
        detector.start();
        QVERIFY(published.wait());
        env.clock().advance(10s);
        staleActivation();
        QVERIFY(!detector.isDetecting());
        fake.application = {QStringLiteral("Cursor"), std::nullopt};
        fake.onActivated();
        QVERIFY(detector.isDetecting());
        QVERIFY(published.wait());
        QCOMPARE(published.count(), 2);
    }

    void destroyingARunningDetectorLeavesNothingBehind() {
        TestEnvironment env;
        FakePlatform fake;
        {
            ContextDetector detector(env.environment(), noKnownPaths, fake.platform());
            detector.start();
        }
        QCOMPARE(env.scheduler().pendingCount(), 0);
        QCOMPARE(fake.removals, 1);
        settle();
    }

    void environmentVariableNamesTheProjectFolder() {
        TestEnvironment env;
        QDir(env.home()).mkpath(QStringLiteral("x"));
        env.setEnvironmentVariable(ContextDetector::environmentVariableName, QStringLiteral("~/x"));
        FakePlatform fake;
        fake.application = {QStringLiteral("Firefox"), std::nullopt};
        ContextDetector detector(env.environment(), noKnownPaths, fake.platform());
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);
        detector.start();
        QVERIFY(published.wait());

        const AgentContext& context = detector.currentContext();
        QCOMPARE(context.detectionSource, ContextDetectionSource::environment);
        QCOMPARE(context.workspacePath, canonical(env.home() + QStringLiteral("/x")));
        QCOMPARE(context.workspaceName, QStringLiteral("x"));
        QCOMPARE(context.agent, AgentType::firefox);
        QCOMPARE(published.first().first().value<AgentContext>(), context);
    }

    void automaticMatchingGatesTheTitleAndResetsItsError() {
        TestEnvironment env(TestEnvironment::Settings::iniFile);
        FakePlatform fake;
        fake.titleRead = {QStringLiteral("refused"), true, QStringLiteral("not allowed")};
        ContextDetector detector(env.environment(), noKnownPaths, fake.platform());
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);
        QSignalSpy errors(&detector, &ContextDetector::lastDetectionErrorChanged);

        // Off by default: no title is read.
        detector.start();
        QVERIFY(published.wait());
        QCOMPARE(fake.titleReads, 0);
        QCOMPARE(detector.currentContext().frontWindowTitle, QString());

        // The INI file keeps Booleans as text.
        env.defaults()->setValue(ContextDetector::automaticMatchingEnabledKey, QStringLiteral("true"));
        detector.refresh(true);
        QVERIFY(published.wait());
        QCOMPARE(fake.titleReads, 1);
        QVERIFY(detector.needsAutomationPermission());
        QCOMPARE(detector.lastDetectionError(), QStringLiteral("not allowed"));
        QCOMPARE(detector.currentContext().frontWindowTitle, QStringLiteral("refused"));

        env.defaults()->setBool(ContextDetector::automaticMatchingEnabledKey, false);
        detector.refresh(true);
        QVERIFY(published.wait());
        QCOMPARE(fake.titleReads, 1);
        QVERIFY(!detector.needsAutomationPermission());
        QVERIFY(!detector.lastDetectionError());
        // Only the two changes of the error are told.
        QCOMPARE(errors.count(), 2);

        // A value of another type reads as off.
        env.defaults()->setValue(ContextDetector::automaticMatchingEnabledKey, 1);
        detector.refresh(true);
        settle();
        QCOMPARE(fake.titleReads, 1);
        QCOMPARE(detector.currentContext().frontWindowTitle, QString());
    }

    // Every listener re-reads the library for a published context: a poll that finds nothing new
    // reads the platform once, starts no worker and tells nobody; a change is told once.
    void onlyAChangedDetectionIsPublished() {
        TestEnvironment env;
        env.defaults()->setBool(ContextDetector::automaticMatchingEnabledKey, true);
        FakePlatform fake;
        fake.titleRead.title = QStringLiteral("~/src/app");
        int applicationReads = 0;
        ContextDetector::Platform platform = fake.platform();
        platform.frontmostApplicationProvider = [&fake, &applicationReads] {
            ++applicationReads;
            return fake.application;
        };
        ContextDetector detector(env.environment(), noKnownPaths, platform);
        QSignalSpy contexts(&detector, &ContextDetector::currentContextChanged);
        QSignalSpy permissions(&detector, &ContextDetector::needsAutomationPermissionChanged);
        QSignalSpy errors(&detector, &ContextDetector::lastDetectionErrorChanged);
        detector.start();
        QVERIFY(contexts.wait());
        QCOMPARE(contexts.count(), 1);

        // A minute of unchanged polls.
        for (int tick = 0; tick < 15; ++tick) {
            env.scheduler().advance(ContextDetector::timerInterval);
            QVERIFY(!detector.isDetecting());
        }
        settle();
        QCOMPARE(applicationReads, 16);
        QCOMPARE(fake.titleReads, 16);
        QCOMPARE(contexts.count(), 1);
        QCOMPARE(permissions.count(), 0);
        QCOMPARE(errors.count(), 0);

        // A new title is detected and published once, with the error it came with.
        fake.titleRead = {QStringLiteral("~/src/web"), false, QStringLiteral("slow")};
        env.scheduler().advance(ContextDetector::timerInterval);
        QVERIFY(detector.isDetecting());
        QVERIFY(contexts.wait());
        QCOMPARE(detector.currentContext().frontWindowTitle, QStringLiteral("~/src/web"));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(permissions.count(), 0);

        // A forced refresh reads the folders again, but an equal result is not told.
        detector.refresh(true);
        QVERIFY(detector.isDetecting());
        settle();
        QVERIFY(!detector.isDetecting());
        QCOMPARE(contexts.count(), 2);
        QCOMPARE(errors.count(), 1);

        // A changed workspace path changes the inputs even when the title stays.
        env.setEnvironmentVariable(ContextDetector::environmentVariableName, env.home());
        env.scheduler().advance(ContextDetector::timerInterval);
        QVERIFY(contexts.wait());
        QCOMPARE(detector.currentContext().detectionSource, ContextDetectionSource::environment);
    }

    void makeContext_data() {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("environment"); // "-" for absent
        QTest::addColumn<QStringList>("known");   // relative to the home folder
        QTest::addColumn<AgentType>("agent");
        QTest::addColumn<QString>("path"); // relative to the canonical home; "-" for none
        QTest::addColumn<QString>("name");
        QTest::addColumn<ContextDetectionSource>("source");

        const QString none = QStringLiteral("-");
        const QString unrecognized = unrecognizedWorkspaceName;
        using S = ContextDetectionSource;

        QTest::newRow("environment wins over the terminal title")
            << "Terminal"
            << ""
            << "me@box: ~/projects/demo"
            << "~/projects/other" << QStringList() << AgentType::terminal << "projects/other"
            << "other" << S::environment;
        QTest::newRow("environment through a symbolic link is resolved")
            << "Firefox"
            << ""
            << ""
            << "~/link" << QStringList() << AgentType::firefox << "projects/demo"
            << "demo" << S::environment;
        QTest::newRow("missing environment folder is ignored")
            << "Terminal"
            << ""
            << "me@box: ~/projects/demo"
            << "~/missing" << QStringList() << AgentType::terminal << "projects/demo"
            << "demo" << S::terminalDirectory;
        QTest::newRow("an empty environment value is no folder")
            << "Firefox"
            << ""
            << ""
            << "" << QStringList() << AgentType::firefox << none << unrecognized << S::unknown;
        QTest::newRow("a file is not a folder")
            << "Firefox"
            << ""
            << ""
            << "~/projects/file.txt" << QStringList() << AgentType::firefox << none << unrecognized << S::unknown;
        QTest::newRow("terminal title with dot-dot")
            << "Terminal"
            << ""
            << "me@box: ~/projects/demo/../other" << none << QStringList() << AgentType::terminal << "projects/other"
            << "other" << S::terminalDirectory;
        QTest::newRow("ghostty stays ghostty")
            << "Ghostty"
            << ""
            << "~/projects/demo" << none << QStringList() << AgentType::ghostty << "projects/demo"
            << "demo" << S::terminalDirectory;
        QTest::newRow("a terminal named by another agent's identifier keeps that agent")
            << "Terminal"
            << "com.microsoft.VSCode"
            << "~/projects/demo" << none << QStringList() << AgentType::vscode << "projects/demo"
            << "demo" << S::terminalDirectory;
        QTest::newRow("terminal title with a missing folder")
            << "Terminal"
            << ""
            << "me@box: ~/gone" << none << QStringList() << AgentType::terminal << none << unrecognized
            << S::windowTitle;
        QTest::newRow("terminal path is not read from other apps")
            << "Firefox"
            << ""
            << "~/projects/demo" << none << QStringList() << AgentType::firefox << none << unrecognized
            << S::windowTitle;
        QTest::newRow("IDE title names a known folder")
            << "Visual Studio Code"
            << ""
            << "main.cpp - demo - Visual Studio Code" << none << QStringList{QStringLiteral("projects/demo")}
            << AgentType::vscode << "projects/demo"
            << "demo" << S::ideWorkspace;
        QTest::newRow("IDE title with a project name but no folder")
            << "Cursor"
            << ""
            << "webshop — index.ts — Cursor" << none << QStringList() << AgentType::cursor << none << "webshop"
            << S::ideWorkspace;
        QTest::newRow("IDE without a title")
            << "Zed"
            << ""
            << "" << none << QStringList() << AgentType::zed << none << unrecognized << S::unknown;
        QTest::newRow("a title of one blank")
            << "Notes"
            << ""
            << " " << none << QStringList() << AgentType::unknown << none << unrecognized << S::windowTitle;
        QTest::newRow("no title") << "Notes"
                                  << ""
                                  << "" << none << QStringList() << AgentType::unknown << none << unrecognized
                                  << S::unknown;
    }

    void makeContext() {
        QFETCH(QString, app);
        QFETCH(QString, bundle);
        QFETCH(QString, title);
        QFETCH(QString, environment);
        QFETCH(QStringList, known);
        QFETCH(AgentType, agent);
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(ContextDetectionSource, source);

        TestEnvironment env;
        QDir home(env.home());
        home.mkpath(QStringLiteral("projects/demo"));
        home.mkpath(QStringLiteral("projects/other"));
        env.writeFile(QStringLiteral("projects/file.txt"), "text");
        QVERIFY(QFile::link(home.filePath(QStringLiteral("projects/demo")), home.filePath(QStringLiteral("link"))));
        QStringList knownPaths;
        for (const QString& relative : known) {
            knownPaths.append(home.filePath(relative));
        }
        const std::optional<QString> bundleIdentifier = bundle.isEmpty() ? std::nullopt : std::optional(bundle);
        const std::optional<QString> environmentPath =
            environment == QLatin1String("-") ? std::nullopt : std::optional(environment);

        const AgentContext context = ContextDetector::makeContext(app, bundleIdentifier, title, environmentPath,
                                                                  knownPaths, env.home(), QStringLiteral("/"));
        QCOMPARE(context.agent, agent);
        if (path == QLatin1String("-")) {
            QCOMPARE(context.workspacePath, std::nullopt);
        } else {
            QCOMPARE(context.workspacePath, canonical(env.home()) + u'/' + path);
        }
        QCOMPARE(context.workspaceName, name);
        QCOMPARE(context.detectionSource, source);
        // What was read is kept exactly as read.
        QCOMPARE(context.frontmostAppName, app);
        QCOMPARE(context.frontmostBundleIdentifier, bundleIdentifier);
        QCOMPARE(context.frontWindowTitle, title);
    }
};

QTEST_GUILESS_MAIN(ContextDetectorTest)
#include "tst_contextdetector.moc"
