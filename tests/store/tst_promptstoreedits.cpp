#include "PromptFixtures.h"
#include "PromptStoreHarness.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "store/PromptUsageStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace PromptFixtures;

namespace {

const QString webFile = QStringLiteral(".orris-hollows/workspaces/web.yaml");

const QByteArray webYaml = R"(workspace:
  name: "Web"
  match_paths:
    - "/home/dev/web"

prompts:
  - id: "a"
    title: "Alpha"
    group: "G"
    text: "Text A"
  - id: "b"
    title: "Beta"
    group: "G"
    text: "Text B"
  - id: "c"
    title: "Gamma"
    group: "H"
    pinned: true
    text: "Text C"
)";

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

PromptLoadResult readHome(const TestEnvironment& env) {
    PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
    return loader.loadAllConfigs();
}

// A store that loaded the real files of its home.
struct EditHarness : PromptStoreHarness {
    EditHarness() {
        env.writeFile(webFile, webYaml);
        load(readHome(env));
    }
    const PromptWorkspace& web() const {
        for (const PromptWorkspace& workspace : store->workspaces()) {
            if (workspace.id == "web") {
                return workspace;
            }
        }
        qFatal("no workspace web");
    }
};

enum class Edit { add, import, update, pin, remove, move, rename };

// Applies one edit to the workspace "web"; returns whether the store said it succeeded.
bool apply(PromptStore& store, Edit edit) {
    switch (edit) {
    case Edit::add:
        return store.addPrompt(prompt("d", "H", false, "Delta", "Text D", {"x", "y"}), "web");
    case Edit::import:
        return store.importPrompts({prompt("d", "G"), prompt("e", "H")}, "web");
    case Edit::update:
        return store.updatePrompt(prompt("b", "G", true, "Beta 2", "New text\nover two lines"), "web");
    case Edit::pin:
        store.togglePinned("a", "web");
        return store.lastErrorMessage() == std::nullopt;
    case Edit::remove:
        return store.deletePrompt("b", "web");
    case Edit::move:
        store.movePrompt("b", "web", PromptMoveDirection::up);
        return store.lastErrorMessage() == std::nullopt;
    case Edit::rename:
        return store.updateWorkspace("web", "  Web app \n", "/srv/web\r\n\r\n  ~/web  \r\n", std::nullopt);
    }
    return false;
}

void addEditRows() {
    QTest::addColumn<Edit>("edit");
    QTest::newRow("add") << Edit::add;
    QTest::newRow("import") << Edit::import;
    QTest::newRow("update") << Edit::update;
    QTest::newRow("pin") << Edit::pin;
    QTest::newRow("delete") << Edit::remove;
    QTest::newRow("move") << Edit::move;
    QTest::newRow("update workspace") << Edit::rename;
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class PromptStoreEditsTest : public QObject {
    Q_OBJECT

private slots:
    void editsReachTheFileAndOnlyThenTheStore_data() {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QStringList>("expectedIDs");
        QTest::addColumn<QString>("expectedName");
        QTest::addColumn<QStringList>("expectedPaths");
        const QStringList abc = {"a", "b", "c"};
        const QStringList webPaths = {"/home/dev/web"};
        QTest::newRow("add") << Edit::add << QStringList{"a", "b", "c", "d"} << "Web" << webPaths;
        QTest::newRow("import") << Edit::import << QStringList{"a", "b", "c", "d", "e"} << "Web" << webPaths;
        QTest::newRow("update") << Edit::update << abc << "Web" << webPaths;
        QTest::newRow("pin") << Edit::pin << abc << "Web" << webPaths;
        QTest::newRow("delete") << Edit::remove << QStringList{"a", "c"} << "Web" << webPaths;
        QTest::newRow("move") << Edit::move << QStringList{"b", "a", "c"} << "Web" << webPaths;
        QTest::newRow("update workspace") << Edit::rename << abc << "Web app" << QStringList{"/srv/web", "~/web"};
    }

    void editsReachTheFileAndOnlyThenTheStore() {
        QFETCH(Edit, edit);
        QFETCH(QStringList, expectedIDs);
        EditHarness h;
        const PromptWorkspace before = h.web();
        QSignalSpy content(h.store.get(), &PromptStore::contentChanged);

        QVERIFY(apply(*h.store, edit));
        QCOMPARE(content.count(), 1);

        // What the store shows is exactly what a fresh read of the file gives.
        const PromptLoadResult reread = readHome(h.env);
        QVERIFY(reread.issues.isEmpty());
        QCOMPARE(h.store->workspaces(), reread.workspaces);
        const PromptWorkspace& after = h.web();
        QCOMPARE(ids(after.prompts), expectedIDs);
        QTEST(after.name, "expectedName");
        QTEST(after.matchPaths, "expectedPaths");
        QVERIFY(after.fileVersion != before.fileVersion);
        QCOMPARE(h.store->statusMessage(), L10n::string("status.saved.workspace", AppLanguage::english, after.name));

        // The change and nothing else: each prompt that was not edited is as it was.
        for (const PromptItem& prompt : before.prompts) {
            const auto same = std::find_if(after.prompts.begin(), after.prompts.end(),
                                           [&](const PromptItem& p) { return p.id == prompt.id; });
            const bool edited = (edit == Edit::update && prompt.id == "b") || (edit == Edit::pin && prompt.id == "a");
            if (same != after.prompts.end() && !edited) {
                QCOMPARE(*same, prompt);
            }
        }
        if (edit == Edit::update) {
            QCOMPARE(after.prompts[1], prompt("b", "G", true, "Beta 2", "New text\nover two lines"));
        }
        if (edit == Edit::pin) {
            QVERIFY(after.prompts[0].isPinned);
        }

        // The next guarded save presents the new version and succeeds.
        QVERIFY(h.store->addPrompt(prompt("z"), "web"));
    }

    void anExternalEditOrDeleteWinsOverASave_data() { addEditRows(); }

    void anExternalEditOrDeleteWinsOverASave() {
        QFETCH(Edit, edit);
        for (const bool deleteFile : {false, true}) {
            EditHarness h;
            const QList<PromptWorkspace> before = h.store->workspaces();
            const QByteArray external = webYaml + "  - id: \"hand\"\n    title: \"By hand\"\n";
            if (deleteFile) {
                QVERIFY(QFile::remove(h.env.home() + "/" + webFile));
            } else {
                h.env.writeFile(webFile, external);
            }
            QVERIFY(!apply(*h.store, edit));
            const auto expected = deleteFile ? WorkspaceSaveError::Kind::deleted : WorkspaceSaveError::Kind::conflict;
            QVERIFY(h.store->lastWorkspaceSaveIssue());
            QCOMPARE(h.store->lastWorkspaceSaveIssue()->kind, expected);
            QCOMPARE(h.store->workspaces(), before);
            QCOMPARE(h.store->statusMessage(), english("status.save.failed"));
            QVERIFY(h.store->lastErrorMessage() && !h.store->lastErrorMessage()->isEmpty());
            if (deleteFile) {
                QVERIFY(!QFile::exists(h.env.home() + "/" + webFile));
            } else {
                QCOMPARE(h.env.readFile(webFile), external);
            }
        }
    }

    void aConflictLastsUntilTheNextSuccessfulSave() {
        EditHarness h;
        h.env.writeFile(".orris-hollows/workspaces/other.yaml", "prompts:\n  - id: \"o\"\n");
        h.load(readHome(h.env));
        const WorkspaceFileVersion stale{h.web().fileVersion->path, QString(64, QLatin1Char('0'))};
        QVERIFY(!h.store->updateWorkspace("web", "New", "", stale));
        QCOMPARE(h.store->lastWorkspaceSaveIssue()->kind, WorkspaceSaveError::Kind::conflict);
        QCOMPARE(h.web().name, QString("Web"));
        QVERIFY(h.store->deletePrompt("o", "other"));
        QCOMPARE(h.store->lastWorkspaceSaveIssue(), std::nullopt);
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
    }

    void deletingAPromptForgetsItsUsageOnlyOnceSaved() {
        EditHarness h;
        h.store->usageStore().recordSuccessfulCopy("b", QDateTime::currentDateTimeUtc());
        {
            ScopedWriteFault fault;
            QVERIFY(!h.store->deletePrompt("b", "web"));
        }
        QVERIFY(h.store->usageStore().records().contains("b"));
        QVERIFY(h.store->deletePrompt("b", "web"));
        QVERIFY(!h.store->usageStore().records().contains("b"));
        QVERIFY(!h.env.readFile(".orris-hollows/prompt-usage.json").contains("\"b\""));
    }

    void aFailedWriteChangesNothing() {
        EditHarness h;
        const QList<PromptWorkspace> before = h.store->workspaces();
        {
            ScopedWriteFault fault;
            QVERIFY(!h.store->addPrompt(prompt("d"), "web"));
            QVERIFY(fault.hits() > 0);
        }
        QCOMPARE(h.store->workspaces(), before);
        QCOMPARE(h.env.readFile(webFile), webYaml);
        QCOMPARE(h.store->lastWorkspaceSaveIssue(), std::nullopt);
        QCOMPARE(h.store->statusMessage(), english("status.save.failed"));
    }

    // The error of a failed edit goes with the next reload that read every file, so nothing
    // shows it beside a library it no longer describes; a reload that met a broken file keeps it.
    void aCleanReloadEndsTheErrorOfAFailedEdit() {
        EditHarness h;
        {
            ScopedWriteFault fault;
            QVERIFY(!h.store->addPrompt(prompt("d"), "web"));
        }
        QVERIFY(h.store->lastErrorMessage().has_value());
        PromptLoadResult broken = readHome(h.env);
        broken.issues.append(PromptConfigIssue{});
        h.load(broken);
        QVERIFY(h.store->lastErrorMessage().has_value());
        h.load(readHome(h.env));
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
        QVERIFY(h.store->statusMessage() != english("status.save.failed"));
    }

    // Pasted imports that would grow the file past what a load reads are refused, so the
    // workspace still loads at the next start with the imports that fit.
    void anImportThatWouldOutgrowTheFileIsRefused() {
        EditHarness h;
        const QString pasted = QString(450'000, u'p');
        QVERIFY(h.store->importPrompts({prompt("i1", "G", false, "One", pasted)}, "web"));
        QVERIFY(h.store->importPrompts({prompt("i2", "G", false, "Two", pasted)}, "web"));
        const QByteArray twoImports = h.env.readFile(webFile);
        QVERIFY(!h.store->importPrompts({prompt("i3", "G", false, "Three", pasted)}, "web"));
        QCOMPARE(h.store->statusMessage(), english("status.save.failed"));
        QVERIFY(h.store->lastErrorMessage()->contains("1048576"));
        QCOMPARE(h.store->lastWorkspaceSaveIssue(), std::nullopt);
        QCOMPARE(h.env.readFile(webFile), twoImports);
        QCOMPARE(ids(h.web().prompts), (QStringList{"a", "b", "c", "i1", "i2"}));
        const PromptLoadResult reloaded = readHome(h.env);
        QVERIFY(reloaded.issues.isEmpty());
        QCOMPARE(ids(reloaded.workspaces.first().prompts), (QStringList{"a", "b", "c", "i1", "i2"}));
    }

    // An editor left open across a reload that dropped its prompt must not report a save.
    void updatingAPromptThatIsGoneWritesNothing() {
        EditHarness h;
        LogCapture log;
        QVERIFY(!h.store->updatePrompt(prompt("gone", "G", false, "Edited"), "web"));
        QCOMPARE(h.env.readFile(webFile), webYaml);
        QCOMPARE(h.store->statusMessage(), english("status.save.failed"));
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(english("error.prompt.not.found")));
        QCOMPARE(ids(h.web().prompts), (QStringList{"a", "b", "c"}));
        QVERIFY(log.contains("workspaceID=web"));

        log.clear();
        h.store->togglePinned("gone", "web");
        QCOMPARE(h.env.readFile(webFile), webYaml);
        QCOMPARE(h.store->statusMessage(), english("status.save.failed"));
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(english("error.prompt.not.found")));
        QVERIFY(log.contains("reason=promptNotFound"));
    }

    void emptyImportAndBlankNames() {
        EditHarness h;
        const QString status = h.store->statusMessage();
        QVERIFY(!h.store->importPrompts({}, "web"));
        QCOMPARE(h.store->statusMessage(), status);
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);

        QVERIFY(h.store->updateWorkspace("web", " \n\t", "", h.web().fileVersion));
        QCOMPARE(h.web().name, QString("Web"));
        QVERIFY(h.web().matchPaths.isEmpty());
        QCOMPARE(readHome(h.env).workspaces.first().name, QString("Web"));
    }

    void createWorkspace() {
        EditHarness h;
        LogCapture log;
        const int loads = h.loader->loadCount();
        const std::optional<PromptWorkspace> created =
            h.store->createWorkspace("  My Prompts ", "/srv/a\r\n\n /srv/b ");
        QVERIFY(created);
        QCOMPARE(created->id, QString("my-prompts"));
        QCOMPARE(created->name, QString("My Prompts"));
        QCOMPARE(created->matchPaths, (QStringList{"/srv/a", "/srv/b"}));
        QCOMPARE(h.store->workspaces().last(), *created);
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("my-prompts"));
        const QString status = L10n::string("status.created.workspace", AppLanguage::english, "My Prompts");
        QCOMPARE(h.store->statusMessage(), status);
        QCOMPARE(h.loader->loadCount(), loads + 1);
        // The reload it started keeps the status and the selection.
        h.finish(loads, readHome(h.env));
        QCOMPARE(h.store->statusMessage(), status);
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("my-prompts"));
        QCOMPARE(ids(h.store->workspaces()), (QStringList{"my-prompts", "web"}));

        // A file where the workspaces folder should be: nothing can be created.
        PromptStoreHarness broken;
        broken.env.writeFile(".orris-hollows/workspaces", "not a folder");
        QVERIFY(!broken.store->createWorkspace("X", ""));
        QCOMPARE(broken.store->statusMessage(), english("status.create.workspace.failed"));
        QVERIFY(broken.store->lastErrorMessage() && !broken.store->lastErrorMessage()->isEmpty());
        QVERIFY(broken.store->workspaces().isEmpty());
        QVERIFY(log.contains("Create workspace failed promptCount=0 error="));
        QCOMPARE(broken.loader->loadCount(), 0);
    }

    void readOnlyAndMissingWorkspacesAreRefused_data() {
        QTest::addColumn<QString>("workspaceID");
        QTest::addColumn<QString>("expectedError");
        QTest::newRow("global pseudo-workspace") << "__orris_hollows_global__" << english("error.workspace.not.found");
        QTest::newRow("project workspace") << "project:/p/.orris-hollows.yaml" << english("error.workspace.not.found");
        QTest::newRow("sample") << "sample" << english("workspace.manager.readonly.sample");
    }

    void readOnlyAndMissingWorkspacesAreRefused() {
        QFETCH(QString, workspaceID);
        QFETCH(QString, expectedError);
        PromptStoreHarness h;
        PromptLoadResult samples =
            result({prompt("g")},
                   {workspace("sample", {prompt("s1"), prompt("s2")}, {}, PromptWorkspaceSource::transientSample)});
        samples.showsTransientSamples = true;
        h.load(samples);
        const QList<PromptWorkspace> before = h.store->workspaces();
        const QString folder = h.env.dataDirectory() + "/workspaces";

        QVERIFY(!h.store->addPrompt(prompt("d"), workspaceID));
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(expectedError));
        QCOMPARE(h.store->statusMessage(), english("status.save.failed"));
        QVERIFY(!h.store->canMovePrompt("s2", workspaceID, PromptMoveDirection::up));

        h.store->movePrompt("s2", workspaceID, PromptMoveDirection::up);
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(expectedError));
        QCOMPARE(h.store->workspaces(), before);
        QVERIFY(!QDir(folder).exists() || QDir(folder).isEmpty());
    }
};

QTEST_GUILESS_MAIN(PromptStoreEditsTest)
#include "tst_promptstoreedits.moc"
