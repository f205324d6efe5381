#include "platform/x11/X11ActiveWindowMonitor.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

namespace {

// Runs xdotool and returns its output, trimmed.
QString xdotool(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

std::unique_ptr<QProcess> startXterm(const QString& title) {
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral("xterm"),
                   {QStringLiteral("-T"), title, QStringLiteral("-e"), QStringLiteral("sleep"), QStringLiteral("120")});
    return process;
}

} // namespace

class ActiveWindowMonitorTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheActiveWindowButNeverOurOwn() {
        auto monitor = X11ActiveWindowMonitor::connectToDisplay(qgetenv("DISPLAY"));
        QVERIFY(monitor);

        // Each step waits for its own activation, so that none is counted in the next step.
        QSignalSpy activations(monitor.get(), &X11ActiveWindowMonitor::activeApplicationChanged);
        auto first = startXterm(QStringLiteral("user@host: ~/projects/demo"));
        QTRY_COMPARE_WITH_TIMEOUT(monitor->frontmostWindow().has_value() &&
                                      monitor->frontmostWindow()->pid == first->processId(),
                                  true, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(activations.count(), 1, 5000);
        const X11WindowFacts facts = *monitor->frontmostWindow();
        QCOMPARE(facts.instance, QStringLiteral("xterm"));
        QCOMPARE(facts.windowClass, QStringLiteral("XTerm"));
        QCOMPARE(facts.title, QStringLiteral("user@host: ~/projects/demo"));
        QCOMPARE(facts.executableName, QStringLiteral("xterm"));
        QVERIFY(!facts.sandboxAppId);

        activations.clear();
        auto second = startXterm(QStringLiteral("second"));
        QTRY_COMPARE_WITH_TIMEOUT(monitor->frontmostWindow()->title, QStringLiteral("second"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(activations.count(), 1, 5000);

        // A window of this process takes focus: nothing changes for the detector.
        activations.clear();
        QWindow own;
        own.setTitle(QStringLiteral("own panel"));
        own.resize(200, 100);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        xdotool({QStringLiteral("windowactivate"), QString::number(own.winId())});
        QTRY_COMPARE_WITH_TIMEOUT(xdotool({QStringLiteral("getactivewindow")}), QString::number(own.winId()), 5000);
        QTest::qWait(300);
        QCOMPARE(activations.count(), 0);
        QCOMPARE(monitor->frontmostWindow()->title, QStringLiteral("second"));

        // Back to the first terminal: another application, so one activation.
        const QString firstWindow =
            xdotool({QStringLiteral("search"), QStringLiteral("--pid"), QString::number(first->processId())})
                .split(QLatin1Char('\n'))
                .value(0);
        QVERIFY(!firstWindow.isEmpty());
        xdotool({QStringLiteral("windowactivate"), firstWindow});
        QTRY_COMPARE_WITH_TIMEOUT(activations.count(), 1, 5000);
        QCOMPARE(monitor->frontmostWindow()->title, QStringLiteral("user@host: ~/projects/demo"));

        // The change arrives while the monitor waits for a reply of its own (the detector reads
        // the window at any time): it must still be reported.
        activations.clear();
        const QString secondWindow =
            xdotool({QStringLiteral("search"), QStringLiteral("--pid"), QString::number(second->processId())})
                .split(QLatin1Char('\n'))
                .value(0);
        QVERIFY(!secondWindow.isEmpty());
        xdotool({QStringLiteral("windowactivate"), secondWindow});
        QElapsedTimer reading;
        reading.start();
        while (monitor->frontmostWindow()->title != QStringLiteral("second") && reading.elapsed() < 5000) {
        }
        QTRY_COMPARE_WITH_TIMEOUT(activations.count(), 1, 5000);

        // The window's title changes while it stays active (the shell moved to another folder):
        // the next read has the new title, though no other window became active.
        activations.clear();
        xdotool({QStringLiteral("set_window"), QStringLiteral("--name"), QStringLiteral("user@host: ~/elsewhere"),
                 secondWindow});
        QTRY_COMPARE_WITH_TIMEOUT(monitor->frontmostWindow()->title, QStringLiteral("user@host: ~/elsewhere"), 5000);
        QCOMPARE(monitor->frontmostWindow()->pid, second->processId());
        QCOMPARE(activations.count(), 0);

        first->kill();
        second->kill();
        first->waitForFinished();
        second->waitForFinished();
    }

    void noDisplayMeansNoMonitor() {
        QVERIFY(!X11ActiveWindowMonitor::connectToDisplay(QByteArray()));
        QVERIFY(!X11ActiveWindowMonitor::connectToDisplay(QByteArray(":4242")));
    }
};

QTEST_MAIN(ActiveWindowMonitorTest)
#include "tst_activewindowmonitor.moc"
