#include "model/PromptText.h"

#include <QTest>

#include <string>
#include <vector>

class PromptTextTest : public QObject {
    Q_OBJECT

private slots:
    // Every string comes back as it went in, also one that UTF-8 cannot carry, and compares
    // equal to it.
    void keepsTheString_data() {
        QTest::addColumn<QString>("string");
        QTest::addColumn<bool>("ascii");
        QTest::addColumn<bool>("utf8");
        QTest::newRow("empty") << QString() << true << true;
        QTest::newRow("ascii") << QStringLiteral("Review {{file}}\n\tline two") << true << true;
        QTest::newRow("chinese") << QStringLiteral("请阅读失败的测试输出") << false << true;
        QTest::newRow("astral") << QString::fromUtf8("fix \U0001F600 now") << false << true;
        QTest::newRow("leading byte order mark") << (QChar(0xFEFF) + QStringLiteral("text")) << false << true;
        QTest::newRow("nul") << QString(QStringLiteral("a%1b")).arg(QChar(0)) << true << true;
        QTest::newRow("lone high surrogate")
            << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << false << false;
        QTest::newRow("lone low surrogate at the end") << (QStringLiteral("ab") + QChar(0xDC00)) << false << false;
    }

    void keepsTheString() {
        QFETCH(QString, string);
        QFETCH(bool, ascii);
        QFETCH(bool, utf8);
        const PromptText text(string);
        QCOMPARE(text.toString(), string);
        QCOMPARE(text.toString().size(), string.size());
        QVERIFY(text == string);
        QCOMPARE(text.isEmpty(), string.isEmpty());
        QCOMPARE(text.isAscii(), ascii);
        QCOMPARE(text.isUtf8(), utf8);
        if (utf8) {
            QCOMPARE(text.utf8().toByteArray(), string.toUtf8());
            QCOMPARE(PromptText::fromValidUtf8(string.toUtf8()), text);
        }
        const PromptText copy = text;
        QCOMPARE(copy, text);
        QCOMPARE(qHash(copy, 7), qHash(text, 7));
    }

    void comparesByContent_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("case") << QStringLiteral("Review") << QStringLiteral("review");
        QTest::newRow("accent") << QStringLiteral("é") << QStringLiteral("e");
        QTest::newRow("prefix") << QStringLiteral("abc") << QStringLiteral("ab");
        QTest::newRow("byte order mark") << (QChar(0xFEFF) + QStringLiteral("x")) << QStringLiteral("x");
        QTest::newRow("surrogate against its replacement")
            << (QStringLiteral("a") + QChar(0xD800)) << (QStringLiteral("a") + QChar(0xFFFD));
    }

    void comparesByContent() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QVERIFY(PromptText(a) != PromptText(b));
        QVERIFY(!(PromptText(a) == b));
        QVERIFY(!(PromptText(b) == a));
        QVERIFY(PromptText(a) == a);
    }

    // The texts of a file are slices of one block: equal texts get one slice, every text ends
    // in a NUL, and a text outlives the Blocks and every other text of its block (run under
    // ASan, a freed or overrun block fails here).
    void blocksShareEqualTextsAndOutliveTheirFile() {
        std::vector<PromptText> kept;
        PromptText lone;
        {
            PromptText::Blocks blocks;
            const QByteArrayView inputs[] = {"Review {{file}}", "",  "请阅读",
                                             "Review {{file}}", "x", "Review {{file}}!"};
            std::vector<qsizetype> numbers;
            for (const QByteArrayView input : inputs) {
                numbers.push_back(blocks.add(input));
            }
            blocks.finish();
            for (size_t i = 0; i < numbers.size(); ++i) {
                const PromptText text = blocks.text(numbers[i]);
                QCOMPARE(text.toString(), QString::fromUtf8(inputs[i]));
                QCOMPARE(text.utf8(), inputs[i]);
                if (!inputs[i].isEmpty()) {
                    QCOMPARE(text.utf8().data()[inputs[i].size()], '\0');
                }
                kept.push_back(text);
            }
            QCOMPARE(kept[3].utf8().data(), kept[0].utf8().data());
            QVERIFY(kept[5].utf8().data() != kept[0].utf8().data());
            QVERIFY(kept[1].isEmpty());
            lone = blocks.text(numbers[4]);
        }
        // The last reference to the block is the one that frees it.
        kept.erase(kept.begin(), kept.begin() + 4);
        kept.pop_back();
        QCOMPARE(kept.front().toString(), QStringLiteral("x"));
        kept.clear();
        QCOMPARE(lone.toString(), QStringLiteral("x"));
        PromptText moved = std::move(lone);
        QVERIFY(lone.isEmpty());
        lone = moved;
        moved = PromptText();
        QCOMPARE(lone, PromptText(QStringLiteral("x")));
    }

    // Many texts fill several blocks, a text larger than a block gets one of its own, an equal
    // text found in a later block points back to the first, and the scratch a load shares holds
    // nothing of one file's texts for the next.
    void blocksSpanSeveralBlocksAndShareTheirScratch() {
        std::string scratch;
        std::vector<QByteArray> inputs;
        for (int i = 0; i < 3000; ++i) {
            inputs.push_back(QByteArray("Prompt text number ") + QByteArray::number(i) + QByteArray(40, 'a' + i % 26));
        }
        inputs.push_back(QByteArray(200 * 1024, 'L'));
        inputs.push_back(inputs[7]);
        inputs.push_back(inputs[2999]);
        std::vector<PromptText> kept;
        for (int file = 0; file < 2; ++file) {
            PromptText::Blocks blocks(scratch);
            std::vector<qsizetype> numbers;
            for (const QByteArray& input : inputs) {
                numbers.push_back(blocks.add(input));
            }
            blocks.finish();
            kept.clear();
            for (size_t i = 0; i < numbers.size(); ++i) {
                kept.push_back(blocks.text(numbers[i]));
                QCOMPARE(kept.back().utf8(), QByteArrayView(inputs[i]));
                QCOMPARE(kept.back().utf8().data()[inputs[i].size()], '\0');
            }
            QCOMPARE(kept[3001].utf8().data(), kept[7].utf8().data());
            QCOMPARE(kept[3002].utf8().data(), kept[2999].utf8().data());
            QVERIFY(kept[0].utf8().data() != kept[2999].utf8().data()); // not one block of 200 kB
            QVERIFY(scratch.empty());
        }
        // The blocks outlive the Blocks that made them.
        QCOMPARE(kept[3000].toString(), QString(200 * 1024, u'L'));
    }

    void blocksWithoutTexts() {
        PromptText::Blocks none;
        none.finish();
        PromptText::Blocks empties;
        const qsizetype first = empties.add("");
        const qsizetype second = empties.add("");
        empties.finish();
        QVERIFY(empties.text(first).isEmpty());
        QCOMPARE(empties.text(second), PromptText());
    }
};

QTEST_APPLESS_MAIN(PromptTextTest)
#include "tst_prompttext.moc"
