#include "TestEnvironment.h"

#include "config/PromptConfigLoader.h"

#include <QTest>
#include <QUuid>

namespace {

PromptItem item(const QString& id, const QString& title, const QString& text, const QStringList& tags = {},
                std::optional<AgentType> agent = std::nullopt, const QString& group = QStringLiteral("Common")) {
    PromptItem prompt;
    prompt.id = id;
    prompt.title = title;
    prompt.group = group;
    prompt.agent = agent;
    prompt.text = text;
    prompt.tags = tags;
    return prompt;
}

PromptConfigLoader englishLoader(const TestEnvironment& env) {
    return PromptConfigLoader(env.environment(), [] { return AppLanguage::english; });
}

} // namespace

class YamlReaderTest : public QObject {
    Q_OBJECT

private slots:
    void structure_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");

        const QString item = QStringLiteral("prompts:\n  - id: a\n");
        QTest::newRow("empty file") << "" << false;
        QTest::newRow("only comments") << "# notes\n   # more\n" << false;
        QTest::newRow("empty prompt list") << "prompts: []" << true;
        QTest::newRow("no section key") << "foo: bar\n" << false;
        QTest::newRow("top-level line without a field") << "prompts:\njust words\n" << false;
        QTest::newRow("workspace and prompts")
            << "workspace:\n  name: Web\n  match_paths:\n    - /src/web\n    - '/src/b'\nprompts:\n  - id: a\n"
               "    title: A\n"
            << true;
        QTest::newRow("workspace {}") << "workspace: {}\nprompts: []\n" << true;
        QTest::newRow("workspace with a value") << "workspace: x\n" << false;
        QTest::newRow("prompts with a value") << "prompts: x\n" << false;
        QTest::newRow("workspace key indented by 4") << "workspace:\n    name: x\n" << false;
        QTest::newRow("workspace comment") << "workspace: # the web app\n  name: Web\n" << true;
        QTest::newRow("match path in brackets") << "workspace:\n  match_paths:\n    - [x]\n" << false;
        QTest::newRow("match_paths with a value") << "workspace:\n  match_paths: /x\n" << false;
        QTest::newRow("other workspace keys") << "workspace:\n  color: [red]\n" << true;
        QTest::newRow("other top-level key with anything below") << "pack:\n  id: x\n  weird: [ ]\nprompts: []\n"
                                                                 << true;
        QTest::newRow("comment after plain title") << item + "    title: Hello # note\n" << true;
        QTest::newRow("hash inside double quotes") << item + "    title: \"Hello # note\"\n" << true;
        QTest::newRow("doubled single quote") << item + "    title: 'it''s'\n" << true;
        QTest::newRow("lone single quote") << item + "    title: 'it's'\n" << false;
        QTest::newRow("escaped double quote") << item + "    title: \"a\\\"b\"\n" << true;
        QTest::newRow("unescaped double quote") << item + "    title: \"a\"b\"\n" << false;
        QTest::newRow("lone trailing backslash") << item + "    title: \"a\\\"\n" << false;
        QTest::newRow("null") << item + "    title: null\n" << false;
        QTest::newRow("Null") << item + "    title: NuLL\n" << false;
        QTest::newRow("tilde") << item + "    group: ~\n" << false;
        QTest::newRow("null inside a value") << item + "    title: null island\n" << true;
        QTest::newRow("quoted null") << item + "    title: \"null\"\n" << true;
        QTest::newRow("empty scalar") << item + "    title:\n" << false;
        QTest::newRow("brace in a plain value") << item + "    title: a{b\n" << false;
        QTest::newRow("inline tags in brackets") << item + "    tags: [a, b]\n" << false;
        QTest::newRow("inline tags") << item + "    tags: a, b\n" << true;
        QTest::newRow("empty tag list") << item + "    tags: []\n" << true;
        QTest::newRow("dash tags") << item + "    tags:\n      - a\n      - \"b\"\n" << true;
        QTest::newRow("dash tag in brackets") << item + "    tags:\n      - [a]\n" << false;
        QTest::newRow("tab in a key line") << item + "    title:\tA\n" << false;
        QTest::newRow("tab in a comment") << item + "    title: A # a\tb\n" << false;
        QTest::newRow("tab in text") << item + "    text: |\n      a\tb\n\t\n" << false;
        QTest::newRow("tab in indented text") << item + "    text: |\n      a\tb\n      \t\n" << true;
        QTest::newRow("anything in text") << item + "    text: |\n      [x] {y} null # z\n      prompts:\n" << true;
        QTest::newRow("folded text") << item + "    text: >\n      a\tb\n" << true;
        QTest::newRow("text that is not a block") << item + "    text: hi\n      more\n" << false;
        QTest::newRow("text block ends at indent 4") << item + "    text: |\n      a\n    title: x\n" << true;
        QTest::newRow("first key not a prompt key") << "prompts:\n  - name: x\n" << false;
        QTest::newRow("unknown key at indent 4") << item + "    color: [red]\n" << true;
        QTest::newRow("item line without dash") << "prompts:\n  id: a\n" << false;
        QTest::newRow("indent 4 before any item") << "prompts:\n    title: x\n" << false;
        QTest::newRow("indent 3") << item + "   title: x\n" << false;
        QTest::newRow("indent 5") << item + "     title: x\n" << false;
        QTest::newRow("indent 6 outside a list") << item + "      title: x\n" << false;
        QTest::newRow("CR LF") << "prompts:\r\n  - id: a\r\n    text: |\r\n      x\r\n" << true;
    }
    void structure() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(PromptConfigLoader::hasValidConfigStructure(text), valid);
    }

    void cleaning_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("clean");
        QTest::newRow("plain trimmed") << "  plain value \t"
                                       << "plain value";
        QTest::newRow("escaped quote") << "\"say \\\"hi\\\"\""
                                       << "say \"hi\"";
        QTest::newRow("doubled backslash") << "\"C:\\\\dir\""
                                           << "C:\\dir";
        QTest::newRow("backslash n stays") << "\"a\\nb\""
                                           << "a\\nb";
        QTest::newRow("escaped backslash before quote") << "\"\\\\\\\"\""
                                                        << "\\\"";
        QTest::newRow("single quotes") << "'it''s'"
                                       << "it's";
        QTest::newRow("single quotes keep backslash") << "'a\\\"b'"
                                                      << "a\\\"b";
        QTest::newRow("blanks inside quotes kept") << "\" x \""
                                                   << " x ";
        QTest::newRow("empty quotes") << "\"\""
                                      << "";
        QTest::newRow("lone quote") << "\""
                                    << "\"";
        QTest::newRow("unbalanced") << "\"x'"
                                    << "\"x'";
        QTest::newRow("comment kept") << "Hello # note"
                                      << "Hello # note";
    }
    void cleaning() {
        QFETCH(QString, raw);
        QFETCH(QString, clean);
        QCOMPARE(PromptConfigLoader::cleanScalar(raw), clean);
    }

    void workspaceName_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<QString>>("name");
        QTest::newRow("plain") << "workspace:\n  name: Web App\n" << std::optional<QString>("Web App");
        QTest::newRow("quoted with hash") << "workspace:\n  name: \"Web # 2\"\n" << std::optional<QString>("Web # 2");
        QTest::newRow("after other keys and blanks") << "workspace:\n  match_paths: []\n\n  name: 'W'\n"
                                                     << std::optional<QString>("W");
        QTest::newRow("comment on the workspace line") << "workspace: # main\n  name: Web\n"
                                                       << std::optional<QString>();
        QTest::newRow("block left") << "workspace:\nprompts:\n  name: X\n" << std::optional<QString>();
        QTest::newRow("block reopened") << "workspace:\nother: 1\nworkspace:\n  name: Y\n"
                                        << std::optional<QString>("Y");
        QTest::newRow("first name wins") << "workspace:\n  name: A\n  name: B\n" << std::optional<QString>("A");
        QTest::newRow("text lines are not keys")
            << "prompts:\n  - id: a\n    text: |\n      workspace:\n        name: X\nworkspace:\n  match_paths: []\n"
            << std::optional<QString>();
    }
    void workspaceName() {
        QFETCH(QString, text);
        QFETCH(std::optional<QString>, name);
        TestEnvironment env;
        QCOMPARE(englishLoader(env).parseWorkspaceName(text), name);
    }

    void matchPaths_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("list") << "workspace:\n  match_paths:\n    - /src/web\n    - \"/src/a b\"\n    -   '/x'  \n"
                              << QStringList{"/src/web", "/src/a b", "/x"};
        QTest::newRow("empty list") << "workspace:\n  match_paths: []\n    - /no\n" << QStringList{};
        QTest::newRow("blank lines keep it open") << "match_paths:\n\n- /a\n\n  other\n- /b\nprompts:\n- /c\n"
                                                  << QStringList{"/a", "/b"};
        QTest::newRow("every list") << "workspace:\n  match_paths:\n    - /a\nx: 1\n  match_paths:\n    - /b\n"
                                    << QStringList{"/a", "/b"};
        QTest::newRow("text lines do not add paths")
            << "workspace:\n  match_paths:\n    - /a\nprompts:\n  - id: a\n    text: |\n      match_paths:\n"
               "      - /not-a-path\n"
            << QStringList{"/a"};
    }
    void matchPaths() {
        QFETCH(QString, text);
        QFETCH(QStringList, paths);
        TestEnvironment env;
        QCOMPARE(englishLoader(env).parseMatchPaths(text), paths);
    }

    void prompts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<PromptItem>>("expected");

        QTest::newRow("defaults") << "prompts:\n  - id: a\n" << QList{item("a", "Untitled Prompt", "Untitled Prompt")};
        QTest::newRow("lines before prompts are ignored") << "workspace:\n  - id: x\n  title: y\nprompts: []\n"
                                                          << QList<PromptItem>{};
        QTest::newRow("comment stays in a plain title") << "prompts:\n  - id: a\n    title: Hello # note\n"
                                                        << QList{item("a", "Hello # note", "Hello # note")};
        QTest::newRow("hash in a quoted title") << "prompts:\n  - id: a\n    title: \"Hello # note\"\n"
                                                << QList{item("a", "Hello # note", "Hello # note")};
        QTest::newRow("escapes") << "prompts:\n  - id: a\n    title: \"say \\\"hi\\\" C:\\\\d \\n\"\n    text: x\n"
                                 << QList{item("a", "say \"hi\" C:\\d \\n", "x")};
        QTest::newRow("tags in three forms")
            << "prompts:\n  - id: a\n    tags:\n      - one\n      - \"two, 2\"\n    text: x\n"
               "  - id: b\n    tags: []\n    text: x\n"
               "  - id: c\n    tags: p, q ,, r\n    text: x\n"
               "  - id: d\n    tags: \"p, q\"\n    text: x\n"
            << QList{item("a", "Untitled Prompt", "x", {"one", "two, 2"}), item("b", "Untitled Prompt", "x"),
                     item("c", "Untitled Prompt", "x", {"p", "q", "r"}), item("d", "Untitled Prompt", "x", {"p", "q"})};
        QTest::newRow("dash tags as last key")
            << "prompts:\n  - id: a\n    tags:\n      - t\n  - id: b\n    text: y\n"
            << QList{item("a", "Untitled Prompt", "Untitled Prompt", {"t"}), item("b", "Untitled Prompt", "y")};
        QTest::newRow("only tags gives nothing and leaks nothing")
            << "prompts:\n  - tags:\n      - lost\n  - id: b\n"
            << QList{item("b", "Untitled Prompt", "Untitled Prompt")};
        QTest::newRow("text block trimmed of outer blank lines")
            << "prompts:\n  - id: a\n    text: |\n\n      first\n\n        indented\n      last  \n\n\n"
            << QList{item("a", "Untitled Prompt", "first\n\n  indented\nlast  ")};
        QTest::newRow("block ends at the next item")
            << "prompts:\n  - id: a\n    text: |\n      one\n  - id: b\n    text: two\n"
            << QList{item("a", "Untitled Prompt", "one"), item("b", "Untitled Prompt", "two")};
        QTest::newRow("keys after the block are text")
            << "prompts:\n  - id: a\n    text: |\n      one\n    title: T\nother: x\n"
            << QList{item("a", "Untitled Prompt", "one\n    title: T\nother: x")};
        QTest::newRow("a text line reading prompts: stays")
            << "prompts:\n  - id: a\n    text: |\n      Config keys:\n      prompts:\n        - id\n"
            << QList{item("a", "Untitled Prompt", "Config keys:\nprompts:\n  - id")};
        QTest::newRow("an unindented prompts: line is not text")
            << "prompts:\n  - id: a\n    text: |\n      one\nprompts:\n      two\n"
            << QList{item("a", "Untitled Prompt", "one\ntwo")};
        QTest::newRow("tab in text") << "prompts:\n  - id: a\n    text: |\n      a\tb\n"
                                     << QList{item("a", "Untitled Prompt", "a\tb")};
        QTest::newRow("CR LF gains empty lines") << "prompts:\r\n  - id: a\r\n    text: |\r\n      one\r\n      two\r\n"
                                                 << QList{item("a", "Untitled Prompt", "one\n\ntwo")};
        QTest::newRow("folded block")
            << "prompts:\n  - id: a\n    text: >\n      one\n      two\n\n      three\n        kept\n      four\n"
            << QList{item("a", "Untitled Prompt", "one two\nthree\n  kept\nfour")};
        QTest::newRow("later key replaces") << "prompts:\n  - id: a\n    title: A\n    title: B\n"
                                            << QList{item("a", "B", "B")};
        QTest::newRow("group and agent")
            << "prompts:\n  - id: a\n    group: Review\n    agent: Claude_Code\n    text: x\n"
               "  - id: b\n    agent: ANY\n    text: x\n"
            << QList{item("a", "Untitled Prompt", "x", {}, AgentType::terminal, "Review"),
                     item("b", "Untitled Prompt", "x")};
    }
    void prompts() {
        QFETCH(QString, text);
        QFETCH(QList<PromptItem>, expected);
        TestEnvironment env;
        PromptConfigLoader loader = englishLoader(env);
        QCOMPARE(loader.parsePrompts(text), expected);
        QVERIFY(loader.warnings().isEmpty());
    }

    void pinnedAndShortcut() {
        TestEnvironment env;
        PromptConfigLoader loader = englishLoader(env);
        const QList<PromptItem> items = loader.parsePrompts("prompts:\n"
                                                            "  - id: a\n    pinned: yes\n    shortcut: \"18:1048576\"\n"
                                                            "  - id: b\n    pinned: TRUE\n    shortcut: 18\n"
                                                            "  - id: c\n    pinned: 1\n    shortcut: \"x:y\"\n"
                                                            "  - id: d\n    pinned: no\n");
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[0].isPinned, true);
        QCOMPARE(items[0].shortcut, std::optional(PromptKeyboardShortcut{18, ModifierFlags::command}));
        QCOMPARE(items[1].isPinned, true);
        QVERIFY(!items[1].shortcut);
        QCOMPARE(items[2].isPinned, true);
        QVERIFY(!items[2].shortcut);
        QCOMPARE(items[3].isPinned, false);
    }

    void missingIdGetsUuid() {
        TestEnvironment env;
        PromptConfigLoader loader = englishLoader(env);
        const QList<PromptItem> items = loader.parsePrompts("prompts:\n  - title: A\n  - title: B\n");
        QCOMPARE(items.size(), 2);
        for (const PromptItem& prompt : items) {
            QCOMPARE(prompt.id.size(), 36);
            QCOMPARE(prompt.id, prompt.id.toUpper());
            QVERIFY(!QUuid::fromString(prompt.id).isNull());
        }
        QVERIFY(items[0].id != items[1].id);
    }

    void invalidAgentDropsItemWithWarning() {
        TestEnvironment env;
        PromptConfigLoader loader = englishLoader(env);
        const QList<PromptItem> items =
            loader.parsePrompts("prompts:\n  - id: a\n    title: Kept\n  - id: b\n    title: Lost\n    agent: banana\n"
                                "  - id: c\n    agent: unknown\n  - id: d\n");
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].id, QStringLiteral("a"));
        QCOMPARE(items[1].id, QStringLiteral("d"));
        QCOMPARE(items[1].title, QStringLiteral("Untitled Prompt")); // nothing of the dropped item carries over
        QCOMPARE(loader.warnings().size(), 2);
        QVERIFY(loader.warnings()[0].contains(QLatin1String("banana")));
    }

    void chineseDefaults() {
        TestEnvironment env;
        PromptConfigLoader loader(env.environment()); // no provider: Simplified Chinese
        const QList<PromptItem> items = loader.parsePrompts("prompts:\n  - id: a\n");
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0].title, QStringLiteral("未命名提示词"));
        QCOMPARE(items[0].group, QStringLiteral("常用"));
    }

    void agentAliases_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<std::optional<AgentType>>("agent");
        const QList<std::pair<AgentType, QStringList>> table = {
            {AgentType::antigravity, {"antigravity"}},
            {AgentType::antigravityIDE, {"antigravity-ide", "antigravity ide"}},
            {AgentType::codex, {"codex"}},
            {AgentType::claudeDesktop, {"claude", "claude-desktop", "claude desktop"}},
            {AgentType::terminal, {"claude-code", "claude code", "terminal", "term", "shell"}},
            {AgentType::cursor, {"cursor"}},
            {AgentType::vscode, {"vscode", "vs-code", "vs code", "visual-studio-code", "visual studio code", "code"}},
            {AgentType::ghostty, {"ghostty"}},
            {AgentType::hermes, {"hermes", "hermes-desktop", "hermes desktop"}},
            {AgentType::windsurf, {"windsurf", "devin", "devin-desktop", "devin desktop"}},
            {AgentType::trae, {"trae", "trae-ide", "trae ide"}},
            {AgentType::zed, {"zed"}},
            {AgentType::jetbrains,
             {"jetbrains", "intellij-idea", "intellij idea", "pycharm", "webstorm", "goland", "clion", "phpstorm",
              "rubymine", "datagrip", "rider"}},
            {AgentType::kiro, {"kiro"}},
            {AgentType::kimi, {"kimi", "kimi-desktop", "kimi desktop"}},
            {AgentType::openCode, {"opencode", "open-code", "open code", "opencode-desktop", "opencode desktop"}},
            {AgentType::zcode, {"zcode", "z-code", "z code"}},
            {AgentType::chrome, {"chrome", "google-chrome", "google chrome"}},
            {AgentType::arc, {"arc"}},
            {AgentType::safari, {"safari"}},
            {AgentType::edge, {"edge", "microsoft-edge", "microsoft edge"}},
            {AgentType::firefox, {"firefox"}},
            {AgentType::brave, {"brave", "brave-browser", "brave browser"}},
        };
        for (const auto& [type, aliases] : table) {
            for (const QString& alias : aliases) {
                QTest::addRow("%s", qPrintable(alias)) << alias << std::optional<AgentType>(type);
            }
        }
        QTest::newRow("capitals and underscore") << " Claude_Code \n" << std::optional<AgentType>(AgentType::terminal);
        QTest::newRow("JetBrains capitals") << "PyCharm" << std::optional<AgentType>(AgentType::jetbrains);
        QTest::newRow("unknown") << "unknown" << std::optional<AgentType>();
        QTest::newRow("raw claude-code is never the agent")
            << "claude-code" << std::optional<AgentType>(AgentType::terminal);
        QTest::newRow("two blanks") << "vs  code" << std::optional<AgentType>();
        QTest::newRow("any is not an alias") << "any" << std::optional<AgentType>();
    }
    void agentAliases() {
        QFETCH(QString, raw);
        QFETCH(std::optional<AgentType>, agent);
        QCOMPARE(PromptConfigLoader::parseAgent(raw), agent);
    }

    void everyAgentWords() {
        TestEnvironment env;
        PromptConfigLoader loader = englishLoader(env);
        const QList<PromptItem> items = loader.parsePrompts(
            "prompts:\n  - id: a\n    agent: ANY\n  - id: b\n    agent: \" all \"\n  - id: c\n    agent: '*'\n"
            "  - id: d\n    agent: \"\"\n");
        QCOMPARE(items.size(), 4);
        for (const PromptItem& prompt : items) {
            QVERIFY(!prompt.agent);
        }
        QVERIFY(loader.warnings().isEmpty());
    }
};

QTEST_GUILESS_MAIN(YamlReaderTest)
#include "tst_yamlreader.moc"
