#include "model/AgentContext.h"
#include "model/AgentType.h"

#include <QSet>
#include <QTest>

class AgentTypeTest : public QObject {
    Q_OBJECT

private slots:
    // Raw values are stored in prompt and binding files; the whole table is pinned here.
    void everyCase_data() {
        QTest::addColumn<AgentType>("type");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("bundle"); // null for none
        const struct {
            AgentType type;
            const char *raw, *display, *appName, *bundle;
        } rows[] = {
            {AgentType::antigravity, "antigravity", "Antigravity", "Antigravity", "com.google.antigravity"},
            {AgentType::antigravityIDE, "antigravity-ide", "Antigravity IDE", "Antigravity IDE",
             "com.google.antigravity-ide"},
            {AgentType::codex, "codex", "ChatGPT", "ChatGPT", "com.openai.codex"},
            {AgentType::claudeDesktop, "claude-desktop", "Claude Desktop", "Claude", "com.anthropic.claudefordesktop"},
            {AgentType::claudeCode, "claude-code", "Claude Code", "Terminal", nullptr},
            {AgentType::cursor, "cursor", "Cursor", "Cursor", nullptr},
            {AgentType::vscode, "vscode", "VS Code", "Visual Studio Code", "com.microsoft.VSCode"},
            {AgentType::ghostty, "ghostty", "Ghostty", "Ghostty", nullptr},
            {AgentType::terminal, "terminal", "Terminal", "Terminal", "com.apple.Terminal"},
            {AgentType::hermes, "hermes", "Hermes", "Hermes", "com.nousresearch.hermes"},
            {AgentType::windsurf, "windsurf", "Devin / Windsurf", "Devin", "com.exafunction.windsurf"},
            {AgentType::trae, "trae", "Trae", "Trae", nullptr},
            {AgentType::zed, "zed", "Zed", "Zed", "dev.zed.Zed"},
            {AgentType::jetbrains, "jetbrains", "JetBrains", "IntelliJ IDEA", "com.jetbrains.intellij"},
            {AgentType::kiro, "kiro", "Kiro", "Kiro", nullptr},
            {AgentType::kimi, "kimi", "Kimi", "Kimi", "com.moonshot.kimichat"},
            {AgentType::openCode, "opencode", "OpenCode", "OpenCode", "ai.opencode.desktop"},
            {AgentType::zcode, "zcode", "ZCode", "ZCode", "dev.zcode.app"},
            {AgentType::chrome, "chrome", "Chrome", "Google Chrome", "com.google.Chrome"},
            {AgentType::arc, "arc", "Arc", "Arc", "company.thebrowser.Browser"},
            {AgentType::safari, "safari", "Safari", "Safari", "com.apple.Safari"},
            {AgentType::edge, "edge", "Microsoft Edge", "Microsoft Edge", "com.microsoft.edgemac"},
            {AgentType::firefox, "firefox", "Firefox", "Firefox", "org.mozilla.firefox"},
            {AgentType::brave, "brave", "Brave", "Brave Browser", "com.brave.Browser"},
            {AgentType::unknown, "unknown", "Unknown", "Unknown", nullptr},
        };
        QList<AgentType> declared;
        for (const auto& row : rows) {
            declared.append(row.type);
            QTest::newRow(row.raw) << row.type << row.raw << row.display << row.appName
                                   << (row.bundle ? QString::fromLatin1(row.bundle) : QString());
        }
        QCOMPARE(AgentTypes::allCases(), declared);
    }
    void everyCase() {
        QFETCH(AgentType, type);
        QFETCH(QString, raw);
        QFETCH(QString, display);
        QFETCH(QString, appName);
        QFETCH(QString, bundle);
        QCOMPARE(AgentTypes::rawValue(type), raw);
        QCOMPARE(AgentTypes::fromRawValue(raw), std::optional(type));
        QCOMPARE(AgentTypes::displayName(type, AppLanguage::english), display);
        QCOMPARE(AgentTypes::displayName(type, AppLanguage::zhHans), display);
        QCOMPARE(AgentTypes::defaultAppName(type), appName);
        QCOMPARE(AgentTypes::defaultBundleIdentifier(type).value_or(QString()), bundle);
        QCOMPARE(AgentTypes::defaultBundleIdentifier(type).has_value(), !bundle.isNull());
    }

    void rawValuesAreExact() {
        QCOMPARE(AgentTypes::fromRawValue("claude-code"), std::optional(AgentType::claudeCode));
        for (const char* raw : {"claudeCode", "Claude-Code", "VSCode", " vscode", "antigravityIDE", "openCode", ""}) {
            QVERIFY2(!AgentTypes::fromRawValue(QString::fromLatin1(raw)).has_value(), raw);
        }
    }

    void lists() {
        using A = AgentType;
        QCOMPARE(AgentTypes::browserCases(), (QList<A>{A::arc, A::brave, A::chrome, A::firefox, A::edge, A::safari}));
        QCOMPARE(AgentTypes::nativeAgentCases(),
                 (QList<A>{A::antigravity, A::antigravityIDE, A::codex, A::claudeDesktop, A::cursor, A::windsurf,
                           A::ghostty, A::hermes, A::jetbrains, A::kimi, A::kiro, A::openCode, A::terminal, A::trae,
                           A::vscode, A::zcode, A::zed}));
        for (AgentType type : AgentTypes::allCases()) {
            QCOMPARE(AgentTypes::isBrowser(type), AgentTypes::browserCases().contains(type));
        }
    }

    void detectionSources() {
        using S = ContextDetectionSource;
        const QList<S> expected = {S::manualBinding, S::projectConfig, S::terminalDirectory,
                                   S::ideWorkspace,  S::environment,   S::windowTitle,
                                   S::unknown};
        const QStringList raws = {"manualBinding", "projectConfig", "terminalDirectory", "ideWorkspace", "environment",
                                  "windowTitle",   "unknown"};
        QCOMPARE(ContextDetectionSources::allCases(), expected);
        QSet<QString> englishNames;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(ContextDetectionSources::rawValue(expected[i]), raws[i]);
            QCOMPARE(ContextDetectionSources::fromRawValue(raws[i]), std::optional(expected[i]));
            const QString english = ContextDetectionSources::displayName(expected[i], AppLanguage::english);
            const QString chinese = ContextDetectionSources::displayName(expected[i], AppLanguage::zhHans);
            QVERIFY(!english.startsWith(QLatin1String("source."))); // a catalog text, not the key
            QVERIFY(english != chinese);
            englishNames.insert(english);
        }
        QCOMPARE(englishNames.size(), expected.size());
        QVERIFY(!ContextDetectionSources::fromRawValue("ManualBinding").has_value());
    }
};

QTEST_GUILESS_MAIN(AgentTypeTest)
#include "tst_agenttype.moc"
