#include "model/PromptUsage.h"
#include "model/StateJson.h"

#include <QTest>

class PromptUsageTest : public QObject {
    Q_OBJECT

private slots:
    void recordDecoding_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("keys in any order")
            << QByteArray(R"({"successfulCopyCount":3,"promptID":"p","lastUsedAt":760000000.5})") << true;
        QTest::newRow("no count") << QByteArray(R"({"promptID":"p","lastUsedAt":760000000})") << false;
        QTest::newRow("no date") << QByteArray(R"({"promptID":"p","successfulCopyCount":3})") << false;
        QTest::newRow("fractional count")
            << QByteArray(R"({"promptID":"p","lastUsedAt":1,"successfulCopyCount":1.5})") << false;
        QTest::newRow("date as text")
            << QByteArray(R"({"promptID":"p","lastUsedAt":"2025-03-01T08:15:00Z","successfulCopyCount":1})") << false;
        QTest::newRow("id as number") << QByteArray(R"({"promptID":7,"lastUsedAt":1,"successfulCopyCount":1})")
                                      << false;
    }
    void recordDecoding() {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        const auto document = StateJson::parse(json);
        QVERIFY(document.ok());
        const auto record = PromptUsageRecord::fromJson(document->object());
        QCOMPARE(record.ok(), decodes);
        if (decodes) {
            QCOMPARE(record->promptID, QStringLiteral("p"));
            QCOMPARE(record->successfulCopyCount, 3);
            QCOMPARE(record->lastUsedAt, QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addMSecs(760'000'000'500));
        }
    }

    void recordRoundTripAndEquality() {
        const QDateTime at(QDate(2026, 1, 15), QTime(9, 30, 0, 250), Qt::UTC);
        const PromptUsageRecord record{"p", at, 42};
        QCOMPARE(StateJson::pretty(record.toJson()),
                 QByteArray("{\n  \"lastUsedAt\" : 790162200.25,\n  \"promptID\" : \"p\",\n"
                            "  \"successfulCopyCount\" : 42\n}"));
        const auto decoded = PromptUsageRecord::fromJson(record.toJson());
        QVERIFY(decoded.ok());
        QCOMPARE(*decoded, record);
        PromptUsageRecord later = record;
        later.lastUsedAt = at.addSecs(1);
        QVERIFY(!(later == record));
    }

    void sortModes() {
        QCOMPARE(PromptSortModes::allCases(),
                 (QList<PromptSortMode>{PromptSortMode::manual, PromptSortMode::recent, PromptSortMode::frequent}));
        for (const PromptSortMode mode : PromptSortModes::allCases()) {
            QCOMPARE(PromptSortModes::fromRawValue(PromptSortModes::rawValue(mode)), mode);
            QVERIFY(PromptSortModes::label(mode, AppLanguage::english) != PromptSortModes::labelKey(mode));
        }
        QCOMPARE(PromptSortModes::rawValue(PromptSortMode::frequent), QStringLiteral("frequent"));
        QVERIFY(!PromptSortModes::fromRawValue("Recent"));
        QVERIFY(!PromptSortModes::fromRawValue(""));
    }
};

QTEST_GUILESS_MAIN(PromptUsageTest)
#include "tst_promptusage.moc"
