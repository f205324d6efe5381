#include "PromptRoundTrip.h"
#include "TestEnvironment.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptYAMLEncoder.h"

#include <QTest>

namespace {

PromptItem prompt(const QString& id, const QString& title, const QString& text) {
    PromptItem item;
    item.id = id;
    item.title = title;
    item.group = QStringLiteral("General");
    item.text = text;
    return item;
}

PromptWorkspace workspace(const QString& name, const QList<PromptItem>& prompts, const QStringList& paths = {}) {
    PromptWorkspace result;
    result.id = QStringLiteral("w");
    result.name = name;
    result.matchPaths = paths;
    result.prompts = prompts;
    return result;
}

} // namespace

class YamlWriterTest : public QObject {
    Q_OBJECT

private slots:
    void exactWorkspaceText() {
        PromptItem first = prompt("a", "Say \"hi\"", "line one\n\nline three");
        first.agent = AgentType::codex;
        first.isPinned = true;
        first.shortcut = PromptKeyboardShortcut{18, ModifierFlags::command | ModifierFlags::shift};
        first.tags = {"x", "y \\ z"};
        const PromptItem second = prompt("b", "B", "");
        const QString text = PromptYAMLEncoder::encodeWorkspace(
            workspace("Web \\ App", {first, second}, {"/src/web", "/src/a#b"}), true);
        QCOMPARE(text, QStringLiteral("workspace:\n"
                                      "  name: \"Web \\\\ App\"\n"
                                      "  match_paths:\n"
                                      "    - \"/src/web\"\n"
                                      "    - \"/src/a#b\"\n"
                                      "\n"
                                      "prompts:\n"
                                      "  - id: \"a\"\n"
                                      "    title: \"Say \\\"hi\\\"\"\n"
                                      "    group: \"General\"\n"
                                      "    agent: \"codex\"\n"
                                      "    pinned: true\n"
                                      "    shortcut: \"18:1179648\"\n"
                                      "    tags:\n"
                                      "      - \"x\"\n"
                                      "      - \"y \\\\ z\"\n"
                                      "    text: |\n"
                                      "      line one\n"
                                      "      \n"
                                      "      line three\n"
                                      "\n"
                                      "  - id: \"b\"\n"
                                      "    title: \"B\"\n"
                                      "    group: \"General\"\n"
                                      "    agent: \"any\"\n"
                                      "    text: |\n"
                                      "      \n"
                                      "\n"));
        QVERIFY(PromptConfigLoader::hasValidConfigStructure(text));
    }

    void matchPathsLeftOut() {
        const PromptWorkspace withPaths = workspace("W", {}, {"/a"});
        QCOMPARE(PromptYAMLEncoder::encodeWorkspace(withPaths, false),
                 QStringLiteral("workspace:\n  name: \"W\"\n  match_paths: []\n\nprompts:\n"));
        QCOMPARE(PromptYAMLEncoder::encodeWorkspace(workspace("W", {}), true),
                 QStringLiteral("workspace:\n  name: \"W\"\n  match_paths: []\n\nprompts:\n"));
    }

    void packText() {
        const PromptPackMetadata metadata{"team-pack", "Team \"Pack\"", "", "1.0.0", "Me\tYou"};
        const QString text =
            PromptYAMLEncoder::encodePack(workspace("Team", {prompt("a", "A", "x")}, {"/never"}), metadata);
        QCOMPARE(text, QStringLiteral("pack:\n"
                                      "  id: \"team-pack\"\n"
                                      "  name: \"Team \\\"Pack\\\"\"\n"
                                      "  description: \"\"\n"
                                      "  version: \"1.0.0\"\n"
                                      "  author: \"Me You\"\n"
                                      "workspace:\n"
                                      "  name: \"Team\"\n"
                                      "  match_paths: []\n"
                                      "\n"
                                      "prompts:\n"
                                      "  - id: \"a\"\n"
                                      "    title: \"A\"\n"
                                      "    group: \"General\"\n"
                                      "    agent: \"any\"\n"
                                      "    text: |\n"
                                      "      x\n"
                                      "\n"));
        QVERIFY(PromptConfigLoader::hasValidConfigStructure(text));
        TestEnvironment env;
        PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
        const PromptWorkspace read = loader.parseWorkspace(text, "team", "fallback");
        QCOMPARE(read.name, QStringLiteral("Team"));
        QVERIFY(read.matchPaths.isEmpty());
        QCOMPARE(read.prompts, QList{prompt("a", "A", "x")});
    }

    void roundTrip_data() {
        QTest::addColumn<PromptWorkspace>("original");

        PromptItem everything = prompt("id-1", "Title", "Body");
        everything.agent = AgentType::jetbrains;
        everything.isPinned = true;
        everything.shortcut = PromptKeyboardShortcut{0, ModifierFlags::control | ModifierFlags::option};
        everything.tags = {"one", "", "t, with comma", "[x]"};
        QTest::newRow("every field") << workspace("All", {everything}, {"/p/a", "./rel"});

        QTest::newRow("quotes and backslashes")
            << workspace("\"W\" \\ 'x'", {prompt("\"q\"", "a \\\" b \\\\", "text \"q\" \\n \\")}, {"C:\\p\\\""});
        QTest::newRow("hash and colons") << workspace("W # 1", {prompt("a:b", "x # y", "# heading\nkey: value # c")},
                                                      {"/a#b"});
        QTest::newRow("non-ASCII") << workspace("工作区 ☕", {prompt("日本", "Ünïcødé 😀", "中文\n😀 é")}, {"/home/ü"});
        QTest::newRow("empty texts and values") << workspace("", {prompt("", "", ""), prompt("b", "B", "")}, {""});
        QTest::newRow("multi-line text with blanks and indentation")
            << workspace("W", {prompt("a", "A", "first\n\n  indented\n\tTabbed\n   \nlast  ")});
        QTest::newRow("text mentioning the file's keys")
            << workspace("W",
                         {prompt("a", "A",
                                 "prompts:\n  - id: fake\nworkspace:\n  name: Fake\nmatch_paths:\n- /fake\n"
                                 "    text: |\n  -x")},
                         {"/real"});
        QTest::newRow("tabs and line breaks in single-line values")
            << workspace("Two\nLines", {prompt("i\td", "Tab\there", "x")}, {"/a\tb", "/c\r\nd"});
        PromptItem grouped = prompt("g", "G", "x");
        grouped.group = "Group\u2028Two";
        grouped.tags = {"a\tb"};
        QTest::newRow("separators in group and tag") << workspace("W", {grouped});
        PromptItem claude = prompt("c", "C", "x");
        claude.agent = AgentType::claudeCode;
        QTest::newRow("claude-code reads as terminal") << workspace("W", {claude});
        QList<PromptItem> many;
        for (int i = 0; i < 30; ++i) {
            PromptItem item = prompt(QString::number(i), QStringLiteral("T%1").arg(i), QStringLiteral("t\n%1").arg(i));
            item.isPinned = i % 3 == 0;
            item.tags = i % 2 ? QStringList{"odd"} : QStringList{};
            many.append(item);
        }
        QTest::newRow("many prompts") << workspace("Many", many);
    }
    void roundTrip() {
        QFETCH(PromptWorkspace, original);
        const QString text = PromptYAMLEncoder::encodeWorkspace(original, true);
        QVERIFY2(PromptConfigLoader::hasValidConfigStructure(text), qPrintable(text));

        TestEnvironment env;
        PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
        const PromptWorkspace read = loader.parseWorkspace(text, original.id, QStringLiteral("fallback"));
        const PromptWorkspace expected = asReadBack(original);
        QCOMPARE(read.name, expected.name);
        QCOMPARE(read.matchPaths, expected.matchPaths);
        QCOMPARE(read.prompts.size(), expected.prompts.size());
        for (qsizetype i = 0; i < read.prompts.size(); ++i) {
            QCOMPARE(read.prompts[i], expected.prompts[i]);
        }
        QVERIFY(loader.warnings().isEmpty());
        // Writing what was read gives the same bytes.
        QCOMPARE(PromptYAMLEncoder::encodeWorkspace(read, true), PromptYAMLEncoder::encodeWorkspace(expected, true));
    }

    void lossesOfTheTextBlock() {
        // Outer empty lines of a text are not kept, and carriage returns become line feeds.
        const QString text =
            PromptYAMLEncoder::encodeWorkspace(workspace("W", {prompt("a", "A", "\n\nx\r\ny\r\n")}), true);
        TestEnvironment env;
        PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
        QCOMPARE(loader.parseWorkspace(text, "w", "w").prompts.value(0).text, QStringLiteral("x\n\ny"));
    }
};

QTEST_GUILESS_MAIN(YamlWriterTest)
#include "tst_yamlwriter.moc"
