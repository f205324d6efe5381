#include "platform/ApplicationIdentity.h"

#include "model/AgentType.h"
#include "model/TextPrimitives.h"

#include <QHash>

#include <utility>

namespace {

// Lower-cased WM_CLASS strings and executable names of the apps the classifier knows, with the
// names it recognises them by.
const QHash<QString, QString>& knownApplications() {
    static const QHash<QString, QString> table = [] {
        static const std::pair<const char*, const char*> rows[] = {
            {"code", "Visual Studio Code"},
            {"cursor", "Cursor"},
            {"windsurf", "Windsurf"},
            {"zed", "Zed"},
            {"dev.zed.zed", "Zed"},
            {"zed-editor", "Zed"},
            {"zeditor", "Zed"},
            {"jetbrains-idea", "IntelliJ IDEA"},
            {"jetbrains-idea-ce", "IntelliJ IDEA"},
            {"jetbrains-pycharm", "PyCharm"},
            {"jetbrains-pycharm-ce", "PyCharm"},
            {"jetbrains-webstorm", "WebStorm"},
            {"jetbrains-goland", "GoLand"},
            {"jetbrains-clion", "CLion"},
            {"jetbrains-phpstorm", "PhpStorm"},
            {"jetbrains-rubymine", "RubyMine"},
            {"jetbrains-datagrip", "DataGrip"},
            {"jetbrains-rider", "Rider"},
            {"google-chrome", "Google Chrome"},
            {"google-chrome-stable", "Google Chrome"},
            {"chrome", "Google Chrome"},
            {"google-chrome-beta", "Google Chrome Beta"},
            {"google-chrome-unstable", "Google Chrome Dev"},
            {"google-chrome-canary", "Google Chrome Canary"},
            // Chrome's open-source base, which has no agent type of its own.
            {"chromium", "Chrome"},
            {"chromium-browser", "Chrome"},
            {"org.chromium.chromium", "Chrome"},
            {"firefox", "Firefox"},
            {"firefox-esr", "Firefox"},
            {"org.mozilla.firefox", "Firefox"},
            {"firefoxdeveloperedition", "Firefox Developer Edition"},
            {"firefox-developer-edition", "Firefox Developer Edition"},
            {"firefox-nightly", "Firefox Nightly"},
            {"brave-browser", "Brave Browser"},
            {"brave", "Brave Browser"},
            {"brave-browser-beta", "Brave Browser Beta"},
            {"brave-browser-dev", "Brave Browser Dev"},
            {"brave-browser-nightly", "Brave Browser Nightly"},
            {"microsoft-edge", "Microsoft Edge"},
            {"microsoft-edge-stable", "Microsoft Edge"},
            {"msedge", "Microsoft Edge"},
            {"microsoft-edge-beta", "Microsoft Edge Beta"},
            {"microsoft-edge-dev", "Microsoft Edge Dev"},
            {"ghostty", "Ghostty"},
            {"com.mitchellh.ghostty", "Ghostty"},
            {"gnome-terminal", "Terminal"},
            {"gnome-terminal-server", "Terminal"},
            {"konsole", "Terminal"},
            {"kitty", "Terminal"},
            {"alacritty", "Terminal"},
            {"wezterm", "Terminal"},
            {"wezterm-gui", "Terminal"},
            {"org.wezfurlong.wezterm", "Terminal"},
            {"tilix", "Terminal"},
            {"xterm", "Terminal"},
            {"uxterm", "Terminal"},
            {"foot", "Terminal"},
            {"footclient", "Terminal"},
        };
        QHash<QString, QString> result;
        for (const auto& [key, name] : rows) {
            result.insert(QString::fromLatin1(key), QString::fromLatin1(name));
        }
        return result;
    }();
    return table;
}

bool isIdentifierElement(QStringView element) {
    if (element.isEmpty() || element.front().isDigit()) {
        return false;
    }
    for (QChar c : element) {
        const bool allowed =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

// Flatpak's rule for application ids: three or more dot-separated elements of ASCII letters,
// digits, "_" and "-", none starting with a digit.
std::optional<QString> reverseDnsIdentifier(const QString& desktopEntryId) {
    QString id = Text::trimWhitespaceAndNewlines(desktopEntryId);
    if (id.endsWith(QLatin1String(".desktop"))) {
        id.chop(8);
    }
    const QList<QStringView> elements = QStringView(id).split(u'.');
    if (elements.size() < 3) {
        return std::nullopt;
    }
    for (QStringView element : elements) {
        if (!isIdentifierElement(element)) {
            return std::nullopt;
        }
    }
    return id;
}

std::optional<QString> tableName(const WindowApplicationFacts& facts) {
    for (const QString* key : {&facts.wmClassClass, &facts.wmClassInstance, &facts.executableName}) {
        const QString lowered = Text::trimWhitespaceAndNewlines(*key).toLower();
        if (lowered.isEmpty()) {
            continue;
        }
        const auto found = knownApplications().constFind(lowered);
        if (found != knownApplications().constEnd()) {
            return *found;
        }
    }
    return std::nullopt;
}

} // namespace

ApplicationIdentity ApplicationIdentity::fromWindow(const WindowApplicationFacts& facts) {
    ApplicationIdentity identity;
    identity.bundleIdentifier = reverseDnsIdentifier(facts.desktopEntryId);

    if (const auto known = tableName(facts)) {
        identity.appName = *known;
        if (identity.bundleIdentifier &&
            AgentTypes::infer(identity.bundleIdentifier, identity.appName) != AgentTypes::infer(std::nullopt, *known)) {
            identity.bundleIdentifier.reset();
        }
        return identity;
    }

    for (const QString* name :
         {&facts.desktopEntryName, &facts.wmClassClass, &facts.wmClassInstance, &facts.executableName}) {
        const QString trimmed = Text::trimWhitespaceAndNewlines(*name);
        if (!trimmed.isEmpty()) {
            identity.appName = trimmed;
            return identity;
        }
    }
    identity.appName = QStringLiteral("Unknown");
    return identity;
}
