#include "PromptStoreFileHarness.h"

#include "context/ContextBindingStore.h"
#include "windows/manager/WorkspaceEditModel.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

bool isBindingsFile(const QString& path) {
    return path.endsWith(ContextBindingStore::agentBindingsFileName);
}

// A store over real files with one user workspace "web", bound to Cursor.
struct EditHarness : PromptStoreFileHarness {
    EditHarness() {
        writeWorkspaceFile("web", "Web", {"a", "b"}, {"/home/dev/web"});
        loadHome();
        if (!store->bindAgent(AgentType::cursor, "web", false)) {
            qFatal("binding failed");
        }
    }
    PromptWorkspace web() const { return *workspace("web"); }
    // Another program rewrites the file.
    void editOnDisk(const QString& name) { writeWorkspaceFile("web", name, {"a", "b", "c"}, {"/home/dev/other"}); }
    QByteArray fileBytes() const {
        QFile file(workspaceFile("web"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

class WorkspaceEditModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        L10n::setCurrentLanguageProvider([] { return AppLanguage::english; });
    }

    void startsFromTheWorkspaceAndItsBindings() {
        EditHarness h;
        WorkspaceEditModel model(*h.store, h.web());
        QCOMPARE(model.name(), "Web");
        QCOMPARE(model.selectedAgents(), QSet<AgentType>{AgentType::cursor});
        QCOMPARE(model.filePathText(), h.web().fileURL.value());
        QVERIFY(!model.showsConflictActions());
        model.setName("   ");
        QVERIFY(!model.canSave());

        PromptWorkspace unsaved = h.web();
        unsaved.fileURL.reset();
        QCOMPARE(WorkspaceEditModel(*h.store, unsaved).filePathText(), english("workspace.not.saved"));
    }

    void saveRenamesAndAppliesTheBindingChanges() {
        EditHarness h;
        QVERIFY(h.store->bindAgent(AgentType::zed, "web", false));
        WorkspaceEditModel model(*h.store, h.web());
        model.setName("  Web 2 ");
        model.setAgentSelected(AgentType::zed, false);
        model.setAgentSelected(AgentType::kiro, true);
        model.setAgentSelected(AgentType::edge, false); // never bound: nothing happens
        QVERIFY(model.save());
        QCOMPARE(model.errorMessage(), std::nullopt);
        h.loadHome();
        QCOMPARE(h.web().name, "Web 2");
        QCOMPARE(h.web().matchPaths, QStringList{"/home/dev/web"});
        const ContextBindingStore& bindings = h.store->bindingStore();
        QVERIFY(bindings.agentWorkspaceBinding(AgentType::cursor, "web"));
        QVERIFY(bindings.agentWorkspaceBinding(AgentType::kiro, "web"));
        QVERIFY(!bindings.agentWorkspaceBinding(AgentType::zed, "web"));
    }

    void aChangeOnDiskShowsTheConflictAndReloadThenSaveSucceeds() {
        EditHarness h;
        WorkspaceEditModel model(*h.store, h.web());
        h.editOnDisk("Edited elsewhere");
        model.setName("Mine");
        QVERIFY(!model.save());
        QVERIFY(model.showsConflictActions());
        QCOMPARE(model.errorMessage(), h.store->lastErrorMessage());
        QVERIFY(!model.errorMessage()->isEmpty());

        QSignalSpy finished(&model, &WorkspaceEditModel::reloadFinished);
        model.reloadDiskVersion();
        // Nothing is copied before the reload's result is in.
        QVERIFY(model.isReloading());
        QVERIFY(!model.canSave());
        QCOMPARE(model.name(), "Mine");
        h.finishLatestFromHome();
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(!model.isReloading());
        QCOMPARE(model.name(), "Edited elsewhere");
        QCOMPARE(model.workspace().matchPaths, QStringList{"/home/dev/other"});
        QVERIFY(!model.showsConflictActions());
        QCOMPARE(model.errorMessage(), std::nullopt);

        model.setName("Mine after all");
        QVERIFY(model.save());
        h.loadHome();
        QCOMPARE(h.web().name, "Mine after all");
        QCOMPARE(h.web().prompts.size(), 3); // the other program's prompt is kept
        QCOMPARE(h.web().matchPaths, QStringList{"/home/dev/other"});
    }

    void aReloadDroppedForALaterOneWaitsForThatOne() {
        EditHarness h;
        WorkspaceEditModel model(*h.store, h.web());
        h.editOnDisk("First edit");
        QVERIFY(!model.save());
        QSignalSpy finished(&model, &WorkspaceEditModel::reloadFinished);
        model.reloadDiskVersion();
        const int ours = h.loader->loadCount() - 1;
        h.store->reload(); // someone else reloads meanwhile
        h.editOnDisk("Second edit");
        h.finish(ours, h.readHome());
        QTest::qWait(20);
        QCOMPARE(finished.size(), 0);
        QVERIFY(model.isReloading());
        h.finishLatestFromHome();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(model.name(), "Second edit");
        QVERIFY(model.save());
    }

    void aDeletedFileIsReportedAndTheConflictButtonsStay() {
        EditHarness h;
        WorkspaceEditModel model(*h.store, h.web());
        const QString path = h.web().fileURL.value();
        QVERIFY(QFile::remove(path));
        QVERIFY(!model.save());
        QVERIFY(model.showsConflictActions());

        QSignalSpy finished(&model, &WorkspaceEditModel::reloadFinished);
        model.reloadDiskVersion();
        h.finishLatestFromHome();
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(model.errorMessage(), L10n::string(L10N("error.workspace.save.deleted"), AppLanguage::english, path));
        QVERIFY(model.showsConflictActions());
    }

    void saveAsNewAfterAConflictCopiesTheEditedName() {
        EditHarness h;
        WorkspaceEditModel model(*h.store, h.web());
        h.editOnDisk("Edited elsewhere");
        model.setName("Rescued");
        QVERIFY(!model.save());
        QVERIFY(model.showsConflictActions());
        QVERIFY(model.saveAsNewWorkspace());
        const auto copy = std::find_if(h.store->workspaces().cbegin(), h.store->workspaces().cend(),
                                       [](const PromptWorkspace& w) { return w.name == "Rescued"; });
        QVERIFY(copy != h.store->workspaces().cend());
        QVERIFY(copy->id != "web");
        QCOMPARE(copy->matchPaths, QStringList{"/home/dev/web"});
        QCOMPARE(copy->prompts.size(), 2);
        QVERIFY(h.fileBytes().contains("Edited elsewhere")); // the other program's file is untouched
    }

    void afterAFailedBindingTheNextSaveExpectsTheVersionJustWritten() {
        EditHarness h;
        WorkspaceEditModel model(*h.store, h.web());
        model.setName("Renamed");
        model.setAgentSelected(AgentType::zed, true);
        {
            ScopedWriteFault fault(isBindingsFile);
            QVERIFY(!model.save());
        }
        QVERIFY(model.errorMessage().has_value());
        QVERIFY(!model.showsConflictActions());
        QVERIFY(h.fileBytes().contains("Renamed")); // the rename stays done

        // The sheet's own write is no conflict.
        QVERIFY(model.save());
        QCOMPARE(model.errorMessage(), std::nullopt);
        QVERIFY(h.store->bindingStore().agentWorkspaceBinding(AgentType::zed, "web"));
    }

    void aMissingWorkspaceShowsTheStoresText() {
        EditHarness h;
        PromptWorkspace ghost = h.web();
        ghost.id = "ghost";
        WorkspaceEditModel model(*h.store, ghost);
        QVERIFY(!model.save());
        QCOMPARE(model.errorMessage(), english("error.workspace.not.found"));
        QVERIFY(!model.showsConflictActions());
    }
};

QTEST_GUILESS_MAIN(WorkspaceEditModelTest)
#include "tst_workspaceeditmodel.moc"
