#include "model/AgentType.h"

#include "model/TerminalContextDetector.h"
#include "model/TextPrimitives.h"

#include <QHash>
#include <QSet>

namespace AgentTypes {

namespace {

struct AgentInfo {
    AgentType type;
    const char* rawValue;
    const char* displayName;
    const char* defaultAppName;
    const char* defaultBundleIdentifier; // nullptr for none
};

constexpr AgentInfo infoTable[] = {
    {AgentType::antigravity, "antigravity", "Antigravity", "Antigravity", "com.google.antigravity"},
    {AgentType::antigravityIDE, "antigravity-ide", "Antigravity IDE", "Antigravity IDE", "com.google.antigravity-ide"},
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

const AgentInfo& info(AgentType type) {
    return infoTable[static_cast<int>(type)];
}

using Table = QHash<QString, AgentType>;

Table makeTable(std::initializer_list<std::pair<AgentType, std::initializer_list<const char*>>> rows) {
    Table table;
    for (const auto& [type, texts] : rows) {
        for (const char* text : texts) {
            table.insert(QString::fromUtf8(text), type);
        }
    }
    return table;
}

std::optional<AgentType> lookup(const Table& table, const QString& key) {
    const auto found = table.constFind(key);
    if (found == table.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

std::optional<AgentType> browserTypeForBundleIdentifier(const QString& b) {
    static const Table table = makeTable({
        {AgentType::chrome,
         {"com.google.chrome", "com.google.chrome.beta", "com.google.chrome.dev", "com.google.chrome.canary"}},
        {AgentType::arc, {"company.thebrowser.browser"}},
        {AgentType::safari, {"com.apple.safari", "com.apple.safaritechnologypreview"}},
        {AgentType::edge,
         {"com.microsoft.edgemac", "com.microsoft.edgemac.beta", "com.microsoft.edgemac.dev",
          "com.microsoft.edgemac.canary"}},
        {AgentType::firefox, {"org.mozilla.firefox", "org.mozilla.firefoxdeveloperedition", "org.mozilla.nightly"}},
        {AgentType::brave,
         {"com.brave.browser", "com.brave.browser.beta", "com.brave.browser.dev", "com.brave.browser.nightly"}},
    });
    return lookup(table, b);
}

std::optional<AgentType> agentForBundleIdentifier(const QString& b) {
    static const Table exact = makeTable({
        {AgentType::vscode, {"com.microsoft.vscode"}},
        {AgentType::antigravity, {"com.google.antigravity"}},
        {AgentType::antigravityIDE, {"com.google.antigravity-ide"}},
        {AgentType::cursor, {"com.cursorlabs.cursor", "com.todesktop.230313mzl4w4u92"}},
        {AgentType::ghostty, {"com.mitchellh.ghostty"}},
        {AgentType::terminal, {"com.apple.terminal", "com.googlecode.iterm2", "dev.warp.warp"}},
        {AgentType::codex, {"com.openai.codex"}},
        {AgentType::claudeDesktop, {"com.anthropic.claudefordesktop"}},
        {AgentType::hermes, {"com.nousresearch.hermes"}},
        {AgentType::windsurf, {"com.exafunction.windsurf"}},
        {AgentType::kimi, {"com.moonshot.kimichat"}},
        {AgentType::openCode, {"ai.opencode.desktop", "ai.opencode.desktop.beta", "ai.opencode.desktop.dev"}},
        {AgentType::zcode, {"dev.zcode.app"}},
        {AgentType::zed, {"dev.zed.zed"}},
        {AgentType::jetbrains,
         {"com.jetbrains.intellij", "com.jetbrains.pycharm", "com.jetbrains.webstorm", "com.jetbrains.goland",
          "com.jetbrains.clion", "com.jetbrains.phpstorm", "com.jetbrains.rubymine", "com.jetbrains.datagrip",
          "com.jetbrains.rider"}},
    });
    if (const auto found = lookup(exact, b)) {
        return found;
    }
    // Prefix rules, in the order the exact rules above would be tried.
    if (b.startsWith(QLatin1String("com.microsoft.vscode."))) {
        return AgentType::vscode;
    }
    if (b.startsWith(QLatin1String("com.mitchellh.ghostty."))) {
        return AgentType::ghostty;
    }
    if (b.startsWith(QLatin1String("com.openai.codex."))) {
        return AgentType::codex;
    }
    return std::nullopt;
}

std::optional<AgentType> agentForAppNameFirst(const QString& a) {
    static const Table table = makeTable({
        {AgentType::antigravity, {"antigravity"}},
        {AgentType::antigravityIDE, {"antigravity ide"}},
        {AgentType::codex, {"chatgpt", "codex"}},
        {AgentType::terminal, {"claude code"}},
        {AgentType::claudeDesktop, {"claude", "claude desktop"}},
        {AgentType::cursor, {"cursor"}},
        {AgentType::vscode, {"visual studio code", "code", "vscode"}},
        {AgentType::ghostty, {"ghostty"}},
    });
    return lookup(table, a);
}

std::optional<AgentType> agentForAppNameSecond(const QString& a) {
    static const Table table = makeTable({
        {AgentType::hermes, {"hermes"}},
        {AgentType::windsurf, {"windsurf", "devin", "devin desktop"}},
        {AgentType::trae, {"trae", "trae ide"}},
        {AgentType::zed, {"zed"}},
        {AgentType::jetbrains,
         {"intellij idea", "pycharm", "webstorm", "goland", "clion", "phpstorm", "rubymine", "datagrip", "rider"}},
        {AgentType::kiro, {"kiro"}},
        {AgentType::kimi, {"kimi", "kimi desktop"}},
        {AgentType::openCode, {"opencode", "open code", "opencode beta", "opencode dev"}},
        {AgentType::zcode, {"zcode"}},
    });
    return lookup(table, a);
}

std::optional<AgentType> browserTypeForAppName(const QString& a) {
    static const Table table = makeTable({
        {AgentType::chrome,
         {"google chrome", "google chrome beta", "google chrome dev", "google chrome canary", "chrome"}},
        {AgentType::arc, {"arc", "arc early birds"}},
        {AgentType::safari, {"safari", "safari浏览器", "safari technology preview"}},
        {AgentType::edge,
         {"microsoft edge", "microsoft edge beta", "microsoft edge dev", "microsoft edge canary", "edge"}},
        {AgentType::firefox, {"firefox", "firefox developer edition", "firefox nightly"}},
        {AgentType::brave,
         {"brave browser", "brave browser beta", "brave browser dev", "brave browser nightly", "brave"}},
    });
    return lookup(table, a);
}

} // namespace

QString rawValue(AgentType type) {
    return QString::fromLatin1(info(type).rawValue);
}

std::optional<AgentType> fromRawValue(const QString& raw) {
    for (const AgentInfo& entry : infoTable) {
        if (raw == QLatin1String(entry.rawValue)) {
            return entry.type;
        }
    }
    return std::nullopt;
}

QString displayName(AgentType type, AppLanguage) {
    return QString::fromUtf8(info(type).displayName);
}

QString defaultAppName(AgentType type) {
    return QString::fromUtf8(info(type).defaultAppName);
}

std::optional<QString> defaultBundleIdentifier(AgentType type) {
    const char* identifier = info(type).defaultBundleIdentifier;
    if (identifier == nullptr) {
        return std::nullopt;
    }
    return QString::fromLatin1(identifier);
}

bool isBrowser(AgentType type) {
    switch (type) {
    case AgentType::chrome:
    case AgentType::arc:
    case AgentType::safari:
    case AgentType::edge:
    case AgentType::firefox:
    case AgentType::brave:
        return true;
    default:
        return false;
    }
}

const QList<AgentType>& allCases() {
    static const QList<AgentType> cases = [] {
        QList<AgentType> list;
        for (const AgentInfo& entry : infoTable) {
            list.append(entry.type);
        }
        return list;
    }();
    return cases;
}

const QList<AgentType>& nativeAgentCases() {
    static const QList<AgentType> cases = {
        AgentType::antigravity, AgentType::antigravityIDE, AgentType::codex,   AgentType::claudeDesktop,
        AgentType::cursor,      AgentType::windsurf,       AgentType::ghostty, AgentType::hermes,
        AgentType::jetbrains,   AgentType::kimi,           AgentType::kiro,    AgentType::openCode,
        AgentType::terminal,    AgentType::trae,           AgentType::vscode,  AgentType::zcode,
        AgentType::zed,
    };
    return cases;
}

const QList<AgentType>& browserCases() {
    static const QList<AgentType> cases = {AgentType::arc,     AgentType::brave, AgentType::chrome,
                                           AgentType::firefox, AgentType::edge,  AgentType::safari};
    return cases;
}

AgentType infer(const std::optional<QString>& bundleIdentifier, const QString& appName, const QString&) {
    const QString b = bundleIdentifier ? Text::trimWhitespaceAndNewlines(*bundleIdentifier).toLower() : QString();
    if (const auto browser = browserTypeForBundleIdentifier(b)) {
        return *browser;
    }
    if (const auto agent = agentForBundleIdentifier(b)) {
        return *agent;
    }
    const QString a = appName.toLower();
    if (const auto agent = agentForAppNameFirst(a)) {
        return *agent;
    }
    if (TerminalContextDetector::isTerminalApp(appName)) {
        return AgentType::terminal;
    }
    if (const auto agent = agentForAppNameSecond(a)) {
        return *agent;
    }
    if (b.isEmpty()) {
        if (const auto browser = browserTypeForAppName(a)) {
            return *browser;
        }
    }
    return AgentType::unknown;
}

} // namespace AgentTypes
