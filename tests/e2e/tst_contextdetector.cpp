#include "context/ContextDetector.h"
#include "platform/x11/X11ContextProviders.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

QStringList noKnownPaths() {
    return {};
}

QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class ContextDetectorEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<AgentContext>(); }

    void detectsTheTerminalFolderAndIgnoresOurOwnWindows() {
        TestEnvironment env;
        env.defaults()->setBool(ContextDetector::automaticMatchingEnabledKey, true);
        QVERIFY(QDir(env.home()).mkpath(QStringLiteral("projects/demo")));
        const QString demo = QFileInfo(env.home() + QStringLiteral("/projects/demo")).canonicalFilePath();

        env.setEnvironmentVariable(QStringLiteral("DISPLAY"), QString::fromLocal8Bit(qgetenv("DISPLAY")));
        const QByteArray display = X11ContextProviders::applicationDisplayName(env.environment());
        QCOMPARE(display, qgetenv("DISPLAY"));
        X11ContextProviders providers(env.environment(), display);
        QVERIFY(providers.isConnected());
        ContextDetector detector(env.environment(), noKnownPaths, providers.detectorPlatform());
        QSignalSpy published(&detector, &ContextDetector::currentContextChanged);
        detector.start();
        // No window is active yet: the context stays unknown, so nothing new is published.
        QTRY_VERIFY(!detector.isDetecting());

        // The terminal's title names a folder of the (temporary) home. Its activation alone
        // must bring the folder: the poll timer never runs in this test.
        QProcess terminal;
        terminal.start(QStringLiteral("xterm"), {QStringLiteral("-T"), QStringLiteral("user@host: ~/projects/demo"),
                                                 QStringLiteral("-e"), QStringLiteral("sleep"), QStringLiteral("120")});
        QVERIFY(terminal.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(detector.currentContext().workspacePath, std::optional(demo), 10000);
        const AgentContext context = detector.currentContext();
        QCOMPARE(context.agent, AgentType::terminal);
        QCOMPARE(context.detectionSource, ContextDetectionSource::terminalDirectory);
        QCOMPARE(context.workspaceName, QStringLiteral("demo"));
        QCOMPARE(context.frontmostAppName, QStringLiteral("Terminal"));
        QCOMPARE(context.frontWindowTitle, QStringLiteral("user@host: ~/projects/demo"));
        QVERIFY(!detector.needsAutomationPermission());
        QVERIFY(!detector.lastDetectionError());

        // A window of this process takes focus: no activation, and a forced refresh still
        // finds the terminal.
        const int publications = published.count();
        QWindow own;
        own.setTitle(QStringLiteral("own panel"));
        own.resize(200, 100);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        xdotool({QStringLiteral("windowactivate"), QString::number(own.winId())});
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), QString::number(own.winId()), 5000);
        QTest::qWait(300);
        QCOMPARE(published.count(), publications);
        QVERIFY(!detector.isDetecting());

        // The same context again: nobody is told.
        detector.refresh(true);
        QTRY_VERIFY(!detector.isDetecting());
        QCOMPARE(published.count(), publications);
        QCOMPARE(detector.currentContext(), context);

        detector.stop();
        terminal.kill();
        terminal.waitForFinished();
    }

    void withoutAnXServerNothingIsReported() {
        TestEnvironment env;
        X11ContextProviders providers(env.environment(), QByteArray());
        QVERIFY(!providers.isConnected());
        const ContextDetector::FrontmostApplication application = providers.frontmostApplication();
        QCOMPARE(application.name, QStringLiteral("Unknown"));
        QVERIFY(!application.bundleIdentifier);
        QCOMPARE(providers.frontWindowTitle().title, QString());
        bool called = false;
        providers.observeActivations([&called] { called = true; })();
        QVERIFY(!called);

        // The environment without DISPLAY names no display either.
        QCOMPARE(X11ContextProviders::applicationDisplayName(env.environment()), QByteArray());
    }
};

QTEST_MAIN(ContextDetectorEndToEndTest)
#include "tst_contextdetector.moc"
