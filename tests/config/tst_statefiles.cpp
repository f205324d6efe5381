#include "TestEnvironment.h"

#include "config/StateFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class StateFilesTest : public QObject {
    Q_OBJECT

private slots:
    void readsRegularFilesWithinTheLimit() {
        TestEnvironment env;
        const QString path = env.writeFile("a.json", "12345");
        const auto read = StateFiles::readRegularFile(path, 5);
        QVERIFY(read.ok());
        QCOMPARE(*read, QByteArray("12345"));
        QCOMPARE(StateFiles::readRegularFile(path, 4).error(), StateFiles::fileTooLarge());
        QCOMPARE(StateFiles::readRegularFile(env.writeFile("empty", ""), 4).value(), QByteArray());
        // A link to a regular file is followed.
        const QString link = QDir(env.home()).filePath("link.json");
        QVERIFY(QFile::link(path, link));
        QCOMPARE(StateFiles::readRegularFile(link).value(), QByteArray("12345"));
    }

    void readingStopsAtTheLimitWhateverTheClaimedSize() {
        // Files in /proc claim a size of 0 and still give bytes.
        QCOMPARE(StateFiles::readRegularFile("/proc/self/maps", 64).error(), StateFiles::fileTooLarge());
        auto maps = StateFiles::OpenedFile::open("/proc/self/maps");
        QVERIFY(maps.ok());
        QCOMPARE(maps->size(), qint64(0));
        QCOMPARE(maps->readAtMost(64)->size(), 65);
    }

    void anOpenedFileTellsItsSizeAndDate() {
        TestEnvironment env;
        const QString path = env.writeFile("a.yaml", "12345");
        const QDateTime modified = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        auto opened = StateFiles::OpenedFile::open(path);
        QVERIFY(opened.ok());
        QCOMPARE(opened->size(), qint64(5));
        QCOMPARE(opened->modificationDate(), modified);
        QCOMPARE(opened->readAtMost(5).value(), QByteArray("12345"));
        QCOMPARE(StateFiles::OpenedFile::open(env.home()).error(), StateFiles::notRegularFile());
    }

    void refusesWhatIsNotARegularFile() {
        TestEnvironment env;
        QCOMPARE(StateFiles::readRegularFile(env.home()).error(), StateFiles::notRegularFile());
        const QString fifo = QDir(env.home()).filePath("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        // Must return at once instead of waiting for a writer.
        QCOMPARE(StateFiles::readRegularFile(fifo).error(), StateFiles::notRegularFile());
        QCOMPARE(StateFiles::readRegularFile("/dev/zero").error(), StateFiles::notRegularFile());
        QCOMPARE(StateFiles::readRegularFile(QDir(env.home()).filePath("missing")).error().code, qint64(ENOENT));
    }

    void danglingLinksCountAsPresent() {
        TestEnvironment env;
        const QString link = QDir(env.home()).filePath("dangling");
        QVERIFY(!StateFiles::exists(link));
        QVERIFY(QFile::link(QDir(env.home()).filePath("nowhere"), link));
        QVERIFY(StateFiles::exists(link));
        QVERIFY(!StateFiles::readRegularFile(link).ok());
    }

    void createsPrivateDirectories() {
        TestEnvironment env;
        const QString directory = QDir(env.home()).filePath("a/b/.orris-hollows");
        QVERIFY(StateFiles::createPrivateDirectory(directory).ok());
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(directory).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
        QVERIFY(StateFiles::createPrivateDirectory(directory).ok());

        // Every folder made on the way is owner-only from the start, whatever the umask.
        const mode_t previous = ::umask(0);
        const Status created = StateFiles::createPrivateDirectory(QDir(env.home()).filePath("open/inner"));
        ::umask(previous);
        QVERIFY(created.ok());
        QCOMPARE(::stat(QFile::encodeName(QDir(env.home()).filePath("open")).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));

        env.writeFile("file", "x");
        const Status blocked = StateFiles::createPrivateDirectory(QDir(env.home()).filePath("file/sub"));
        QVERIFY(!blocked.ok());
        QCOMPARE(blocked.error().code, qint64(ENOTDIR));
    }
};

QTEST_GUILESS_MAIN(StateFilesTest)
#include "tst_statefiles.moc"
