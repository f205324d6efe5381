#include "FileInspection.h"
#include "TestEnvironment.h"

#include "config/ProjectConfigTrustStore.h"
#include "config/ProjectPromptConfigLoader.h"
#include "config/PromptConfigLoader.h"
#include "model/Sha256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

namespace {

ProjectPromptConfigLoader englishLoader(const TestEnvironment& env, int levels = 2) {
    return ProjectPromptConfigLoader(
        env.environment(), [] { return AppLanguage::english; }, levels);
}

QString relativeTo(const TestEnvironment& env, const std::optional<QString>& path) {
    return path ? QDir(env.home()).relativeFilePath(*path) : QStringLiteral("<none>");
}

const QByteArray projectFile = "prompts:\n  - id: p\n    title: Plan\n    text: Make a plan.\n";

} // namespace

class ProjectConfigTest : public QObject {
    Q_OBJECT

private slots:
    void finding_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("levels");
        QTest::addColumn<QString>("found");
        QTest::newRow("in the start folder")
            << QStringList{"p/.orris-hollows.yaml"} << "p" << 2 << "p/.orris-hollows.yaml";
        QTest::newRow("one level up") << QStringList{"p/.orris-hollows.yaml"} << "p/src" << 2
                                      << "p/.orris-hollows.yaml";
        QTest::newRow("two levels up") << QStringList{"p/.orris-hollows.yml"} << "p/src/app" << 2
                                       << "p/.orris-hollows.yml";
        QTest::newRow("three levels up is too far")
            << QStringList{"p/.orris-hollows.yaml"} << "p/a/b/c" << 2 << "<none>";
        QTest::newRow("four levels up is too far")
            << QStringList{"p/.orris-hollows.yaml"} << "p/a/b/c/d" << 2 << "<none>";
        QTest::newRow("no parents searched at level 0")
            << QStringList{"p/.orris-hollows.yaml"} << "p/src" << 0 << "<none>";
        QTest::newRow("a file path starts in its folder")
            << QStringList{"p/.orris-hollows.yaml", "p/src/a.cpp"} << "p/src/a.cpp" << 1 << "p/.orris-hollows.yaml";
        QTest::newRow("a missing path is taken as a folder")
            << QStringList{"p/.orris-hollows.yaml"} << "p/not-yet" << 1 << "p/.orris-hollows.yaml";
        QTest::newRow(".yaml before .yml in one folder")
            << QStringList{"p/.orris-hollows.yml", "p/.orris-hollows.yaml"} << "p" << 2 << "p/.orris-hollows.yaml";
        QTest::newRow(".yml in the start folder beats .yaml above")
            << QStringList{"p/.orris-hollows.yaml", "p/src/.orris-hollows.yml"} << "p/src" << 2
            << "p/src/.orris-hollows.yml";
        QTest::newRow("the nearest wins") << QStringList{"p/.orris-hollows.yaml", "p/src/.orris-hollows.yaml"}
                                          << "p/src/app" << 2 << "p/src/.orris-hollows.yaml";
    }
    void finding() {
        QFETCH(QStringList, files);
        QFETCH(QString, start);
        QFETCH(int, levels);
        QFETCH(QString, found);
        TestEnvironment env;
        for (const QString& file : files) {
            env.writeFile(file, projectFile);
        }
        QCOMPARE(relativeTo(env, englishLoader(env, levels).configURL(QDir(env.home()).filePath(start))), found);
    }

    void searchStopsAtTheRoot() {
        TestEnvironment env;
        QCOMPARE(englishLoader(env, 5).configURL(QStringLiteral("/")), std::optional<QString>());
    }

    void matchPaths_data() {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("none means the root") << QStringList() << QStringList{"/p"};
        QTest::newRow("the Part's four") << QStringList{".", "./web/../api", "/abs/x/", "docs"}
                                         << QStringList{"/p", "/p/api", "/abs/x", "/p/docs"};
        QTest::newRow("no tilde expansion, duplicates and order kept")
            << QStringList{"~/x", "docs", "docs/"} << QStringList{"/p/~/x", "/p/docs", "/p/docs"};
        QTest::newRow("dot-dot stops at the root") << QStringList{"../../../../etc", "/.."} << QStringList{"/etc", "/"};
    }
    void matchPaths() {
        QFETCH(QStringList, paths);
        QFETCH(QStringList, expected);
        QCOMPARE(ProjectPromptConfigLoader::normalizedMatchPaths(paths, QStringLiteral("/p")), expected);
    }

    void loadsAProjectWorkspace() {
        TestEnvironment env;
        const QString path = env.writeFile(
            "proj/.orris-hollows.yaml", "workspace:\n  match_paths:\n    - ./src\nprompts:\n  - text: Just do it.\n");
        const ProjectConfigLoad load = englishLoader(env).loadWorkspace(path, QDir(env.home()).filePath("proj/src"));
        QVERIFY(!load.issue);
        QVERIFY(load.workspace);
        const PromptWorkspace& workspace = *load.workspace;
        QCOMPARE(workspace.id, QStringLiteral("project:") + path);
        QCOMPARE(workspace.name, QStringLiteral("proj"));
        QCOMPARE(workspace.source, PromptWorkspaceSource::projectConfig);
        QCOMPARE(workspace.fileURL, std::optional(path));
        QCOMPARE(workspace.matchPaths, QStringList{QDir(env.home()).filePath("proj/src")});
        QCOMPARE(workspace.fileVersion->contentHash, Sha256::hex(contentOf(path)));
        // Untitled prompts speak the caller's language.
        QCOMPARE(workspace.prompts.size(), 1);
        QCOMPARE(workspace.prompts.first().title, L10n::string(L10N("prompt.untitled"), AppLanguage::english));
        QCOMPARE(workspace.prompts.first().group,
                 L10n::string(L10N("prompt.default.common.group"), AppLanguage::english));

        const ProjectConfigLoad chinese =
            ProjectPromptConfigLoader(env.environment(), [] { return AppLanguage::zhHans; }).loadWorkspace(path, {});
        QCOMPARE(chinese.workspace->prompts.first().title, L10n::string(L10N("prompt.untitled"), AppLanguage::zhHans));
    }

    void unusableFilesAreIssues_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<PromptConfigIssueKind>("issueKind");
        QTest::newRow("link to /dev/zero") << "zero" << PromptConfigIssueKind::unreadable;
        QTest::newRow("2 MB") << "large" << PromptConfigIssueKind::perFileLimitExceeded;
        QTest::newRow("fifo") << "fifo" << PromptConfigIssueKind::unreadable;
        QTest::newRow("folder") << "folder" << PromptConfigIssueKind::unreadable;
        QTest::newRow("dangling link") << "dangling" << PromptConfigIssueKind::unreadable;
        QTest::newRow("not UTF-8") << "latin1" << PromptConfigIssueKind::invalidUTF8;
    }
    void unusableFilesAreIssues() {
        QFETCH(QString, kind);
        QFETCH(PromptConfigIssueKind, issueKind);
        TestEnvironment env;
        QVERIFY(QDir(env.home()).mkpath("proj"));
        const QString path = QDir(env.home()).filePath("proj/.orris-hollows.yaml");
        if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else if (kind == "large") {
            env.writeFile("proj/.orris-hollows.yaml", projectFile + QByteArray(2 * 1024 * 1024, '#'));
        } else if (kind == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == "dangling") {
            QVERIFY(QFile::link(path + ".gone", path));
        } else if (kind == "latin1") {
            env.writeFile("proj/.orris-hollows.yaml", "prompts:\n  - title: Caf\xe9\n");
        }
        if (kind != "dangling") {
            // Found like any project file, then refused when read.
            QCOMPARE(englishLoader(env).configURL(QDir(env.home()).filePath("proj")), std::optional(path));
        }
        LogCapture log;
        const ProjectConfigLoad load = englishLoader(env).loadWorkspace(path, QDir(env.home()).filePath("proj"));
        QVERIFY(!load.workspace);
        QVERIFY(load.issue);
        QCOMPARE(load.issue->kind, issueKind);
        QCOMPARE(load.issue->sourceKind, PromptConfigSourceKind::project);
        QCOMPARE(load.issue->id,
                 QStringLiteral("project:.orris-hollows.yaml:") + PromptConfigIssueKinds::messageKey(issueKind));
        QCOMPARE(load.issue->message,
                 L10n::string(PromptConfigIssueKinds::messageKey(issueKind), AppLanguage::english));
        QCOMPARE(load.issue->fileURL, path);
        QVERIFY(log.contains(QStringLiteral("Load project config failed file=proj/.orris-hollows.yaml")));
        // Trusting a file that cannot be read fails just as fast (trust only hashes the bytes).
        if (kind != "latin1") {
            ProjectConfigTrustStore trust(env.environment());
            QVERIFY(!trust.trust(path).ok());
            QVERIFY(!trust.isTrusted(path));
        }
    }

    void exactlyTheLimitLoads() {
        TestEnvironment env;
        QByteArray content = projectFile;
        content += '#' + QByteArray(1'048'576 - content.size() - 2, 'x') + '\n';
        QCOMPARE(content.size(), 1'048'576);
        const QString path = env.writeFile("proj/.orris-hollows.yaml", content);
        QVERIFY(englishLoader(env).loadWorkspace(path, {}).workspace);
        ProjectConfigTrustStore trust(env.environment());
        QVERIFY(trust.trust(path).ok());

        // One byte more is refused by both.
        env.writeFile("proj/.orris-hollows.yaml", ' ' + content);
        const ProjectConfigLoad over = englishLoader(env).loadWorkspace(path, {});
        QVERIFY(!over.workspace);
        QVERIFY(over.issue);
        QCOMPARE(over.issue->kind, PromptConfigIssueKind::perFileLimitExceeded);
        QVERIFY(!trust.trust(path).ok());
        QVERIFY(!trust.isTrusted(path));
    }

    void trustFollowsTheContent() {
        TestEnvironment env;
        const QString path = env.writeFile("proj/.orris-hollows.yaml", projectFile);
        ProjectConfigTrustStore trust(env.environment());
        QVERIFY(!trust.isTrusted(path));
        QVERIFY(trust.trust(path).ok());
        QVERIFY(trust.isTrusted(path));
        const QString hash = Sha256::hex(projectFile);
        QVERIFY(trust.isTrusted(path, hash));
        QVERIFY(!trust.isTrusted(path, QString(64, u'0')));

        // One byte changed: no longer trusted; trusting again replaces the one entry.
        QByteArray edited = projectFile;
        edited[edited.size() - 2] = '!';
        env.writeFile("proj/.orris-hollows.yaml", edited);
        QVERIFY(!trust.isTrusted(path));
        QVERIFY(!trust.isTrusted(path, Sha256::hex(edited)));
        QVERIFY(trust.trust(path).ok());
        QVERIFY(trust.isTrusted(path));
        QCOMPARE(trust.trustedConfigHashesByPath().size(), 1);

        // A fresh store reads the same trust from the file.
        ProjectConfigTrustStore reloaded(env.environment());
        QVERIFY(reloaded.isTrusted(path));
        QFile::remove(path);
        QVERIFY(!reloaded.isTrusted(path));
    }

    void pathsAreNormalised() {
        TestEnvironment env;
        const QString real = env.writeFile("real/.orris-hollows.yaml", projectFile);
        QVERIFY(QFile::link(QDir(env.home()).filePath("real"), QDir(env.home()).filePath("alias")));
        ProjectConfigTrustStore trust(env.environment());
        QVERIFY(trust.trust(QStringLiteral("~/alias/./.orris-hollows.yaml")).ok());
        const QString canonical = QFileInfo(real).canonicalFilePath();
        QCOMPARE(trust.trustedConfigHashesByPath().keys(), QStringList{canonical});
        QVERIFY(trust.isTrusted(real));
        QVERIFY(trust.isTrusted(QDir(env.home()).filePath("alias/.orris-hollows.yaml")));
        QCOMPARE(trust.normalizedPath(QStringLiteral("~")), QFileInfo(env.home()).canonicalFilePath());
        // A path that does not exist yet keeps its missing part behind the resolved folder.
        QCOMPARE(trust.normalizedPath(QStringLiteral("~/alias/new/x.yaml")),
                 QFileInfo(QDir(env.home()).filePath("real")).canonicalFilePath() + "/new/x.yaml");
    }

    void trustFileFormat() {
        TestEnvironment env;
        const QString b = env.writeFile("b/.orris-hollows.yaml", "prompts: []\n");
        const QString a = env.writeFile("a/.orris-hollows.yml", projectFile);
        ProjectConfigTrustStore trust(env.environment());
        QVERIFY(trust.trust(b).ok());
        QVERIFY(trust.trust(a).ok());

        const auto escaped = [](QString path) { return path.replace(u'/', QStringLiteral("\\/")); };
        const QString expected =
            QStringLiteral("[{\"path\":\"%1\",\"sha256\":\"%2\"},{\"path\":\"%3\",\"sha256\":\"%4\"}]")
                .arg(escaped(QFileInfo(a).canonicalFilePath()), Sha256::hex(projectFile),
                     escaped(QFileInfo(b).canonicalFilePath()), Sha256::hex("prompts: []\n"));
        QCOMPARE(QString::fromUtf8(contentOf(trust.trustFilePath())), expected);
        QCOMPARE(modeOf(trust.trustFilePath()), mode_t(0600));
        QCOMPARE(modeOf(env.dataDirectory()), mode_t(0700));
    }

    void damagedTrustFilesAreEmpty_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not JSON") << QByteArray("[{");
        QTest::newRow("an object") << QByteArray("{\"path\":\"/p\",\"sha256\":\"x\"}");
        QTest::newRow("a string in the array") << QByteArray("[\"/p\"]");
        QTest::newRow("no sha256") << QByteArray("[{\"path\":\"/p\"}]");
        QTest::newRow("a number for the hash") << QByteArray("[{\"path\":\"/p\",\"sha256\":1}]");
        QTest::newRow("one good record, one bad")
            << QByteArray("[{\"path\":\"/p\",\"sha256\":\"x\"},{\"path\":2,\"sha256\":\"y\"}]");
    }
    void damagedTrustFilesAreEmpty() {
        QFETCH(QByteArray, content);
        TestEnvironment env;
        env.writeFile(".orris-hollows/trusted-project-configs.json", content);
        LogCapture log;
        ProjectConfigTrustStore trust(env.environment());
        QVERIFY(trust.trustedConfigHashesByPath().isEmpty());
        QVERIFY(log.contains("trusted project configs failed file=.orris-hollows/trusted-project-configs.json"));

        // The next trust keeps a copy of the damaged file before it writes a new one.
        const QString path = env.writeFile("p/.orris-hollows.yaml", projectFile);
        QVERIFY(trust.trust(path).ok());
        const QStringList copies =
            QDir(env.dataDirectory()).entryList({"trusted-project-configs.json.unreadable-*"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(contentOf(QDir(env.dataDirectory()).filePath(copies.first())), content);
        QVERIFY(log.contains("Moved unreadable trusted project configs aside file=.orris-hollows/" + copies.first()));
        QVERIFY(!log.contains(env.home()));
        QVERIFY(ProjectConfigTrustStore(env.environment()).isTrusted(path));

        // Only once: the file written since is ours and readable.
        QVERIFY(trust.trust(env.writeFile("q/.orris-hollows.yaml", projectFile)).ok());
        QCOMPARE(QDir(env.dataDirectory()).entryList({"trusted-project-configs.json.unreadable-*"}).size(), 1);
    }

    void readableTrustFiles() {
        TestEnvironment env;
        const QString path = env.writeFile("p/.orris-hollows.yaml", projectFile);
        const QString hash = Sha256::hex(projectFile);
        // Unescaped slashes, extra keys and a later duplicate of the same file.
        env.writeFile(".orris-hollows/trusted-project-configs.json",
                      QStringLiteral("[{\"path\":\"%1\",\"sha256\":\"old\",\"note\":1},"
                                     "{\"path\":\"%2\",\"sha256\":\"%3\"}]")
                          .arg(path, QDir(env.home()).filePath("p/../p/.orris-hollows.yaml"), hash)
                          .toUtf8());
        ProjectConfigTrustStore trust(env.environment());
        QCOMPARE(trust.trustedConfigHashesByPath().size(), 1);
        QVERIFY(trust.isTrusted(path));
    }

    void aFailedSaveDoesNotTrust() {
        TestEnvironment env;
        const QString path = env.writeFile("p/.orris-hollows.yaml", projectFile);
        ProjectConfigTrustStore trust(env.environment());
        {
            ScopedWriteFault fault;
            QCOMPARE(trust.trust(path).error(), AppError::posix(5));
        }
        QVERIFY(!trust.isTrusted(path));
        QVERIFY(trust.trustedConfigHashesByPath().isEmpty());

        // An earlier trust survives a failed attempt to trust an edited version.
        QVERIFY(trust.trust(path).ok());
        env.writeFile("p/.orris-hollows.yaml", projectFile + "#\n");
        {
            ScopedWriteFault fault;
            QVERIFY(!trust.trust(path).ok());
        }
        QVERIFY(!trust.isTrusted(path));
        QVERIFY(trust.isTrusted(path, Sha256::hex(projectFile)));
    }

    void trustingAMissingFileFails() {
        TestEnvironment env;
        ProjectConfigTrustStore trust(env.environment());
        QCOMPARE(trust.trust(QDir(env.home()).filePath("nowhere/.orris-hollows.yaml")).error(), AppError::posix(2));
        QVERIFY(!QFileInfo::exists(trust.trustFilePath()));
    }
};

QTEST_GUILESS_MAIN(ProjectConfigTest)
#include "tst_projectconfig.moc"
