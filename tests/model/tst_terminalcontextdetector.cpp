#include "model/TerminalContextDetector.h"

#include <QTest>

#include <optional>

// Paths are pure text here: nothing is looked up on disk, so a fixed home and current directory
// suffice.
static const QString home = QStringLiteral("/home/ann");
static const QString cwd = QStringLiteral("/srv/cwd");

class TerminalContextDetectorTest : public QObject {
    Q_OBJECT

private slots:
    void terminalApps_data() {
        QTest::addColumn<QString>("appName");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Terminal") << "Terminal" << true;
        QTest::newRow("any case, inside a name") << "GNOME TERMINAL Server" << true;
        QTest::newRow("iTerm2") << "iTerm2" << true;
        QTest::newRow("Warp") << "Warp" << true;
        QTest::newRow("Ghostty") << "Ghostty" << true;
        QTest::newRow("Terminus") << "Terminus" << false;
        QTest::newRow("Konsole by its own name") << "Konsole" << false;
        QTest::newRow("empty") << "" << false;
    }
    void terminalApps() {
        QFETCH(QString, appName);
        QFETCH(bool, expected);
        QCOMPARE(TerminalContextDetector::isTerminalApp(appName), expected);
    }

    void pathFromTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected"); // null for none
        QTest::newRow("bash default title") << "ann@host: ~/src/app"
                                            << "/home/ann/src/app";
        QTest::newRow("colon frees the tilde") << "host:~/src/app"
                                               << "/home/ann/src/app";
        QTest::newRow("home itself") << "ann@host: ~/"
                                     << "/home/ann";
        QTest::newRow("double-quoted path wins over earlier words") << "vim ~/notes /tmp \"/opt/my project/src\""
                                                                    << "/opt/my project/src";
        QTest::newRow("single-quoted path") << "less '/var/log/app log'"
                                            << "/var/log/app log";
        QTest::newRow("quoted relative path is not a path") << "\"src/app\" ~/x"
                                                            << "/home/ann/x";
        QTest::newRow("trailing comma") << "cd ~/src/app, then build"
                                        << "/home/ann/src/app";
        QTest::newRow("trailing semicolons") << "/var/log;;"
                                             << "/var/log";
        QTest::newRow("trailing slash standardised") << "in /srv/app/ now"
                                                     << "/srv/app";
        QTest::newRow("dot-dot resolved") << "/srv/app/../lib/./x"
                                          << "/srv/lib/x";
        QTest::newRow("dot-dot stops at the root") << "/../../etc"
                                                   << "/etc";
        QTest::newRow("em dash, en dash, middle dot and tab")
            << QString::fromUtf8("zsh\u2014/a\u2013b\u00b7c\tword") << "/a";
        QTest::newRow("brackets, parentheses and quotes trimmed") << "[(\"~/src/app\")]"
                                                                  << "/home/ann/src/app";
        QTest::newRow("non-breaking space splits") << QString::fromUtf8("job\u00a0/srv/job") << "/srv/job";
        QTest::newRow("lone slash and tilde skipped") << "/ ~ /tmp/next"
                                                      << "/tmp/next";
        QTest::newRow("tilde-name is relative to the current directory") << "~proj/x"
                                                                         << "/srv/cwd/~proj/x";
        QTest::newRow("words only") << "make build -j8" << QString();
        QTest::newRow("empty") << "" << QString();
        QTest::newRow("root only") << "ann@host: /" << QString();
        QTest::newRow("root spelt otherwise is still the root") << "// /. /.." << QString();
    }
    void pathFromTitle() {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        const auto path = TerminalContextDetector::workspacePath(title, home, cwd);
        QCOMPARE(path.value_or(QString()), expected);
        QCOMPARE(path.has_value(), !expected.isNull());
    }

    void cleanCandidate_data() {
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("expected");
        QTest::newRow("absolute") << "/srv/app"
                                  << "/srv/app";
        QTest::newRow("home relative") << "~/src"
                                       << "/home/ann/src";
        QTest::newRow("lone tilde") << "~" << QString();
        QTest::newRow("lone slash") << "/" << QString();
        QTest::newRow("slash and comma") << "/," << QString();
        QTest::newRow("relative") << "src/app" << QString();
        QTest::newRow("tilde-name") << "~x"
                                    << "/srv/cwd/~x";
    }
    void cleanCandidate() {
        QFETCH(QString, candidate);
        QFETCH(QString, expected);
        const auto path = TerminalContextDetector::cleanPathCandidate(candidate, home, cwd);
        QCOMPARE(path.value_or(QString()), expected);
        QCOMPARE(path.has_value(), !expected.isNull());
    }
};

QTEST_GUILESS_MAIN(TerminalContextDetectorTest)
#include "tst_terminalcontextdetector.moc"
