#include "model/AgentType.h"
#include "platform/ApplicationIdentity.h"

#include <QTest>

Q_DECLARE_METATYPE(WindowApplicationFacts)

namespace {

WindowApplicationFacts window(const char* instance, const char* wmClass, const char* executable = "",
                              const char* desktopId = "", const char* desktopName = "") {
    return {QString::fromUtf8(instance), QString::fromUtf8(wmClass), QString::fromUtf8(executable),
            QString::fromUtf8(desktopId), QString::fromUtf8(desktopName)};
}

} // namespace

class ApplicationIdentityTest : public QObject {
    Q_OBJECT

private:
    // A classifier row: either a bundle identifier and name as given (bundle null for none),
    // or a Linux window that goes through the identity first.
    static void direct(const char* name, const QString& bundle, const QString& appName, AgentType expected,
                       const QString& title = QString()) {
        QTest::newRow(name) << false << WindowApplicationFacts{} << bundle << appName << title << expected;
    }
    static void onLinux(const char* name, const WindowApplicationFacts& facts, AgentType expected) {
        QTest::newRow(name) << true << facts << QString() << QString() << QString() << expected;
    }

private slots:
    void infer_data() {
        QTest::addColumn<bool>("throughIdentity");
        QTest::addColumn<WindowApplicationFacts>("facts");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<AgentType>("expected");
        using A = AgentType;
        const QString none;

        direct("bundle trimmed and lower-cased", " com.Microsoft.VSCode\n", "Whatever", A::vscode);
        direct("bundle prefix with a dot", "com.microsoft.VSCode.helper", "", A::vscode);
        direct("no prefix without the dot", "com.microsoft.vscodeinsiders", "Code - Insiders", A::unknown);
        direct("unlisted bundle falls to the names", "com.microsoft.vscodeinsiders", "Visual Studio Code", A::vscode);
        direct("browser bundle before any other rule", "com.google.Chrome.canary", "Cursor", A::chrome);
        direct("browser bundle before a terminal name", "com.brave.Browser", "Terminal", A::brave);
        direct("browser by name without bundle", none, "Google Chrome", A::chrome);
        direct("empty bundle counts as none", "  ", "Google Chrome", A::chrome);
        direct("browser name with an unlisted bundle", "com.example.wrapper", "Google Chrome", A::unknown);
        direct("Claude Code is a terminal", none, "Claude Code", A::terminal);
        direct("Claude", none, "Claude", A::claudeDesktop);
        direct("iTerm2", none, "iTerm2", A::terminal);
        direct("Warp", none, "Warp", A::terminal);
        direct("Ghostty Nightly", none, "Ghostty Nightly", A::terminal);
        direct("Ghostty", none, "Ghostty", A::ghostty);
        direct("ghostty bundle prefix", "com.mitchellh.ghostty.debug", "Other", A::ghostty);
        direct("leading blank before cursor", none, " cursor", A::unknown);
        direct("bundle decides for a blank-led name", "com.todesktop.230313MZL4W4U92", " cursor", A::cursor);
        direct("PyCharm", none, "PyCharm", A::jetbrains);
        direct("IntelliJ IDEA Ultimate", none, "IntelliJ IDEA Ultimate", A::unknown);
        direct("jetbrains bundle", "com.jetbrains.GoLand", "", A::jetbrains);
        direct("zed bundle", "dev.zed.Zed", "", A::zed);
        direct("Devin", none, "Devin", A::windsurf);
        direct("open code", none, "Open Code", A::openCode);
        direct("Antigravity IDE", none, "Antigravity IDE", A::antigravityIDE);
        direct("Safari in Chinese", none, QString::fromUtf8("Safari浏览器"), A::safari);
        direct("Terminus", none, "Terminus", A::unknown);
        direct("title takes no part", none, "Notes", A::unknown, "Visual Studio Code - ChatGPT");

        onLinux("WM_CLASS code", window("code", "Code"), A::vscode);
        onLinux(
            "gnome-terminal-server",
            window("gnome-terminal-server", "Gnome-terminal", "gnome-terminal-server", "org.gnome.Terminal", "终端"),
            A::terminal);
        onLinux("konsole", window("konsole", "konsole", "konsole", "org.kde.konsole", "Konsole"), A::terminal);
        onLinux("Flatpak com.google.Chrome", window("", "", "", "com.google.Chrome.desktop", "Google Chrome"),
                A::chrome);
        onLinux("firefox-esr", window("Navigator", "firefox-esr", "firefox-esr", "firefox-esr", "Firefox ESR"),
                A::firefox);
    }
    void infer() {
        QFETCH(bool, throughIdentity);
        QFETCH(WindowApplicationFacts, facts);
        QFETCH(QString, bundle);
        QFETCH(QString, appName);
        QFETCH(QString, title);
        QFETCH(AgentType, expected);
        std::optional<QString> bundleIdentifier = bundle.isNull() ? std::nullopt : std::optional(bundle);
        if (throughIdentity) {
            const ApplicationIdentity identity = ApplicationIdentity::fromWindow(facts);
            bundleIdentifier = identity.bundleIdentifier;
            appName = identity.appName;
        }
        QCOMPARE(AgentTypes::infer(bundleIdentifier, appName, title), expected);
    }

    void identity_data() {
        QTest::addColumn<WindowApplicationFacts>("facts");
        QTest::addColumn<QString>("bundle"); // null for none
        QTest::addColumn<QString>("appName");
        QTest::addColumn<AgentType>("agent");
        using A = AgentType;
        const QString none;
        const QString vsc = QStringLiteral("Visual Studio Code");
        const QString terminal = QStringLiteral("Terminal");

        QTest::newRow("VS Code deb, URL handler entry")
            << window("code", "Code", "code", "code-url-handler.desktop", "Visual Studio Code - URL Handler") << none
            << vsc << A::vscode;
        QTest::newRow("VS Code snap") << window("code", "Code", "code", "code_code.desktop", "Visual Studio Code")
                                      << none << vsc << A::vscode;
        QTest::newRow("VS Code Flatpak") << window("code", "Code", "code", "com.visualstudio.code",
                                                   "Visual Studio Code")
                                         << "com.visualstudio.code" << vsc << A::vscode;
        QTest::newRow("Cursor") << window("cursor", "Cursor", "cursor", "cursor.desktop", "Cursor") << none << "Cursor"
                                << A::cursor;
        QTest::newRow("Windsurf") << window("windsurf", "Windsurf", "windsurf") << none << "Windsurf" << A::windsurf;
        QTest::newRow("Zed") << window("dev.zed.Zed", "dev.zed.Zed", "zed-editor", "dev.zed.Zed.desktop", "Zed")
                             << "dev.zed.Zed"
                             << "Zed" << A::zed;
        QTest::newRow("IntelliJ IDEA Community, Toolbox entry")
            << window("jetbrains-idea-ce", "jetbrains-idea-ce", "java", "jetbrains-idea-ce-1a2b.desktop",
                      "IntelliJ IDEA Community Edition 2024.1")
            << none << "IntelliJ IDEA" << A::jetbrains;
        QTest::newRow("PyCharm Flatpak") << window("jetbrains-pycharm-ce", "jetbrains-pycharm-ce", "java",
                                                   "com.jetbrains.PyCharm-Community", "PyCharm Community")
                                         << "com.jetbrains.PyCharm-Community"
                                         << "PyCharm" << A::jetbrains;
        QTest::newRow("Rider") << window("jetbrains-rider", "jetbrains-rider") << none << "Rider" << A::jetbrains;
        QTest::newRow("Chrome deb") << window("google-chrome", "Google-chrome", "chrome", "google-chrome.desktop",
                                              "Google Chrome")
                                    << none << "Google Chrome" << A::chrome;
        QTest::newRow("Chrome unstable") << window("google-chrome-unstable", "Google-chrome-unstable") << none
                                         << "Google Chrome Dev" << A::chrome;
        QTest::newRow("Chromium deb") << window("chromium", "Chromium", "chromium", "chromium.desktop", "Chromium")
                                      << none << "Chrome" << A::chrome;
        QTest::newRow("Chromium Flatpak drops its id")
            << window("chromium", "Chromium", "chromium", "org.chromium.Chromium", "Chromium") << none << "Chrome"
            << A::chrome;
        QTest::newRow("Firefox Flatpak") << window("Navigator", "firefox", "firefox", "org.mozilla.firefox", "Firefox")
                                         << "org.mozilla.firefox"
                                         << "Firefox" << A::firefox;
        QTest::newRow("Brave") << window("brave-browser", "Brave-browser", "brave", "brave-browser.desktop",
                                         "Brave Web Browser")
                               << none << "Brave Browser" << A::brave;
        QTest::newRow("Brave Flatpak") << window("brave-browser", "Brave-browser", "brave", "com.brave.Browser")
                                       << "com.brave.Browser"
                                       << "Brave Browser" << A::brave;
        QTest::newRow("Edge") << window("microsoft-edge", "Microsoft-edge", "msedge", "microsoft-edge.desktop") << none
                              << "Microsoft Edge" << A::edge;
        QTest::newRow("Edge Flatpak drops its id")
            << window("microsoft-edge", "Microsoft-edge", "msedge", "com.microsoft.Edge") << none << "Microsoft Edge"
            << A::edge;
        QTest::newRow("GNOME Terminal, localised entry")
            << window("gnome-terminal-server", "Gnome-terminal", "gnome-terminal-server", "org.gnome.Terminal.desktop",
                      "终端")
            << "org.gnome.Terminal" << terminal << A::terminal;
        QTest::newRow("Konsole") << window("konsole", "konsole", "konsole", "org.kde.konsole.desktop", "Konsole")
                                 << "org.kde.konsole" << terminal << A::terminal;
        QTest::newRow("kitty") << window("kitty", "kitty", "kitty", "kitty.desktop", "kitty") << none << terminal
                               << A::terminal;
        QTest::newRow("Alacritty") << window("Alacritty", "Alacritty", "alacritty", "Alacritty.desktop", "Alacritty")
                                   << none << terminal << A::terminal;
        QTest::newRow("WezTerm") << window("org.wezfurlong.wezterm", "org.wezfurlong.wezterm", "wezterm-gui",
                                           "org.wezfurlong.wezterm.desktop", "WezTerm")
                                 << "org.wezfurlong.wezterm" << terminal << A::terminal;
        QTest::newRow("Ghostty") << window("com.mitchellh.ghostty", "com.mitchellh.ghostty", "ghostty",
                                           "com.mitchellh.ghostty.desktop", "Ghostty")
                                 << "com.mitchellh.ghostty"
                                 << "Ghostty" << A::ghostty;
        QTest::newRow("Tilix") << window("tilix", "Tilix", "tilix", "com.gexperts.Tilix.desktop", "Tilix")
                               << "com.gexperts.Tilix" << terminal << A::terminal;
        QTest::newRow("xterm, WM_CLASS only") << window("xterm", "XTerm") << none << terminal << A::terminal;
        QTest::newRow("foot") << window("foot", "foot", "foot", "org.codeberg.dnkl.foot.desktop", "Foot")
                              << "org.codeberg.dnkl.foot" << terminal << A::terminal;
        QTest::newRow("process name alone") << window("", "", "code") << none << vsc << A::vscode;

        // Apps the table does not know keep what the desktop says about them.
        QTest::newRow("unknown app keeps its entry")
            << window("gimp", "Gimp", "gimp", "org.gimp.GIMP.desktop", "GNU Image Manipulation Program")
            << "org.gimp.GIMP"
            << "GNU Image Manipulation Program" << A::unknown;
        QTest::newRow("unknown app, WM_CLASS class") << window("kiro", "Kiro", "kiro") << none << "Kiro" << A::kiro;
        QTest::newRow("unknown app, process name") << window("", "", "hermes") << none << "hermes" << A::hermes;
        QTest::newRow("known id of an unknown window") << window("", "", "", "dev.zed.Zed", "") << "dev.zed.Zed"
                                                       << "Unknown" << A::zed;
        QTest::newRow("nothing known") << window("", "") << none << "Unknown" << A::unknown;
        QTest::newRow("two-part id is not reverse-DNS")
            << window("", "", "", "io.example", "Example") << none << "Example" << A::unknown;
        QTest::newRow("versioned id is not reverse-DNS")
            << window("", "", "", "tool-1.85.2.desktop", "Tool") << none << "Tool" << A::unknown;
    }
    void identity() {
        QFETCH(WindowApplicationFacts, facts);
        QFETCH(QString, bundle);
        QFETCH(QString, appName);
        QFETCH(AgentType, agent);
        const ApplicationIdentity identity = ApplicationIdentity::fromWindow(facts);
        QCOMPARE(identity.bundleIdentifier.value_or(QString()), bundle);
        QCOMPARE(identity.bundleIdentifier.has_value(), !bundle.isNull());
        QCOMPARE(identity.appName, appName);
        QCOMPARE(AgentTypes::infer(identity.bundleIdentifier, identity.appName), agent);
    }
};

QTEST_GUILESS_MAIN(ApplicationIdentityTest)
#include "tst_applicationidentity.moc"
