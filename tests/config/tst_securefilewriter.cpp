#include "FileInspection.h"
#include "TestEnvironment.h"

#include "config/SecureFileWriter.h"
#include "config/StartupFileRecovery.h"
#include "model/AppLog.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

class UmaskGuard {
public:
    explicit UmaskGuard(mode_t mask) : m_previous(::umask(mask)) {}
    ~UmaskGuard() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

} // namespace

class SecureFileWriterTest : public QObject {
    Q_OBJECT

private slots:
    // The shapes of the names the writer and the recovery leave behind, and near misses of them:
    // the recovery deletes or restores whatever matches.
    void leftoverNamesAreRecognisedByTheirExactShape_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("temporary");
        QTest::addColumn<QString>("swapAccepted");
        QTest::addColumn<bool>("keptCopy");
        const QString hashA = QStringLiteral("0123456789abcdef");
        const QString hashB = QStringLiteral("fedcba9876543210");
        const QString swap = QStringLiteral(".orris-hollows-swap-");
        const auto row = [](const char* title, const QString& name, bool temporary, const QString& swapAccepted,
                            bool keptCopy) { QTest::newRow(title) << name << temporary << swapAccepted << keptCopy; };
        row("new", ".orris-hollows-new-a1B2c3", true, QString(), false);
        row("new too long", ".orris-hollows-new-a1B2c3d", false, QString(), false);
        row("legacy write", ".orris-hollows-write-Zz0099", true, QString(), false);
        row("legacy tmp", ".notes.yaml.tmp-aB3xY9", true, QString(), false);
        row("legacy tmp, dotted target", "..tmp-.tmp-abcdef", true, QString(), false);
        row("legacy tmp, empty target", "..tmp-abcdef", false, QString(), false);
        row("legacy tmp, not hidden", "notes.yaml.tmp-aB3xY9", false, QString(), false);
        row("legacy tmp, short suffix", ".notes.tmp-abc", false, QString(), false);
        row("legacy tmp, punctuation", ".notes.tmp-abc_ef", false, QString(), false);
        row("legacy tmp, non-ASCII", QStringLiteral(".notes.tmp-abcd\u00e9"), false, QString(), false);
        row("legacy tmp, two lines", ".no\ntes.tmp-abcdef", false, QString(), false);
        row("swap", swap + hashA + "-" + hashB + "-x1Y2z3", true, hashA, false);
        row("swap, upper-case hash", swap + hashA.toUpper() + "-" + hashB + "-x1Y2z3", false, QString(), false);
        row("swap, short hash", swap + hashA.chopped(1) + "-" + hashB + "0-x1Y2z3", false, QString(), false);
        row("swap, no suffix", swap + hashA + "-" + hashB + "-", false, QString(), false);
        row("swap, trailing newline", swap + hashA + "-" + hashB + "-x1Y2z3\n", false, QString(), false);
        row("kept copy", ".orris-hollows-kept-Ab12Cd.yaml", false, QString(), true);
        row("kept copy, yml", ".orris-hollows-kept-Ab12Cd.yml", false, QString(), false);
        row("kept copy, short", ".orris-hollows-kept-Ab12C.yaml", false, QString(), false);
        row("kept copy, punctuation", ".orris-hollows-kept-Ab-2Cd.yaml", false, QString(), false);
        row("workspace", "web.yaml", false, QString(), false);
    }

    void leftoverNamesAreRecognisedByTheirExactShape() {
        QFETCH(QString, name);
        QFETCH(bool, temporary);
        QFETCH(QString, swapAccepted);
        QFETCH(bool, keptCopy);
        QCOMPARE(SecureFileWriter::isTemporaryFileName(name), temporary);
        const std::optional<SecureFileWriter::SwapFileName> swap = SecureFileWriter::parseSwapFileName(name);
        QCOMPARE(swap.has_value(), !swapAccepted.isEmpty());
        if (swap) {
            QCOMPARE(swap->acceptedHashPrefix, swapAccepted);
            QCOMPARE(swap->newHashPrefix, QStringLiteral("fedcba9876543210"));
        }
        QCOMPARE(StartupFileRecovery::isKeptCopyName(name), keptCopy);
    }

    void newFileIsOwnerOnlyWhateverTheUmask() {
        TestEnvironment env;
        UmaskGuard mask(022);
        const QString path = QDir(env.home()).filePath("new.yaml");
        QVERIFY(SecureFileWriter::writeString(QStringLiteral("héllo"), path).ok());
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(contentOf(path), QByteArray("h\xc3\xa9llo"));
        QCOMPARE(entriesOf(env.home()), QStringList{"new.yaml"}); // no temporary file left behind
    }

    void replacedFileBecomesOwnerOnly() {
        TestEnvironment env;
        const QString path = env.writeFile("shared.json", "old");
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0644) == 0);
        QVERIFY(SecureFileWriter::writeData("new", path).ok());
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(contentOf(path), QByteArray("new"));
    }

    void platformDefaultPermissionsFollowTheUmask() {
        TestEnvironment env;
        const QString path = QDir(env.home()).filePath("export.yaml");
        QVERIFY(SecureFileWriter::writeData("x", path, SecureFileWriter::Permissions::platformDefault).ok());
        const mode_t mask = ::umask(0);
        ::umask(mask);
        QCOMPARE(modeOf(path), mode_t(0666 & ~mask));
    }

    void failedWriteKeepsThePreviousBytes() {
        TestEnvironment env;
        const QString path = env.writeFile("keep.yaml", "previous content");
        LogCapture log;
        {
            ScopedWriteFault fault;
            const Status status = SecureFileWriter::writeData("replacement", path);
            QVERIFY(!status.ok());
            QCOMPARE(status.error().code, 5);
            QCOMPARE(fault.hits(), 1);
        }
        QCOMPARE(contentOf(path), QByteArray("previous content"));
        QCOMPARE(entriesOf(env.home()), QStringList{"keep.yaml"});
        QVERIFY(
            log.contains("Secure data write failed file=home/keep.yaml bytes=11 error=PosixError domain=posix code=5"));
    }

    void missingFolderFailsAndLogsWithoutTheHomePath() {
        TestEnvironment env;
        LogCapture log;
        const QString path = QDir(env.home()).filePath(".orris-hollows/workspaces/a.yaml");
        const Status status = SecureFileWriter::writeString(QStringLiteral("中文"), path);
        QVERIFY(!status.ok());
        QCOMPARE(status.error().code, ENOENT);
        QVERIFY(!QFileInfo::exists(QDir(env.home()).filePath(".orris-hollows")));
        // Six UTF-8 bytes, not two characters; only the parent folder and name are named.
        QVERIFY2(log.contains("Secure string write failed file=workspaces/a.yaml bytes=6 error=PosixError domain=posix "
                              "code=2"),
                 qPrintable(log.joined()));
        QVERIFY(!log.contains(env.home()));
    }

    void restrictingAMissingDirectoryFails() {
        TestEnvironment env;
        LogCapture log;
        const QString missing = QDir(env.home()).filePath("gone");
        QVERIFY(!SecureFileWriter::restrictDirectoryToCurrentUser(missing).ok());
        QVERIFY(log.contains("Set secure directory permissions failed directory=home/gone"));

        const QString folder = QDir(env.home()).filePath("present");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
        QVERIFY(SecureFileWriter::restrictDirectoryToCurrentUser(folder).ok());
        QCOMPARE(modeOf(folder), mode_t(0700));
    }

    void aLinkedFileIsWrittenWhereTheLinkPoints() {
        TestEnvironment env;
        const QString real = env.writeFile("dotfiles/global.yaml", "old");
        QVERIFY(::chmod(QFile::encodeName(real).constData(), 0644) == 0);
        QDir().mkpath(QDir(env.home()).filePath(".orris-hollows"));
        const QString link = QDir(env.home()).filePath(".orris-hollows/global.yaml");
        QVERIFY(QFile::link(real, link));
        QVERIFY(SecureFileWriter::writeData("new", link).ok());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contentOf(real), QByteArray("new"));
        QCOMPARE(modeOf(real), mode_t(0600));
        QCOMPARE(entriesOf(QFileInfo(real).absolutePath()), QStringList{"global.yaml"});

        // A link to nothing is replaced by the file.
        const QString dangling = QDir(env.home()).filePath(".orris-hollows/usage.json");
        QVERIFY(QFile::link(QDir(env.home()).filePath("gone/usage.json"), dangling));
        QVERIFY(SecureFileWriter::writeData("data", dangling).ok());
        QVERIFY(!QFileInfo(dangling).isSymLink());
        QCOMPARE(contentOf(dangling), QByteArray("data"));
    }

    void writingOverADirectoryFails() {
        TestEnvironment env;
        const QString folder = QDir(env.home()).filePath("x.yaml");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(!SecureFileWriter::writeData("data", folder).ok());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(entriesOf(env.home()), QStringList{"x.yaml"});
    }

    void fileContextAndErrorSummary() {
        QCOMPARE(AppLog::fileContext(std::optional<QString>()), QStringLiteral("none"));
        QCOMPARE(AppLog::fileContext(QStringLiteral("/home/someone/.orris-hollows/workspaces/a.yaml")),
                 QStringLiteral("workspaces/a.yaml"));
        QCOMPARE(AppLog::fileContext(QStringLiteral("/home/someone/.orris-hollows/global.yaml")),
                 QStringLiteral(".orris-hollows/global.yaml"));
        QCOMPARE(AppLog::fileContext(QStringLiteral("/global.yaml")), QStringLiteral("global.yaml"));
        QCOMPARE(AppLog::errorSummary(AppError::posix(ENOENT)), QStringLiteral("PosixError domain=posix code=2"));
    }
};

QTEST_GUILESS_MAIN(SecureFileWriterTest)
#include "tst_securefilewriter.moc"
