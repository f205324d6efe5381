#include "PromptFixtures.h"
#include "PromptStoreHarness.h"

#include "store/PromptUsageStore.h"

#include "store/PromptStore.h"

#include <QTest>

using namespace PromptFixtures;

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
        const PromptWorkspace w = workspace("w", {prompt("w1", "A"), prompt("w2", "A", true, "keep w2"),
                                                  prompt("w3", "B", false, "Keep w3")});
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

    void parseLines() {
        QCOMPARE(PromptStore::parseLines(" /a \r\n\n  \t\r/b\u2028~/c\r\n/a"), (QStringList{"/a", "/b", "~/c", "/a"}));
        QVERIFY(PromptStore::parseLines(" \n\r ").isEmpty());
    }
};

QTEST_GUILESS_MAIN(PromptStoreMatchingTest)
#include "tst_promptstorematching.moc"
