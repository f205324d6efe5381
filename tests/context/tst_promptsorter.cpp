#include "context/PromptSorter.h"

#include <QTest>

namespace {

PromptItem prompt(const QString& id, bool pinned = false) {
    PromptItem item;
    item.id = id;
    item.title = id;
    item.text = id;
    item.isPinned = pinned;
    return item;
}

QStringList ids(const QList<PromptItem>& prompts) {
    QStringList result;
    for (const PromptItem& item : prompts) {
        result.append(item.id);
    }
    return result;
}

QList<PromptItem> prompts(const QStringList& ids) {
    QList<PromptItem> result;
    for (const QString& id : ids) {
        result.append(prompt(id));
    }
    return result;
}

const QDateTime today(QDate(2026, 3, 10), QTime(9, 0), Qt::UTC);

PromptUsageRecord record(const QString& id, const QDateTime& lastUsedAt, qint64 count) {
    return PromptUsageRecord{id, lastUsedAt, count};
}

} // namespace

class PromptSorterTest : public QObject {
    Q_OBJECT

private slots:
    void sorted_data() {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QList<PromptUsageRecord>>("usage");
        QTest::addColumn<PromptSortMode>("mode");
        QTest::addColumn<QStringList>("expected");

        const QDateTime yesterday = today.addDays(-1);
        const QStringList xyz = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")};
        const QList<PromptUsageRecord> recentUsage = {record(QStringLiteral("X"), yesterday, 9),
                                                      record(QStringLiteral("Z"), today, 1)};

        QTest::newRow("empty, manual") << QStringList() << recentUsage << PromptSortMode::manual << QStringList();
        QTest::newRow("empty, recent") << QStringList() << recentUsage << PromptSortMode::recent << QStringList();
        QTest::newRow("empty, frequent") << QStringList() << recentUsage << PromptSortMode::frequent << QStringList();
        QTest::newRow("manual ignores usage") << xyz << recentUsage << PromptSortMode::manual << xyz;
        QTest::newRow("recent: newest first, never used last")
            << xyz << recentUsage << PromptSortMode::recent << QStringList{"Z", "X", "Y"};
        QTest::newRow("frequent: most copies first")
            << xyz << recentUsage << PromptSortMode::frequent << QStringList{"X", "Z", "Y"};
        QTest::newRow("frequent: equal counts at one moment keep the manual order")
            << QStringList{"A", "B", "C"}
            << QList<PromptUsageRecord>{record("A", today, 3), record("B", today, 5), record("C", today, 3)}
            << PromptSortMode::frequent << QStringList{"B", "A", "C"};
        QTest::newRow("frequent: equal counts, the more recent first")
            << QStringList{"A", "B", "C"}
            << QList<PromptUsageRecord>{record("A", yesterday, 3), record("B", today, 5), record("C", today, 3)}
            << PromptSortMode::frequent << QStringList{"B", "C", "A"};
        QTest::newRow("never used keep their order, recent")
            << QStringList{"D", "C", "B", "A"} << QList<PromptUsageRecord>{record("B", today, 1)}
            << PromptSortMode::recent << QStringList{"B", "D", "C", "A"};
        QTest::newRow("never used keep their order, frequent")
            << QStringList{"D", "C", "B", "A"} << QList<PromptUsageRecord>{} << PromptSortMode::frequent
            << QStringList{"D", "C", "B", "A"};
        QTest::newRow("a record of another prompt changes nothing")
            << xyz << QList<PromptUsageRecord>{record("other", today, 100)} << PromptSortMode::frequent << xyz;
        QTest::newRow("recent ignores the counts")
            << QStringList{"A", "B"} << QList<PromptUsageRecord>{record("A", yesterday, 50), record("B", today, 1)}
            << PromptSortMode::recent << QStringList{"B", "A"};
        QTest::newRow("a copy long ago still beats none")
            << QStringList{"A", "B"}
            << QList<PromptUsageRecord>{record("B", QDateTime(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC), 0)}
            << PromptSortMode::recent << QStringList{"B", "A"};
        // Most prompts are never copied and are not sorted at all: a record that ties with none
        // must stay among them, and one older than the year 1 must go behind them.
        QTest::newRow("no copies and no date tie with none")
            << QStringList{"A", "B", "C"}
            << QList<PromptUsageRecord>{record("B", QDateTime(), 0), record("C", today, 1)} << PromptSortMode::frequent
            << QStringList{"C", "A", "B"};
        QTest::newRow("a copy before the year 1 comes after none, recent")
            << QStringList{"A", "B", "C"}
            << QList<PromptUsageRecord>{record("A", QDateTime(QDate(-5, 1, 1), QTime(0, 0), Qt::UTC), 1)}
            << PromptSortMode::recent << QStringList{"B", "C", "A"};
        QTest::newRow("a copy before the year 1 still counts, frequent")
            << QStringList{"A", "B", "C"}
            << QList<PromptUsageRecord>{record("C", QDateTime(QDate(-5, 1, 1), QTime(0, 0), Qt::UTC), 1)}
            << PromptSortMode::frequent << QStringList{"C", "A", "B"};
    }

    void sorted() {
        QFETCH(QStringList, input);
        QFETCH(QList<PromptUsageRecord>, usage);
        QFETCH(PromptSortMode, mode);
        QFETCH(QStringList, expected);

        QHash<QString, PromptUsageRecord> map;
        for (const PromptUsageRecord& entry : usage) {
            map.insert(entry.promptID, entry);
        }
        const QList<PromptItem> list = prompts(input);
        QCOMPARE(ids(PromptSorter::sorted(list, mode, map)), expected);
        QCOMPARE(ids(list), input);

        // The same order by position, over positions that are not 0, 1, 2...
        QList<qint32> positions;
        for (qsizetype i = 0; i < list.size(); ++i) {
            positions.append(qint32(10 * i));
        }
        const QList<qint32> sorted = PromptSorter::sortedPositions(
            positions, mode, map, [&list](qint32 p) -> const QString& { return list.at(p / 10).id; });
        QStringList sortedIDs;
        for (const qint32 p : sorted) {
            sortedIDs.append(list.at(p / 10).id);
        }
        QCOMPARE(sortedIDs, expected);
    }

    void manualKeepsPinnedPromptsWhereTheyStand() {
        const QList<PromptItem> list = {prompt(QStringLiteral("a")), prompt(QStringLiteral("b"), true),
                                        prompt(QStringLiteral("c"))};
        const QHash<QString, PromptUsageRecord> usage = {{QStringLiteral("c"), record(QStringLiteral("c"), today, 2)}};
        QCOMPARE(PromptSorter::sorted(list, PromptSortMode::manual, usage), list);
        // Automatic orders move pinned prompts like any other.
        QCOMPARE(ids(PromptSorter::sorted(list, PromptSortMode::recent, usage)), (QStringList{"c", "a", "b"}));
    }
};

QTEST_GUILESS_MAIN(PromptSorterTest)
#include "tst_promptsorter.moc"
