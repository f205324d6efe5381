#include "FakeDesktopSeams.h"
#include "PromptFixtures.h"
#include "PromptStoreFileHarness.h"

#include "config/PromptPackService.h"
#include "context/ContextBindingStore.h"
#include "sheets/ImportSheetModel.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QByteArray validPack = PromptFixtures::file(QStringLiteral("review-kit.pack.yaml"));

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

// An import sheet's model over a real store in a temporary home, with its worker jobs run by hand.
struct Harness {
    PromptStoreFileHarness files;
    FakeFileChooser chooser;
    QList<std::function<void()>> jobs;
    std::unique_ptr<ImportSheetModel> model;

    explicit Harness(const std::optional<QString>& initialWorkspaceID = std::nullopt,
                     const std::optional<AgentContext>& context = std::nullopt) {
        files.writeWorkspaceFile(QStringLiteral("notes"), QStringLiteral("Notes"), {QStringLiteral("imported-review")});
        files.writeWorkspaceFile(QStringLiteral("web"), QStringLiteral("Web"), {QStringLiteral("lint")});
        files.loadHome();
        make(initialWorkspaceID, context);
    }

    void make(const std::optional<QString>& initialWorkspaceID, const std::optional<AgentContext>& context) {
        model = std::make_unique<ImportSheetModel>(
            *files.store, files.env.scheduler(), chooser, [] { return AppLanguage::english; }, initialWorkspaceID,
            context, [this](std::function<void()> job) { jobs << job; });
    }

    void runJobs() {
        while (!jobs.isEmpty()) {
            jobs.takeFirst()();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }

    void typeAndParse(const QString& text) {
        model->setRawText(text);
        files.env.scheduler().advance(200ms);
        runJobs();
    }

    QString writePack(const QString& name, const QByteArray& content) {
        return files.env.writeFile(QStringLiteral("Downloads/") + name, content);
    }

    void choosePack(const QString& path) {
        chooser.answers << path;
        model->choosePromptPack();
        runJobs();
    }
};

} // namespace

class ImportSheetModelTest : public QObject {
    Q_OBJECT

private slots:
    void defaultTarget_data() {
        // An empty id stands for none.
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("expected");
        QTest::newRow("user workspace") << "user"
                                        << ""
                                        << "user";
        QTest::newRow("project workspace") << "project"
                                           << ""
                                           << "";
        QTest::newRow("sample workspace") << "sample"
                                          << ""
                                          << "";
        QTest::newRow("unknown id") << "gone"
                                    << ""
                                    << "";
        QTest::newRow("none") << ""
                              << ""
                              << "";
        QTest::newRow("second candidate") << "project"
                                          << "user"
                                          << "user";
        QTest::newRow("first candidate wins") << "other"
                                              << "user"
                                              << "other";
    }
    void defaultTarget() {
        QFETCH(QString, initial);
        QFETCH(QString, current);
        QFETCH(QString, expected);
        const auto optional = [](const QString& id) {
            return id.isEmpty() ? std::nullopt : std::optional<QString>(id);
        };
        using PromptFixtures::workspace;
        const QList<PromptWorkspace> workspaces = {workspace("project", {}, {}, PromptWorkspaceSource::projectConfig),
                                                   workspace("sample", {}, {}, PromptWorkspaceSource::transientSample),
                                                   workspace("user"), workspace("other")};
        QCOMPARE(ImportSheetModel::defaultTargetWorkspaceID(optional(initial), optional(current), workspaces),
                 expected);
    }

    void theTargetIsChosenOnceWhenShown() {
        Harness h(QStringLiteral("web"));
        QVERIFY(h.model->targetWorkspaceID().isEmpty());
        h.model->populateTargetWorkspace();
        QCOMPARE(h.model->targetWorkspaceID(), QStringLiteral("web"));
        h.model->setTargetWorkspaceID(QString());
        h.model->populateTargetWorkspace();
        QVERIFY(h.model->targetWorkspaceID().isEmpty());

        Harness unknown(QStringLiteral("missing"));
        unknown.model->populateTargetWorkspace();
        QVERIFY(unknown.model->targetWorkspaceID().isEmpty());
    }

    void pastedPromptsNeedATargetAndACurrentParse() {
        Harness h;
        h.model->populateTargetWorkspace();
        h.typeAndParse(QStringLiteral("Review\nLook at the diff.\n\nExplain\nSay what the code does."));
        QCOMPARE(h.model->importModel().previews().size(), 2);
        QVERIFY(!h.model->canImport()); // no target
        QVERIFY(!h.model->importContent());
        QVERIFY(!h.model->failureMessage()); // the store was not asked

        h.model->setTargetWorkspaceID(QStringLiteral("notes"));
        QVERIFY(h.model->canImport());
        h.model->setRawText(h.model->rawText() + QStringLiteral("\n\nMore"));
        QVERIFY(!h.model->canImport());
        h.files.env.scheduler().advance(200ms);
        h.runJobs();
        QVERIFY(h.model->canImport());

        h.typeAndParse(QStringLiteral("   \n  "));
        QVERIFY(!h.model->importModel().isPending());
        QVERIFY(!h.model->canImport());
    }

    void importedPromptsGetIdsThatDoNotClash() {
        Harness h(QStringLiteral("notes"));
        h.model->populateTargetWorkspace();
        h.typeAndParse(QStringLiteral("Review\nLook at the diff.\n\nReview\nLook again."));
        QVERIFY(h.model->importContent());
        const PromptWorkspace* notes = h.files.workspace(QStringLiteral("notes"));
        QVERIFY(notes != nullptr);
        QCOMPARE(PromptFixtures::ids(notes->prompts),
                 (QStringList{"imported-review", "imported-review-2", "imported-review-3"}));
        h.files.loadHome(); // what reached the file
        QCOMPARE(h.files.workspace(QStringLiteral("notes"))->prompts.size(), 3);
    }

    void aLoadedPackInstallsWithoutTargetOrTextAndBindsTheContext() {
        Harness h(std::nullopt, PromptStoreFileHarness::contextFor(AgentType::cursor, QStringLiteral("Cursor")));
        h.model->populateTargetWorkspace();
        h.model->setRawText(QStringLiteral("ignored\ntext"));
        h.choosePack(h.writePack(QStringLiteral("review.yaml"), validPack));
        QCOMPARE(h.chooser.filters.first(), (QStringList{"Prompt packs (*.yaml *.yml)"}));
        QVERIFY(h.model->packPreview());
        QCOMPARE(h.model->packPreview()->pack.metadata.name, QStringLiteral("Review Kit"));
        QVERIFY(h.model->targetWorkspaceID().isEmpty());
        QVERIFY(h.model->canImport());

        QVERIFY(h.model->importContent());
        h.files.finishLatestFromHome();
        const std::optional<QString> installed = h.files.store->lastEditedWorkspaceID();
        QVERIFY(installed);
        const PromptWorkspace* workspace = h.files.workspace(*installed);
        QVERIFY(workspace != nullptr);
        QCOMPARE(workspace->prompts.size(), 2); // the pasted text played no part
        const QList<AgentWorkspaceBinding> bindings = h.files.store->bindingStore().agentWorkspaceBindings();
        QCOMPARE(bindings.size(), 1);
        QCOMPARE(bindings.first().workspaceID, *installed);
        QCOMPARE(bindings.first().agentType, AgentType::cursor);
    }

    void laterPackChoicesReplaceClearOrKeepTheCard() {
        Harness h;
        const QString valid = h.writePack(QStringLiteral("review.yml"), validPack);
        h.choosePack(valid);
        QVERIFY(h.model->packPreview());

        // A cancelled dialog keeps the card and reads nothing.
        h.model->choosePromptPack();
        QVERIFY(h.jobs.isEmpty());
        QVERIFY(h.model->packPreview());

        // A failed choice clears it and says why.
        h.choosePack(h.writePack(QStringLiteral("bad.yaml"), "pack:\n  name: \"Broken\"\n"));
        QVERIFY(!h.model->packPreview());
        QCOMPARE(h.model->packError(), english(L10N("error.pack.no.prompts")));
        QVERIFY(!h.model->canImport());

        // Too large, a folder, a missing file: each an error in the interface language.
        h.choosePack(h.writePack(QStringLiteral("huge.yaml"), QByteArray(1'048'577, 'a')));
        QCOMPARE(h.model->packError(), english(L10N("error.pack.too.large")));
        h.choosePack(h.files.env.home());
        QCOMPARE(h.model->packError(), english(L10N("error.pack.not.regular.file")));
        h.choosePack(h.files.env.home() + QStringLiteral("/missing.yaml"));
        QCOMPARE(h.model->packError(), english(L10N("error.pack.unreadable")));

        // A valid pack clears the error; of two reads in flight only the later one counts.
        h.chooser.answers << h.writePack(QStringLiteral("bad2.yaml"), "nonsense") << valid;
        h.model->choosePromptPack();
        h.model->choosePromptPack();
        QVERIFY(h.model->isReadingPack());
        h.jobs.takeLast()();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        h.runJobs();
        QVERIFY(!h.model->isReadingPack());
        QVERIFY(h.model->packPreview());
        QVERIFY(!h.model->packError());
    }

    void aReadOnlyTargetIsRefusedByTheStoreWithItsReason() {
        Harness h;
        PromptLoadResult result = h.files.readHome();
        PromptWorkspace sample = PromptFixtures::workspace(QStringLiteral("sample"), {PromptFixtures::prompt("s1")}, {},
                                                           PromptWorkspaceSource::transientSample);
        result.workspaces << sample;
        h.files.load(result);
        h.model->setTargetWorkspaceID(QStringLiteral("sample"));
        h.typeAndParse(QStringLiteral("Review\nLook at the diff."));
        QVERIFY(h.model->canImport());
        QVERIFY(!h.model->importContent());
        QCOMPARE(h.model->failureMessage(), h.files.store->readOnlyReason(sample));
        QVERIFY(!h.model->failureMessage()->isEmpty());
        QCOMPARE(h.model->importModel().previews().size(), 1); // the sheet keeps its state
    }

    void aTargetThatLeavesTheStoreIsDropped() {
        Harness h(QStringLiteral("web"));
        h.model->populateTargetWorkspace();
        QVERIFY(QFile::remove(h.files.workspaceFile(QStringLiteral("web"))));
        h.files.loadHome();
        QVERIFY(h.model->targetWorkspaceID().isEmpty());
    }
};

QTEST_MAIN(ImportSheetModelTest)
#include "tst_importsheetmodel.moc"
