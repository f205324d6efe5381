#include "PromptFixtures.h"

#include "store/PromptSearchIndex.h"
#include "store/PromptSearchQuery.h"
#include "store/PromptStore.h"

#include <QTest>

using namespace PromptFixtures;

namespace {

// What a search means, written the plain way: the query trimmed and lower-cased occurs in the
// lower-cased title, group, text or space-joined tags.
bool plainMatch(const PromptItem& prompt, const QString& search) {
    const QString query = search.trimmed().toLower();
    if (query.isEmpty()) {
        return true;
    }
    for (const QString& field :
         {prompt.title.toString(), prompt.group, prompt.text.toString(), prompt.tags.join(QLatin1Char(' '))}) {
        if (field.toLower().contains(query)) {
            return true;
        }
    }
    return false;
}

} // namespace

// The panel searches a search form made once per list (one byte a character for ASCII fields,
// compared sixteen places at a time) rather than lower-casing each field on every key press:
// both must agree with the plain meaning.
class PromptSearchTest : public QObject {
    Q_OBJECT

private slots:
    void searchFormAgreesWithLowerCasing_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matches");
        // The text holds the title and the group is "Gruppe", so each row also searches the text.
        QTest::newRow("capital umlauts") << "ÜBERPRÜFUNG" << QStringList{} << "überprüfung" << true;
        QTest::newRow("sharp s stays one letter") << "STRAẞE" << QStringList{} << "straße" << true;
        QTest::newRow("sharp s is not ss") << "Straße" << QStringList{} << "strasse" << false;
        QTest::newRow("dotted capital I grows when lower-cased") << "İSTANBUL" << QStringList{} << "i̇stanbul" << true;
        QTest::newRow("dotted capital I is not plain i") << "İSTANBUL" << QStringList{} << "istanbul" << false;
        QTest::newRow("Kelvin sign in the query") << "Deploy Kubernetes" << QStringList{} << "\u212Aubernetes" << true;
        QTest::newRow("Kelvin sign in the text") << "\u212Aubernetes" << QStringList{} << "kubernetes" << true;
        QTest::newRow("final sigma") << "ΟΔΟΣ" << QStringList{} << "οδοσ" << true;
        QTest::newRow("Chinese") << "代码审查" << QStringList{} << "审查" << true;
        QTest::newRow("beyond the first plane") << "\U00010400\U00010401" << QStringList{} << "\U00010428" << true;
        QTest::newRow("full-width letters") << "ＡＢＣ" << QStringList{} << "ａｂｃ" << true;
        QTest::newRow("ASCII query, text beyond ASCII") << "Überprüfe den Code" << QStringList{} << "CODE" << true;
        QTest::newRow("query beyond ASCII, ASCII text") << "Review the code" << QStringList{} << "cödé" << false;
        QTest::newRow("tags beyond ASCII, joined") << "x" << QStringList{"ΣΟΦΙΑ", "Ärger"} << "σοφια är" << true;
        QTest::newRow("tags joined by one space only") << "x" << QStringList{"rust", "async"} << "rust  async" << false;
        QTest::newRow("a query across two tags") << "x" << QStringList{"roll", "back"} << "roll back" << true;
        QTest::newRow("one tag beyond ASCII") << "x" << QStringList{"Ärger"} << "ÄRG" << true;
        QTest::newRow("no tags") << "x" << QStringList{} << "x x" << false;
        QTest::newRow("a blank inside, trimmed around") << "Roll Back" << QStringList{} << "\t roll back \n" << true;
        QTest::newRow("line break inside") << "one\nTWO" << QStringList{} << "ONE\ntwo" << true;
        QTest::newRow("across title and group") << "Title" << QStringList{} << "title gruppe" << false;
        QTest::newRow("the group alone") << "Title" << QStringList{} << "GRUPP" << true;
    }

    void searchFormAgreesWithLowerCasing() {
        QFETCH(QString, title);
        QFETCH(QStringList, tags);
        QFETCH(QString, query);
        QFETCH(bool, matches);
        const PromptItem item = prompt("id", "Gruppe", false, title, title, tags);
        QCOMPARE(plainMatch(item, query), matches);
        QCOMPARE(PromptStore::promptMatchesSearch(item, query), matches);
        const PromptSearchIndex index({prompt("other", "Andere", false, "nothing", "nothing"), item});
        QCOMPARE(index.matches(1, PromptSearchQuery(query)), matches);
    }

    // Every place of the query in texts of every length around the sixteen-place blocks, with
    // upper-case letters and with the characters one case bit away from a letter.
    void everyPlaceInTheText() {
        const QStringList queries = {"a",   "ab", "rollback plan", "@x[",
                                     "`x{", "z",  "[b]",           "qwertyuiopasdfghjklzxcvbnm"};
        const QString filler = "The quick Brown fox @ [jumps] over ` the {lazy} dog ";
        QList<PromptItem> prompts;
        for (int length = 0; length <= 40; ++length) {
            for (const QString& query : queries) {
                for (int at = 0; at + query.size() <= length; ++at) {
                    QString text = filler.repeated(2).left(length);
                    QString placed = query;
                    if (at % 2 == 1) {
                        placed = placed.toUpper();
                    }
                    text.replace(at, placed.size(), placed);
                    prompts.append(prompt(QString::number(prompts.size()), "G", false, "t", text));
                }
            }
            prompts.append(prompt(QString::number(prompts.size()), "G", false, "t", filler.repeated(2).left(length)));
        }
        const PromptSearchIndex index(prompts);
        int checked = 0;
        for (const QString& query : queries + QStringList{"@X[", "`X{", "ab ", "lazy} dog"}) {
            const PromptSearchQuery search(query);
            for (qsizetype i = 0; i < prompts.size(); ++i) {
                const bool expected = plainMatch(prompts.at(i), query);
                if (index.matches(i, search) != expected || search.matches(prompts.at(i)) != expected) {
                    QFAIL(qPrintable(QString("query \"%1\" in \"%2\"").arg(query, prompts.at(i).text.toString())));
                }
                checked += expected ? 1 : 0;
            }
        }
        QVERIFY(checked > 1000);
    }
};

QTEST_GUILESS_MAIN(PromptSearchTest)
#include "tst_promptsearch.moc"
