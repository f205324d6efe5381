#include "model/TextPrimitives.h"

#include <QTest>

class TextPrimitivesTest : public QObject {
    Q_OBJECT

private slots:
    void trims_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("spacesAndTabs");
        QTest::addColumn<QString>("whitespace");
        QTest::addColumn<QString>("whitespaceAndNewlines");
        QTest::newRow("plain") << " \ta b\t "
                               << "a b"
                               << "a b"
                               << "a b";
        QTest::newRow("newline kept by the first two") << "\n a \n"
                                                       << "\n a \n"
                                                       << "\n a \n"
                                                       << "a";
        QTest::newRow("no-break and ideographic space")
            << QString::fromUtf8("\u00a0\u3000x\u3000") << QString::fromUtf8("\u00a0\u3000x\u3000") << "x"
            << "x";
        QTest::newRow("line separator") << QString::fromUtf8("\u2028x\u0085") << QString::fromUtf8("\u2028x\u0085")
                                        << QString::fromUtf8("\u2028x\u0085") << "x";
        QTest::newRow("all blank") << " \t "
                                   << ""
                                   << ""
                                   << "";
    }
    void trims() {
        QFETCH(QString, input);
        QFETCH(QString, spacesAndTabs);
        QFETCH(QString, whitespace);
        QFETCH(QString, whitespaceAndNewlines);
        QCOMPARE(Text::trimSpacesAndTabs(input), spacesAndTabs);
        QCOMPARE(Text::trimWhitespace(input), whitespace);
        QCOMPARE(Text::trimWhitespaceAndNewlines(input), whitespaceAndNewlines);
    }

    void newlineSplitting() {
        QCOMPARE(Text::splitAtNewlines("a\r\nb"), (QStringList{"a", "", "b"}));
        QCOMPARE(Text::splitAtNewlines(QString::fromUtf8("a\u2029b\u0085c\fd\ve")),
                 (QStringList{"a", "b", "c", "d", "e"}));
        QCOMPARE(Text::splitAtNewlines(""), QStringList{""});
    }

    void viewSplittingMatchesTheCopyingSplit() {
        for (const QString& text : {QStringLiteral("a\nb\n"), QStringLiteral("a\r\nb"), QStringLiteral("\n\n"),
                                    QString::fromUtf8("a\u2028b\u0085c\fd\ve\u2029"), QStringLiteral("no break")}) {
            QStringList pieces;
            for (const QStringView piece : Text::splitViewsAtNewlines(text)) {
                pieces.append(piece.toString());
            }
            QCOMPARE(pieces, Text::splitAtNewlines(text));
        }
        QCOMPARE(Text::trimSpacesAndTabs(QStringView(u" \tx \n\t")), QStringView(u"x \n"));
        QCOMPARE(Text::trimWhitespaceAndNewlines(QStringView(u"\u3000\nx\u2028")), QStringView(u"x"));
    }

    void codePointOrderDiffersFromUtf16() {
        const QString astral = QString::fromUtf8("\U0001F600"); // surrogates D83D DE00
        const QString bmpHigh = QString::fromUtf8("\uFF5E");
        QVERIFY(QString::compare(astral, bmpHigh) < 0);        // UTF-16 order
        QVERIFY(Text::compareCodePoints(bmpHigh, astral) < 0); // scalar order
        QVERIFY(Text::codePointLess("B.yaml", "a.yaml"));
        QCOMPARE(Text::compareCodePoints("ab", "ab"), 0);
        QVERIFY(Text::codePointLess("a", "ab"));
    }

    void graphemesAndBytes() {
        const QString family = QString::fromUtf8("\U0001F468\u200D\U0001F469\u200D\U0001F467"); // one cluster
        QCOMPARE(Text::graphemeCount(family + "ab"), 3);
        QCOMPARE(Text::prefixGraphemes(family + "ab", 2), family + "a");
        QCOMPARE(Text::prefixGraphemes("abc", 10), QStringLiteral("abc"));
        QCOMPARE(Text::utf8Length(QString::fromUtf8("aé中\U0001F600")), 1 + 2 + 3 + 4);
        QCOMPARE(Text::utf8Length(family + "ab"), qsizetype((family + "ab").toUtf8().size()));
    }
};

QTEST_GUILESS_MAIN(TextPrimitivesTest)
#include "tst_textprimitives.moc"
