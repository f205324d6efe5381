#include "context/WorkspaceMatcher.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

PromptWorkspace workspace(const QString& id, const QString& name, const QStringList& matchPaths) {
    PromptWorkspace result;
    result.id = id;
    result.name = name;
    result.matchPaths = matchPaths;
    return result;
}

AgentContext context(const QString& app, const QString& title, const std::optional<QString>& path = std::nullopt,
                     const QString& workspaceName = unrecognizedWorkspaceName) {
    AgentContext result = AgentContext::unknown();
    result.frontmostAppName = app;
    result.frontWindowTitle = title;
    result.workspacePath = path;
    result.workspaceName = workspaceName;
    return result;
}

std::optional<QString> idOf(const std::optional<PromptWorkspace>& found) {
    return found ? std::optional(found->id) : std::nullopt;
}

} // namespace

class WorkspaceMatcherTest : public QObject {
    Q_OBJECT

private slots:
    void containsIdentifier_data() {
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("expected");

        QTest::newRow("between blanks") << "api"
                                        << "open the api docs" << true;
        QTest::newRow("between punctuation") << "api"
                                             << "(api)." << true;
        QTest::newRow("at both ends") << "api"
                                      << "api" << true;
        QTest::newRow("inside a hyphenated word") << "api"
                                                  << "rapid-api-tests" << false;
        QTest::newRow("a longer word") << "api"
                                       << "apis" << false;
        QTest::newRow("after an underscore") << "api"
                                             << "my_api" << false;
        QTest::newRow("a later whole occurrence") << "api"
                                                  << "rapid api" << true;
        QTest::newRow("occurrences do not overlap") << "aa"
                                                    << "aaa a" << false;
        QTest::newRow("a combining mark joins the next character") << "api"
                                                                   << "api\u0301 x" << false;
        QTest::newRow("letters of any script") << "项目"
                                               << "打开项目" << false;
        QTest::newRow("a CJK word between blanks") << "项目"
                                                   << "项目 docs" << true;
        QTest::newRow("punctuation first still needs a boundary") << ".net"
                                                                  << "x.net" << false;
        QTest::newRow("punctuation first at a boundary") << ".net"
                                                         << "use .net now" << true;
        QTest::newRow("empty identifier") << ""
                                          << "anything" << false;
        QTest::newRow("case-sensitive") << "api"
                                        << "API" << false;
    }

    void containsIdentifier() {
        QFETCH(QString, identifier);
        QFETCH(QString, text);
        QFETCH(bool, expected);
        QCOMPARE(WorkspaceMatcher::containsIdentifier(identifier, text), expected);
    }

    void liesUnder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("ancestor");
        QTest::addColumn<bool>("expected");

        QTest::newRow("itself") << "/srv/app"
                                << "/srv/app" << true;
        QTest::newRow("a subfolder") << "/srv/app/web/src"
                                     << "/srv/app" << true;
        QTest::newRow("a sibling with the same beginning") << "/srv/apple"
                                                           << "/srv/app" << false;
        QTest::newRow("another letter case is another folder") << "/srv/App"
                                                               << "/srv/app" << false;
        QTest::newRow("the parent") << "/srv"
                                    << "/srv/app" << false;
        QTest::newRow("ancestor ending in a slash") << "/srv/app/x"
                                                    << "/srv/app/" << true;
        QTest::newRow("the root holds everything") << "/srv/app"
                                                   << "/" << true;
        QTest::newRow("an empty ancestor holds nothing") << "/srv/app"
                                                         << "" << false;
    }

    void liesUnder() {
        QFETCH(QString, path);
        QFETCH(QString, ancestor);
        QFETCH(bool, expected);
        QCOMPARE(WorkspaceMatcher::liesUnder(path, ancestor), expected);
    }

    void normalizePath() {
        TestEnvironment env;
        QDir home(env.home());
        QVERIFY(home.mkpath(QStringLiteral("real/app")));
        QVERIFY(QFile::link(home.filePath(QStringLiteral("real")), home.filePath(QStringLiteral("link"))));
        const QString canonicalHome = QFileInfo(env.home()).canonicalFilePath();
        const auto normalize = [&](const QString& path) {
            return WorkspaceMatcher::normalizePath(path, env.home(), QStringLiteral("/cwd"));
        };

        QCOMPARE(normalize(QStringLiteral("~/real/app/")), canonicalHome + QStringLiteral("/real/app"));
        QCOMPARE(normalize(QStringLiteral("~/link/app")), canonicalHome + QStringLiteral("/real/app"));
        // Links resolve as far as the path exists.
        QCOMPARE(normalize(QStringLiteral("~/link/app/not/yet")), canonicalHome + QStringLiteral("/real/app/not/yet"));
        QCOMPARE(normalize(QStringLiteral("~/real/./app/../app")), canonicalHome + QStringLiteral("/real/app"));
        // Only "~/" names the home folder.
        QCOMPARE(normalize(QStringLiteral("~app")), QStringLiteral("/cwd/~app"));
        QCOMPARE(normalize(QStringLiteral("/No/Such/Place")), QStringLiteral("/No/Such/Place"));
    }

    void explicitPathWorkspace() {
        TestEnvironment env;
        QDir home(env.home());
        for (const char* folder : {"srv/app/web/src", "srv/apple", "srv/App", "real"}) {
            QVERIFY(home.mkpath(QString::fromLatin1(folder)));
        }
        QVERIFY(QFile::link(home.filePath(QStringLiteral("srv/app")), home.filePath(QStringLiteral("linked"))));
        const WorkspaceMatcher matcher(
            {workspace(QStringLiteral("empty"), QStringLiteral("Empty"), {QString()}),
             workspace(QStringLiteral("app"), QStringLiteral("App"),
                       {QStringLiteral("/elsewhere"), QStringLiteral("~/srv/app")}),
             workspace(QStringLiteral("web"), QStringLiteral("Web"), {QStringLiteral("~/srv/app/web")}),
             workspace(QStringLiteral("gone"), QStringLiteral("Gone"), {home.filePath(QStringLiteral("gone"))})},
            env.home());
        const auto at = [&](const QString& relative) {
            return idOf(
                matcher.explicitPathWorkspace(context(QStringLiteral("Terminal"), QString(), home.filePath(relative))));
        };

        // The first workspace wins over a later, more specific one.
        QCOMPARE(at(QStringLiteral("srv/app/web/src")), QStringLiteral("app"));
        QCOMPARE(at(QStringLiteral("srv/app")), QStringLiteral("app"));
        QCOMPARE(at(QStringLiteral("linked/web")), QStringLiteral("app"));
        QCOMPARE(at(QStringLiteral("srv/apple")), std::nullopt);
        QCOMPARE(at(QStringLiteral("srv/App")), std::nullopt);
        QCOMPARE(at(QStringLiteral("real")), std::nullopt);
        // A folder that no longer exists matches nothing, even a match path equal to it.
        QCOMPARE(at(QStringLiteral("gone")), std::nullopt);
        QCOMPARE(idOf(matcher.explicitPathWorkspace(context(QStringLiteral("Terminal"), QString()))), std::nullopt);

        QCOMPARE(
            matcher.validatedContextWorkspacePath(context(QStringLiteral("Zed"), QString(), QStringLiteral("~/real"))),
            QFileInfo(home.filePath(QStringLiteral("real"))).canonicalFilePath());
        QCOMPARE(matcher.validatedContextWorkspacePath(context(QStringLiteral("Zed"), QString(), QString())),
                 std::nullopt);
    }

    void inferredWorkspace_data() {
        QTest::addColumn<QString>("app");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("workspaceName");
        QTest::addColumn<QString>("expected"); // "-" for none

        const QString unrecognized = unrecognizedWorkspaceName;
        QTest::newRow("name between punctuation, any case") << "Firefox"
                                                            << "Docs: API (draft)" << unrecognized << "api";
        QTest::newRow("name inside a hyphenated word") << "Firefox"
                                                       << "rapid-api-tests" << unrecognized << "-";
        QTest::newRow("name as the start of a word") << "Firefox"
                                                     << "apis overview" << unrecognized << "-";
        QTest::newRow("name in the application name") << "API"
                                                      << "" << unrecognized << "api";
        QTest::newRow("name in the detected workspace name") << "Cursor"
                                                             << ""
                                                             << "my api"
                                                             << "api";
        QTest::newRow("the unrecognised name is not part of the text") << "Firefox"
                                                                       << "" << unrecognized << "-";
        QTest::newRow("folder name of a match path") << "Firefox"
                                                     << "webshop: orders" << unrecognized << "shop";
        QTest::newRow("folder name inside a longer word") << "Firefox"
                                                          << "webshops" << unrecognized << "-";
        QTest::newRow("IDE title path inside a match path")
            << "Cursor"
            << "main.ts — /srv/webshop/src — Cursor" << unrecognized << "shop";
        QTest::newRow("IDE title naming the match folder") << "Cursor"
                                                           << "webshop — main.ts — Cursor" << unrecognized << "shop";
        // The title shows /srv, which holds the match path without lying under it.
        QTest::newRow("IDE title path elsewhere: folder names do not count")
            << "Cursor"
            << "webshop notes — /srv — Cursor" << unrecognized << "-";
        QTest::newRow("the same outside an IDE") << "Firefox"
                                                 << "webshop notes — /srv" << unrecognized << "shop";
        QTest::newRow("IDE title path elsewhere: the name still counts")
            << "Cursor"
            << "Shop front — /srv — Cursor" << unrecognized << "shop";
    }

    void inferredWorkspace() {
        QFETCH(QString, app);
        QFETCH(QString, title);
        QFETCH(QString, workspaceName);
        QFETCH(QString, expected);

        const WorkspaceMatcher matcher(
            {workspace(QStringLiteral("unrecognized"), unrecognizedWorkspaceName, {}),
             workspace(QStringLiteral("api"), QStringLiteral("API"), {}),
             workspace(QStringLiteral("shop"), QStringLiteral("Shop front"), {QStringLiteral("/srv/webshop/")})},
            QStringLiteral("/home/user"));
        const auto found = idOf(matcher.inferredWorkspace(context(app, title, std::nullopt, workspaceName)));
        QCOMPARE(found, expected == QLatin1String("-") ? std::nullopt : std::optional(expected));
    }

    void inferenceWithoutWorkspacesFindsNothing() {
        const WorkspaceMatcher matcher({}, QStringLiteral("/home/user"));
        QVERIFY(!matcher.inferredWorkspace(context(QStringLiteral("Firefox"), QStringLiteral("api"))));
    }
};

QTEST_GUILESS_MAIN(WorkspaceMatcherTest)
#include "tst_workspacematcher.moc"
