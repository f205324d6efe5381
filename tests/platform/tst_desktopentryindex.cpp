#include "platform/DesktopEntryIndex.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
bool writeEntry(const QString& directory, const QString& relativePath, const QByteArray& content) {
    const QString path = QDir(directory).filePath(QStringLiteral("applications/") + relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
} // namespace

class DesktopEntryIndexTest : public QObject {
    Q_OBJECT

private slots:
    void parsesOnlyTheMainGroupOfApplications() {
        const auto entry = DesktopEntryIndex::parse(
            "code", "[Desktop Entry]\nName=Visual Studio Code\nName[de]=Code\nType=Application\n"
                    "StartupWMClass=Code\n\n[Desktop Action new-empty-window]\nName=New Empty Window\n");
        QVERIFY(entry);
        QCOMPARE(entry->name, QStringLiteral("Visual Studio Code"));
        QCOMPARE(entry->startupWMClass, QStringLiteral("Code"));
        QVERIFY(!DesktopEntryIndex::parse("link", "[Desktop Entry]\nName=Site\nType=Link\n"));
        QVERIFY(!DesktopEntryIndex::parse("junk", QByteArray("\x00\xff garbage", 10)));
    }

    void findsEntriesByClassThenIdAndEarlierFoldersWin() {
        QTemporaryDir home;
        QTemporaryDir system;
        QVERIFY(writeEntry(system.path(), "code.desktop", "[Desktop Entry]\nType=Application\nName=System Code\n"));
        QVERIFY(writeEntry(home.path(), "code.desktop",
                           "[Desktop Entry]\nType=Application\nName=Visual Studio Code\nStartupWMClass=Code\n"));
        QVERIFY(writeEntry(system.path(), "org.gnome.Terminal.desktop",
                           "[Desktop Entry]\nType=Application\nName=Terminal\n"));
        QVERIFY(writeEntry(system.path(), "kde/konsole.desktop", "[Desktop Entry]\nType=Application\nName=Konsole\n"));
        QVERIFY(writeEntry(system.path(), "huge.desktop", QByteArray(300 * 1024, 'x')));

        const auto index = DesktopEntryIndex::build({home.path(), system.path(), "/nonexistent"});
        QCOMPARE(index.size(), 3);
        QCOMPARE(index.forWindowClass("code", "Code")->name, QStringLiteral("Visual Studio Code"));
        QCOMPARE(index.byId("kde-konsole")->name, QStringLiteral("Konsole"));
        QCOMPARE(index.forWindowClass("org.gnome.terminal", "")->id, QStringLiteral("org.gnome.Terminal"));
        QVERIFY(!index.forWindowClass("xterm", "XTerm"));
    }

    void dataDirectoriesFollowXdg() {
        const QStringList defaults = DesktopEntryIndex::dataDirectories("/home/u", std::nullopt, std::nullopt);
        QCOMPARE(defaults.mid(0, 3), (QStringList{"/home/u/.local/share", "/usr/local/share", "/usr/share"}));
        QVERIFY(defaults.contains("/var/lib/snapd/desktop"));
        const QStringList custom = DesktopEntryIndex::dataDirectories("/home/u", QString("/d"), QString("/a:/b:"));
        QCOMPARE(custom.mid(0, 3), (QStringList{"/d", "/a", "/b"}));
    }
};

QTEST_GUILESS_MAIN(DesktopEntryIndexTest)
#include "tst_desktopentryindex.moc"
