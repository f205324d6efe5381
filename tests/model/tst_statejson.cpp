#include "model/StateJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <limits>

class StateJsonTest : public QObject {
    Q_OBJECT

private slots:
    void prettyTextIsByteExact() {
        QJsonObject inner;
        inner.insert("zeta", 1);
        inner.insert("Zeta", QJsonValue(std::numeric_limits<qint64>::max()));
        inner.insert("path", "a/b \"q\" \\ \n\t\x01");
        inner.insert("\u00e9", 0.5);
        QJsonObject root;
        root.insert("list", QJsonArray{true, QJsonValue::Null, "x"});
        root.insert("empty", QJsonObject());
        root.insert("none", QJsonArray());
        root.insert("inner", inner);
        const QByteArray expected = "{\n"
                                    "  \"empty\" : {\n"
                                    "\n"
                                    "  },\n"
                                    "  \"inner\" : {\n"
                                    "    \"Zeta\" : 9223372036854775807,\n"
                                    "    \"path\" : \"a\\/b \\\"q\\\" \\\\ \\n\\t\\u0001\",\n"
                                    "    \"zeta\" : 1,\n"
                                    "    \"\xc3\xa9\" : 0.5\n"
                                    "  },\n"
                                    "  \"list\" : [\n"
                                    "    true,\n"
                                    "    null,\n"
                                    "    \"x\"\n"
                                    "  ],\n"
                                    "  \"none\" : [\n"
                                    "\n"
                                    "  ]\n"
                                    "}";
        QCOMPARE(StateJson::pretty(root), expected);
    }

    void prettyTextReadsBackUnchanged() {
        // A lone surrogate and an astral character survive a write and a read.
        const QString text = QString(QChar(0xD800)) + QString::fromUtf8("\U0001F600/");
        QJsonObject object;
        object.insert("t", text);
        object.insert("big", 1e300);
        object.insert("tiny", 5e-324);
        object.insert("date", 790162200.123);
        const QByteArray written = StateJson::pretty(object);
        QVERIFY(written.contains("790162200.123"));
        const auto read = StateJson::parse(written);
        QVERIFY(read.ok());
        QCOMPARE(read->object(), object);
        QCOMPARE(StateJson::pretty(read->object()), written);
    }

    void integers_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("isInteger");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << QByteArray("[5]") << true << qint64(5);
        QTest::newRow("integral double") << QByteArray("[5.0]") << true << qint64(5);
        QTest::newRow("exponent") << QByteArray("[1e3]") << true << qint64(1000);
        QTest::newRow("fraction") << QByteArray("[5.5]") << false << qint64(0);
        QTest::newRow("largest") << QByteArray("[9223372036854775807]") << true << std::numeric_limits<qint64>::max();
        QTest::newRow("beyond 64 bits") << QByteArray("[9223372036854775808]") << false << qint64(0);
        QTest::newRow("negative") << QByteArray("[-3]") << true << qint64(-3);
        QTest::newRow("text") << QByteArray("[\"5\"]") << false << qint64(0);
        QTest::newRow("boolean") << QByteArray("[true]") << false << qint64(0);
    }
    void integers() {
        QFETCH(QByteArray, json);
        QFETCH(bool, isInteger);
        QFETCH(qint64, value);
        const auto document = StateJson::parse(json);
        QVERIFY(document.ok());
        const auto read = StateJson::integer(document->array().at(0));
        QCOMPARE(read.has_value(), isInteger);
        if (isInteger) {
            QCOMPARE(*read, value);
        }
    }

    void numericDates() {
        const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        QCOMPARE(StateJson::dateFromSecondsSinceReferenceDate(0), reference);
        QCOMPARE(StateJson::dateFromSecondsSinceReferenceDate(760'000'000), reference.addSecs(760'000'000));
        const QDateTime withMillis = reference.addMSecs(790'162'200'123);
        QCOMPARE(StateJson::secondsSinceReferenceDate(withMillis), 790162200.123);
        QCOMPARE(StateJson::dateFromSecondsSinceReferenceDate(790162200.123), withMillis);
        QCOMPARE(StateJson::number(790162200.123), QByteArray("790162200.123"));
        QCOMPARE(StateJson::number(760'000'000), QByteArray("760000000"));
        QVERIFY(!StateJson::dateFromSecondsSinceReferenceDate(1e300));
        QVERIFY(!StateJson::dateFromSecondsSinceReferenceDate(std::numeric_limits<double>::quiet_NaN()));
    }

    void isoDates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime instant(QDate(2025, 3, 1), QTime(8, 15), Qt::UTC);
        QTest::newRow("utc") << "2025-03-01T08:15:00Z" << instant;
        QTest::newRow("offset with colon") << "2025-03-01T09:15:00+01:00" << instant;
        QTest::newRow("offset without colon") << "2025-03-01T03:15:00-0500" << instant;
        QTest::newRow("fraction") << "2025-03-01T08:15:00.5Z" << QDateTime();
        QTest::newRow("no zone") << "2025-03-01T08:15:00" << QDateTime();
        QTest::newRow("word") << "yesterday" << QDateTime();
        QTest::newRow("no such day") << "2025-02-30T08:15:00Z" << QDateTime();
        QTest::newRow("hour 24") << "2025-03-01T24:00:00Z" << QDateTime();
        QTest::newRow("before year 1") << "0001-01-01T00:00:00+01:00" << QDateTime();
    }
    void isoDates() {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto parsed = StateJson::parseIso8601(text);
        QCOMPARE(parsed.has_value(), expected.isValid());
        if (parsed) {
            QCOMPARE(*parsed, expected);
        }
    }

    void isoWriterDropsFractions() {
        const QDateTime instant(QDate(2025, 3, 1), QTime(8, 15, 0, 999), Qt::UTC);
        QCOMPARE(StateJson::iso8601(instant), QStringLiteral("2025-03-01T08:15:00Z"));
        QCOMPARE(StateJson::iso8601(instant.toOffsetFromUtc(3600)), QStringLiteral("2025-03-01T08:15:00Z"));
        QCOMPARE(StateJson::iso8601(QDateTime(QDate(1969, 12, 31), QTime(23, 59, 59, 500), Qt::UTC)),
                 QStringLiteral("1969-12-31T23:59:59Z"));
    }

    void parseRefusesBrokenText() {
        QVERIFY(!StateJson::parse("").ok());
        QVERIFY(!StateJson::parse("{\"a\":").ok());
        QVERIFY(!StateJson::parse("[1] x").ok());
        QVERIFY(StateJson::parse("[]").ok());
    }

    void fieldReaderKeepsTheFirstFailure() {
        const QJsonObject object{{"name", "a"}, {"count", 2.5}, {"flag", "yes"}};
        StateJson::FieldReader read(object);
        QCOMPARE(read.requiredString("name"), QStringLiteral("a"));
        QCOMPARE(read.optionalString("none"), std::optional<QString>());
        QVERIFY(!read.error());
        QCOMPARE(read.requiredInteger("count"), qint64(0));
        QCOMPARE(read.error(), std::optional(StateJson::typeMismatch("count")));
        // Later failures, found by the reader or by the decoder, do not replace it.
        QCOMPARE(read.requiredBool("flag"), false);
        read.fail(StateJson::dataCorrupted("later"));
        QCOMPARE(read.error(), std::optional(StateJson::typeMismatch("count")));
        QCOMPARE(read.error()->message, StateJson::typeMismatch("count").message);
        QCOMPARE(read.requiredString("name"), QString());

        StateJson::FieldReader own(object);
        own.fail(StateJson::dataCorrupted("first"));
        QCOMPARE(own.error(), std::optional(StateJson::dataCorrupted("first")));
        QCOMPARE(own.requiredString("name"), QString());
    }
};

QTEST_GUILESS_MAIN(StateJsonTest)
#include "tst_statejson.moc"
