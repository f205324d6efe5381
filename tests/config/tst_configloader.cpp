#include "TestEnvironment.h"

#include "config/BackgroundPromptConfigLoader.h"
#include "config/PromptConfigLoader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

#include <sys/stat.h>

namespace {

const QString workspacesDir = QStringLiteral(".orris-hollows/workspaces");

QString workspaceFile(const QString& name) {
    return workspacesDir + QLatin1Char('/') + name;
}

QByteArray promptFile(const QString& id, const QString& title = QStringLiteral("T")) {
    return QStringLiteral("prompts:\n  - id: \"%1\"\n    title: \"%2\"\n").arg(id, title).toUtf8();
}

// A valid prompt file of exactly `size` bytes: one prompt, then a comment line as padding.
QByteArray promptFileOfSize(const QString& id, qsizetype size) {
    QByteArray content = promptFile(id);
    const qsizetype padding = size - content.size() - 2;
    Q_ASSERT(padding >= 0);
    content += '#' + QByteArray(padding, 'x') + '\n';
    Q_ASSERT(content.size() == size);
    return content;
}

PromptConfigLoader englishLoader(const TestEnvironment& env, PromptConfigLimits limits = {}) {
    return PromptConfigLoader(
        env.environment(), [] { return AppLanguage::english; }, limits);
}

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

QStringList workspaceIDs(const PromptLoadResult& result) {
    QStringList ids;
    for (const PromptWorkspace& workspace : result.workspaces) {
        ids.append(workspace.id);
    }
    return ids;
}

QStringList issueIDs(const PromptLoadResult& result) {
    QStringList ids;
    for (const PromptConfigIssue& issue : result.issues) {
        ids.append(issue.id);
    }
    return ids;
}

} // namespace

class ConfigLoaderTest : public QObject {
    Q_OBJECT

private slots:
    void samplesWithoutFiles_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("firstTitle");
        QTest::newRow("english") << AppLanguage::english << QStringList{"zh-Hans-CN"} << "/spec: clarify requirements";
        QTest::newRow("chinese") << AppLanguage::zhHans << QStringList{"en-US"} << "/spec：写清楚需求";
        QTest::newRow("system chinese") << AppLanguage::system << QStringList{"zh-Hans-CN", "en"}
                                        << "/spec：写清楚需求";
        QTest::newRow("system english") << AppLanguage::system << QStringList{"en-GB"} << "/spec: clarify requirements";
    }
    void samplesWithoutFiles() {
        QFETCH(AppLanguage, language);
        QFETCH(QStringList, preferred);
        QFETCH(QString, firstTitle);
        TestEnvironment env;
        env.setPreferredLanguages(preferred);
        env.writeFile(workspaceFile("notes.txt"), "prompts:\n  - id: x\n"); // not a prompt file
        PromptConfigLoader loader(env.environment(), [language] { return language; });
        const PromptLoadResult result = loader.loadAllConfigs();

        QVERIFY(result.showsTransientSamples);
        QVERIFY(result.issues.isEmpty());
        QVERIFY(result.workspaceMetadata.isEmpty());
        QCOMPARE(result.globalPrompts.size(), 5);
        QCOMPARE(result.globalPrompts.first().title, firstTitle);
        QCOMPARE(result.globalPrompts.first().tags, QStringList{"spec"});
        QVERIFY(!result.globalPrompts.first().agent);
        QCOMPARE(result.workspaces.size(), 1);
        const PromptWorkspace& sample = result.workspaces.first();
        QCOMPARE(sample.id, QStringLiteral("my-app"));
        QCOMPARE(sample.source, PromptWorkspaceSource::transientSample);
        QVERIFY(!sample.fileURL && !sample.fileVersion);
        QCOMPARE(sample.prompts.size(), 3);
        QCOMPARE(sample.prompts.first().agent, std::optional(AgentType::codex));
        QCOMPARE(sample.prompts.first().tags, (QStringList{"review", "project"}));
        const AppLanguage resolved =
            firstTitle.startsWith(QLatin1String("/spec:")) ? AppLanguage::english : AppLanguage::zhHans;
        QCOMPARE(result.statusMessage, L10n::string(L10N("status.config.missing.samples"), resolved));
    }

    void dismissedSamples() {
        TestEnvironment env;
        env.defaults()->setBool(PromptConfigLoader::transientSamplesDismissedKey, true);
        PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QVERIFY(!result.showsTransientSamples);
        QVERIFY(result.globalPrompts.isEmpty() && result.workspaces.isEmpty());
        QCOMPARE(result.statusMessage, english("status.config.samples.hidden"));

        // An override replaces the stored flag either way.
        result = PromptConfigLoader(
                     env.environment(), [] { return AppLanguage::english; }, {}, false)
                     .loadAllConfigs();
        QVERIFY(result.showsTransientSamples);
        TestEnvironment fresh;
        result = PromptConfigLoader(
                     fresh.environment(), [] { return AppLanguage::english; }, {}, true)
                     .loadAllConfigs();
        QVERIFY(!result.showsTransientSamples);
    }

    void loadsGlobalAndWorkspaces() {
        TestEnvironment env;
        const QByteArray global = "prompts:\n  - id: g\n    title: Global one\n";
        const QString globalPath = env.writeFile(".orris-hollows/global.yaml", global);
        env.writeFile(workspaceFile("team notes.yaml"), promptFile("t"));
        env.writeFile(workspaceFile("web.yml"),
                      "workspace:\n  name: Web\n  match_paths:\n    - /src/web\n" + promptFile("w"));
        env.writeFile(workspaceFile(".hidden.yaml"), promptFile("h"));
        env.writeFile(workspaceFile("sub/inner.yaml"), promptFile("i"));

        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QVERIFY(result.issues.isEmpty());
        QVERIFY(!result.showsTransientSamples);
        QCOMPARE(result.globalPrompts.size(), 1);
        QCOMPARE(result.globalPrompts.first().id, QStringLiteral("g"));
        QCOMPARE(workspaceIDs(result), (QStringList{"team notes", "web"}));
        QCOMPARE(result.workspaces[0].name, QStringLiteral("team notes"));
        QCOMPARE(result.workspaces[1].name, QStringLiteral("Web"));
        QCOMPARE(result.workspaces[1].matchPaths, QStringList{"/src/web"});
        QCOMPARE(result.workspaces[1].source, PromptWorkspaceSource::userWorkspace);
        QCOMPARE(result.workspaces[1].fileURL, std::optional(QDir(env.home()).filePath(workspaceFile("web.yml"))));
        QCOMPARE(result.statusMessage, L10n::string(L10N("status.loaded.configs"), AppLanguage::english, 3, ""));

        QCOMPARE(result.workspaceMetadata.size(), 3);
        const WorkspaceFileMetadata globalMetadata =
            result.workspaceMetadata.value(PromptConfigLoader::globalMetadataKey);
        QCOMPARE(globalMetadata.fileSize, qint64(global.size()));
        QCOMPARE(globalMetadata.modificationDate, std::optional(QFileInfo(globalPath).lastModified().toUTC()));
        QVERIFY(result.workspaceMetadata.contains("team notes"));

        const std::optional<WorkspaceFileVersion> version = result.workspaces[0].fileVersion;
        QVERIFY(version);
        QCOMPARE(version->path, QDir(env.home()).filePath(workspaceFile("team notes.yaml")));
        QCOMPARE(version->contentHash,
                 QString::fromLatin1(QCryptographicHash::hash(promptFile("t"), QCryptographicHash::Sha256).toHex()));
        QCOMPARE(version->contentHash.size(), 64);
    }

    // The texts of a file read from its bytes: as written, beyond ASCII and with a leading byte
    // order mark too, equal texts sharing one copy; a large file's version is the hash of its
    // bytes, also for a file read after it.
    void textsReadFromTheBytes() {
        TestEnvironment env;
        const QString body = QStringLiteral("请先阅读 {{file|当前文件}}\n\nthen fix it");
        QByteArray content = "prompts:\n  - id: a\n    text: |\n      " +
                             body.toUtf8().replace("\n\n", "\n      \n      ") + "\n  - id: b\n    text: |\n      " +
                             body.toUtf8().replace("\n\n", "\n      \n      ") +
                             "\n  - id: c\n    text: \"\xEF\xBB\xBF\\\"quoted\\\" \"\n";
        while (content.size() < 100'000) {
            content += "  - id: p" + QByteArray::number(content.size()) + "\n    text: \"Same text\"\n";
        }
        env.writeFile(workspaceFile("w.yaml"), content);
        // Read after it into the same buffer: shorter, so stale bytes of the first would show.
        const QByteArray second = content.left(70'000).left(content.left(70'000).lastIndexOf("  - id:"));
        env.writeFile(workspaceFile("x.yaml"), second);

        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QVERIFY(result.issues.isEmpty());
        QCOMPARE(result.workspaces.size(), 2);
        QCOMPARE(result.workspaces[1].fileVersion->contentHash,
                 QString::fromLatin1(QCryptographicHash::hash(second, QCryptographicHash::Sha256).toHex()));
        const QList<PromptItem>& prompts = result.workspaces[0].prompts;
        QVERIFY(prompts.size() > 100);
        QCOMPARE(prompts[0].text.toString(), body);
        QCOMPARE(prompts[1].text, prompts[0].text);
        QCOMPARE(prompts[1].text.utf8().data(), prompts[0].text.utf8().data());
        QCOMPARE(prompts[2].text.toString(), QChar(0xFEFF) + QStringLiteral("\"quoted\" "));
        QCOMPARE(prompts[3].text.toString(), QStringLiteral("Same text"));
        QCOMPARE(prompts.last().text.utf8().data(), prompts[3].text.utf8().data());
        QCOMPARE(result.workspaces[0].fileVersion->contentHash,
                 QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex()));
    }

    void codePointOrder() {
        TestEnvironment env;
        env.writeFile(workspaceFile("c.YML"), promptFile("c"));
        env.writeFile(workspaceFile("a.yaml"), promptFile("a"));
        env.writeFile(workspaceFile("B.yaml"), promptFile("b"));
        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QCOMPARE(workspaceIDs(result), (QStringList{"B", "a", "c"}));
    }

    void aSecondFileWithTheSameWorkspaceIDIsNotLoaded() {
        TestEnvironment env;
        // Code-point order: "a.YAML", then "a.yaml", then "a.yml".
        env.writeFile(workspaceFile("a.yml"), promptFile("third"));
        env.writeFile(workspaceFile("a.yaml"), promptFile("second"));
        env.writeFile(workspaceFile("a.YAML"), promptFile("first"));
        env.writeFile(workspaceFile("b.yaml"), promptFile("b"));
        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QCOMPARE(workspaceIDs(result), (QStringList{"a", "b"}));
        QCOMPARE(result.workspaces.first().prompts.first().id, QStringLiteral("first"));
        QCOMPARE(result.workspaces.first().fileURL, QDir(env.home()).filePath(workspaceFile("a.YAML")));
        QVERIFY(result.issues.isEmpty());
        QVERIFY(result.statusMessage.contains(L10n::string(L10N("status.warning.suffix"), AppLanguage::english, 2)));
        // Nothing is lost: the files that were not loaded stay as they are.
        QCOMPARE(env.readFile(workspaceFile("a.yml")), promptFile("third"));
    }

    void uniqueIDs() {
        TestEnvironment env;
        env.writeFile(workspaceFile("a.yaml"), promptFile("x"));
        env.writeFile(workspaceFile("b.yaml"), promptFile("x"));
        env.writeFile(workspaceFile("c.yaml"), promptFile("x"));
        env.writeFile(workspaceFile("d.yaml"), promptFile("x-2") + "  - id: \"\"\n    title: Hello World!\n");
        PromptConfigLoader loader = englishLoader(env);
        const PromptLoadResult result = loader.loadAllConfigs();
        QStringList ids;
        for (const PromptWorkspace& workspace : result.workspaces) {
            for (const PromptItem& prompt : workspace.prompts) {
                ids.append(prompt.id);
            }
        }
        QCOMPARE(ids, (QStringList{"x", "x-2", "x-3", "x-2-2", "hello-world"}));
        QCOMPARE(loader.warnings().size(), 4);
        QCOMPARE(loader.warnings().first(),
                 L10n::string(L10N("warning.duplicate.prompt.id"), AppLanguage::english, "x", "x-2"));
        const QString suffix = L10n::string(L10N("status.warning.suffix"), AppLanguage::english, 4);
        QVERIFY(suffix.contains(QLatin1Char('4')));
        QCOMPARE(result.statusMessage, L10n::string(L10N("status.loaded.configs"), AppLanguage::english, 4, suffix));

        // A new load starts without the warnings of the last one.
        QFile::remove(QDir(env.home()).filePath(workspaceFile("b.yaml")));
        QFile::remove(QDir(env.home()).filePath(workspaceFile("c.yaml")));
        QFile::remove(QDir(env.home()).filePath(workspaceFile("d.yaml")));
        loader.loadAllConfigs();
        QVERIFY(loader.warnings().isEmpty());
    }

    void slugs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("slug");
        QTest::newRow("words") << "Hello World!"
                               << "hello-world";
        QTest::newRow("accents and underscore") << " Été_2024 "
                                                << "été_2024";
        QTest::newRow("nothing left") << "!!!"
                                      << "workspace";
        QTest::newRow("runs of blanks kept") << "a  b"
                                             << "a--b";
        QTest::newRow("outer hyphens trimmed") << "-x-"
                                               << "x";
        QTest::newRow("other scripts") << "代码 审查"
                                       << "代码-审查";
        QTest::newRow("digits and marks") << "v2 café"
                                          << "v2-café";
    }
    void slugs() {
        QFETCH(QString, text);
        QFETCH(QString, slug);
        QCOMPARE(PromptConfigLoader::slug(text), slug);
    }

    void fileIssues() {
        TestEnvironment env;
        env.writeFile(workspaceFile("good.yaml"), promptFile("g"));
        env.writeFile(workspaceFile("notes.yaml"), "prompts:\n  - id: \"\xff\xfe\"\n");
        env.writeFile(workspaceFile("plain.yaml"), "just: text\n");
        env.writeFile(workspaceFile("overlong.yaml"), "prompts:\n  - id: \xc0\xaf\n");
        QDir(env.home()).mkpath(workspaceFile("folder.yaml"));
        QVERIFY(::mkfifo(QFile::encodeName(QDir(env.home()).filePath(workspaceFile("pipe.yaml"))).constData(), 0600) ==
                0);
        QVERIFY(QFile::link("/dev/zero", QDir(env.home()).filePath(workspaceFile("zero.yaml"))));
        QVERIFY(QFile::link("missing-target.yaml", QDir(env.home()).filePath(workspaceFile("dangling.yaml"))));
        QVERIFY(QFile::link("good.yaml", QDir(env.home()).filePath(workspaceFile("link.yaml"))));

        PromptConfigLoader loader = englishLoader(env);
        const PromptLoadResult result = loader.loadAllConfigs();
        QCOMPARE(issueIDs(result), (QStringList{
                                       "workspace:dangling.yaml:config.issue.unreadable",
                                       "workspace:folder.yaml:config.issue.unreadable",
                                       "workspace:notes.yaml:config.issue.invalid.utf8",
                                       "workspace:overlong.yaml:config.issue.invalid.utf8",
                                       "workspace:pipe.yaml:config.issue.unreadable",
                                       "workspace:plain.yaml:config.issue.invalid.format",
                                       "workspace:zero.yaml:config.issue.unreadable",
                                   }));
        const PromptConfigIssue& first = result.issues.first();
        QCOMPARE(first.kind, PromptConfigIssueKind::unreadable);
        QCOMPARE(first.sourceKind, PromptConfigSourceKind::workspace);
        QCOMPARE(first.displayName, QStringLiteral("dangling.yaml"));
        QCOMPARE(first.message, english("config.issue.unreadable"));
        QCOMPARE(workspaceIDs(result), (QStringList{"good", "link"}));
        QCOMPARE(result.statusMessage,
                 L10n::string(L10N("status.loaded.configs"), AppLanguage::english, 2,
                              L10n::string(L10N("status.warning.suffix"), AppLanguage::english, 1)));
    }

    void emptyGlobalFile() {
        TestEnvironment env;
        env.writeFile(".orris-hollows/global.yaml", "");
        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QCOMPARE(issueIDs(result), QStringList{"global:global.yaml:config.issue.invalid.format"});
        QCOMPARE(result.issues.first().sourceKind, PromptConfigSourceKind::global);
        QVERIFY(!result.showsTransientSamples);
        QVERIFY(result.globalPrompts.isEmpty() && result.workspaces.isEmpty() && result.workspaceMetadata.isEmpty());
        QCOMPARE(result.statusMessage, L10n::string(L10N("status.config.no.prompts"), AppLanguage::english, ""));
    }

    void perFileLimit() {
        TestEnvironment env;
        env.writeFile(".orris-hollows/global.yaml", promptFileOfSize("g", 1'048'577));
        env.writeFile(workspaceFile("exact.yaml"), promptFileOfSize("e", 1'048'576));
        env.writeFile(workspaceFile("small.yaml"), promptFile("s"));
        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        QCOMPARE(issueIDs(result), QStringList{"global:global.yaml:config.issue.per.file.limit"});
        QCOMPARE(result.issues.first().kind, PromptConfigIssueKind::perFileLimitExceeded);
        QVERIFY(result.globalPrompts.isEmpty());
        QCOMPARE(workspaceIDs(result), (QStringList{"exact", "small"}));
        QVERIFY(!result.workspaceMetadata.contains(PromptConfigLoader::globalMetadataKey));
    }

    void aggregateLimit_data() {
        QTest::addColumn<qsizetype>("fileSize");
        QTest::addColumn<int>("refused");           // index of the first refused large file
        QTest::addColumn<bool>("createdInReverse"); // the folder then lists them in another order
        QTest::newRow("eleven of 1,000,000 bytes") << qsizetype(1'000'000) << 10 << false;
        QTest::newRow("eleven, created last to first") << qsizetype(1'000'000) << 10 << true;
        QTest::newRow("ten that fill the limit exactly") << qsizetype(1'048'576) << 10 << false;
    }
    void aggregateLimit() {
        QFETCH(qsizetype, fileSize);
        QFETCH(int, refused);
        QFETCH(bool, createdInReverse);
        TestEnvironment env;
        QStringList expected;
        for (int i = 0; i < 11; ++i) {
            const int number = createdInReverse ? 10 - i : i;
            const QString id = QStringLiteral("f%1").arg(number, 2, 10, QLatin1Char('0'));
            env.writeFile(workspaceFile(id + ".yaml"), promptFileOfSize(id, fileSize));
        }
        for (int i = 0; i < refused; ++i) {
            expected.append(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')));
        }
        // Sorted after the large files; loads when it still fits.
        env.writeFile(workspaceFile("zz-small.yaml"), promptFile("small"));
        const PromptLoadResult result = englishLoader(env).loadAllConfigs();
        const bool smallFits = 10 * fileSize + promptFile("small").size() <= 10'485'760;
        if (smallFits) {
            expected.append("zz-small");
        }
        QCOMPARE(workspaceIDs(result), expected);
        QStringList issues{QStringLiteral("workspace:f%1.yaml:config.issue.aggregate.limit").arg(refused)};
        if (!smallFits) {
            issues.append("workspace:zz-small.yaml:config.issue.aggregate.limit");
        }
        QCOMPARE(issueIDs(result), issues);
        QCOMPARE(result.issues.first().kind, PromptConfigIssueKind::aggregateLimitExceeded);
    }

    void readStopsAtTheLimitWhateverTheClaimedSize() {
        // Files in /proc claim a size of 0 and still give bytes: the read must stop at the limit.
        TestEnvironment env;
        QDir(env.home()).mkpath(workspacesDir);
        QVERIFY(QFile::link("/proc/self/maps", QDir(env.home()).filePath(workspaceFile("maps.yaml"))));
        PromptConfigLimits limits;
        limits.perFileBytes = 64;
        const PromptLoadResult result = englishLoader(env, limits).loadAllConfigs();
        QCOMPARE(issueIDs(result), QStringList{"workspace:maps.yaml:config.issue.per.file.limit"});
    }

    void projectFiles() {
        TestEnvironment env;
        const QString path =
            env.writeFile("project/.orris-hollows.yaml",
                          "workspace:\n  match_paths:\n    - ./api\nprompts:\n  - id: p\n    title: P\n");
        PromptConfigLoader loader = englishLoader(env);
        const std::optional<PromptWorkspace> workspace = loader.parseConfig(path, "project");
        QVERIFY(workspace);
        QCOMPARE(workspace->name, QStringLiteral("project"));
        QCOMPARE(workspace->matchPaths, QStringList{"./api"});
        QCOMPARE(workspace->prompts.size(), 1);
        QCOMPARE(workspace->fileURL, std::optional(path));
        QVERIFY(workspace->fileVersion);

        // Not checked for structure, but guarded like every file we read.
        QVERIFY(loader.parseConfig(env.writeFile("p2/.orris-hollows.yml", "title: no structure\n"), "p2"));
        const QString fifo = QDir(env.home()).filePath("p3.yaml");
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QVERIFY(!loader.parseConfig(fifo, "p3"));
        QVERIFY(!loader.parseConfig(env.writeFile("p4.yaml", QByteArray(1'048'577, '#')), "p4"));
        QVERIFY(!loader.parseConfig(env.writeFile("p5.yaml", "prompts:\n  - id: \xff\n"), "p5"));
        QCOMPARE(loader.warnings().size(), 3);
        QCOMPARE(loader.warnings().first(),
                 L10n::string(L10N("error.config.read.failed"), AppLanguage::english, "p3.yaml"));
    }

    void backgroundLoad() {
        TestEnvironment env;
        env.setPreferredLanguages({"zh-Hans-CN"});
        env.writeFile(workspaceFile("a.yaml"), promptFile("x"));
        env.writeFile(workspaceFile("b.yaml"), promptFile("x"));
        const PromptLoadResult expected =
            PromptConfigLoader(env.environment(), [] { return AppLanguage::zhHans; }).loadAllConfigs();

        BackgroundPromptConfigLoader background(env.environment());
        QCOMPARE(background.limits(), PromptConfigLimits());
        std::optional<PromptLoadResult> delivered;
        QThread* deliveredOn = nullptr;
        QObject context;
        background.loadAllConfigs(AppLanguage::system).then(&context, [&](const PromptLoadResult& result) {
            delivered = result;
            deliveredOn = QThread::currentThread();
        });
        QTRY_VERIFY(delivered.has_value());
        QCOMPARE(deliveredOn, QThread::currentThread());
        QCOMPARE(*delivered, expected);
    }

    void backgroundLoadsRunInOrderAndAlwaysOfferSamples() {
        TestEnvironment env;
        env.defaults()->setBool(PromptConfigLoader::transientSamplesDismissedKey, true);
        BackgroundPromptConfigLoader background(env.environment());
        QStringList finished;
        QObject context;
        for (AppLanguage language : {AppLanguage::english, AppLanguage::zhHans, AppLanguage::english}) {
            background.loadAllConfigs(language).then(&context, [&finished](const PromptLoadResult& result) {
                QVERIFY(result.showsTransientSamples);
                finished.append(result.statusMessage);
            });
        }
        const QString englishStatus = english("status.config.missing.samples");
        const QString chineseStatus = L10n::string(L10N("status.config.missing.samples"), AppLanguage::zhHans);
        QTRY_COMPARE(finished, (QStringList{englishStatus, chineseStatus, englishStatus}));
    }
};

QTEST_GUILESS_MAIN(ConfigLoaderTest)
#include "tst_configloader.moc"
