#include "PromptFixtures.h"
#include "PromptStoreFileHarness.h"

#include "config/PromptConfigLoader.h"
#include "config/StartupFileRecovery.h"
#include "context/ContextBindingStore.h"
#include "store/PromptUsageStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString agentFile = QStringLiteral(".orris-hollows/agent-workspace-bindings.json");
const QString legacyFile = QStringLiteral(".orris-hollows/context-bindings.json");

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

QByteArray legacyJson(const QString& id, const QString& keyword, const QString& workspace) {
    return QStringLiteral(R"({"id":"%1","appName":"Notes","windowKeyword":"%2","workspaceID":"%3",)"
                          R"("createdAt":"2024-01-01T00:00:00Z"})")
        .arg(id, keyword, workspace)
        .toUtf8();
}

// Removes isolated files for good, except those of the workspaces named, which fail with EIO.
PromptPersistenceService::FinalRemoval failingRemovalFor(const QStringList& workspaceIDs) {
    return [workspaceIDs](const QString& path) -> Status {
        for (const QString& id : workspaceIDs) {
            if (QFileInfo(path).fileName().startsWith(PromptPersistenceService::isolatedFilePrefix + id + "-")) {
                return AppError::posix(EIO);
            }
        }
        if (::unlink(QFile::encodeName(path).constData()) != 0) {
            return AppError::posix(errno);
        }
        return {};
    };
}

QStringList names(const QList<WorkspaceDeletionResult>& results) {
    QStringList list;
    for (const WorkspaceDeletionResult& result : results) {
        list.append(result.name);
    }
    return list;
}

QStringList isolatedLeftovers(const PromptStoreFileHarness& h) {
    return QDir(QDir(h.env.home()).filePath(".orris-hollows/workspaces"))
        .entryList({PromptPersistenceService::isolatedFilePrefix + "*"}, QDir::Files | QDir::Hidden);
}

} // namespace

class PromptStoreDeletionTest : public QObject {
    Q_OBJECT

private slots:
    void aFailedDeletionIsUndoneEverywhereAndTheOthersGo() {
        PromptStoreFileHarness h;
        h.env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: \"g1\"\n    title: \"G\"\n    text: \"T\"\n");
        h.writeWorkspaceFile("a", "Charlie", {"a1", "a2"});
        h.writeWorkspaceFile("b", "Alpha", {"b1"});
        h.writeWorkspaceFile("c", "Bravo", {"c1"});
        h.env.writeFile(legacyFile,
                        "[" + legacyJson("L1", "roadmap", "b") + "," + legacyJson("L2", "notes", "a") + "]");
        h.rebuild(failingRemovalFor({"b"}));
        h.loadHome();
        QCOMPARE(h.store->workspaces().size(), 3);
        for (const QString id : {"a", "b", "c"}) {
            QVERIFY(h.store->bindAgent(AgentType::cursor, id, false));
            QVERIFY(h.store->bindAgent(AgentType::terminal, id, false));
        }
        for (const QString id : {"a1", "a2", "b1", "c1", "g1"}) {
            h.store->usageStore().recordSuccessfulCopy(id, QDateTime::currentDateTimeUtc());
        }
        h.store->setLastEditedWorkspaceID(QString("b"));
        const QByteArray bFile = h.env.readFile(".orris-hollows/workspaces/b.yaml");
        LogCapture log;

        const WorkspaceBatchDeletionResult batch =
            h.store->deleteWorkspaces({"c", "b", "a", "nope", PromptStore::globalWorkspaceID});

        QCOMPARE(names(batch.results), (QStringList{"Alpha", "Bravo", "Charlie", "Global Prompts", "nope"}));
        QCOMPARE(batch.successCount(), 2);
        QCOMPARE(batch.failureCount(), 3);
        const QString ioError = QString::fromLocal8Bit(strerror(EIO));
        QCOMPARE(batch.results.at(0), (WorkspaceDeletionResult{"b", "Alpha", false, false, ioError}));
        QCOMPARE(batch.results.at(1),
                 (WorkspaceDeletionResult{"c", "Bravo", true, false, english("workspace.manager.deleted.directly")}));
        QCOMPARE(batch.results.at(3).message, english("workspace.manager.readonly.global"));
        QCOMPARE(batch.results.at(4).message, english("error.workspace.not.found"));
        QCOMPARE(h.store->lastErrorMessage(),
                 std::optional<QString>("Alpha: " + ioError +
                                        ", Global Prompts: " + english("workspace.manager.readonly.global") +
                                        ", nope: " + english("error.workspace.not.found")));
        QCOMPARE(h.store->statusMessage(),
                 L10n::string("workspace.manager.delete.result", AppLanguage::english, QString("2"), QString("3")));

        // The failed one: file, list entry, selection and both binding files as they were.
        QCOMPARE(PromptFixtures::ids(h.store->workspaces()), QStringList{"b"});
        QCOMPARE(h.env.readFile(".orris-hollows/workspaces/b.yaml"), bFile);
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("b"));
        QVERIFY(!QFile::exists(h.workspaceFile("a")));
        QVERIFY(!QFile::exists(h.workspaceFile("c")));
        QVERIFY(isolatedLeftovers(h).isEmpty());
        ContextBindingStore onDisk(h.env.environment());
        QStringList boundWorkspaces;
        for (const AgentWorkspaceBinding& binding : onDisk.agentWorkspaceBindings()) {
            boundWorkspaces.append(binding.workspaceID);
        }
        QCOMPARE(boundWorkspaces, (QStringList{"b", "b"}));
        QCOMPARE(onDisk.bindings().size(), 1);
        QCOMPARE(onDisk.bindings().first().workspaceID, QString("b"));

        // The usage of the deleted workspaces' prompts is gone, on disk too.
        PromptUsageStore usage(h.env.environment());
        QStringList used = usage.records().keys();
        used.sort();
        QCOMPARE(used, (QStringList{"b1", "g1"}));

        QVERIFY(log.contains("Delete workspace failed workspaceID=b file=workspaces/b.yaml "
                             "error=PosixError domain=posix code=5"));

        // What the files hold now is what the store shows.
        h.loadHome();
        QCOMPARE(PromptFixtures::ids(h.store->workspaces()), QStringList{"b"});
    }

    void resultsAreSortedByNameThenID() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "B", {"p1"});
        h.writeWorkspaceFile("b", "A", {"p2"});
        h.writeWorkspaceFile("y", "Same", {"p3"});
        h.writeWorkspaceFile("x", "Same", {"p4"});
        h.writeWorkspaceFile("z", "\U0001F600 emoji", {"p5"});
        h.writeWorkspaceFile("w", "\uFF21 wide", {"p6"});
        h.loadHome();
        const WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({"a", "b", "x", "y", "z", "w"});
        QStringList order;
        for (const WorkspaceDeletionResult& result : batch.results) {
            order.append(result.id);
        }
        // Code-point order puts U+FF21 before U+1F600, which UTF-16 order would not.
        QCOMPARE(order, (QStringList{"b", "a", "x", "y", "w", "z"}));
        QCOMPARE(batch.successCount(), 6);
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
        QVERIFY(h.store->workspaces().isEmpty());
    }

    void aFileChangedSinceItWasLoadedIsNotDeleted() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "A", {"p1"});
        h.writeWorkspaceFile("b", "B", {"p2"});
        h.loadHome();
        // Someone adds a prompt to a.yaml after the store read it.
        const QByteArray edited = h.env.readFile(".orris-hollows/workspaces/a.yaml") +
                                  "  - id: \"theirs\"\n    title: \"Theirs\"\n    text: \"Kept\"\n";
        h.env.writeFile(".orris-hollows/workspaces/a.yaml", edited);

        const WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({"a", "b"});
        QCOMPARE(batch.successCount(), 1);
        QCOMPARE(batch.results.at(0).id, QString("a"));
        QVERIFY(!batch.results.at(0).succeeded);
        QCOMPARE(batch.results.at(0).message,
                 QString("The file a.yaml changed on disk since it was loaded, so the workspace was kept. "
                         "Reload and try again."));
        QCOMPARE(h.env.readFile(".orris-hollows/workspaces/a.yaml"), edited);
        QCOMPARE(PromptFixtures::ids(h.store->workspaces()), QStringList{"a"});
        QVERIFY(!QFile::exists(h.workspaceFile("b")));
        QVERIFY(isolatedLeftovers(h).isEmpty());
    }

    void anEmptySelectionReportsZeroAndZero() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "A", {"p1"});
        h.loadHome();
        h.store->setLastEditedWorkspaceID(QString("a"));
        QSignalSpy changed(h.store.get(), &PromptStore::contentChanged);
        const WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({});
        QVERIFY(batch.results.isEmpty());
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
        QCOMPARE(h.store->statusMessage(), QString("0 deleted, 0 failed"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(h.store->workspaces().size(), 1);
    }

    void readOnlyWorkspacesAreRefused() {
        // The samples: the global pseudo-workspace and the sample workspace are samples.
        PromptStoreFileHarness h;
        h.loadHome();
        QVERIFY(h.store->showsTransientSamples());
        const QString sampleID = h.store->workspaces().first().id;
        WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({sampleID, PromptStore::globalWorkspaceID});
        QCOMPARE(batch.failureCount(), 2);
        for (const WorkspaceDeletionResult& result : batch.results) {
            QCOMPARE(result.message, english("workspace.manager.readonly.sample"));
        }
        QCOMPARE(batch.results.first().name, english("sample.global.prompts"));
        QCOMPARE(h.store->workspaces().size(), 1);

        // Without global prompts the pseudo-workspace is not there at all.
        PromptStoreFileHarness empty;
        empty.writeWorkspaceFile("a", "A", {"p1"});
        empty.loadHome();
        batch = empty.store->deleteWorkspaces({PromptStore::globalWorkspaceID});
        QCOMPARE(batch.results.first().name, PromptStore::globalWorkspaceID);
        QCOMPARE(batch.results.first().message, english("error.workspace.not.found"));
    }

    // A deletion killed while its file is aside, even one with a long id: the next start puts the
    // file back under its id, and its bindings are still there.
    void aDeletionKilledMidwayComesBackWithItsIDAndBindings() {
        PromptStoreFileHarness h;
        const QString longID = QString(150, u'w');
        h.writeWorkspaceFile(longID, "Long", {"p1"});
        h.rebuild([](const QString&) -> Status {
            ::raise(SIGKILL);
            return {};
        });
        h.loadHome();
        QVERIFY(h.store->bindAgent(AgentType::cursor, longID, true));
        const QByteArray file = h.env.readFile(".orris-hollows/workspaces/" + longID + ".yaml");

        const pid_t child = ::fork();
        if (child == 0) {
            h.store->deleteWorkspaces({longID});
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFSIGNALED(status));

        QCOMPARE(StartupFileRecovery::run(h.env.environment()).restoredWorkspaceFiles, 1);
        QCOMPARE(h.env.readFile(".orris-hollows/workspaces/" + longID + ".yaml"), file);
        ContextBindingStore onDisk(h.env.environment());
        QCOMPARE(onDisk.agentWorkspaceBindings().size(), 1);
        QCOMPARE(onDisk.agentWorkspaceBindings().first().workspaceID, longID);
    }

    void anUnreadableBindingsFileStopsTheDeletionAndIsNotOverwritten() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "A", {"p1"});
        const QByteArray damaged = "{\"bindings\": [ this is not JSON";
        h.env.writeFile(agentFile, damaged);
        h.rebuild();
        h.loadHome();
        const QByteArray aFile = h.env.readFile(".orris-hollows/workspaces/a.yaml");
        h.store->usageStore().recordSuccessfulCopy("p1", QDateTime::currentDateTimeUtc());

        const WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({"a"});
        QCOMPARE(batch.failureCount(), 1);
        QVERIFY(batch.results.first().message.contains(h.store->bindingStore().agentBindingsFilePath()));
        QCOMPARE(h.env.readFile(agentFile), damaged);
        QCOMPARE(h.env.readFile(".orris-hollows/workspaces/a.yaml"), aFile);
        QVERIFY(isolatedLeftovers(h).isEmpty());
        QCOMPARE(PromptFixtures::ids(h.store->workspaces()), QStringList{"a"});
        QVERIFY(h.store->usageStore().records().contains("p1"));
    }

    void aFileThatCannotBeMovedAsideStaysWithItsBindings() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "A", {"p1"});
        h.loadHome();
        QVERIFY(h.store->bindAgent(AgentType::cursor, "a", true));
        QVERIFY(h.store->bindAgent(AgentType::cursor, "elsewhere", false));
        const QByteArray bindings = h.env.readFile(agentFile);
        // A user workspace whose file lies outside the workspaces folder is never moved.
        PromptWorkspace elsewhere = PromptFixtures::workspace("elsewhere", {PromptFixtures::prompt("e1")});
        elsewhere.fileURL = QDir(h.env.home()).filePath("Documents/elsewhere.yaml");
        h.env.writeFile("Documents/elsewhere.yaml", "workspace:\n  name: \"E\"\n");

        const WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({"elsewhere"}, {elsewhere});
        QCOMPARE(batch.failureCount(), 1);
        QCOMPARE(batch.results.first().name, elsewhere.name);
        QVERIFY(QFile::exists(*elsewhere.fileURL));
        QCOMPARE(h.env.readFile(agentFile), bindings);
        QCOMPARE(h.store->bindingStore().agentWorkspaceBindings().size(), 2);
    }

    void aWorkspaceWhoseFileIsGoneIsStillDeleted() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "A", {"p1"});
        h.writeWorkspaceFile("b", "B", {"p2"});
        h.loadHome();
        QVERIFY(h.store->bindAgent(AgentType::cursor, "a", true));
        h.store->setLastEditedWorkspaceID(QString("a"));
        QVERIFY(QFile::remove(h.workspaceFile("a")));

        const WorkspaceBatchDeletionResult batch = h.store->deleteWorkspaces({"a"});
        QCOMPARE(batch.successCount(), 1);
        QCOMPARE(PromptFixtures::ids(h.store->workspaces()), QStringList{"b"});
        QVERIFY(h.store->bindingStore().agentWorkspaceBindings().isEmpty());
        // Cleared because it named the deleted workspace; another selection would have stayed.
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::nullopt);
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(PromptStoreDeletionTest)
#include "tst_promptstoredeletion.moc"
