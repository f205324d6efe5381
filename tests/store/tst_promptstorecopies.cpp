#include "PromptFixtures.h"
#include "PromptStoreFileHarness.h"

#include "config/PromptConfigLoader.h"
#include "context/ContextBindingStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using PromptFixtures::ids;

namespace {

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

QString created(const QString& name) {
    return L10n::string(L10N("status.created.workspace"), AppLanguage::english, name);
}

bool dismissed(const PromptStoreFileHarness& h) {
    return h.env.defaults()->boolValue(PromptConfigLoader::transientSamplesDismissedKey).value_or(false);
}

const PromptWorkspace& sampleWorkspace(const PromptStore& store) {
    for (const PromptWorkspace& workspace : store.workspaces()) {
        if (workspace.source == PromptWorkspaceSource::transientSample) {
            return workspace;
        }
    }
    qFatal("no sample workspace");
}

} // namespace

class PromptStoreCopiesTest : public QObject {
    Q_OBJECT

private slots:
    void savingTheSampleMakesAWorkspaceAndEndsTheSamples() {
        PromptStoreFileHarness h;
        h.loadHome();
        QVERIFY(h.store->showsTransientSamples());
        QVERIFY(!h.store->globalPrompts().isEmpty());
        const PromptWorkspace sample = sampleWorkspace(*h.store);
        const int loadsBefore = h.loader->loadCount();

        const std::optional<PromptWorkspace> saved = h.store->saveTransientSampleAsWorkspace(sample, " \t\n");
        QVERIFY(saved);
        QCOMPARE(saved->name, sample.name);
        QCOMPARE(saved->source, PromptWorkspaceSource::userWorkspace);
        QVERIFY(saved->matchPaths.isEmpty());
        QCOMPARE(saved->prompts, sample.prompts);
        QVERIFY(QFile::exists(*saved->fileURL));
        QVERIFY(dismissed(h));
        // At once: no sample left, no sample global prompts, the new workspace selected.
        QCOMPARE(h.store->workspaces(), QList<PromptWorkspace>{*saved});
        QVERIFY(h.store->globalPrompts().isEmpty());
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>(saved->id));
        QCOMPARE(h.store->statusMessage(), created(sample.name));
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);

        // The reload reads the new file and keeps the status.
        QCOMPARE(h.loader->loadCount(), loadsBefore + 1);
        h.finishLatestFromHome();
        QCOMPARE(ids(h.store->workspaces()), QStringList{saved->id});
        QCOMPARE(h.store->workspaces().first().source, PromptWorkspaceSource::userWorkspace);
        QVERIFY(h.store->globalPrompts().isEmpty());
        QVERIFY(!h.store->showsTransientSamples());
        QCOMPARE(h.store->statusMessage(), created(sample.name));
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>(saved->id));

        // Later, with the file gone again, the samples stay away.
        QVERIFY(QFile::remove(*saved->fileURL));
        h.loadHome();
        QVERIFY(h.store->workspaces().isEmpty());
        QVERIFY(h.store->globalPrompts().isEmpty());
        QCOMPARE(h.store->statusMessage(), english("status.config.samples.hidden"));
    }

    void dismissingTheSamplesEmptiesTheStoreForGood() {
        PromptStoreFileHarness h;
        h.loadHome();
        QVERIFY(h.store->showsTransientSamples());
        h.store->dismissTransientSamples();
        QVERIFY(dismissed(h));
        QVERIFY(h.store->workspaces().isEmpty());
        QVERIFY(h.store->globalPrompts().isEmpty());
        QVERIFY(!h.store->showsTransientSamples());
        h.finishLatestFromHome();
        QVERIFY(h.store->workspaces().isEmpty());
        QCOMPARE(h.store->statusMessage(), english("status.config.samples.hidden"));
        QVERIFY(!QFile::exists(QDir(h.env.home()).filePath(".orris-hollows")));
    }

    void aSampleThatCannotBeSavedStays() {
        PromptStoreFileHarness h;
        h.loadHome();
        const PromptWorkspace sample = sampleWorkspace(*h.store);
        const QList<PromptWorkspace> before = h.store->workspaces();
        {
            ScopedWriteFault fault;
            QCOMPARE(h.store->saveTransientSampleAsWorkspace(sample, "Mine"), std::nullopt);
        }
        QCOMPARE(h.store->statusMessage(), english("status.create.workspace.failed"));
        QVERIFY(h.store->lastErrorMessage() && !h.store->lastErrorMessage()->isEmpty());
        QVERIFY(!dismissed(h));
        QCOMPARE(h.store->workspaces(), before);
        QVERIFY(h.store->showsTransientSamples());

        // Only samples can be saved this way; a user workspace has no read-only reason.
        PromptWorkspace user = sample;
        user.source = PromptWorkspaceSource::userWorkspace;
        QCOMPARE(h.store->saveTransientSampleAsWorkspace(user, "Mine"), std::nullopt);
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(QString()));
        PromptWorkspace project = sample;
        project.source = PromptWorkspaceSource::projectConfig;
        QCOMPARE(h.store->saveTransientSampleAsWorkspace(project, "Mine"), std::nullopt);
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(english("workspace.manager.readonly.project")));
        QVERIFY(!dismissed(h));
    }

    void aCopyReusesAFreedFileNameAndClearsTheSaveIssue() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("web", "Web", {"a", "b"}, {"/srv/web"});
        h.loadHome();
        const PromptWorkspace original = *h.workspace("web");
        // The file vanishes behind the store's back: the next edit fails as deleted.
        QVERIFY(QFile::remove(h.workspaceFile("web")));
        QVERIFY(!h.store->addPrompt(PromptFixtures::prompt("c"), "web"));
        QVERIFY(h.store->lastWorkspaceSaveIssue());
        QCOMPARE(h.store->lastWorkspaceSaveIssue()->kind, WorkspaceSaveError::Kind::deleted);

        const std::optional<PromptWorkspace> copy = h.store->saveWorkspaceAsNewCopy("web", "  ", "/x\r\n\n  /y  ");
        QVERIFY(copy);
        QCOMPARE(copy->id, QString("web"));
        QCOMPARE(copy->name, QString("Web"));
        QCOMPARE(copy->matchPaths, (QStringList{"/x", "/y"}));
        QCOMPARE(copy->prompts, original.prompts);
        QCOMPARE(*copy->fileURL, h.workspaceFile("web"));
        QCOMPARE(h.store->workspaces(), QList<PromptWorkspace>{*copy});
        QCOMPARE(h.store->lastWorkspaceSaveIssue(), std::nullopt);
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::optional<QString>("web"));
        QCOMPARE(h.store->statusMessage(), created("Web"));
        h.finishLatestFromHome();
        QCOMPARE(h.workspace("web")->prompts, original.prompts);
        QCOMPARE(h.store->statusMessage(), created("Web"));
    }

    void aCopyNeverOverwritesAFile() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("web", "Web", {"a"});
        h.loadHome();
        const QByteArray webFile = h.env.readFile(".orris-hollows/workspaces/web.yaml");
        const std::optional<PromptWorkspace> copy = h.store->saveWorkspaceAsNewCopy("web", "Web", "");
        QVERIFY(copy);
        QCOMPARE(copy->id, QString("web-2"));
        QCOMPARE(ids(h.store->workspaces()), (QStringList{"web", "web-2"}));
        QCOMPARE(h.env.readFile(".orris-hollows/workspaces/web.yaml"), webFile);
    }

    void aFailedCopyKeepsTheWayOut() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("web", "Web", {"a"});
        h.loadHome();
        h.env.writeFile(".orris-hollows/workspaces/web.yaml", "workspace:\n  name: \"Changed elsewhere\"\n");
        QVERIFY(!h.store->addPrompt(PromptFixtures::prompt("c"), "web"));
        QCOMPARE(h.store->lastWorkspaceSaveIssue()->kind, WorkspaceSaveError::Kind::conflict);
        {
            ScopedWriteFault fault;
            QCOMPARE(h.store->saveWorkspaceAsNewCopy("web", "Copy", ""), std::nullopt);
        }
        QCOMPARE(h.store->statusMessage(), english("status.create.workspace.failed"));
        QCOMPARE(h.store->lastWorkspaceSaveIssue()->kind, WorkspaceSaveError::Kind::conflict);
        QCOMPARE(ids(h.store->workspaces()), QStringList{"web"});

        QCOMPARE(h.store->saveWorkspaceAsNewCopy(PromptStore::globalWorkspaceID, "Copy", ""), std::nullopt);
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(english("error.workspace.not.found")));
        QCOMPARE(h.store->lastWorkspaceSaveIssue()->kind, WorkspaceSaveError::Kind::conflict);
    }

    void theManagerListsGlobalWorkspacesAndExtrasOnce() {
        PromptStoreFileHarness h;
        h.env.writeFile(".orris-hollows/global.yaml", "prompts:\n  - id: \"g1\"\n    title: \"G\"\n    text: \"T\"\n");
        h.writeWorkspaceFile("a", "A", {"a1"});
        h.writeWorkspaceFile("b", "B", {"b1"});
        h.loadHome();
        PromptWorkspace shadow = PromptFixtures::workspace("a");
        PromptWorkspace extra = PromptFixtures::workspace("x", {}, {}, PromptWorkspaceSource::projectConfig);
        QList<PromptWorkspace> listed = h.store->workspaceManagerWorkspaces({shadow, extra, extra});
        QCOMPARE(ids(listed), (QStringList{PromptStore::globalWorkspaceID, "a", "b", "x"}));
        const PromptWorkspace& global = listed.first();
        QCOMPARE(global.name, english("sample.global.prompts"));
        QCOMPARE(global.source, PromptWorkspaceSource::global);
        QCOMPARE(global.fileURL, std::optional<QString>(QDir(h.env.home()).filePath(".orris-hollows/global.yaml")));
        QCOMPARE(ids(global.prompts), QStringList{"g1"});
        QCOMPARE(listed.at(1), *h.workspace("a"));

        // Without global prompts the list starts with the first workspace.
        QVERIFY(QFile::remove(QDir(h.env.home()).filePath(".orris-hollows/global.yaml")));
        h.loadHome();
        QCOMPARE(ids(h.store->workspaceManagerWorkspaces()), (QStringList{"a", "b"}));

        // The sample global prompts are a sample pseudo-workspace without a file.
        PromptStoreFileHarness samples;
        samples.loadHome();
        listed = samples.store->workspaceManagerWorkspaces();
        QCOMPARE(listed.first().source, PromptWorkspaceSource::transientSample);
        QCOMPARE(listed.first().fileURL, std::nullopt);
    }

    void onlyABoundWorkspaceIsRemembered() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("a", "A", {"a1"});
        h.writeWorkspaceFile("b", "B", {"b1"});
        h.writeWorkspaceFile("c", "C", {"c1"});
        h.loadHome();
        // Bindings are kept in the order they were made, to the second.
        for (const auto& [workspaceID, isDefault] : {std::pair{"b", false}, {"gone", false}, {"a", true}}) {
            QVERIFY(h.store->bindAgent(AgentType::cursor, workspaceID, isDefault));
            h.env.clock().advance(std::chrono::seconds(1));
        }
        QVERIFY(h.store->bindAgent(AgentType::windsurf, "c", false));
        const AgentContext cursor = PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor");
        QCOMPARE(ids(h.store->boundWorkspaces(cursor)), (QStringList{"b", "a"}));

        QSignalSpy changed(h.store.get(), &PromptStore::bindingsChanged);
        const QByteArray bindingsFile = h.env.readFile(".orris-hollows/agent-workspace-bindings.json");
        h.store->selectWorkspace("c", cursor);
        h.store->selectWorkspace("gone", cursor);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(h.env.readFile(".orris-hollows/agent-workspace-bindings.json"), bindingsFile);

        h.store->selectWorkspace("b", cursor);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(h.store->bindingStore().lastSelectedWorkspaceID(cursor), std::optional<QString>("b"));
        QCOMPARE(ContextBindingStore(h.env.environment()).lastSelectedWorkspaceID(cursor), std::optional<QString>("b"));

        // A failed save is only logged; the panel is still told to look again.
        const QString status = h.store->statusMessage();
        LogCapture log;
        {
            ScopedWriteFault fault;
            h.store->selectWorkspace("a", cursor);
        }
        QCOMPARE(changed.count(), 2);
        QCOMPARE(h.store->bindingStore().lastSelectedWorkspaceID(cursor), std::optional<QString>("b"));
        QCOMPARE(h.store->statusMessage(), status);
        QVERIFY(log.contains("Save last selected workspace failed agent=cursor workspaceID=a error="));
    }
};

QTEST_GUILESS_MAIN(PromptStoreCopiesTest)
#include "tst_promptstorecopies.moc"
