#include "FakePromptConfigLoading.h"
#include "PromptFixtures.h"
#include "TestEnvironment.h"

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

    void parseLines() {
        QCOMPARE(PromptStore::parseLines(" /a \r\n\n  \t\r/b\u2028~/c\r\n/a"), (QStringList{"/a", "/b", "~/c", "/a"}));
        QVERIFY(PromptStore::parseLines(" \n\r ").isEmpty());
    }
};

QTEST_GUILESS_MAIN(PromptStoreMatchingTest)
#include "tst_promptstorematching.moc"
