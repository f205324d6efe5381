#include "FileInspection.h"
#include "PromptFixtures.h"
#include "PromptStoreFileHarness.h"

#include "config/PromptPackService.h"
#include "context/ContextBindingStore.h"
#include "store/PromptUsageStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using PromptFixtures::ids;

namespace {

const QByteArray webYaml = R"(workspace:
  name: "Web App"
  match_paths:
    - "/home/dev/src/web"
    - "~/src/web-admin"

prompts:
  - id: "review-diff"
    title: "Review the current diff"
    group: "Review"
    agent: "codex"
    pinned: true
    shortcut: "15:1048576"
    tags:
      - "review"
      - "git"
    text: |
      Review the staged changes.

      Point out bugs first.
  - id: "write-tests"
    title: "Add tests for {{ module | the changed module }}"
    group: "Testing"
    agent: "claude-code"
    text: "Write unit tests for {{ module }}."
)";

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

// The prompts without their ids, which a load makes unique across files.
QList<PromptItem> withoutIDs(QList<PromptItem> prompts) {
    for (PromptItem& prompt : prompts) {
        prompt.id.clear();
    }
    return prompts;
}

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_previous(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_previous); }

private:
    mode_t m_previous;
};

enum class Refused { sample, project, inMemory, missing };

} // namespace

Q_DECLARE_METATYPE(Refused)

class PromptStorePacksTest : public QObject {
    Q_OBJECT

private slots:
    void anExportedPackInstallsWithItsPromptsAndNoMatchPaths() {
        ScopedUmask umask(022);
        PromptStoreFileHarness h;
        h.env.writeFile(".orris-hollows/workspaces/web.yaml", webYaml);
        h.loadHome();
        const PromptWorkspace web = *h.workspace("web");
        QCOMPARE(web.prompts.size(), 2);
        QVERIFY(web.prompts.first().shortcut && web.prompts.first().isPinned);
        QCOMPARE(web.prompts.last().agent, std::optional<AgentType>(AgentType::terminal));

        // An existing file at the destination is replaced.
        const QString destination = h.env.writeFile("Exports/web.orris-hollows-pack.yaml", "old content");
        QVERIFY(h.store->exportPromptPack("web", destination));
        QCOMPARE(h.store->statusMessage(), L10n::string(L10N("status.exported.pack"), AppLanguage::english,
                                                        QString("web.orris-hollows-pack.yaml")));
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
        const QByteArray exported = h.env.readFile("Exports/web.orris-hollows-pack.yaml");
        QVERIFY(exported.startsWith("pack:\n  id: \"web\"\n  name: \"Web App\"\n  description: \"" +
                                    english("pack.export.description").toUtf8() +
                                    "\"\n  version: \"1.0.0\"\n  author: \"Orris Hollows User\"\n"
                                    "workspace:\n  name: \"Web App\"\n  match_paths: []\n"));
        QVERIFY(!exported.contains("/home/dev/src/web"));
        // A document of the user's, not a private state file.
        QCOMPARE(modeOf(destination), mode_t(0644));
        QVERIFY(QDir(QFileInfo(destination).absolutePath()).entryList(QDir::Files | QDir::Hidden).size() == 1);
        // Export changes nothing else and reloads nothing.
        QCOMPARE(h.loader->loadCount(), 1);

        const Result<PromptPackImportPreview> preview = h.store->promptPackService().parseImportPreview(destination);
        QVERIFY(preview.ok());
        QVERIFY(h.store->installPromptPack(preview->pack));
        const PromptWorkspace* installed = h.workspace("web-app");
        QVERIFY(installed);
        QCOMPARE(withoutIDs(installed->prompts), withoutIDs(web.prompts));
        QVERIFY(installed->matchPaths.isEmpty());
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("web-app"));

        // Read back from its file, the same prompts under fresh ids ("web-app.yaml" loads before
        // "web.yaml"); the original keeps its ids.
        h.finishLatestFromHome();
        QCOMPARE(withoutIDs(h.workspace("web-app")->prompts), withoutIDs(web.prompts));
        QVERIFY(h.workspace("web-app")->matchPaths.isEmpty());
        QCOMPARE(h.workspace("web")->matchPaths, web.matchPaths);
    }

    // Installing or importing prompts whose ids the library holds changes nothing that was there:
    // the new prompts get fresh ids, the originals keep theirs and their usage, also after the
    // next load (where the copy's file comes first) and a save of the original.
    void aCopyOfTakenIDsLeavesTheOriginalsIDsAndUsage() {
        PromptStoreFileHarness h;
        h.env.writeFile(".orris-hollows/workspaces/web.yaml", webYaml);
        h.loadHome();
        const QStringList originalIDs = PromptFixtures::ids(h.workspace("web")->prompts);
        for (const QString& id : originalIDs) {
            h.store->usageStore().recordSuccessfulCopy(id, QDateTime::currentDateTimeUtc());
        }
        const QString destination = h.env.home() + "/web.orris-hollows-pack.yaml";
        QVERIFY(h.store->exportPromptPack("web", destination));
        const Result<PromptPackImportPreview> preview = h.store->promptPackService().parseImportPreview(destination);
        QVERIFY(preview.ok());
        QVERIFY(h.store->installPromptPack(preview->pack));
        QVERIFY(h.store->importPrompts(h.workspace("web")->prompts, "web-app"));
        h.finishLatestFromHome();

        QCOMPARE(PromptFixtures::ids(h.workspace("web")->prompts), originalIDs);
        const QStringList copyIDs = PromptFixtures::ids(h.workspace("web-app")->prompts);
        QCOMPARE(copyIDs.size(), 2 * originalIDs.size());
        for (const QString& id : copyIDs) {
            QVERIFY2(!originalIDs.contains(id), qPrintable(id));
        }
        QVERIFY(h.store->updateWorkspace("web", "Web App, renamed", "/home/dev/src/web", std::nullopt));
        h.finishLatestFromHome();
        QCOMPARE(PromptFixtures::ids(h.workspace("web")->prompts), originalIDs);
        for (const QString& id : originalIDs) {
            QCOMPARE(h.store->usageStore().records().value(id).successfulCopyCount, qint64(1));
        }
    }

    void onlySavedUserWorkspacesAreExported_data() {
        QTest::addColumn<Refused>("refused");
        QTest::newRow("sample") << Refused::sample;
        QTest::newRow("project") << Refused::project;
        QTest::newRow("in memory") << Refused::inMemory;
        QTest::newRow("missing id") << Refused::missing;
    }
    void onlySavedUserWorkspacesAreExported() {
        QFETCH(Refused, refused);
        PromptStoreFileHarness h;
        QString id;
        if (refused == Refused::sample) {
            h.loadHome();
            id = h.store->workspaces().first().id;
            QCOMPARE(h.store->workspaces().first().source, PromptWorkspaceSource::transientSample);
        } else {
            h.env.writeFile(".orris-hollows/workspaces/web.yaml", webYaml);
            h.loadHome();
            PromptWorkspace other = PromptFixtures::workspace("other", {PromptFixtures::prompt("o")});
            if (refused == Refused::project) {
                other.source = PromptWorkspaceSource::projectConfig;
                other.fileURL = h.env.writeFile("src/app/.orris-hollows.yaml", webYaml);
            }
            if (refused != Refused::missing) {
                h.store->publishPersistedWorkspace(other);
            }
            id = refused == Refused::missing ? PromptStore::globalWorkspaceID : other.id;
        }
        const QString destination = QDir(h.env.home()).filePath("pack.yaml");
        QVERIFY(!h.store->exportPromptPack(id, destination));
        QVERIFY(!QFile::exists(destination));
        QCOMPARE(h.store->lastErrorMessage(),
                 std::optional<QString>(english("error.export.saved.user.workspace.only")));
        QCOMPARE(h.store->statusMessage(), english("status.export.failed"));
    }

    void aFailedExportWriteIsReported() {
        PromptStoreFileHarness h;
        h.env.writeFile(".orris-hollows/workspaces/web.yaml", webYaml);
        h.loadHome();
        LogCapture log;
        // A folder that does not exist, and a folder where the file should be.
        QVERIFY(!h.store->exportPromptPack("web", QDir(h.env.home()).filePath("missing/web.yaml")));
        QCOMPARE(h.store->statusMessage(), english("status.export.failed"));
        QVERIFY(h.store->lastErrorMessage() && !h.store->lastErrorMessage()->isEmpty());
        QVERIFY(log.contains("Export prompt pack failed workspaceID=web file=missing/web.yaml promptCount=2 "
                             "error=FileWriteError domain=qt.file code="));
        QVERIFY(QDir(h.env.home()).mkpath("taken/web.yaml"));
        QVERIFY(!h.store->exportPromptPack("web", QDir(h.env.home()).filePath("taken/web.yaml")));
        QVERIFY(QFileInfo(QDir(h.env.home()).filePath("taken/web.yaml")).isDir());
        QCOMPARE(QDir(QDir(h.env.home()).filePath("taken"))
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"web.yaml"});
    }

    void installingABuiltInPackTwiceGivesASecondWorkspace() {
        PromptStoreFileHarness h;
        h.loadHome();
        const PromptPack pack = PromptPackService::builtInPacks(AppLanguage::english).first();
        QVERIFY(h.store->installPromptPack(pack));
        const QString first = *h.store->lastEditedWorkspaceID();
        QVERIFY(h.store->installPromptPack(pack, PromptStoreFileHarness::contextFor(AgentType::unknown, "Notes")));
        const QString second = *h.store->lastEditedWorkspaceID();
        QCOMPARE(second, first + "-2");
        QVERIFY(QFile::exists(h.workspaceFile(second)));
        QCOMPARE(h.store->statusMessage(),
                 L10n::string(L10N("status.installed.pack"), AppLanguage::english, pack.metadata.name));
        // The unknown agent was not bound.
        QVERIFY(h.store->bindingStore().agentWorkspaceBindings().isEmpty());

        h.finishLatestFromHome();
        // Files load in path order, where "-2.yaml" comes before ".yaml".
        QCOMPARE(ids(h.store->workspaces()), (QStringList{second, first}));
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>(second));
        QCOMPARE(h.store->statusMessage(),
                 L10n::string(L10N("status.installed.pack"), AppLanguage::english, pack.metadata.name));
    }

    void installingForAKnownAgentBindsItAndSaysSo() {
        PromptStoreFileHarness h;
        h.loadHome();
        const PromptPack pack = PromptPackService::builtInPacks(AppLanguage::english).last();
        QVERIFY(h.store->installPromptPack(pack, PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor")));
        const QString installed = *h.store->lastEditedWorkspaceID();
        const QList<AgentWorkspaceBinding> bindings = h.store->bindingStore().agentWorkspaceBindings();
        QCOMPARE(bindings.size(), 1);
        QCOMPARE(bindings.first().workspaceID, installed);
        QCOMPARE(bindings.first().agentType, AgentType::cursor);
        const QString bound = L10n::string(L10N("status.bound.agent"), AppLanguage::english, QString("Cursor"));
        QCOMPARE(h.store->statusMessage(), bound);
        h.finishLatestFromHome();
        QCOMPARE(h.store->statusMessage(), bound);
    }

    void aFailedInstallChangesNothing() {
        PromptStoreFileHarness h;
        h.env.writeFile(".orris-hollows/workspaces/web.yaml", webYaml);
        h.loadHome();
        const QList<PromptWorkspace> before = h.store->workspaces();
        const int loads = h.loader->loadCount();
        LogCapture log;
        {
            ScopedWriteFault fault;
            QVERIFY(!h.store->installPromptPack(PromptPackService::builtInPacks(AppLanguage::english).first(),
                                                PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor")));
        }
        QCOMPARE(h.store->statusMessage(), english("status.install.pack.failed"));
        QVERIFY(h.store->lastErrorMessage() && !h.store->lastErrorMessage()->isEmpty());
        QCOMPARE(h.store->workspaces(), before);
        QCOMPARE(h.loader->loadCount(), loads);
        QVERIFY(h.store->bindingStore().agentWorkspaceBindings().isEmpty());
        QVERIFY(log.contains("Install prompt pack failed packID="));
        QCOMPARE(QDir(QDir(h.env.home()).filePath(".orris-hollows/workspaces")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"web.yaml"});
    }
};

QTEST_GUILESS_MAIN(PromptStorePacksTest)
#include "tst_promptstorepacks.moc"
