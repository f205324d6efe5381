#include "PromptStoreFileHarness.h"

#include "sheets/PromptEditorModel.h"

#include <QRegularExpression>
#include <QTest>

namespace {

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

// A store over real files: one user workspace "web" with groups, loaded.
struct EditorHarness : PromptStoreFileHarness {
    EditorHarness() {
        env.writeFile(QStringLiteral(".orris-hollows/workspaces/web.yaml"), R"(workspace:
  name: "Web"
  match_paths: []

prompts:
  - id: "a"
    title: "Alpha"
    group: " Review "
    text: "Text A"
  - id: "b"
    title: "Beta"
    group: "   "
    text: "Text B"
  - id: "c"
    title: "Gamma"
    group: "Review"
    text: "Text C"
  - id: "d"
    title: "Delta"
    group: "Docs"
    pinned: true
    tags:
      - "x"
      - "y"
    text: "Text D"
)");
        loadHome();
    }
    PromptItem storedPrompt(const QString& workspaceID, const QString& promptID) {
        loadHome();
        for (const PromptItem& prompt : workspace(workspaceID)->prompts) {
            if (prompt.id == promptID) {
                return prompt;
            }
        }
        return {};
    }
};

} // namespace

class PromptEditorModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        L10n::setCurrentLanguageProvider([] { return AppLanguage::english; });
    }

    void saveNeedsAWorkspaceATitleAndABody_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("canSave");
        QTest::newRow("everything") << "web"
                                    << "T"
                                    << "B" << true;
        QTest::newRow("no workspace picked") << ""
                                             << "T"
                                             << "B" << false;
        QTest::newRow("blank title") << "web"
                                     << " \n\t"
                                     << "B" << false;
        QTest::newRow("blank body") << "web"
                                    << "T"
                                    << "\n \n"
                                    << false;
        // The store, not the form, decides whether the workspace can be written.
        QTest::newRow("an unlisted workspace") << "project-x"
                                               << "T"
                                               << "B" << true;
    }
    void saveNeedsAWorkspaceATitleAndABody() {
        QFETCH(QString, target);
        QFETCH(QString, title);
        QFETCH(QString, body);
        QFETCH(bool, canSave);
        EditorHarness h;
        PromptEditorModel model(*h.store, {}, target, std::nullopt);
        model.setTitle(title);
        model.setText(body);
        QCOMPARE(model.canSave(), canSave);
    }

    void pickingAWorkspaceEnablesSave() {
        EditorHarness h;
        PromptEditorModel model(*h.store, {}, QString(), std::nullopt);
        model.setTitle("T");
        model.setText("B");
        QVERIFY(!model.canSave());
        QCOMPARE(model.workspaceChoices().size(), 1);
        model.setSelectedTargetWorkspaceID(model.workspaceChoices().first().id);
        QVERIFY(model.canSave());
    }

    void aNewPromptIsStoredTrimmedWithTheDefaultGroup() {
        EditorHarness h;
        AgentContext context = PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor");
        PromptEditorModel model(*h.store, context, "web", std::nullopt);
        QCOMPARE(model.selectedAgent(), AgentType::unknown); // never taken from the context
        model.setTitle("  Ship it \n");
        model.setGroup("   ");
        model.setText("\n  line one\n  line two  \n\n");
        model.setShortcut(PromptKeyboardShortcut{40, ModifierFlags::command | ModifierFlags::option});
        QVERIFY(model.save());
        QCOMPARE(model.errorMessage(), std::nullopt);

        const PromptItem saved = h.workspace("web")->prompts.last();
        QVERIFY(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(saved.id)
                    .hasMatch());
        QCOMPARE(saved.title, "Ship it");
        QCOMPARE(saved.group, english("prompt.default.group"));
        QCOMPARE(saved.text, "line one\n  line two");
        QCOMPARE(saved.agent, std::nullopt);
        QCOMPARE(saved.tags, QStringList());
        QVERIFY(!saved.isPinned);
        QCOMPARE(saved.shortcut, (PromptKeyboardShortcut{40, ModifierFlags::command | ModifierFlags::option}));
        // What reached the file reads back the same.
        QCOMPARE(h.storedPrompt("web", saved.id), saved);
    }

    void editingKeepsIdTagsAndPinnedAndTheWorkspace() {
        EditorHarness h;
        const PromptItem original = h.workspace("web")->prompts.at(3);
        PromptEditorModel model(*h.store, {}, "web", original);
        QVERIFY(model.isEditing());
        QCOMPARE(model.title(), "Delta");
        QCOMPARE(model.group(), "Docs");
        model.setSelectedTargetWorkspaceID("elsewhere"); // the picker is disabled when editing
        QCOMPARE(model.selectedTargetWorkspaceID(), "web");
        model.setTitle(" Delta 2 ");
        model.setSelectedAgent(AgentType::zed);
        QVERIFY(model.save());

        const PromptItem stored = h.storedPrompt("web", "d");
        QCOMPARE(stored.title, "Delta 2");
        QCOMPARE(stored.tags, (QStringList{"x", "y"}));
        QVERIFY(stored.isPinned);
        QCOMPARE(stored.agent, AgentType::zed);
        QCOMPARE(h.workspace("web")->prompts.size(), 4);
    }

    void aRefusedSaveKeepsTheInputAndShowsTheStoresMessage_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("a workspace the store does not hold") << "project-x" << english("error.workspace.not.found");
    }
    void aRefusedSaveKeepsTheInputAndShowsTheStoresMessage() {
        QFETCH(QString, target);
        QFETCH(QString, message);
        EditorHarness h;
        PromptEditorModel model(*h.store, {}, target, std::nullopt);
        model.setTitle(" T ");
        model.setText("B");
        QVERIFY(model.canSave());
        QVERIFY(!model.save());
        QCOMPARE(model.errorMessage(), message);
        QCOMPARE(model.title(), " T ");
        QCOMPARE(model.text(), "B");
        QVERIFY(model.canSave());
    }

    void aSampleWorkspaceIsRefusedWithItsReadOnlyReason() {
        PromptStoreFileHarness h;
        h.loadHome(); // no files: the samples are shown
        const auto sample =
            std::find_if(h.store->workspaces().cbegin(), h.store->workspaces().cend(),
                         [](const PromptWorkspace& w) { return w.source == PromptWorkspaceSource::transientSample; });
        QVERIFY(sample != h.store->workspaces().cend());
        PromptEditorModel model(*h.store, {}, sample->id, std::nullopt);
        QVERIFY(model.workspaceChoices().isEmpty()); // not offered, yet Save is possible
        model.setTitle("T");
        model.setText("B");
        QVERIFY(model.canSave());
        QVERIFY(!model.save());
        QCOMPARE(model.errorMessage(), h.store->readOnlyReason(*sample));
        QCOMPARE(model.title(), "T");
    }

    void aRetryAfterAFailedWriteStoresANewID() {
        EditorHarness h;
        PromptEditorModel model(*h.store, {}, "web", std::nullopt);
        model.setTitle("T");
        model.setText("B");
        const QString first = model.makePrompt().id;
        {
            ScopedWriteFault fault;
            QVERIFY(!model.save());
        }
        QVERIFY(model.errorMessage().has_value());
        QVERIFY(!model.errorMessage()->isEmpty());
        QCOMPARE(h.workspace("web")->prompts.size(), 4);
        QVERIFY(model.save());
        QCOMPARE(model.errorMessage(), std::nullopt);
        const QString stored = h.workspace("web")->prompts.last().id;
        QVERIFY(stored != first);
        QCOMPARE(h.workspace("web")->prompts.size(), 5);
    }

    void groupsAreTrimmedDistinctInFirstOrder() {
        EditorHarness h;
        PromptEditorModel model(*h.store, {}, "web", std::nullopt);
        QCOMPARE(model.availableGroups(), (QStringList{"Review", "Docs"}));
        model.setSelectedTargetWorkspaceID("nowhere");
        QCOMPARE(model.availableGroups(), QStringList());
    }

    void onlyUserWorkspacesAllowCreating() {
        PromptWorkspace user{"u", "U", {}, {}, std::nullopt, PromptWorkspaceSource::userWorkspace, std::nullopt};
        PromptWorkspace project = user;
        project.source = PromptWorkspaceSource::projectConfig;
        QVERIFY(!PromptEditorModel::canCreatePrompt({}));
        QVERIFY(!PromptEditorModel::canCreatePrompt({project}));
        QVERIFY(PromptEditorModel::canCreatePrompt({project, user}));
    }
};

QTEST_GUILESS_MAIN(PromptEditorModelTest)
#include "tst_prompteditormodel.moc"
