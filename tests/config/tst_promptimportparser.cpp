#include "config/PromptImportParser.h"

#include <QRegularExpression>
#include <QTest>
#include <QThread>
#include <QThreadPool>

namespace {

using Previews = QList<PromptImportPreview>;

PromptImportPreview preview(const QString& id, const QString& title, const QString& text) {
    return {id, title, text};
}

QString englishDefault(int number) {
    return L10n::string(L10N("prompt.import.default.title"), AppLanguage::english, number);
}

QString textOfUtf8Size(qsizetype bytes) {
    const QString head = QStringLiteral("Title\n");
    return head + QString(bytes - head.size(), u'x');
}

QString blocks(int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("Block %1\nBody %1\n\n").arg(i);
    }
    return text;
}

} // namespace

class PromptImportParserTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Previews>("expected");
        QTest::newRow("empty") << "" << Previews();
        QTest::newRow("white space only") << " \n\t\u2028 \r\n" << Previews();
        QTest::newRow("short first line is the title")
            << "Summary\nExplain the diff." << Previews{preview("preview-0-summary", "Summary", "Explain the diff.")};
        QTest::newRow("a sentence is no title")
            << "Fix the parser.\nThen add tests"
            << Previews{preview("preview-0-prompt-1", englishDefault(1), "Fix the parser.\nThen add tests")};
        QTest::newRow("an ideographic full stop ends a sentence too")
            << "先修复解析器。\n再补测试"
            << Previews{preview("preview-0-prompt-1", englishDefault(1), "先修复解析器。\n再补测试")};
        QTest::newRow("a single line gets the default title")
            << "Just one line\n\n  Review\n    Look at it\n   closely  \n"
            << Previews{preview("preview-0-prompt-1", englishDefault(1), "Just one line"),
                        preview("preview-1-review", "Review", "Look at it\nclosely")};
        QTest::newRow("sixty characters make a title")
            << QString(60, u'a') + "\nbody"
            << Previews{preview("preview-0-" + QString(60, u'a'), QString(60, u'a'), "body")};
        QTest::newRow("sixty-one do not")
            << QString(61, u'a') + "\nbody"
            << Previews{preview("preview-0-prompt-1", englishDefault(1), QString(61, u'a') + "\nbody")};
        QTest::newRow("sixty characters counted as graphemes")
            << QString::fromUtf8("e\u0301").repeated(60) + "\nbody"
            << Previews{preview("preview-0-" + QString::fromUtf8("e\u0301").repeated(60),
                                QString::fromUtf8("e\u0301").repeated(60), "body")};
        QTest::newRow("headings")
            << "Intro text\n  ## Review\nLook closely.\n  ### Notes\n##x\n\n## Empty\n## Last  \nlast"
            << Previews{preview("preview-0-prompt-1", englishDefault(1), "Intro text"),
                        preview("preview-1-review", "Review", "Look closely.\n  ### Notes\n##x"),
                        preview("preview-3-last", "Last", "last")};
        QTest::newRow("separators") << "one\n---\n  two\n  ---  \n## A\nx\n---\n## B\ny"
                                    << Previews{preview("preview-0-prompt-1", englishDefault(1), "one"),
                                                preview("preview-1-prompt-2", englishDefault(2), "two"),
                                                preview("preview-2-a", "A", "x"), preview("preview-3-b", "B", "y")};
        QTest::newRow("##x alone is no heading") << "##x\nbody" << Previews{preview("preview-0-x", "##x", "body")};
        QTest::newRow("a tab after ## is no heading")
            << "##\tTab\nbody" << Previews{preview("preview-0-tab", "##\tTab", "body")};
        QTest::newRow("CR LF is one line break")
            << "Title\r\nBody line one\r\nBody line two\r\n\r\nSecond\r\nIts body"
            << Previews{preview("preview-0-title", "Title", "Body line one\nBody line two"),
                        preview("preview-1-second", "Second", "Its body")};
        QTest::newRow("CR LF in explicit sections keeps the body's lines")
            << "## A\r\nline 1\r\nline 2" << Previews{preview("preview-0-a", "A", "line 1\nline 2")};
        QTest::newRow("a lone CR still breaks a line")
            << "Title\rBody" << Previews{preview("preview-0-title", "Title", "Body")};
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(Previews, expected);
        QCOMPARE(PromptImportParser::parse(text, AppLanguage::english), expected);
    }

    void defaultTitlesFollowTheLanguage() {
        const Previews previews = PromptImportParser::parse(QStringLiteral("一行"), AppLanguage::zhHans);
        QCOMPARE(previews.size(), 1);
        QCOMPARE(previews.first().title, L10n::string(L10N("prompt.import.default.title"), AppLanguage::zhHans, 1));
        QVERIFY(previews.first().title != englishDefault(1));
    }

    void punctuationTitlesGetARandomSlug() {
        const Previews previews = PromptImportParser::parse(QStringLiteral("!!!\nbody"), AppLanguage::english);
        QCOMPARE(previews.size(), 1);
        const QRegularExpression uuid(
            QStringLiteral("^preview-0-[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
        QVERIFY2(uuid.match(previews.first().id).hasMatch(), qPrintable(previews.first().id));
    }

    void sizeCap() {
        const QString exact = textOfUtf8Size(524'288);
        QCOMPARE(PromptImportParser::parse(exact, AppLanguage::english).size(), 1);
        // Only the trimmed text counts.
        QCOMPARE(
            PromptImportParser::parse(QStringLiteral("\n\n  ") + exact + QStringLiteral(" \n"), AppLanguage::english)
                .size(),
            1);
        QVERIFY(PromptImportParser::parse(exact + u'x', AppLanguage::english).isEmpty());
        // Bytes, not characters: 174,763 three-byte characters are 524,289 bytes.
        const QString wide = QStringLiteral("T\n") + QString(174'762, QChar(0x5de5));
        QCOMPARE(wide.toUtf8().size(), 524'288);
        QCOMPARE(PromptImportParser::parse(wide, AppLanguage::english).size(), 1);
        QVERIFY(PromptImportParser::parse(wide + QChar(0x5de5), AppLanguage::english).isEmpty());
    }

    void sectionCap() {
        Previews previews = PromptImportParser::parse(blocks(250), AppLanguage::english);
        QCOMPARE(previews.size(), 200);
        QCOMPARE(previews.last().id, QStringLiteral("preview-199-block-199"));

        // Empty sections among the first 200 still count towards the cap.
        QString text = QStringLiteral("## Empty 0\n## Empty 1\n");
        for (int i = 2; i < 250; ++i) {
            text += QStringLiteral("## H%1\nbody\n").arg(i);
        }
        previews = PromptImportParser::parse(text, AppLanguage::english);
        QCOMPARE(previews.size(), 198);
        QCOMPARE(previews.first().id, QStringLiteral("preview-2-h2"));
        QCOMPARE(previews.last().id, QStringLiteral("preview-199-h199"));
    }

    void makePrompts() {
        const Previews previews = {preview("preview-0-review", "Review", "Look."),
                                   preview("preview-1-review", "Review", "Again."),
                                   preview("preview-2-x", "!!!", "Odd.")};
        QList<PromptItem> prompts = PromptImportParser::makePrompts(previews, {}, AppLanguage::english);
        QCOMPARE(prompts.size(), 3);
        QCOMPARE(prompts[0].id, QStringLiteral("imported-review"));
        QCOMPARE(prompts[1].id, QStringLiteral("imported-review-2"));
        QVERIFY(prompts[2].id.startsWith(QStringLiteral("imported-")) && prompts[2].id.size() == 9 + 36);
        for (qsizetype i = 0; i < prompts.size(); ++i) {
            const PromptItem& prompt = prompts[i];
            QCOMPARE(prompt.title, previews[i].title);
            QCOMPARE(prompt.text, previews[i].text);
            QCOMPARE(prompt.group, L10n::string(L10N("prompt.import.default.group"), AppLanguage::english));
            QCOMPARE(prompt.tags, QStringList{"import"});
            QVERIFY(!prompt.agent && !prompt.isPinned && !prompt.shortcut);
        }

        prompts = PromptImportParser::makePrompts(previews.first(2), {QStringLiteral("imported-review")},
                                                  AppLanguage::zhHans);
        QCOMPARE(prompts[0].id, QStringLiteral("imported-review-2"));
        QCOMPARE(prompts[1].id, QStringLiteral("imported-review-3"));
        QCOMPARE(prompts[0].group, L10n::string(L10N("prompt.import.default.group"), AppLanguage::zhHans));
        QVERIFY(PromptImportParser::makePrompts({}, {}, AppLanguage::english).isEmpty());
    }

    void parsesOnAWorkerThread() {
        QThreadPool pool;
        const QString text = blocks(3);
        QFuture<Previews> future = PromptImportParser::parseInBackground(text, AppLanguage::english, &pool);
        future.waitForFinished();
        QCOMPARE(future.result(), PromptImportParser::parse(text, AppLanguage::english));
        QCOMPARE(future.result().size(), 3);
    }
};

QTEST_GUILESS_MAIN(PromptImportParserTest)
#include "tst_promptimportparser.moc"
