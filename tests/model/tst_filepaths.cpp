#include "TestEnvironment.h"

#include "model/FilePaths.h"

#include <QDir>
#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(FilePaths::LoneTilde)

class FilePathsTest : public QObject {
    Q_OBJECT

private slots:
    void tildeExpansion_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<FilePaths::LoneTilde>("loneTilde");
        QTest::addColumn<QString>("expected");
        using FilePaths::LoneTilde;
        QTest::newRow("below home") << "~/p" << LoneTilde::relativeName << "/h/p";
        QTest::newRow("lone tilde as home") << "~" << LoneTilde::home << "/h";
        QTest::newRow("lone tilde as a name") << "~" << LoneTilde::relativeName << "~";
        QTest::newRow("tilde and a name stays") << "~p" << LoneTilde::home << "~p";
        QTest::newRow("absolute stays") << "/a/~/b" << LoneTilde::home << "/a/~/b";
    }
    void tildeExpansion() {
        QFETCH(QString, path);
        QFETCH(FilePaths::LoneTilde, loneTilde);
        QFETCH(QString, expected);
        QCOMPARE(FilePaths::expandingTilde(path, "/h", loneTilde), expected);
    }

    void linksResolveAsFarAsThePathExists() {
        TestEnvironment env;
        const QString real = QDir(env.home()).filePath("real");
        QVERIFY(QDir().mkpath(real));
        const QString link = QDir(env.home()).filePath("link");
        QVERIFY(QFile::link(real, link));
        const QString resolvedReal = QDir(real).canonicalPath();
        QCOMPARE(FilePaths::resolvingSymlinks(link), resolvedReal);
        QCOMPARE(FilePaths::resolvingSymlinks(link + "/not/yet"), resolvedReal + "/not/yet");
        QCOMPARE(FilePaths::normalized("~/link/a/../b", env.home(), "/", FilePaths::LoneTilde::relativeName),
                 resolvedReal + "/b");
    }

    void lastComponent_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("folder") << "/a/my-app"
                                << "my-app";
        QTest::newRow("trailing slashes") << "/a/my-app//"
                                          << "my-app";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("root with slashes") << "///"
                                           << "/";
        QTest::newRow("relative name") << "my-app"
                                       << "my-app";
    }
    void lastComponent() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(FilePaths::lastComponent(path), expected);
    }
};

QTEST_GUILESS_MAIN(FilePathsTest)
#include "tst_filepaths.moc"
