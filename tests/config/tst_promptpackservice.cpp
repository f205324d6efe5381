#include "TestEnvironment.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptPackService.h"
#include "config/PromptYAMLEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString workspacesDir = QStringLiteral(".orris-hollows/workspaces");

// A pack file with `count` prompts p1, p2 ... after the given header lines.
QString packText(int count, const QString& header = QString()) {
    QString text = header + QStringLiteral("workspace:\n  name: \"Team\"\nprompts:\n");
    for (int i = 1; i <= count; ++i) {
        text += QStringLiteral("  - id: p%1\n    title: Prompt %1\n    text: |\n      Do step %1.\n").arg(i);
    }
    return text;
}

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

PromptPackService englishService(const TestEnvironment& env) {
    return PromptPackService(env.environment(), [] { return AppLanguage::english; });
}

QString errorMessage(const Result<PromptPackImportPreview>& result) {
    return result.ok() ? QString() : result.error().message;
}

QStringList ids(const QList<PromptItem>& prompts) {
    QStringList result;
    for (const PromptItem& prompt : prompts) {
        result.append(prompt.id);
    }
    return result;
}

} // namespace

class PromptPackServiceTest : public QObject {
    Q_OBJECT

private slots:
    void headerDefaults() {
        TestEnvironment env;
        const auto preview = englishService(env).parseImportPreviewFromText(
            QStringLiteral("prompts:\n  - id: a\n    title: A\n    text: x\n"));
        QVERIFY2(preview.ok(), qPrintable(errorMessage(preview)));
        const PromptPackMetadata& metadata = preview->pack.metadata;
        QCOMPARE(metadata.name, QStringLiteral("Prompt Pack"));
        QCOMPARE(metadata.id, QStringLiteral("prompt-pack"));
        QCOMPARE(metadata.version, QStringLiteral("1.0.0"));
        QVERIFY(metadata.description.isEmpty() && metadata.author.isEmpty());
        QCOMPARE(preview->pack.workspace.name, QStringLiteral("Prompt Pack"));
        QCOMPARE(preview->pack.workspace.id, QStringLiteral("prompt-pack"));
    }

    void headerValues_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<PromptPackMetadata>("expected");
        QTest::newRow("as the writer puts it")
            << "pack:\n  id: \"p\"\n  name: \"Team \\\"A\\\"\"\n  description: 'It''s'\n  version: \"2.0\"\n"
               "  author: \"Ann\"\nworkspace:\n  name: W\n"
            << PromptPackMetadata{"p", "Team \"A\"", "It's", "2.0", "Ann"};
        QTest::newRow("anywhere, any order, id from the name")
            << "workspace:\n  name: W\npack:\n  author: Bo\n\n  name:  My Pack  \n"
            << PromptPackMetadata{"my-pack", "My Pack", "", "1.0.0", "Bo"};
        QTest::newRow("a key after an unindented line is not in the header")
            << "pack:\n  name: In\nworkspace:\n  author: Out\n"
            << PromptPackMetadata{"in", "In", "", "1.0.0", ""};
        QTest::newRow("a tab-indented line ends the header") << "pack:\n  name: In\n\tauthor: Out\n"
                                                             << PromptPackMetadata{"in", "In", "", "1.0.0", ""};
        QTest::newRow("longer keys and a blank before the colon do not match")
            << "pack:\n  namespace: x\n  name : y\n  id: \n"
            << PromptPackMetadata{"", "Prompt Pack", "", "1.0.0", ""};
        QTest::newRow("a repeated pack line is skipped") << "pack:\n  pack:\n  name: N\n"
                                                         << PromptPackMetadata{"n", "N", "", "1.0.0", ""};
        QTest::newRow("the first of two values wins") << "pack:\n  name: One\n  name: Two\n"
                                                      << PromptPackMetadata{"one", "One", "", "1.0.0", ""};
    }
    void headerValues() {
        QFETCH(QString, text);
        QFETCH(PromptPackMetadata, expected);
        QCOMPARE(PromptPackService::parseMetadata(text), expected);
    }

    void refusals_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("no items") << "pack:\n  name: P\nprompts:\n" << english("error.pack.no.prompts");
        QTest::newRow("empty text") << "" << english("error.pack.no.prompts");
        QTest::newRow("block without a title") << "prompts:\n  - id: a\n    text: x\n"
                                               << english("error.pack.prompt.required");
        QTest::newRow("block with a blank title") << "prompts:\n  - title: \"  \"\n    text: x\n"
                                                  << english("error.pack.prompt.required");
        QTest::newRow("block without a text") << "prompts:\n  - title: A\n    group: G\n"
                                              << english("error.pack.prompt.required");
        QTest::newRow("text block without lines, refused after reading")
            << "prompts:\n  - title: A\n    text: |\n  - title: B\n    text: b\n"
            << english("error.pack.prompt.required");
        QTest::newRow("unknown agent") << "prompts:\n  - title: A\n    agent: robot\n    text: x\n"
                                       << L10n::string(L10N("error.invalid.agent"), AppLanguage::english,
                                                       QStringLiteral("robot"));
        QTest::newRow("501 prompts") << packText(501) << english("error.pack.too.many.prompts");
    }
    void refusals() {
        QFETCH(QString, text);
        QFETCH(QString, message);
        TestEnvironment env;
        const auto preview = englishService(env).parseImportPreviewFromText(text);
        QVERIFY(!preview.ok());
        QVERIFY(PromptPackError::is(preview.error(), PromptPackError::Code::invalidPack));
        QCOMPARE(preview.error().message, message);
    }

    void messagesFollowTheLanguage() {
        TestEnvironment env;
        AppLanguage language = AppLanguage::zhHans;
        PromptPackService service(env.environment(), [&language] { return language; });
        QCOMPARE(service.parseImportPreviewFromText(QString()).error().message,
                 L10n::string(L10N("error.pack.no.prompts"), AppLanguage::zhHans));
        language = AppLanguage::english;
        QCOMPARE(service.parseImportPreviewFromText(QString()).error().message, english("error.pack.no.prompts"));
    }

    void fiveHundredPromptsInstall() {
        TestEnvironment env;
        PromptPackService service = englishService(env);
        const auto preview = service.parseImportPreviewFromText(packText(500));
        QVERIFY2(preview.ok(), qPrintable(errorMessage(preview)));
        QCOMPARE(preview->pack.workspace.prompts.size(), 500);
        const Result<PromptWorkspace> installed = service.install(preview->pack);
        QVERIFY(installed.ok());
        QCOMPARE(installed->id, QStringLiteral("team"));
        PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
        const PromptLoadResult loaded = loader.loadAllConfigs();
        QCOMPARE(loaded.workspaces.size(), 1);
        QCOMPARE(loaded.workspaces.first().prompts, preview->pack.workspace.prompts);
    }

    void sizeLimit() {
        TestEnvironment env;
        PromptPackService service = englishService(env);
        QString text = packText(1);
        text += QLatin1Char('#') + QString(1'048'576 - text.size() - 2, u'x') + QLatin1Char('\n');
        QCOMPARE(text.toUtf8().size(), 1'048'576);
        QVERIFY(service.parseImportPreviewFromText(text).ok());
        text.prepend(QLatin1Char(' '));
        const auto tooLarge = service.parseImportPreviewFromText(text);
        QVERIFY(!tooLarge.ok());
        QCOMPARE(tooLarge.error().message, english("error.pack.too.large"));
    }

    void idsAreMadeUnique() {
        TestEnvironment env;
        const auto preview = englishService(env).parseImportPreviewFromText(QStringLiteral(
            "workspace:\n  name: W\n  match_paths:\n    - /src/app\nprompts:\n"
            "  - id: a\n    title: One\n    text: x\n  - id: a\n    title: Two\n    text: x\n"
            "  - id: a\n    title: Three\n    text: x\n  - id: \"\"\n    title: Hello World!\n    text: x\n"
            "  - id: \" \"\n    title: Hello World\n    text: x\n"));
        QVERIFY2(preview.ok(), qPrintable(errorMessage(preview)));
        QCOMPARE(ids(preview->pack.workspace.prompts),
                 (QStringList{"a", "a-2", "a-3", "hello-world", "hello-world-2"}));
        // A pack never brings match paths.
        QVERIFY(preview->pack.workspace.matchPaths.isEmpty());
        QCOMPARE(preview->pack.workspace.source, PromptWorkspaceSource::userWorkspace);
        QVERIFY(!preview->pack.workspace.fileURL && !preview->pack.workspace.fileVersion);
    }

    void aBadPreviewDoesNotSpoilTheNext() {
        TestEnvironment env;
        PromptPackService service = englishService(env);
        QVERIFY(!service
                     .parseImportPreviewFromText(QStringLiteral("prompts:\n  - title: A\n    agent: robot\n"
                                                                "    text: x\n"))
                     .ok());
        const auto next = service.parseImportPreviewFromText(packText(2));
        QVERIFY2(next.ok(), qPrintable(errorMessage(next)));
        QCOMPARE(next->pack.workspace.prompts.size(), 2);
    }

    void previewSummary() {
        TestEnvironment env;
        QString text = QStringLiteral("prompts:\n");
        const QStringList groups = {"B", "A", "B", "C", "A", "D", "E"};
        for (int i = 0; i < groups.size(); ++i) {
            text += QStringLiteral("  - title: T%1\n    group: %2\n    text: x\n").arg(i).arg(groups[i]);
        }
        const auto preview = englishService(env).parseImportPreviewFromText(text);
        QVERIFY(preview.ok());
        QCOMPARE(preview->groups(), (QStringList{"B", "A", "C", "D", "E"}));
        QCOMPARE(preview->sampleTitles(), (QStringList{"T0", "T1", "T2", "T3", "T4"}));
    }

    void previewFromFiles() {
        TestEnvironment env;
        PromptPackService service = englishService(env);
        const QString good = env.writeFile("packs/team.orris-hollows-pack.yaml", packText(3).toUtf8());
        const auto preview = service.parseImportPreview(good);
        QVERIFY2(preview.ok(), qPrintable(errorMessage(preview)));
        QCOMPARE(preview->pack.workspace.prompts.size(), 3);
        QVERIFY(QFile::link(good, QDir(env.home()).filePath("packs/link.yaml")));
        QCOMPARE(service.parseImportPreview(QDir(env.home()).filePath("packs/link.yaml"))->pack, preview->pack);
    }

    void unusableFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing" << QString();
        QTest::newRow("link to a device") << "zero" << english("error.pack.not.regular.file");
        QTest::newRow("fifo") << "fifo" << english("error.pack.not.regular.file");
        QTest::newRow("folder") << "folder" << english("error.pack.not.regular.file");
        QTest::newRow("2 MB") << "large" << english("error.pack.too.large");
        QTest::newRow("not UTF-8") << "latin1" << english("error.pack.invalid.utf8");
    }
    void unusableFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        TestEnvironment env;
        const QString path = QDir(env.home()).filePath("pack.yaml");
        if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", path));
        } else if (kind == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else if (kind == "large") {
            env.writeFile("pack.yaml", packText(1).toUtf8() + QByteArray(2 * 1024 * 1024, '#'));
        } else if (kind == "latin1") {
            env.writeFile("pack.yaml", "prompts:\n  - title: Caf\xe9\n    text: x\n");
        }
        LogCapture log;
        const auto preview = englishService(env).parseImportPreview(path);
        QVERIFY(!preview.ok());
        if (message.isEmpty()) {
            QCOMPARE(preview.error(), AppError::posix(2));
        } else {
            QCOMPARE(preview.error().message, message);
        }
        QVERIFY(log.contains(QStringLiteral("Preview prompt pack failed file=") + QFileInfo(env.home()).fileName() +
                             QStringLiteral("/pack.yaml error=")));
    }

    void installNamesAndUniqueFiles() {
        TestEnvironment env;
        PromptPackService service = englishService(env);
        PromptPack blank;
        blank.workspace.name = QStringLiteral(" \t\n");
        const Result<PromptWorkspace> unnamed = service.install(blank);
        QVERIFY(unnamed.ok());
        QCOMPARE(unnamed->name, QStringLiteral("my-workspace"));
        QCOMPARE(QFileInfo(*unnamed->fileURL).fileName(), QStringLiteral("my-workspace.yaml"));

        const PromptPack& builtIn = PromptPackService::builtInPacks(AppLanguage::english).first();
        const Result<PromptWorkspace> first = service.install(builtIn);
        const Result<PromptWorkspace> second = service.install(builtIn);
        QVERIFY(first.ok() && second.ok());
        QCOMPARE(first->id, QStringLiteral("chatgpt-project-audit"));
        QCOMPARE(second->id, QStringLiteral("chatgpt-project-audit-2"));
        QCOMPARE(QFileInfo(*second->fileURL).fileName(), QStringLiteral("chatgpt-project-audit-2.yaml"));
        QCOMPARE(second->name, builtIn.workspace.name);
        QCOMPARE(second->prompts, builtIn.workspace.prompts);
        QVERIFY(second->matchPaths.isEmpty());
        QVERIFY(second->fileVersion);
    }

    void installNormalisesIDs() {
        TestEnvironment env;
        PromptPack pack;
        pack.workspace.name = QStringLiteral("Dup");
        PromptItem item;
        item.title = QStringLiteral("Same");
        item.text = QStringLiteral("x");
        item.id = QStringLiteral("a");
        pack.workspace.prompts = {item, item};
        pack.workspace.matchPaths = {QStringLiteral("/src")};
        const Result<PromptWorkspace> installed = englishService(env).install(pack);
        QVERIFY(installed.ok());
        QCOMPARE(ids(installed->prompts), (QStringList{"a", "a-2"}));
        QVERIFY(installed->matchPaths.isEmpty());
    }

    void aFailedInstallLeavesNoWorkspace() {
        TestEnvironment env;
        ScopedWriteFault fault;
        QVERIFY(!englishService(env).install(PromptPackService::builtInPacks(AppLanguage::english).first()).ok());
        QCOMPARE(QDir(QDir(env.home()).filePath(workspacesDir)).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void builtInPacks_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<QString>("firstName");
        QTest::newRow("english") << AppLanguage::english << QStringList{"zh-Hans"} << "ChatGPT Project Audit Pack";
        QTest::newRow("chinese") << AppLanguage::zhHans << QStringList{"en-US"} << "ChatGPT 项目审计包";
        QTest::newRow("system english") << AppLanguage::system << QStringList{"en-GB"} << "ChatGPT Project Audit Pack";
        QTest::newRow("system chinese") << AppLanguage::system << QStringList{"zh-CN", "en"} << "ChatGPT 项目审计包";
    }
    void builtInPacks() {
        QFETCH(AppLanguage, language);
        QFETCH(QStringList, preferred);
        QFETCH(QString, firstName);
        const QList<PromptPack>& packs = PromptPackService::builtInPacks(language, preferred);
        QCOMPARE(packs.size(), 3);
        QCOMPARE(packs.first().metadata.name, firstName);
        QStringList packIDs;
        for (const PromptPack& pack : packs) {
            packIDs.append(pack.metadata.id);
            QCOMPARE(pack.metadata.version, QStringLiteral("1.0.0"));
            QCOMPARE(pack.metadata.author, QStringLiteral("Orris Hollows"));
            QCOMPARE(pack.workspace.id, pack.metadata.id);
            QVERIFY(pack.workspace.matchPaths.isEmpty() && !pack.workspace.fileURL && !pack.workspace.fileVersion);
            QCOMPARE(pack.workspace.prompts.size(), 4);
            for (const PromptItem& prompt : pack.workspace.prompts) {
                QCOMPARE(prompt.agent,
                         pack.metadata.id == "content-workflow" ? std::nullopt : std::optional(AgentType::codex));
                QVERIFY(!prompt.isPinned && !prompt.shortcut && !prompt.tags.isEmpty());
            }
        }
        QCOMPARE(packIDs, (QStringList{"codex-project-audit", "agent-maintenance-loop", "content-workflow"}));
        QCOMPARE(ids(packs.first().workspace.prompts),
                 (QStringList{"audit-project", "rank-risks", "add-tests", "release-check"}));
        QCOMPARE(packs.first().workspace.prompts.first().tags, (QStringList{"audit", "review"}));
        // Built once per language: the same list every time.
        QCOMPARE(&PromptPackService::builtInPacks(language, preferred), &packs);
    }

    void builtInPacksSurviveExportAndPreview() {
        // Every built-in pack, written as a pack file, previews as the same pack.
        TestEnvironment env;
        for (const AppLanguage language : {AppLanguage::english, AppLanguage::zhHans}) {
            for (const PromptPack& pack : PromptPackService::builtInPacks(language)) {
                const auto preview = englishService(env).parseImportPreviewFromText(
                    PromptYAMLEncoder::encodePack(pack.workspace, pack.metadata));
                QVERIFY2(preview.ok(), qPrintable(errorMessage(preview)));
                QCOMPARE(preview->pack.metadata, pack.metadata);
                QCOMPARE(preview->pack.workspace.name, pack.workspace.name);
                QCOMPARE(preview->pack.workspace.prompts, pack.workspace.prompts);
            }
        }
    }
};

QTEST_GUILESS_MAIN(PromptPackServiceTest)
#include "tst_promptpackservice.moc"
