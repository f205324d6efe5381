#include "PromptFixtures.h"
#include "PromptStoreHarness.h"

#include "context/ContextBindingStore.h"
#include "store/PanelRenderSnapshotBuilder.h"
#include "store/PromptUsageStore.h"

#include <QTest>

using namespace PromptFixtures;
using Kind = PanelEmptyStateReason::Kind;

namespace {

AgentContext contextOf(AgentType agent) {
    AgentContext context;
    context.agent = agent;
    context.frontmostAppName = AgentTypes::defaultAppName(agent);
    return context;
}

// Matching that always answers with the given workspace.
PanelRenderSnapshotBuilder::MatchDetailsFunction matched(const std::optional<PromptWorkspace>& workspace) {
    return [workspace](const AgentContext&) {
        ContextMatchDetails details;
        details.workspace = workspace;
        return details;
    };
}

QList<PromptItem> numbered(const QString& prefix, int count) {
    QList<PromptItem> prompts;
    for (int i = 1; i <= count; ++i) {
        prompts.append(prompt(prefix + QString::number(i)));
    }
    return prompts;
}

} // namespace

class PanelRenderSnapshotTest : public QObject {
    Q_OBJECT

private slots:
    void numbersFollowTheDisplayOrder() {
        PromptStoreHarness h;
        const PromptWorkspace w = workspace("w", numbered("p", 12));
        h.load(result({}, {w}));
        h.store->setSortMode(PromptSortMode::recent);
        const QDateTime at = QDateTime(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
        h.store->usageStore().recordSuccessfulCopy("p12", at);
        h.store->usageStore().recordSuccessfulCopy("p11", at.addSecs(60));

        PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::cursor), "", false, matched(w));
        QCOMPARE(snapshot.visiblePromptIDs(),
                 (QStringList{"p11", "p12", "p1", "p2", "p3", "p4", "p5", "p6", "p7", "p8", "p9", "p10"}));
        QCOMPARE(snapshot.shortcutNumbers.size(), 9);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(snapshot.shortcutNumbers.value(snapshot.visiblePrompts[i].id), i + 1);
        }
        QVERIFY(!snapshot.shortcutNumbers.contains("p9"));
        QCOMPARE(snapshot.sections.size(), 1);
        QCOMPARE(snapshot.sections[0].id, QString("recent"));

        // A search renumbers what is left.
        snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::cursor), "title p1", false, matched(w));
        QCOMPARE(snapshot.visiblePromptIDs(), (QStringList{"p11", "p12", "p1", "p10"}));
        QCOMPARE(snapshot.shortcutNumbers.value("p10"), 4);
        QVERIFY(!snapshot.allowsPromptOrdering);
        QCOMPARE(snapshot.emptyReason, PanelEmptyStateReason::of(Kind::noSearchResults));
        QCOMPARE(snapshot.emptyActions,
                 (QList<EmptyPromptAction>{EmptyPromptAction::clearSearch, EmptyPromptAction::createPrompt}));
    }

    void blankSearchIsNoSearch() {
        PromptStoreHarness h;
        const PromptWorkspace w = workspace("w");
        h.load(result({}, {w}));
        const PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::cursor), " \n\t\u2028 ", false, matched(w));
        QVERIFY(snapshot.allowsPromptOrdering);
        QVERIFY(snapshot.visiblePrompts.isEmpty());
        QVERIFY(snapshot.sections.isEmpty());
        QVERIFY(snapshot.shortcutNumbers.isEmpty());
        QCOMPARE(snapshot.emptyReason, PanelEmptyStateReason::of(Kind::editableWorkspaceEmpty));
    }

    void onlyUserWorkspacesAreEditable_data() {
        QTest::addColumn<PromptWorkspaceSource>("source");
        QTest::addColumn<bool>("editable");
        QTest::newRow("user") << PromptWorkspaceSource::userWorkspace << true;
        QTest::newRow("project") << PromptWorkspaceSource::projectConfig << false;
        QTest::newRow("sample") << PromptWorkspaceSource::transientSample << false;
        QTest::newRow("global") << PromptWorkspaceSource::global << false;
    }

    void onlyUserWorkspacesAreEditable() {
        QFETCH(PromptWorkspaceSource, source);
        QFETCH(bool, editable);
        PromptStoreHarness h;
        const PromptWorkspace w = workspace("w", {prompt("a"), prompt("b")}, {}, source);
        h.load(result({prompt("g")}, {w}));
        const PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::cursor), "", false, matched(w));
        QCOMPARE(snapshot.visiblePromptIDs(), (QStringList{"g", "a", "b"}));
        QCOMPARE(snapshot.editablePromptIDs, (editable ? QSet<QString>{"a", "b"} : QSet<QString>{}));
        QCOMPARE(snapshot.activeWorkspace, std::optional<PromptWorkspace>(w));
        QVERIFY(PanelRenderSnapshotBuilder::editablePromptIDs(std::nullopt).isEmpty());
    }

    void theEmptyStateKnowsTheAgent() {
        PromptStoreHarness h;
        h.load(result({prompt("g")}, {workspace("w")}));
        PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::cursor), "", true, matched(std::nullopt));
        QCOMPARE(snapshot.emptyReason,
                 PanelEmptyStateReason::recognizedUnbound(AgentTypes::displayName(AgentType::cursor)));
        QCOMPARE(snapshot.emptyActions, QList<EmptyPromptAction>{EmptyPromptAction::bindWorkspace});
        QCOMPARE(snapshot.visiblePromptIDs(), QStringList{"g"});

        snapshot = PanelRenderSnapshotBuilder::make(*h.store, AgentContext::unknown(), "", true, matched(std::nullopt));
        QCOMPARE(snapshot.emptyReason, PanelEmptyStateReason::of(Kind::unavailable));
    }

    // The store's own matching: an agent binding picks the workspace.
    void defaultMatchingAsksTheStore() {
        PromptStoreHarness h;
        const PromptWorkspace a = workspace("a", {prompt("a1")});
        const PromptWorkspace b = workspace("b", {prompt("b1")});
        h.load(result({}, {a, b}));
        QVERIFY(h.store->bindingStore().addAgentWorkspaceBinding(AgentType::zed, "Zed", std::nullopt, "b", true));
        const PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::zed), "", false);
        QCOMPARE(snapshot.matchDetails.detectionSource, ContextDetectionSource::manualBinding);
        QCOMPARE(snapshot.activeWorkspace, std::optional<PromptWorkspace>(b));
        QCOMPARE(snapshot.visiblePromptIDs(), QStringList{"b1"});

        // A snapshot is a copy: a later reload does not reach it.
        h.load(result({}, {a}));
        QCOMPARE(snapshot.visiblePromptIDs(), QStringList{"b1"});
        QVERIFY(!PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::zed), "", false).activeWorkspace);
    }

    // Sections are slices of the visible prompts; they must be the groups promptSections makes
    // of the same list, also after a search and with pinned prompts of both lists.
    void sectionsFollowTheGroupsOfTheVisiblePrompts_data() {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("sectionIDs");
        QTest::addColumn<QList<QStringList>>("sectionPrompts");
        QTest::newRow("all") << "" << QStringList{"A", "B", "C"}
                             << QList<QStringList>{{"wA1", "gA1"}, {"gB2", "wB1", "gB1", "wB2"}, {"wC1"}};
        QTest::newRow("search") << "keep" << QStringList{"A", "B"} << QList<QStringList>{{"gA1"}, {"wB1", "wB2"}};
        QTest::newRow("nothing found") << "none of them" << QStringList{} << QList<QStringList>{};
    }

    void sectionsFollowTheGroupsOfTheVisiblePrompts() {
        QFETCH(QString, search);
        QFETCH(QStringList, sectionIDs);
        QFETCH(QList<QStringList>, sectionPrompts);
        PromptStoreHarness h;
        const PromptWorkspace w = workspace("w", {prompt("wC1", "C"), prompt("wB1", "B", true, "", "keep"),
                                                  prompt("wB2", "B", false, "keep"), prompt("wA1", "A", true)});
        h.load(result({prompt("gA1", "A", false, "keep"), prompt("gB1", "B"), prompt("gB2", "B", true)}, {w}));
        const PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::cursor), search, false, matched(w));
        QStringList ids;
        QList<QStringList> prompts;
        for (const PromptSection& section : snapshot.sections) {
            QCOMPARE(section.title, section.id);
            ids.append(section.id);
            prompts.append(section.prompts.ids());
        }
        QCOMPARE(ids, sectionIDs);
        QCOMPARE(prompts, sectionPrompts);
        const QList<PromptSection> fromList = h.store->promptSections(snapshot.visiblePrompts.toList());
        QCOMPARE(fromList.size(), snapshot.sections.size());
        for (qsizetype i = 0; i < fromList.size(); ++i) {
            QCOMPARE(fromList[i].prompts, snapshot.sections[i].prompts);
        }
    }

    // The store keeps order and search form between key presses; every change it publishes must
    // show in the next snapshot.
    void aSnapshotSeesEveryChangeOfTheStore() {
        PromptStoreHarness h;
        h.env.defaults()->setString(PromptStore::sortModeKey, "recent");
        h.make();
        const PromptWorkspace w = workspace("w", numbered("p", 3));
        h.load(result({}, {w}));
        const auto make = [&h](const QString& search) {
            return PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::zed), search, false);
        };
        QVERIFY(h.store->bindingStore().addAgentWorkspaceBinding(AgentType::zed, "Zed", std::nullopt, "w", true));
        QCOMPARE(make("").visiblePromptIDs(), (QStringList{"p1", "p2", "p3"}));
        QCOMPARE(make("p").editablePromptIDs, (QSet<QString>{"p1", "p2", "p3"}));
        QVERIFY(make("renamed").visiblePrompts.isEmpty());

        // A copy changes the recent order.
        h.store->usageStore().recordSuccessfulCopy("p3", QDateTime::currentDateTimeUtc());
        QCOMPARE(make("").visiblePromptIDs(), (QStringList{"p3", "p1", "p2"}));

        // An edit changes what a search finds and the editable ids.
        PromptWorkspace edited = h.store->workspaces().first();
        edited.prompts[1].title = u"Renamed";
        edited.prompts.append(prompt("p4"));
        h.store->publishPersistedWorkspace(edited);
        QCOMPARE(make("RENAMED").visiblePromptIDs(), QStringList{"p2"});
        QCOMPARE(make("").editablePromptIDs, (QSet<QString>{"p1", "p2", "p3", "p4"}));

        // A snapshot already made keeps what it showed, a reload replaces the rest.
        const PanelRenderSnapshot before = make("renamed");
        h.load(result({}, {workspace("w", {prompt("q1", "General", false, "Renamed")})}));
        QCOMPARE(before.visiblePromptIDs(), QStringList{"p2"});
        QCOMPARE(before.visiblePrompts.first().title, QString("Renamed"));
        QCOMPARE(make("renamed").visiblePromptIDs(), QStringList{"q1"});
        QCOMPARE(make("").editablePromptIDs, QSet<QString>{"q1"});
    }

    // A prompt of a project workspace may carry the id of a global prompt: the first keeps its number.
    void aRepeatedIdKeepsItsFirstNumber() {
        PromptStoreHarness h;
        const PromptWorkspace project = workspace("project:/p/.orris-hollows.yaml", {prompt("same", "General")}, {},
                                                  PromptWorkspaceSource::projectConfig);
        h.load(result({prompt("same", "General"), prompt("other", "General")}));
        const PanelRenderSnapshot snapshot =
            PanelRenderSnapshotBuilder::make(*h.store, contextOf(AgentType::zed), "", false, matched(project));
        QCOMPARE(snapshot.visiblePromptIDs(), (QStringList{"same", "other", "same"}));
        QCOMPARE(snapshot.shortcutNumbers, (QHash<QString, int>{{"same", 1}, {"other", 2}}));
    }
};

QTEST_GUILESS_MAIN(PanelRenderSnapshotTest)
#include "tst_panelrendersnapshot.moc"
