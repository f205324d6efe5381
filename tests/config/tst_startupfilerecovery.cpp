#include "FileInspection.h"
#include "TestEnvironment.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "config/StartupFileRecovery.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString workspacesDir = QStringLiteral(".orris-hollows/workspaces");
const QString uuid = QStringLiteral("0F2A5C1E-3B4D-4E6F-8A9B-C0D1E2F30415");

QStringList loadedIDs(const TestEnvironment& env) {
    PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
    QStringList ids;
    for (const PromptWorkspace& workspace : loader.loadAllConfigs().workspaces) {
        ids.append(workspace.id);
    }
    ids.sort();
    return ids;
}

} // namespace

class StartupFileRecoveryTest : public QObject {
    Q_OBJECT

private slots:
    // What a run killed during saves and deletions leaves behind: temporary files (full copies of
    // the content) and workspace files moved aside. The temporary files go; the workspace files
    // come back, to their old place when it is free and beside it when not; nothing else moves.
    void tidiesWhatAnInterruptedRunLeft() {
        TestEnvironment env;
        env.writeFile(workspacesDir + "/kept.yaml", "workspace:\n  name: Kept\nprompts: []\n");
        env.writeFile(workspacesDir + "/.orris-hollows-write-a1B2c3", "prompts: [] # half a save\n");
        env.writeFile(".orris-hollows/.orris-hollows-write-Zz9yY8", "{}");
        env.writeFile(workspacesDir + "/.kept.yaml.tmp-Qw3rTy", "prompts: []\n"); // an earlier version's name
        env.writeFile(workspacesDir + "/.orris-hollows-deleting-web-" + uuid + ".tmp",
                      "workspace:\n  name: Web\nprompts: []\n");
        env.writeFile(workspacesDir + "/.orris-hollows-deleting-kept-" + uuid + ".tmp",
                      "workspace:\n  name: Kept before\nprompts: []\n");
        // Not ours, or not what we leave behind: untouched.
        env.writeFile(workspacesDir + "/.notes.tmp-abc", "mine");
        env.writeFile(".orris-hollows/.orris-hollows-write-toolong", "mine");
        env.writeFile(workspacesDir + "/.orris-hollows-deleting-x.tmp", "mine");
        env.writeFile("elsewhere/.orris-hollows-write-a1B2c3", "mine");
        QVERIFY(QDir(env.home()).mkpath(workspacesDir + "/.orris-hollows-write-d1r000"));

        LogCapture log;
        const StartupFileRecovery::Counts counts = StartupFileRecovery::run(env.environment());
        QCOMPARE(counts.removedTemporaryFiles, 3);
        QCOMPARE(counts.restoredWorkspaceFiles, 2);
        QCOMPARE(counts.failures, 0);

        QCOMPARE(entriesOf(QDir(env.home()).filePath(workspacesDir)),
                 (QStringList{".notes.tmp-abc", ".orris-hollows-deleting-x.tmp", ".orris-hollows-write-d1r000",
                              "kept-2.yaml", "kept.yaml", "web.yaml"}));
        QCOMPARE(entriesOf(env.dataDirectory()), (QStringList{".orris-hollows-write-toolong", "workspaces"}));
        QVERIFY(QFileInfo::exists(QDir(env.home()).filePath("elsewhere/.orris-hollows-write-a1B2c3")));
        QCOMPARE(loadedIDs(env), (QStringList{"kept", "kept-2", "web"}));
        QCOMPARE(contentOf(QDir(env.home()).filePath(workspacesDir + "/kept.yaml")),
                 QByteArray("workspace:\n  name: Kept\nprompts: []\n"));

        QVERIFY(log.contains("Removed stale temporary files count=3"));
        QVERIFY(log.contains("Restored isolated workspace files count=2"));
        QVERIFY(!log.contains("web"));
        QVERIFY(!log.contains(env.home()));

        // A second start finds nothing to do and logs nothing.
        log.clear();
        QCOMPARE(StartupFileRecovery::run(env.environment()), StartupFileRecovery::Counts{});
        QVERIFY(log.lines().isEmpty());
    }

    void aMissingDataFolderIsNothingToDo() {
        TestEnvironment env;
        QCOMPARE(StartupFileRecovery::run(env.environment()), StartupFileRecovery::Counts{});
        QVERIFY(!QFileInfo::exists(env.dataDirectory()));
    }
};

QTEST_GUILESS_MAIN(StartupFileRecoveryTest)
#include "tst_startupfilerecovery.moc"
