#include "FileInspection.h"
#include "TestEnvironment.h"

#include "config/InstanceLock.h"
#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "config/SecureFileWriter.h"
#include "config/StartupFileRecovery.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

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

const QByteArray theirs = "workspace:\n  name: Theirs\nprompts: []\n";

// Saves in a child process that is killed at the step; false when the child was not killed there.
bool saveKilledAt(const TestEnvironment& env, const PromptWorkspace& workspace,
                  const std::optional<WorkspaceFileVersion>& version, SecureFileWriter::SwapStep step) {
    const pid_t child = ::fork();
    if (child == 0) {
        SecureFileWriter::setStepHook([step](SecureFileWriter::SwapStep at) {
            if (at == step) {
                ::raise(SIGKILL);
            }
        });
        PromptPersistenceService persistence(env.environment(), [] { return AppLanguage::english; });
        persistence.saveWorkspace(workspace, version);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

struct SavedWorkspace {
    PromptWorkspace workspace;
    QString path;
};

SavedWorkspace savedWorkspace(const TestEnvironment& env) {
    PromptPersistenceService persistence(env.environment(), [] { return AppLanguage::english; });
    Result<PromptWorkspace> created = persistence.createWorkspace("Web", {"/srv/web"});
    return {*created, *created->fileURL};
}

QStringList leftovers(const TestEnvironment& env) {
    QStringList names = entriesOf(QDir(env.home()).filePath(workspacesDir));
    names.removeAll("web.yaml");
    return names;
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
        env.writeFile(workspacesDir + "/.orris-hollows-new-a1B2c3", "prompts: [] # half a save\n");
        env.writeFile(".orris-hollows/.orris-hollows-write-Zz9yY8", "{}");
        // An earlier version's name, which a guarded save also used for the file it displaced: a
        // copy of a file still there goes, anything else is kept.
        env.writeFile(workspacesDir + "/.orris-hollows-write-c0pY00", "workspace:\n  name: Kept\nprompts: []\n");
        env.writeFile(workspacesDir + "/.orris-hollows-write-0nLy00", "workspace:\n  name: Only\nprompts: []\n");
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
        QCOMPARE(counts.removedTemporaryFiles, 4);
        QCOMPARE(counts.restoredWorkspaceFiles, 2);
        QCOMPARE(counts.keptCopies, 1);
        QCOMPARE(counts.failures, 0);

        QStringList workspaceEntries = entriesOf(QDir(env.home()).filePath(workspacesDir));
        const QStringList keptCopies = workspaceEntries.filter(StartupFileRecovery::keptCopyPrefix);
        QCOMPARE(keptCopies.size(), 1);
        const QString keptCopy = keptCopies.first();
        QVERIFY2(StartupFileRecovery::isKeptCopyName(keptCopy), qPrintable(keptCopy));
        QCOMPARE(contentOf(QDir(env.home()).filePath(workspacesDir + "/" + keptCopy)),
                 QByteArray("workspace:\n  name: Only\nprompts: []\n"));
        workspaceEntries.removeAll(keptCopy);
        QCOMPARE(workspaceEntries,
                 (QStringList{".notes.tmp-abc", ".orris-hollows-deleting-x.tmp", ".orris-hollows-write-d1r000",
                              "kept-2.yaml", "kept.yaml", "web.yaml"}));
        QCOMPARE(entriesOf(env.dataDirectory()),
                 (QStringList{".orris-hollows-write-toolong", "instance.lock", "workspaces"}));
        QVERIFY(QFileInfo::exists(QDir(env.home()).filePath("elsewhere/.orris-hollows-write-a1B2c3")));
        QCOMPARE(loadedIDs(env), (QStringList{"kept", "kept-2", "web"}));
        QCOMPARE(contentOf(QDir(env.home()).filePath(workspacesDir + "/kept.yaml")),
                 QByteArray("workspace:\n  name: Kept\nprompts: []\n"));

        QVERIFY(log.contains("Removed stale temporary files count=4"));
        QVERIFY(log.contains("Restored isolated workspace files count=2"));
        QVERIFY(!log.contains("web"));
        QVERIFY(!log.contains(env.home()));

        // A second start finds nothing to do and logs nothing.
        log.clear();
        QCOMPARE(StartupFileRecovery::run(env.environment()), StartupFileRecovery::Counts{});
        QVERIFY(log.lines().isEmpty());
    }

    // A save that is about to be refused, killed at each step: the next start puts the other
    // editor's file back, and nothing else stays behind.
    void aRefusedSaveKilledAtAnyStepLosesNoExternalEdit_data() {
        QTest::addColumn<SecureFileWriter::SwapStep>("step");
        QTest::newRow("written") << SecureFileWriter::SwapStep::written;
        QTest::newRow("swapped") << SecureFileWriter::SwapStep::swapped;
        QTest::newRow("checked") << SecureFileWriter::SwapStep::checked;
        QTest::newRow("swapped back") << SecureFileWriter::SwapStep::swappedBack;
    }

    void aRefusedSaveKilledAtAnyStepLosesNoExternalEdit() {
        QFETCH(SecureFileWriter::SwapStep, step);
        TestEnvironment env;
        SavedWorkspace saved = savedWorkspace(env);
        env.writeFile(workspacesDir + "/web.yaml", theirs);
        PromptWorkspace mine = saved.workspace;
        mine.name = "Mine";
        QVERIFY(saveKilledAt(env, mine, saved.workspace.fileVersion, step));

        const StartupFileRecovery::Counts counts = StartupFileRecovery::run(env.environment());
        QCOMPARE(counts.keptCopies, 0);
        QCOMPARE(counts.failures, 0);
        QCOMPARE(contentOf(saved.path), theirs);
        QCOMPARE(leftovers(env), QStringList{});
    }

    // An allowed save killed between its swap and the end: the file is the save's, whole.
    void anAllowedSaveKilledAfterItsSwapKeepsTheSave() {
        TestEnvironment env;
        SavedWorkspace saved = savedWorkspace(env);
        PromptWorkspace mine = saved.workspace;
        mine.name = "Mine";
        QVERIFY(saveKilledAt(env, mine, saved.workspace.fileVersion, SecureFileWriter::SwapStep::checked));
        QCOMPARE(StartupFileRecovery::run(env.environment()).removedTemporaryFiles, 1);
        QVERIFY(contentOf(saved.path).contains("name: \"Mine\"") || contentOf(saved.path).contains("name: Mine"));
        QCOMPARE(leftovers(env), QStringList{});
    }

    // The file changed again after the crash: neither copy can be told to be the user's, so both
    // stay and the load names the kept one.
    void whatCannotBeToldApartIsKeptAndNamed() {
        TestEnvironment env;
        SavedWorkspace saved = savedWorkspace(env);
        env.writeFile(workspacesDir + "/web.yaml", theirs);
        PromptWorkspace mine = saved.workspace;
        mine.name = "Mine";
        QVERIFY(saveKilledAt(env, mine, saved.workspace.fileVersion, SecureFileWriter::SwapStep::swapped));
        const QByteArray later = "workspace:\n  name: Later\nprompts: []\n";
        env.writeFile(workspacesDir + "/web.yaml", later);

        QCOMPARE(StartupFileRecovery::run(env.environment()).keptCopies, 1);
        QCOMPARE(contentOf(saved.path), later);
        const QStringList rest = leftovers(env);
        QCOMPARE(rest.size(), 1);
        QVERIFY(StartupFileRecovery::isKeptCopyName(rest.first()));
        const QString kept = QDir(env.home()).filePath(workspacesDir + "/" + rest.first());
        QCOMPARE(contentOf(kept), theirs);

        PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
        const PromptLoadResult loaded = loader.loadAllConfigs();
        QCOMPARE(loaded.workspaces.size(), 1);
        QCOMPARE(loaded.workspaces.first().name, QString("Later"));
        QCOMPARE(loaded.issues.size(), 1);
        QCOMPARE(loaded.issues.first().kind, PromptConfigIssueKind::keptCopy);
        QCOMPARE(loaded.issues.first().fileURL, kept);
        QCOMPARE(loaded.issues.first().displayName, rest.first());
        // A second start leaves the kept copy alone.
        QCOMPARE(StartupFileRecovery::run(env.environment()), StartupFileRecovery::Counts{});
        QCOMPARE(contentOf(kept), theirs);
    }

    // Recovery runs only in the process that holds the data folder's instance lock.
    void anotherInstanceHoldingTheLockStopsRecovery() {
        TestEnvironment env;
        env.writeFile(workspacesDir + "/.orris-hollows-new-a1B2c3", "half");
        int ready[2];
        QVERIFY(::pipe(ready) == 0);
        const pid_t holder = ::fork();
        if (holder == 0) {
            ::close(ready[0]);
            const char result = InstanceLock::acquire(env.dataDirectory()) ? 'y' : 'n';
            [[maybe_unused]] const ssize_t written = ::write(ready[1], &result, 1);
            ::pause();
            ::_exit(0);
        }
        ::close(ready[1]);
        char result = 0;
        QCOMPARE(::read(ready[0], &result, 1), ssize_t(1));
        ::close(ready[0]);
        QCOMPARE(result, 'y');
        const StartupFileRecovery::Counts counts = StartupFileRecovery::run(env.environment());
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY(counts.skipped);
        QVERIFY(QFileInfo::exists(QDir(env.home()).filePath(workspacesDir + "/.orris-hollows-new-a1B2c3")));
        QVERIFY(!InstanceLock::isHeld(env.dataDirectory()));

        QCOMPARE(StartupFileRecovery::run(env.environment()).removedTemporaryFiles, 1);
        QVERIFY(InstanceLock::isHeld(env.dataDirectory()));
    }

    void aMissingDataFolderIsNothingToDo() {
        TestEnvironment env;
        QCOMPARE(StartupFileRecovery::run(env.environment()), StartupFileRecovery::Counts{});
        QVERIFY(!QFileInfo::exists(env.dataDirectory()));
    }
};

QTEST_GUILESS_MAIN(StartupFileRecoveryTest)
#include "tst_startupfilerecovery.moc"
