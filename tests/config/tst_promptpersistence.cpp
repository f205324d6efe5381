#include "FileInspection.h"
#include "TestEnvironment.h"

#include "config/PromptConfigLoader.h"
#include "config/PromptPersistenceService.h"
#include "config/PromptYAMLEncoder.h"
#include "config/SecureFileWriter.h"
#include "config/StateFiles.h"
#include "model/AppLog.h"
#include "model/PromptConfigLimits.h"
#include "model/Sha256.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString workspacesDir = QStringLiteral(".orris-hollows/workspaces");

PromptItem prompt(const QString& id, const QString& title, const QString& text = QStringLiteral("Do it.")) {
    PromptItem item;
    item.id = id;
    item.title = title;
    item.group = QStringLiteral("General");
    item.text = text;
    return item;
}

PromptPersistenceService englishService(const TestEnvironment& env,
                                        PromptPersistenceService::FinalRemoval removal = {}) {
    return PromptPersistenceService(
        env.environment(), [] { return AppLanguage::english; }, std::move(removal));
}

// The workspaces as the loader sees them now.
QList<PromptWorkspace> loadWorkspaces(const TestEnvironment& env) {
    PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
    const PromptLoadResult result = loader.loadAllConfigs();
    return result.showsTransientSamples ? QList<PromptWorkspace>() : result.workspaces;
}

bool hasTemporaryFile(const QString& folder) {
    const QStringList entries = entriesOf(folder);
    return std::any_of(entries.cbegin(), entries.cend(), SecureFileWriter::isTemporaryFileName);
}

std::optional<PromptWorkspace> loadWorkspace(const TestEnvironment& env, const QString& id) {
    for (const PromptWorkspace& workspace : loadWorkspaces(env)) {
        if (workspace.id == id) {
            return workspace;
        }
    }
    return std::nullopt;
}

} // namespace

class PromptPersistenceTest : public QObject {
    Q_OBJECT

private slots:
    void workspaceIDs_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::newRow("punctuation dropped") << "My Prompts!"
                                             << "my-prompts";
        QTest::newRow("letters of any script") << " Été_2024 "
                                               << "été_2024";
        QTest::newRow("nothing left") << "!!!"
                                      << "workspace";
        QTest::newRow("two blanks, two hyphens") << "a  b"
                                                 << "a--b";
        QTest::newRow("hyphens trimmed") << "-x-"
                                         << "x";
        QTest::newRow("chinese") << "前端 项目"
                                 << "前端-项目";
        QTest::newRow("ideographic space") << QString::fromUtf8("a\u3000b") << "a-b";
        QTest::newRow("empty") << ""
                               << "workspace";
    }
    void workspaceIDs() {
        QFETCH(QString, name);
        QFETCH(QString, id);
        QCOMPARE(PromptPersistenceService::makeWorkspaceID(name), id);
        // One slug rule serves the loader too.
        QCOMPARE(PromptConfigLoader::slug(name), id);
    }

    void createsUniqueFilesWithPrivatePermissions() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> first = service.createWorkspace(QStringLiteral("  \n "), {});
        const Result<PromptWorkspace> second =
            service.createWorkspace(QString(), {QStringLiteral("/src/web")}, {prompt("a", "Alpha")});
        QVERIFY(first.ok() && second.ok());

        const QString directory = QDir(env.home()).filePath(workspacesDir);
        QCOMPARE(first->id, QStringLiteral("my-workspace"));
        QCOMPARE(first->name, QStringLiteral("my-workspace"));
        QCOMPARE(first->fileURL, std::optional(directory + "/my-workspace.yaml"));
        QCOMPARE(second->id, QStringLiteral("my-workspace-2"));
        QCOMPARE(second->fileURL, std::optional(directory + "/my-workspace-2.yaml"));
        QCOMPARE(second->source, PromptWorkspaceSource::userWorkspace);
        QCOMPARE(entriesOf(directory), (QStringList{"my-workspace-2.yaml", "my-workspace.yaml"}));

        QCOMPARE(modeOf(*second->fileURL), mode_t(0600));
        QCOMPARE(modeOf(directory), mode_t(0700));
        QCOMPARE(modeOf(env.dataDirectory()), mode_t(0700));

        // What was written reads back as the same workspace, with the version of its bytes.
        const std::optional<PromptWorkspace> loaded = loadWorkspace(env, QStringLiteral("my-workspace-2"));
        QVERIFY(loaded);
        QCOMPARE(loaded->matchPaths, QStringList{"/src/web"});
        QCOMPARE(loaded->prompts, second->prompts);
        QCOMPARE(loaded->fileVersion, second->fileVersion);
        QCOMPARE(second->fileVersion->contentHash, Sha256::hex(contentOf(*second->fileURL)));
    }

    void anIDTakenByEitherExtensionIsNotReused() {
        // "team.yml" already holds the id "team": a "team.yaml" beside it would give two
        // workspaces one id.
        TestEnvironment env;
        env.writeFile(workspacesDir + "/team.YML", "prompts: []\n");
        env.writeFile(workspacesDir + "/team-2.yaml", "prompts: []\n");
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> created = service.createWorkspace(QStringLiteral("Team"), {});
        QVERIFY(created.ok());
        QCOMPARE(created->id, QStringLiteral("team-3"));
        QStringList ids;
        for (const PromptWorkspace& workspace : loadWorkspaces(env)) {
            ids.append(workspace.id);
        }
        QCOMPARE(ids.count(QStringLiteral("team")), 1);
    }

    void aVeryLongNameStillMakesAFile() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QString name = QString(200, QChar(0x5de5)); // 600 bytes of UTF-8
        const Result<PromptWorkspace> created = service.createWorkspace(name, {});
        QVERIFY2(created.ok(), qPrintable(created.ok() ? QString() : created.error().message));
        QCOMPARE(created->name, name);
        QVERIFY(QFileInfo(*created->fileURL).fileName().toUtf8().size() <= 130);
        QVERIFY(service.isolateWorkspaceFile(*created).ok());
    }

    void creationRefusesWhenTheBaseIsAFile() {
        TestEnvironment env;
        env.writeFile(".orris-hollows", "not a folder");
        PromptPersistenceService service = englishService(env);
        QVERIFY(!service.createWorkspace(QStringLiteral("x"), {}).ok());
        QCOMPARE(contentOf(env.dataDirectory()), QByteArray("not a folder"));
    }

    void ensureBaseDirectoryRestrictsExistingFolders() {
        TestEnvironment env;
        QVERIFY(QDir(env.home()).mkpath(workspacesDir));
        QVERIFY(::chmod(QFile::encodeName(env.dataDirectory()).constData(), 0755) == 0);
        QVERIFY(::chmod(QFile::encodeName(QDir(env.home()).filePath(workspacesDir)).constData(), 0775) == 0);
        QVERIFY(englishService(env).ensureBaseDirectory().ok());
        QCOMPARE(modeOf(env.dataDirectory()), mode_t(0700));
        QCOMPARE(modeOf(QDir(env.home()).filePath(workspacesDir)), mode_t(0700));
    }

    void saveWithTheReadVersionSucceeds() {
        TestEnvironment env;
        const QString path = env.writeFile(workspacesDir + "/web.yaml", "workspace:\n  name: Web\nprompts: []\n");
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        workspace.prompts.append(prompt("p", "Plan"));
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        QVERIFY(saved.ok());

        // The new version is the hash of the bytes written, which are the encoder's text.
        const QByteArray written = PromptYAMLEncoder::encodeWorkspace(workspace, true).toUtf8();
        QCOMPARE(contentOf(path), written);
        QCOMPARE(saved->fileVersion, std::optional(PromptConfigLoader::fileVersion(written, path)));
        QCOMPARE(saved->fileURL, std::optional(path));

        // A second save guarded by that version goes through too.
        PromptWorkspace again = *saved;
        again.name = QStringLiteral("Web 2");
        QVERIFY(service.saveWorkspace(again, saved->fileVersion).ok());
        QCOMPARE(loadWorkspace(env, QStringLiteral("web"))->name, QStringLiteral("Web 2"));
    }

    void aLinkedWorkspaceFileIsSavedWhereTheLinkPoints() {
        TestEnvironment env;
        const QString real = env.writeFile("dotfiles/web.yaml", "workspace:\n  name: Web\nprompts: []\n");
        QDir().mkpath(QDir(env.home()).filePath(workspacesDir));
        const QString link = QDir(env.home()).filePath(workspacesDir + "/web.yaml");
        QVERIFY(QFile::link(real, link));
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        workspace.prompts.append(prompt("p", "Plan"));
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        QVERIFY(saved.ok());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contentOf(real), PromptYAMLEncoder::encodeWorkspace(workspace, true).toUtf8());
        // The version guard keeps working through the link.
        PromptWorkspace again = *saved;
        again.name = QStringLiteral("Web 2");
        QVERIFY(service.saveWorkspace(again, saved->fileVersion).ok());
        QCOMPARE(loadWorkspace(env, QStringLiteral("web"))->name, QStringLiteral("Web 2"));
    }

    void lostRacesChangeNothing_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("kind");
        QTest::newRow("one byte edited") << "edit" << int(WorkspaceSaveError::Kind::conflict);
        QTest::newRow("same size, other byte") << "flip" << int(WorkspaceSaveError::Kind::conflict);
        QTest::newRow("removed") << "remove" << int(WorkspaceSaveError::Kind::deleted);
        QTest::newRow("replaced by a folder") << "folder" << int(WorkspaceSaveError::Kind::conflict);
        QTest::newRow("replaced by a dangling link") << "dangling" << int(WorkspaceSaveError::Kind::deleted);
    }
    void lostRacesChangeNothing() {
        QFETCH(QString, change);
        QFETCH(int, kind);
        TestEnvironment env;
        const QByteArray original = "workspace:\n  name: Web\nprompts: []\n";
        const QString path = env.writeFile(workspacesDir + "/web.yaml", original);
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        workspace.name = QStringLiteral("Mine");

        QByteArray onDisk = original;
        if (change == "edit") {
            onDisk = original + "#";
            env.writeFile(workspacesDir + "/web.yaml", onDisk);
        } else if (change == "flip") {
            onDisk[original.indexOf("Web")] = 'w';
            env.writeFile(workspacesDir + "/web.yaml", onDisk);
        } else if (change == "remove") {
            QVERIFY(QFile::remove(path));
        } else if (change == "folder") {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkdir(path));
        } else if (change == "dangling") {
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::link(path + ".gone", path));
        }

        PromptPersistenceService service = englishService(env);
        LogCapture log;
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        QVERIFY(!saved.ok());
        const std::optional<WorkspaceSaveError> error = WorkspaceSaveError::from(saved.error(), path);
        QVERIFY(error);
        QCOMPARE(int(error->kind), kind);
        QCOMPARE(error->path, path);
        QCOMPARE(saved.error().message, error->description(AppLanguage::english));
        QVERIFY(saved.error().message.contains(path));

        if (change == "edit" || change == "flip") {
            QCOMPARE(contentOf(path), onDisk);
        } else if (change == "remove") {
            QVERIFY(!QFileInfo::exists(path));
        } else if (change == "folder") {
            QVERIFY(QFileInfo(path).isDir());
        }
        // Nothing half-written is left behind, and a refusal is not a failed write.
        for (const QString& entry : entriesOf(QDir(env.home()).filePath(workspacesDir))) {
            QVERIFY2(!SecureFileWriter::isTemporaryFileName(entry), qPrintable(entry));
        }
        QVERIFY(!log.contains(QStringLiteral("Secure data write failed")));
    }

    void theExpectedVersionGuardsBeforeTheWorkspacesOwn() {
        TestEnvironment env;
        env.writeFile(workspacesDir + "/web.yaml", "prompts: []\n");
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        WorkspaceFileVersion stale = *workspace.fileVersion;
        stale.contentHash = QString(64, u'0');
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> refused = service.saveWorkspace(workspace, stale);
        QVERIFY(!refused.ok());
        QCOMPARE(WorkspaceSaveError::from(refused.error(), {})->kind, WorkspaceSaveError::Kind::conflict);

        // A version of another path is no guard for this one.
        WorkspaceFileVersion otherPath = *workspace.fileVersion;
        otherPath.path += QStringLiteral(".bak");
        QVERIFY(!service.saveWorkspace(workspace, otherPath).ok());
    }

    void aSaveWithoutVersionOverwrites() {
        TestEnvironment env;
        const QString path = env.writeFile(workspacesDir + "/web.yaml", "someone else's\n");
        PromptWorkspace workspace;
        workspace.id = QStringLiteral("web");
        workspace.name = QStringLiteral("Web");
        const Result<PromptWorkspace> saved = englishService(env).saveWorkspace(workspace, std::nullopt);
        QVERIFY(saved.ok());
        QCOMPARE(saved->fileURL, std::optional(path));
        QCOMPARE(loadWorkspace(env, QStringLiteral("web"))->name, QStringLiteral("Web"));
    }

    void theVersionAfterASaveIsOurs() {
        // Someone edits the file right after our save: our next save must see their change.
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> created = service.createWorkspace(QStringLiteral("Web"), {});
        QVERIFY(created.ok());
        const QByteArray theirs = contentOf(*created->fileURL) + "# their note\n";
        env.writeFile(workspacesDir + "/web.yaml", theirs);
        const Result<PromptWorkspace> saved = service.saveWorkspace(*created, std::nullopt);
        QVERIFY(!saved.ok());
        QCOMPARE(WorkspaceSaveError::from(saved.error(), {})->kind, WorkspaceSaveError::Kind::conflict);
        QCOMPARE(contentOf(*created->fileURL), theirs);
    }

    void aWriterThatSlipsInDuringTheWriteIsSeen() {
        // The fault hook runs while our bytes are being written, after every early look at the
        // target: another writer acting there must still be caught, and keep its content.
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QString path = QDir(env.home()).filePath(workspacesDir + "/web.yaml");
        const QByteArray theirs = "theirs\n";
        const auto slipIn = [&](const QString& target) {
            if (target == path) {
                env.writeFile(workspacesDir + "/web.yaml", theirs);
            }
            return false;
        };

        std::optional<ScopedWriteFault> race(std::in_place, slipIn);
        const Result<PromptWorkspace> created = service.createWorkspace(QStringLiteral("Web"), {});
        race.reset();
        QVERIFY(!created.ok());
        QCOMPARE(WorkspaceSaveError::from(created.error(), path)->kind, WorkspaceSaveError::Kind::conflict);
        QCOMPARE(contentOf(path), theirs);

        env.writeFile(workspacesDir + "/web.yaml", "prompts: []\n");
        const PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        race.emplace(slipIn);
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        race.reset();
        QVERIFY(!saved.ok());
        QCOMPARE(WorkspaceSaveError::from(saved.error(), path)->kind, WorkspaceSaveError::Kind::conflict);
        QCOMPARE(contentOf(path), theirs);
    }

    void aFailedWriteKeepsTheFile() {
        TestEnvironment env;
        const QByteArray original = "workspace:\n  name: Web\nprompts: []\n";
        const QString path = env.writeFile(workspacesDir + "/web.yaml", original);
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        workspace.name = QStringLiteral("Changed");
        ScopedWriteFault fault;
        const Result<PromptWorkspace> saved = englishService(env).saveWorkspace(workspace, std::nullopt);
        QVERIFY(!saved.ok());
        QVERIFY(!WorkspaceSaveError::from(saved.error(), path));
        QCOMPARE(saved.error(), AppError::posix(5));
        QCOMPARE(contentOf(path), original);
    }

    void managedFiles_data() {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("managed");
        QTest::newRow("yaml") << "workspaces/a.yaml" << true;
        QTest::newRow("upper-case yml") << "workspaces/a.YML" << true;
        QTest::newRow("in a sub-folder") << "workspaces/sub/a.yml" << true;
        QTest::newRow("hidden") << "workspaces/.a.yaml" << false;
        QTest::newRow("json") << "workspaces/a.json" << false;
        QTest::newRow("the global file") << "global.yaml" << false;
        QTest::newRow("sibling folder with the same start") << "workspaces2/a.yaml" << false;
        QTest::newRow("dot-dot out of the folder") << "workspaces/../a.yaml" << false;
    }
    void managedFiles() {
        QFETCH(QString, relative);
        QFETCH(bool, managed);
        TestEnvironment env;
        QCOMPARE(englishService(env).isManagedWorkspaceFile(env.dataDirectory() + "/" + relative), managed);
    }

    void isolationHidesTheFileUntilRestored() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const Result<PromptWorkspace> created = service.createWorkspace(QStringLiteral("Web"), {}, {prompt("a", "A")});
        QVERIFY(created.ok());
        const QByteArray content = contentOf(*created->fileURL);

        const auto isolation = service.isolateWorkspaceFile(*created);
        QVERIFY(isolation.ok() && isolation->has_value());
        const WorkspaceFileIsolation moved = **isolation;
        QCOMPARE(moved.originalURL, *created->fileURL);
        QVERIFY(QRegularExpression(QStringLiteral("^\\.orris-hollows-deleting-web-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-"
                                                  "[0-9A-F]{4}-[0-9A-F]{12}\\.tmp$"))
                    .match(QFileInfo(moved.isolatedURL).fileName())
                    .hasMatch());
        QCOMPARE(QFileInfo(moved.isolatedURL).absolutePath(), QFileInfo(moved.originalURL).absolutePath());
        QVERIFY(!QFileInfo::exists(moved.originalURL));
        QVERIFY(!loadWorkspace(env, QStringLiteral("web")));

        QVERIFY(service.restoreIsolatedWorkspaceFile(moved).ok());
        QCOMPARE(contentOf(moved.originalURL), content);
        QVERIFY(!QFileInfo::exists(moved.isolatedURL));
        QCOMPARE(loadWorkspace(env, QStringLiteral("web"))->prompts, created->prompts);
        // Restoring twice finds nothing to move.
        QVERIFY(service.restoreIsolatedWorkspaceFile(moved).ok());
        QVERIFY(service.restoreIsolatedWorkspaceFile(std::nullopt).ok());
    }

    void restoreReplacesAFileThatAppeared() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const PromptWorkspace created = *service.createWorkspace(QStringLiteral("Web"), {});
        const QByteArray content = contentOf(*created.fileURL);
        const WorkspaceFileIsolation moved = **service.isolateWorkspaceFile(created);
        env.writeFile(workspacesDir + "/web.yaml", "newcomer");
        QVERIFY(service.restoreIsolatedWorkspaceFile(moved).ok());
        QCOMPARE(contentOf(*created.fileURL), content);
    }

    void finalRemoval() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const PromptWorkspace created = *service.createWorkspace(QStringLiteral("Web"), {});
        const WorkspaceFileIsolation moved = **service.isolateWorkspaceFile(created);
        QVERIFY(service.finalWorkspaceRemoval(moved.isolatedURL).ok());
        QCOMPARE(entriesOf(QDir(env.home()).filePath(workspacesDir)), QStringList());
        QCOMPARE(service.finalWorkspaceRemoval(moved.isolatedURL).error(), AppError::posix(2));

        // An injected removal is the one used.
        QStringList removed;
        PromptPersistenceService injected = englishService(env, [&removed](const QString& path) -> Status {
            removed.append(path);
            return AppError::posix(16);
        });
        QCOMPARE(injected.finalWorkspaceRemoval(QStringLiteral("/x")).error(), AppError::posix(16));
        QCOMPARE(removed, QStringList{"/x"});
    }

    void isolationWithNothingToMove() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        PromptWorkspace inMemory;
        inMemory.id = QStringLiteral("web");
        const auto none = service.isolateWorkspaceFile(inMemory);
        QVERIFY(none.ok() && !none->has_value());

        PromptWorkspace gone = inMemory;
        gone.fileURL = QDir(env.home()).filePath(workspacesDir + "/web.yaml");
        const auto stillNone = service.isolateWorkspaceFile(gone);
        QVERIFY(stillNone.ok() && !stillNone->has_value());
    }

    void isolationRefusesFilesOutsideTheFolder() {
        TestEnvironment env;
        const QString global = env.writeFile(".orris-hollows/global.yaml", "prompts: []\n");
        PromptWorkspace workspace;
        workspace.id = QStringLiteral("global");
        workspace.fileURL = global;
        LogCapture log;
        const auto refused = englishService(env).isolateWorkspaceFile(workspace);
        QVERIFY(!refused.ok());
        QVERIFY(
            WorkspaceFileDeletionError::is(refused.error(), WorkspaceFileDeletionError::Code::unmanagedWorkspaceFile));
        QVERIFY(refused.error().message.contains(global));
        QVERIFY(
            log.contains(QStringLiteral("Reject unmanaged workspace file isolation file=.orris-hollows/global.yaml")));
        QVERIFY(!log.contains(env.home()));
        QVERIFY(QFileInfo::exists(global));
    }

    void isolatingAHandNamedLongFile() {
        TestEnvironment env;
        const QString name = QString(240, u'n') + QStringLiteral(".yaml");
        const QString path = env.writeFile(workspacesDir + "/" + name, "prompts: []\n");
        PromptWorkspace workspace;
        workspace.id = QFileInfo(path).completeBaseName();
        workspace.fileURL = path;
        const auto isolation = englishService(env).isolateWorkspaceFile(workspace);
        QVERIFY2(isolation.ok(), qPrintable(isolation.ok() ? QString() : isolation.error().message));
        QVERIFY(isolation->has_value());
        QVERIFY(!QFileInfo::exists(path));
    }

    // Another writer acting between the check and the replacement, the moment a save used to lose
    // their edit: renaming their file over ours, writing into the file in place, deleting it, or
    // creating the file a new workspace is about to take.
    void anotherWriterInsideTheReplaceWindow_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("kind");
        QTest::newRow("renamed over") << "rename" << int(WorkspaceSaveError::Kind::conflict);
        QTest::newRow("written in place") << "inPlace" << int(WorkspaceSaveError::Kind::conflict);
        QTest::newRow("deleted") << "delete" << int(WorkspaceSaveError::Kind::deleted);
        QTest::newRow("created before a creation") << "create" << int(WorkspaceSaveError::Kind::conflict);
    }
    void anotherWriterInsideTheReplaceWindow() {
        QFETCH(QString, change);
        QFETCH(int, kind);
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QString path = QDir(env.home()).filePath(workspacesDir + "/web.yaml");
        const QByteArray theirs = "workspace:\n  name: Theirs\nprompts: []\n";
        std::optional<PromptWorkspace> workspace;
        if (change != "create") {
            env.writeFile(workspacesDir + "/web.yaml", "workspace:\n  name: Web\nprompts: []\n");
            workspace = loadWorkspace(env, QStringLiteral("web"));
            workspace->name = QStringLiteral("Mine");
        }
        const auto act = [&] {
            if (change == "rename") {
                const QString staged = env.writeFile("theirs.yaml", theirs);
                QVERIFY(::rename(QFile::encodeName(staged).constData(), QFile::encodeName(path).constData()) == 0);
            } else if (change == "inPlace") {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                QCOMPARE(file.write(theirs), theirs.size());
            } else if (change == "delete") {
                QVERIFY(QFile::remove(path));
            } else {
                env.writeFile(workspacesDir + "/web.yaml", theirs);
            }
        };

        Result<PromptWorkspace> saved = AppError::posix(0);
        {
            ScopedReplaceRace race(path, act);
            saved = change == "create" ? service.createWorkspace(QStringLiteral("Web"), {})
                                       : service.saveWorkspace(*workspace, std::nullopt);
            QVERIFY(race.acted());
        }
        QVERIFY(!saved.ok());
        const std::optional<WorkspaceSaveError> error = WorkspaceSaveError::from(saved.error(), path);
        QVERIFY2(error, qPrintable(saved.error().message));
        QCOMPARE(int(error->kind), kind);
        if (change == "delete") {
            QVERIFY(!StateFiles::exists(path));
        } else {
            QCOMPARE(contentOf(path), theirs);
        }
        QVERIFY(!hasTemporaryFile(QDir(env.home()).filePath(workspacesDir)));
    }

    // On a file system that cannot swap two names the check runs before the rename, as it did.
    void withoutTheSwapTheCheckStillGuards() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QString path = env.writeFile(workspacesDir + "/web.yaml", "workspace:\n  name: Web\nprompts: []\n");
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        const QByteArray theirs = "workspace:\n  name: Theirs\nprompts: []\n";
        {
            ScopedReplaceRace noSwap(
                QStringLiteral("/nowhere"), [] {}, true);
            env.writeFile(workspacesDir + "/web.yaml", theirs);
            const Result<PromptWorkspace> refused = service.saveWorkspace(workspace, std::nullopt);
            QVERIFY(!refused.ok());
            QCOMPARE(WorkspaceSaveError::from(refused.error(), path)->kind, WorkspaceSaveError::Kind::conflict);
            QCOMPARE(contentOf(path), theirs);
            QVERIFY(QFile::remove(path));
            const Result<PromptWorkspace> deleted = service.saveWorkspace(workspace, std::nullopt);
            QVERIFY(!deleted.ok());
            QCOMPARE(WorkspaceSaveError::from(deleted.error(), path)->kind, WorkspaceSaveError::Kind::deleted);

            env.writeFile(workspacesDir + "/web.yaml", "workspace:\n  name: Web\nprompts: []\n");
            workspace = *loadWorkspace(env, QStringLiteral("web"));
            workspace.name = QStringLiteral("Mine");
            QVERIFY(service.saveWorkspace(workspace, std::nullopt).ok());
            QCOMPARE(loadWorkspace(env, QStringLiteral("web"))->name, QStringLiteral("Mine"));
        }
        QVERIFY(!hasTemporaryFile(QDir(env.home()).filePath(workspacesDir)));
    }

    // A file the loader refuses (over its per-file limit) would leave the workspace unreadable at
    // the next start: such a save, creation or pack install writes nothing.
    void aWorkspaceLargerThanTheLoaderReadsIsRefused() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QByteArray original = "workspace:\n  name: Web\nprompts: []\n";
        const QString path = env.writeFile(workspacesDir + "/web.yaml", original);
        PromptWorkspace workspace = *loadWorkspace(env, QStringLiteral("web"));
        const QString pasted = QString(500'000, u'x');
        for (int i = 0; i < 3; ++i) {
            workspace.prompts.append(prompt(QStringLiteral("p%1").arg(i), QStringLiteral("Pasted"), pasted));
        }
        LogCapture log;
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        QVERIFY(!saved.ok());
        QVERIFY(WorkspaceFileError::is(saved.error(), WorkspaceFileError::Code::tooLarge));
        QVERIFY(saved.error().message.contains(QString::number(PromptConfigLimits{}.perFileBytes)));
        QCOMPARE(contentOf(path), original);
        QVERIFY(log.contains("Reject workspace save over the file limit file=workspaces/web.yaml"));

        const Result<PromptWorkspace> created = service.createWorkspace(QStringLiteral("Big"), {}, workspace.prompts);
        QVERIFY(!created.ok());
        QVERIFY(WorkspaceFileError::is(created.error(), WorkspaceFileError::Code::tooLarge));
        QCOMPARE(entriesOf(QDir(env.home()).filePath(workspacesDir)), QStringList{"web.yaml"});

        // Two of the three still fit, and load again.
        workspace.prompts.removeLast();
        QVERIFY(service.saveWorkspace(workspace, std::nullopt).ok());
        QCOMPARE(loadWorkspace(env, QStringLiteral("web"))->prompts.size(), 2);
    }

    // Nor may a write take the library past the total a load reads: the next start would drop
    // workspaces. Such a creation or save is refused before writing; one that does not grow its
    // file still goes through, so a library already too large can be mended.
    void aWriteThatTakesTheLibraryPastItsLimitIsRefused() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QList<PromptItem> large{prompt("big", "Big", QString(950'000, u'x'))};
        QList<PromptWorkspace> created;
        for (int i = 0; i < 11; ++i) {
            Result<PromptWorkspace> workspace = service.createWorkspace(QStringLiteral("Large %1").arg(i), {}, large);
            QVERIFY2(workspace.ok(), qPrintable(QString::number(i)));
            created.append(*workspace);
        }
        const QStringList before = entriesOf(QDir(env.home()).filePath(workspacesDir));
        LogCapture log;
        const Result<PromptWorkspace> twelfth = service.createWorkspace(QStringLiteral("Large 11"), {}, large);
        QVERIFY(!twelfth.ok());
        QVERIFY(WorkspaceFileError::is(twelfth.error(), WorkspaceFileError::Code::libraryTooLarge));
        QVERIFY(twelfth.error().message.contains(QString::number(PromptConfigLimits{}.aggregateBytes)));
        QVERIFY(twelfth.error().message.contains(QStringLiteral("Large 11")));
        QCOMPARE(entriesOf(QDir(env.home()).filePath(workspacesDir)), before);
        QVERIFY(log.contains("Reject workspace save over the library limit file=workspaces/large-11.yaml"));

        // Growing a file that is there already is refused too, and leaves it as it was.
        PromptWorkspace grown = created.first();
        grown.prompts.append(prompt("more", "More", QString(60'000, u'y')));
        const QByteArray original = contentOf(*grown.fileURL);
        const Result<PromptWorkspace> saved = service.saveWorkspace(grown, std::nullopt);
        QVERIFY(!saved.ok());
        QVERIFY(WorkspaceFileError::is(saved.error(), WorkspaceFileError::Code::libraryTooLarge));
        QCOMPARE(contentOf(*grown.fileURL), original);

        // A save that keeps or shrinks its file goes through; then the loader reads every file.
        PromptWorkspace renamed = created.last();
        renamed.name = QStringLiteral("Large X");
        QVERIFY(service.saveWorkspace(renamed, std::nullopt).ok());
        PromptConfigLoader loader(env.environment(), [] { return AppLanguage::english; });
        const PromptLoadResult loaded = loader.loadAllConfigs();
        QVERIFY(loaded.issues.isEmpty());
        QCOMPARE(loaded.workspaces.size(), 11);
    }

    // The temporary name must not grow with the target's: a file whose name is near the limit
    // loads, so it must save too.
    void aFileNamedNearTheLimitCanBeSaved() {
        TestEnvironment env;
        const QString stem = QString(250, u'n');
        const QString path =
            env.writeFile(workspacesDir + "/" + stem + ".yaml", "workspace:\n  name: Long\nprompts: []\n");
        PromptWorkspace workspace = *loadWorkspace(env, stem);
        workspace.name = QStringLiteral("Longer");
        const Result<PromptWorkspace> saved = englishService(env).saveWorkspace(workspace, std::nullopt);
        QVERIFY2(saved.ok(), qPrintable(saved.ok() ? QString() : saved.error().message));
        QCOMPARE(saved->fileURL, std::optional(path));
        QCOMPARE(loadWorkspace(env, stem)->name, QStringLiteral("Longer"));
    }

    void idsThatAreNoFileNameAreRefused_data() {
        QTest::addColumn<QString>("id");
        QTest::newRow("parent steps") << "../../escaped-by-id";
        QTest::newRow("separator") << "a/b";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("hidden") << ".web";
        QTest::newRow("empty") << "";
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
        QTest::newRow("newline") << QStringLiteral("web\nnotes");
        QTest::newRow("300 bytes") << QString(300, u'x');
        QTest::newRow("5,000 bytes") << QString(5'000, u'x');
        QTest::newRow("251 bytes, one too many for the file name") << QString(251, u'x');
    }
    // Ids are checked once, where they would become a file name, and the message and the log show
    // a short printable form of them, never the raw "File name too long" or a NUL.
    void idsThatAreNoFileNameAreRefused() {
        QFETCH(QString, id);
        TestEnvironment env;
        PromptWorkspace workspace;
        workspace.id = id;
        workspace.name = QStringLiteral("Escape");
        const Result<PromptWorkspace> saved = englishService(env).saveWorkspace(workspace, std::nullopt);
        QVERIFY(!saved.ok());
        QVERIFY(WorkspaceFileError::is(saved.error(), WorkspaceFileError::Code::invalidID));
        QVERIFY(!saved.error().message.contains(QChar(u'\0')));
        QVERIFY(!saved.error().message.contains(u'\n'));
        QVERIFY(saved.error().message.size() < 400);
        QVERIFY(!QFileInfo::exists(QDir(env.home()).filePath("escaped-by-id.yaml")));
        QVERIFY(!QFileInfo::exists(env.dataDirectory()));
    }

    // The longest id whose file name fits is saved and loads.
    void anIDOf250BytesIsSaved() {
        TestEnvironment env;
        PromptWorkspace workspace;
        workspace.id = QString(250, u'x');
        workspace.name = QStringLiteral("Long");
        QVERIFY(englishService(env).saveWorkspace(workspace, std::nullopt).ok());
        QCOMPARE(loadWorkspace(env, workspace.id)->name, QStringLiteral("Long"));
    }

    // A file no load reads (hidden, or without a prompt file's extension) is no save target.
    void aSaveToAFileNoLoadReadsIsRefused_data() {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("only an extension") << ".yaml";
        QTest::newRow("hidden") << ".web.yaml";
        QTest::newRow("no extension") << "web";
        QTest::newRow("other extension") << "web.txt";
    }
    void aSaveToAFileNoLoadReadsIsRefused() {
        QFETCH(QString, fileName);
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        QVERIFY(service.ensureBaseDirectory().ok());
        PromptWorkspace workspace;
        workspace.id = QStringLiteral("web");
        workspace.name = QStringLiteral("Web");
        workspace.fileURL = service.workspacesDirectory() + u'/' + fileName;
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        QVERIFY(!saved.ok());
        QVERIFY(WorkspaceFileError::is(saved.error(), WorkspaceFileError::Code::invalidID));
        QCOMPARE(entriesOf(service.workspacesDirectory()), QStringList{});
    }

    // Log lines show caller ids bounded and printable.
    void logLinesShowIDsBoundedAndPrintable() {
        const QString longID = QString(5'000, u'x');
        const QString logged = AppLog::workspaceIDContext(longID);
        QVERIFY(logged.size() < 120);
        QVERIFY(logged.endsWith(QStringLiteral("…(5000 bytes)")));
        QCOMPARE(AppLog::workspaceIDContext(QStringLiteral("a\nb") + QChar(u'\0')), QStringLiteral("a\\u{a}b\\u{0}"));
        QCOMPARE(AppLog::workspaceIDContext(QStringLiteral("web")), QStringLiteral("web"));
    }

    // A folder inside the workspaces folder that links elsewhere leads out of the data folder:
    // nothing there is saved over or deleted. A workspaces folder that is itself a link (to a
    // dotfiles folder, say) is still ours.
    void linkedFoldersAreJudgedWhereTheyLead() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        QVERIFY(service.ensureBaseDirectory().ok());
        const QByteArray victim = "workspace:\n  name: Victim\nprompts: []\n";
        const QString outside = env.writeFile("elsewhere/victim.yaml", victim);
        const QString linked = QDir(env.home()).filePath(workspacesDir + "/linked");
        QVERIFY(QFile::link(QFileInfo(outside).absolutePath(), linked));
        PromptWorkspace workspace;
        workspace.id = QStringLiteral("victim");
        workspace.name = QStringLiteral("Overwritten");
        workspace.fileURL = linked + QStringLiteral("/victim.yaml");

        QVERIFY(!service.isManagedWorkspaceFile(*workspace.fileURL));
        QVERIFY(!service.isolateWorkspaceFile(workspace).ok());
        LogCapture log;
        const Result<PromptWorkspace> saved = service.saveWorkspace(workspace, std::nullopt);
        QVERIFY(!saved.ok());
        QVERIFY(WorkspaceFileError::is(saved.error(), WorkspaceFileError::Code::outsideDataFolder));
        QCOMPARE(contentOf(outside), victim);
        QVERIFY(log.contains("Reject workspace save outside the data folder file=linked/victim.yaml"));

        TestEnvironment dotfiles;
        const QString real = dotfiles.writeFile("dotfiles/workspaces/web.yaml", "prompts: []\n");
        QVERIFY(QDir(dotfiles.home()).mkpath(".orris-hollows"));
        QVERIFY(QFile::link(QFileInfo(real).absolutePath(), QDir(dotfiles.home()).filePath(workspacesDir)));
        PromptPersistenceService linkedService = englishService(dotfiles);
        PromptWorkspace web = *loadWorkspace(dotfiles, QStringLiteral("web"));
        QVERIFY(linkedService.isManagedWorkspaceFile(*web.fileURL));
        web.name = QStringLiteral("Web");
        QVERIFY(linkedService.saveWorkspace(web, std::nullopt).ok());
        QVERIFY(contentOf(real).contains("Web"));
    }

    // A file put back after an isolation never replaces a file that appeared at its old place
    // meanwhile: it takes a new name beside it.
    void puttingBackNeverReplacesAFile() {
        TestEnvironment env;
        PromptPersistenceService service = englishService(env);
        const QString original = env.writeFile(workspacesDir + "/web.yaml", "prompts: []\n");
        const QString first =
            env.writeFile(workspacesDir + "/.orris-hollows-deleting-web-x.tmp", "workspace:\n  name: Old\n");
        const QString fresh = QDir(env.home()).filePath(workspacesDir + "/fresh.yaml");
        const Result<QString> free = service.putBackIsolatedWorkspaceFile(first, fresh);
        QVERIFY(free.ok());
        QCOMPARE(*free, fresh);
        QCOMPARE(contentOf(fresh), QByteArray("workspace:\n  name: Old\n"));

        const QString second =
            env.writeFile(workspacesDir + "/.orris-hollows-deleting-web-y.tmp", "workspace:\n  name: Older\n");
        const Result<QString> taken = service.putBackIsolatedWorkspaceFile(second, original);
        QVERIFY(taken.ok());
        QCOMPARE(QFileInfo(*taken).fileName(), QStringLiteral("web-2.yaml"));
        QCOMPARE(contentOf(original), QByteArray("prompts: []\n"));
        QCOMPARE(contentOf(*taken), QByteArray("workspace:\n  name: Older\n"));
    }
};

QTEST_GUILESS_MAIN(PromptPersistenceTest)
#include "tst_promptpersistence.moc"
