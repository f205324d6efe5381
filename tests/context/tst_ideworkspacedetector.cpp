#include "context/IDEWorkspaceDetector.h"

#include <QTest>

static const QString home = QStringLiteral("/home/ann");
static const QString cwd = QStringLiteral("/srv/cwd");

class IDEWorkspaceDetectorTest : public QObject {
    Q_OBJECT

private slots:
    void ideApps_data() {
        QTest::addColumn<QString>("appName");
        QTest::addColumn<bool>("expected");
        QTest::newRow("Code") << "Code" << true;
        QTest::newRow("Visual Studio Code Insiders") << "Visual Studio Code Insiders" << true;
        QTest::newRow("Antigravity") << "Antigravity" << false;
        QTest::newRow("Antigravity IDE") << "Antigravity IDE" << true;
        QTest::newRow("Cursor") << "Cursor" << true;
        QTest::newRow("PyCharm") << "PyCharm" << true;
        QTest::newRow("Zed") << "Zed" << true;
        QTest::newRow("Zed Preview is not exactly zed") << "Zed Preview" << false;
        QTest::newRow("code with a blank") << "code " << false;
        QTest::newRow("OpenCode Beta") << "OpenCode Beta" << true;
        QTest::newRow("Firefox") << "Firefox" << false;
        QTest::newRow("Terminal") << "Terminal" << false;
    }
    void ideApps() {
        QFETCH(QString, appName);
        QFETCH(bool, expected);
        QCOMPARE(IDEWorkspaceDetector::isIDEApp(appName), expected);
    }

    void pathFromTitle_data() {
        QTest::addColumn<QStringList>("known");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected"); // null for none
        QTest::newRow("subfolder wins over its parent")
            << QStringList{"/srv/app", "/srv/app/web"} << QString::fromUtf8("index.ts \u2014 /srv/app/web \u2014 Code")
            << "/srv/app/web";
        QTest::newRow("longest first whatever the order")
            << QStringList{"/srv/app/web", "/srv/app"} << "/srv/app/web/src/main.ts"
            << "/srv/app/web";
        QTest::newRow("parent alone") << QStringList{"/srv/app/web", "/srv/app"} << "/srv/app/README.md"
                                      << "/srv/app";
        QTest::newRow("any letter case, returned as configured")
            << QStringList{"/Srv/App"} << "main.rs | /srv/app | Zed"
            << "/Srv/App";
        QTest::newRow("en dash and bar around the path")
            << QStringList{"/srv/app"} << QString::fromUtf8("x\u2013/srv/app|y") << "/srv/app";
        QTest::newRow("known path standardised") << QStringList{"", "/srv/./app/"} << "/srv/app — Cursor"
                                                 << "/srv/app";
        QTest::newRow("shared folder name never chosen")
            << QStringList{"/a/shared", "/b/shared"} << QString::fromUtf8("shared \u2014 main.go") << QString();
        QTest::newRow("unique folder name, inside a longer word")
            << QStringList{"/a/shared", "/b/shared", "/c/unique"} << "myuniqueproject - x"
            << "/c/unique";
        QTest::newRow("home-relative path inside a known path")
            << QStringList{"/home/ann/src"} << "ann@box:~/src/app/lib"
            << "/home/ann/src/app/lib";
        QTest::newRow("home-relative path above a known path")
            << QStringList{"/home/ann/src/app/deep"} << "ann@box:~/src/app"
            << "/home/ann/src/app";
        QTest::newRow("unrelated home-relative path, folder name decides")
            << QStringList{"/srv/other", "/srv/app"} << "box:~/elsewhere app"
            << "/srv/app";
        QTest::newRow("unrelated path and no folder name")
            << QStringList{"/srv/other"} << "box:~/elsewhere" << QString();
        QTest::newRow("no known paths") << QStringList{} << "/srv/app" << QString();
    }
    void pathFromTitle() {
        QFETCH(QStringList, known);
        QFETCH(QString, title);
        QFETCH(QString, expected);
        const auto path = IDEWorkspaceDetector::workspacePath(title, known, home, cwd);
        QCOMPARE(path.value_or(QString()), expected);
        QCOMPARE(path.has_value(), !expected.isNull());
    }

    void nameFromTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected");
        QTest::newRow("project — file — app")
            << QString::fromUtf8("project \u2014 main.ts \u2014 Visual Studio Code") << "project";
        QTest::newRow("project – file") << QString::fromUtf8("project \u2013 main.ts") << "project";
        QTest::newRow("project - file") << "  project - main.ts"
                                        << "project";
        QTest::newRow("project | file") << "project | main.ts"
                                        << "project";
        QTest::newRow("blank lead passes to the next separator")
            << QString::fromUtf8(" \u2014 a - b") << QString::fromUtf8("\u2014 a");
        QTest::newRow("hyphen without blanks is no separator") << "my-app"
                                                               << "my-app";
        QTest::newRow("no separator gives the whole title") << " Welcome \n"
                                                            << "Welcome";
        QTest::newRow("blank") << " \t\n" << QString();
        QTest::newRow("empty") << "" << QString();
    }
    void nameFromTitle() {
        QFETCH(QString, title);
        QFETCH(QString, expected);
        const auto name = IDEWorkspaceDetector::workspaceName(title);
        QCOMPARE(name.value_or(QString()), expected);
        QCOMPARE(name.has_value(), !expected.isNull());
    }
};

QTEST_GUILESS_MAIN(IDEWorkspaceDetectorTest)
#include "tst_ideworkspacedetector.moc"
