#include "PromptFixtures.h"
#include "PromptStoreHarness.h"

#include "config/ProjectConfigTrustStore.h"
#include "store/PanelRenderSnapshotBuilder.h"
#include "store/PromptUsageStore.h"

#include <QDir>
#include <QFile>

#include "store/PromptStore.h"

#include <QSignalSpy>
#include <QTest>

using namespace PromptFixtures;

namespace {

const QByteArray projectYaml = R"(workspace:
  name: "Shop"

prompts:
  - id: "p1"
    title: "Project prompt"
    group: "General"
    text: "Check the shop"
  - id: "shared"
    title: "Shared id"
    group: "General"
    text: "From the project"
)";

// A store with automatic matching on, and a project folder with a project file in the home.
struct ProjectHarness : PromptStoreHarness {
    QString projectFile;
    AgentContext context;

    ProjectHarness() {
        env.defaults()->setBool(PromptStore::advancedAutomaticMatchingEnabledKey, true);
        make();
        projectFile = env.writeFile("shop/.orris-hollows.yaml", projectYaml);
        QDir(env.home()).mkpath("shop/src/app");
        context.agent = AgentType::terminal;
        context.frontmostAppName = "Terminal";
        context.workspacePath = env.home() + "/shop/src/app";
        context.detectionSource = ContextDetectionSource::terminalDirectory;
        load(result({prompt("g")}, {workspace("w", {prompt("w1"), prompt("shared")})}));
    }

    PanelRenderSnapshot snapshot() { return PanelRenderSnapshotBuilder::make(*store, context, "", false); }
};

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

} // namespace

class PromptStoreMatchingTest : public QObject {
    Q_OBJECT

private slots:
    void search_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        // Title "Review the API", group "Backend", text "Check every endpoint.", tags "rust", "async".
        QTest::newRow("empty") << "" << true;
        QTest::newRow("only blanks and line breaks") << " \n\t " << true;
        QTest::newRow("capitalised word with blanks around") << "  REVIEW  " << true;
        QTest::newRow("group") << "backend" << true;
        QTest::newRow("text") << "EVERY endpoint" << true;
        QTest::newRow("two tags joined by one space") << "rust async" << true;
        QTest::newRow("tags joined by two spaces") << "rust  async" << false;
        QTest::newRow("only in the id") << "prompt-id-7" << false;
        QTest::newRow("across title and group") << "api backend" << false;
        QTest::newRow("Chinese") << "审查" << false;
    }

    void search() {
        QFETCH(QString, query);
        const PromptItem item =
            prompt("prompt-id-7", "Backend", false, "Review the API", "Check every endpoint.", {"rust", "async"});
        QTEST(PromptStore::promptMatchesSearch(item, query), "matches");
    }

    void searchLowerCasesBeyondAscii() {
        const PromptItem item = prompt("x", "Gruppe", false, "ÜBERPRÜFUNG", "代码审查", {"ΣΟΦΙΑ"});
        QVERIFY(PromptStore::promptMatchesSearch(item, "überprüfung"));
        QVERIFY(PromptStore::promptMatchesSearch(item, "审查"));
        QVERIFY(PromptStore::promptMatchesSearch(item, "σοφια"));
        QVERIFY(!PromptStore::promptMatchesSearch(item, "ueberpruefung"));
        // ASCII texts take a shorter road; it must agree with lower-casing both sides.
        const PromptItem ascii = prompt("y", "Ops", false, "Deploy to Kubernetes", "ROLL BACK", {"K8S"});
        QVERIFY(PromptStore::promptMatchesSearch(ascii, QString::fromUtf8("\u212A") + "ubernetes")); // Kelvin sign
        QVERIFY(PromptStore::promptMatchesSearch(ascii, "roll back"));
        QVERIFY(PromptStore::promptMatchesSearch(ascii, "k8s"));
        QVERIFY(!PromptStore::promptMatchesSearch(ascii, "über"));
        QVERIFY(!PromptStore::promptMatchesSearch(ascii, "kubernetes!"));
    }

    void baseOrderGroupsGlobalAndWorkspacePrompts() {
        const QList<PromptItem> global = {prompt("gA1", "A"), prompt("gB1", "B"), prompt("gB2", "B", true)};
        const QList<PromptItem> local = {prompt("wC1", "C"), prompt("wB1", "B", true), prompt("wB2", "B"),
                                         prompt("wA1", "A", true)};
        QCOMPARE(ids(PromptStore::basePromptOrder(global, local)),
                 (QStringList{"wA1", "gA1", "gB2", "wB1", "gB1", "wB2", "wC1"}));
        QCOMPARE(ids(PromptStore::basePromptOrder(global, {})), (QStringList{"gA1", "gB2", "gB1"}));
    }

    // Sorting happens before the search: the search keeps the order the sort mode gives.
    void visiblePromptsAreSortedThenFiltered_data() {
        QTest::addColumn<PromptSortMode>("mode");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("manual") << PromptSortMode::manual << "" << QStringList{"w2", "g1", "w1", "g2", "w3"};
        QTest::newRow("manual, search") << PromptSortMode::manual << " KEEP " << QStringList{"w2", "g2", "w3"};
        QTest::newRow("recent") << PromptSortMode::recent << "" << QStringList{"w3", "g2", "w1", "w2", "g1"};
        QTest::newRow("recent, search") << PromptSortMode::recent << "keep" << QStringList{"w3", "g2", "w2"};
        QTest::newRow("frequent") << PromptSortMode::frequent << "" << QStringList{"g2", "w3", "w1", "w2", "g1"};
        QTest::newRow("frequent, search") << PromptSortMode::frequent << "keep" << QStringList{"g2", "w3", "w2"};
    }

    void visiblePromptsAreSortedThenFiltered() {
        QFETCH(PromptSortMode, mode);
        QFETCH(QString, search);
        PromptStoreHarness h;
        h.store->setSortMode(mode);
        const PromptWorkspace w = workspace(
            "w", {prompt("w1", "A"), prompt("w2", "A", true, "keep w2"), prompt("w3", "B", false, "Keep w3")});
        h.load(result({prompt("g1", "A"), prompt("g2", "B", false, "", "keep this")}, {w}));
        const QDateTime at = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
        h.store->usageStore().recordSuccessfulCopy("w1", at);
        h.store->usageStore().recordSuccessfulCopy("g2", at.addSecs(1));
        h.store->usageStore().recordSuccessfulCopy("g2", at.addSecs(2));
        h.store->usageStore().recordSuccessfulCopy("w3", at.addSecs(3));
        ContextMatchDetails details;
        details.workspace = w;
        QTEST(ids(h.store->visiblePrompts(AgentContext::unknown(), details, search)), "expected");
        QCOMPARE(ids(h.store->allPrompts(ContextMatchDetails{})), (QStringList{"g1", "g2"}));
    }

    void trustingAProjectFileShowsItsPromptsWithoutAReload() {
        ProjectHarness h;
        const int loads = h.loader->loadCount();
        PanelRenderSnapshot snapshot = h.snapshot();
        QVERIFY(snapshot.matchDetails.projectConfigRequiresTrust);
        QCOMPARE(snapshot.matchDetails.projectConfigPath, std::optional<QString>(h.projectFile));
        QCOMPARE(snapshot.visiblePromptIDs(), QStringList{"g"});

        QSignalSpy content(h.store.get(), &PromptStore::contentChanged);
        QVERIFY(h.store->trustProjectConfig(h.projectFile));
        QCOMPARE(content.count(), 1);
        QCOMPARE(h.store->statusMessage(), english("status.project.trusted"));
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);

        snapshot = h.snapshot();
        QCOMPARE(h.loader->loadCount(), loads);
        QCOMPARE(snapshot.matchDetails.detectionSource, ContextDetectionSource::projectConfig);
        QVERIFY(!snapshot.matchDetails.projectConfigRequiresTrust);
        QVERIFY(snapshot.activeWorkspace);
        QCOMPARE(snapshot.activeWorkspace->source, PromptWorkspaceSource::projectConfig);
        QCOMPARE(snapshot.visiblePromptIDs(), (QStringList{"g", "p1", "shared"}));
        QVERIFY(snapshot.editablePromptIDs.isEmpty());

        // One byte changed by hand: the file needs trust again, cached or not.
        h.env.writeFile("shop/.orris-hollows.yaml", projectYaml + "\n");
        snapshot = h.snapshot();
        QVERIFY(snapshot.matchDetails.projectConfigRequiresTrust);
        QCOMPARE(snapshot.visiblePromptIDs(), QStringList{"g"});
    }

    void trustingAMissingFileFails() {
        ProjectHarness h;
        LogCapture log;
        QVERIFY(!h.store->trustProjectConfig(h.env.home() + "/shop/missing.yaml"));
        QCOMPARE(h.store->statusMessage(), english("status.project.trust.failed"));
        QVERIFY(h.store->lastErrorMessage() && !h.store->lastErrorMessage()->isEmpty());
        QVERIFY(log.contains("Trust project config failed file=shop/missing.yaml error="));
        QVERIFY(!h.store->trustProjectConfig(""));
        QVERIFY(log.contains("Trust project config failed file=none error="));
        QVERIFY(!QFile::exists(h.env.dataDirectory() + "/" + ProjectConfigTrustStore::fileName));
    }

    void aContextWithoutAFolderHasNoProjectFile() {
        ProjectHarness h;
        QVERIFY(h.store->trustProjectConfig(h.projectFile));
        AgentContext elsewhere = h.context;
        elsewhere.workspacePath = std::nullopt;
        QCOMPARE(h.store->projectConfigPath(elsewhere), std::nullopt);
        QCOMPARE(h.store->projectWorkspace(elsewhere, h.projectFile), std::nullopt);
        elsewhere.workspacePath = h.env.home() + "/shop/gone";
        QCOMPARE(h.store->projectConfigPath(elsewhere), std::nullopt);
        QCOMPARE(h.store->projectConfigPath(h.context), std::optional<QString>(h.projectFile));
        const std::optional<PromptWorkspace> project = h.store->projectWorkspace(h.context, h.projectFile);
        QVERIFY(project);
        QCOMPARE(project->id, "project:" + h.projectFile);
    }

    // The file may change between the trust check and the read that loads it: only the trusted
    // bytes are served, and a refusal is not remembered.
    void aProjectFileChangedAfterTheTrustCheckIsNotServed() {
        ProjectHarness h;
        QVERIFY(h.store->trustProjectConfig(h.projectFile));
        h.env.writeFile("shop/.orris-hollows.yaml", QByteArray(projectYaml).replace("Check the shop", "Evil"));
        QCOMPARE(h.store->projectWorkspace(h.context, h.projectFile), std::nullopt);
        h.env.writeFile("shop/.orris-hollows.yaml", projectYaml);
        const std::optional<PromptWorkspace> project = h.store->projectWorkspace(h.context, h.projectFile);
        QVERIFY(project);
        QCOMPARE(project->prompts.first().text, QString("Check the shop"));
    }

    // A reload never loads project files: their prompts' usage must outlive it, also when a
    // workspace prompt with the same id goes away. Only usage of prompts that went away is dropped.
    void usageOfProjectPromptsSurvivesReloads() {
        ProjectHarness h;
        QVERIFY(h.store->trustProjectConfig(h.projectFile));
        QCOMPARE(h.snapshot().visiblePromptIDs(), (QStringList{"g", "p1", "shared"}));
        const QDateTime at = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
        for (const QString id : {"g", "w1", "shared", "p1"}) {
            h.store->usageStore().recordSuccessfulCopy(id, at);
        }
        h.load(result({prompt("g")}, {workspace("w", {})}));
        QStringList kept = h.store->usageStore().records().keys();
        kept.sort();
        QCOMPARE(kept, (QStringList{"g", "p1", "shared"}));
        h.load(result({prompt("g")}, {workspace("w", {})}));
        QCOMPARE(h.store->usageStore().records().size(), 3);

        // The recent order works for project prompts.
        h.store->setSortMode(PromptSortMode::recent);
        h.store->usageStore().recordSuccessfulCopy("p1", at.addSecs(60));
        QCOMPARE(h.snapshot().visiblePromptIDs().first(), QString("p1"));
    }

    void parseLines() {
        QCOMPARE(PromptStore::parseLines(" /a \r\n\n  \t\r/b\u2028~/c\r\n/a"), (QStringList{"/a", "/b", "~/c", "/a"}));
        QVERIFY(PromptStore::parseLines(" \n\r ").isEmpty());
    }
};

QTEST_GUILESS_MAIN(PromptStoreMatchingTest)
#include "tst_promptstorematching.moc"
