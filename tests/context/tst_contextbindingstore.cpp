#include "TestEnvironment.h"

#include "context/ContextBindingStore.h"
#include "model/StateJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {

const QString agentFile = QStringLiteral(".orris-hollows/agent-workspace-bindings.json");
const QString legacyFile = QStringLiteral(".orris-hollows/context-bindings.json");

QByteArray bindingJson(const QString& id, const QString& type, const QString& workspace, bool isDefault = false,
                       const QString& createdAt = "2025-03-01T08:15:00Z") {
    return QStringLiteral(R"({"id":"%1","agentType":"%2","appName":"App","workspaceID":"%3","isDefault":%4,)"
                          R"("createdAt":"%5"})")
        .arg(id, type, workspace, isDefault ? "true" : "false", createdAt)
        .toUtf8();
}

QByteArray agentFileWith(const QList<QByteArray>& bindings, const QByteArray& extra = R"(, "version": 3)") {
    QByteArray joined;
    for (const QByteArray& binding : bindings) {
        joined += (joined.isEmpty() ? "" : ",") + binding;
    }
    return "{\"bindings\": [" + joined + "]" + extra + "}";
}

QByteArray legacyJson(const QString& id, const QString& app, const QString& keyword, const QString& workspace,
                      const std::optional<QString>& bundle = std::nullopt) {
    const QString bundleMember = bundle ? QStringLiteral(R"("bundleIdentifier":"%1",)").arg(*bundle) : QString();
    return QStringLiteral(R"({"id":"%1","appName":"%2",%3"windowKeyword":"%4","workspaceID":"%5",)"
                          R"("createdAt":"2024-01-01T00:00:00Z"})")
        .arg(id, app, bundleMember, keyword, workspace)
        .toUtf8();
}

AgentContext contextFor(AgentType agent, const QString& appName = {}, const QString& title = {},
                        const std::optional<QString>& bundle = std::nullopt, const QString& workspaceName = {}) {
    AgentContext context;
    context.agent = agent;
    context.frontmostAppName = appName;
    context.frontWindowTitle = title;
    context.frontmostBundleIdentifier = bundle;
    context.workspaceName = workspaceName;
    return context;
}

QStringList workspacesOf(const QList<AgentWorkspaceBinding>& bindings) {
    QStringList ids;
    for (const auto& binding : bindings) {
        ids.append(binding.workspaceID + (binding.isDefault ? "*" : ""));
    }
    return ids;
}

QJsonObject readJsonObject(const TestEnvironment& env, const QString& path) {
    return QJsonDocument::fromJson(env.readFile(path)).object();
}

bool isUnreadable(const AppError& error) {
    return AgentWorkspaceBindingStoreError::is(error, AgentWorkspaceBindingStoreError::Code::unreadableBindingsFile);
}

} // namespace

class ContextBindingStoreTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesNothing() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        QVERIFY(store.agentWorkspaceBindings().isEmpty());
        QVERIFY(store.bindings().isEmpty());
        QVERIFY(store.agentWorkspaceBindingWarnings().isEmpty());
        QVERIFY(!store.agentWorkspaceBindingLoadError());
        QVERIFY(!QFileInfo::exists(env.dataDirectory()));
    }

    void undecodableObjectsAreWrittenBackAfterTheValidOnes() {
        TestEnvironment env;
        const QByteArray missingType = R"({"id":"M","appName":"A","workspaceID":"w","isDefault":false,"createdAt":1})";
        const QByteArray unknownWord = R"({"agentType":"foo","id":"F","future":{"nested":[1,2.5,"a/b"]}})";
        env.writeFile(agentFile, agentFileWith({"1", missingType, unknownWord, bindingJson("V", "zed", "w1"),
                                                bindingJson("W", "cursor", "w2")}));
        ContextBindingStore store(env.environment());
        QCOMPARE(store.agentWorkspaceBindingWarnings(),
                 (QStringList{"Skipped binding 1 because it is not a JSON object",
                              "Skipped binding 2 with unsupported or invalid agentType: missing",
                              "Skipped binding 3 with unsupported or invalid agentType: foo"}));
        QCOMPARE(store.agentWorkspaceBindings().size(), 2);
        const QByteArray before = env.readFile(agentFile);

        QVERIFY(store.setLastSelectedWorkspaceID("w1", contextFor(AgentType::zed)).ok());
        QVERIFY(env.readFile(agentFile) != before);
        const QJsonArray written = readJsonObject(env, agentFile).value("bindings").toArray();
        QCOMPARE(written.size(), 4);
        QCOMPARE(written.at(0).toObject().value("id").toString(), QStringLiteral("V"));
        QCOMPARE(written.at(1).toObject().value("id").toString(), QStringLiteral("W"));
        QCOMPARE(written.at(2).toObject(), QJsonDocument::fromJson(missingType).object());
        QCOMPARE(written.at(3).toObject(), QJsonDocument::fromJson(unknownWord).object());
        QVERIFY(env.readFile(agentFile).contains(R"("a\/b")"));
    }

    void olderFilesAreRewrittenAsVersion3_data() {
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<bool>("rewritten");
        QTest::newRow("no version") << QByteArray() << true;
        QTest::newRow("version 2") << QByteArray(R"(, "version": 2)") << true;
        QTest::newRow("version 3") << QByteArray(R"(, "version": 3)") << false;
        QTest::newRow("version 4") << QByteArray(R"(, "version": 4)") << false;
    }
    void olderFilesAreRewrittenAsVersion3() {
        QFETCH(QByteArray, extra);
        QFETCH(bool, rewritten);
        TestEnvironment env;
        const QByteArray original = agentFileWith({bindingJson("A", "claude-code", "w"), "{\"agentType\":\"foo\"}"},
                                                  extra + R"(, "lastSelectedWorkspaceIDs": {"claude-code": "w"})");
        env.writeFile(agentFile, original);
        ContextBindingStore store(env.environment());
        QVERIFY(!store.agentWorkspaceBindingLoadError());
        if (!rewritten) {
            QCOMPARE(env.readFile(agentFile), original);
            return;
        }
        const QByteArray expected = ContextBindingStore::encodeAgentWorkspaceBindingFile(
            store.agentWorkspaceBindings(), {QJsonDocument::fromJson("{\"agentType\":\"foo\"}").object()},
            {{"terminal", "w"}}, false);
        QCOMPARE(env.readFile(agentFile), expected);
        QCOMPARE(store.agentWorkspaceBindings().at(0).agentType, AgentType::terminal);
    }

    void unusableFileRefusesEveryChange_data() {
        QTest::addColumn<QByteArray>("content"); // empty name: a folder stands where the file belongs
        QTest::addColumn<bool>("folder");
        QTest::newRow("zero bytes") << QByteArray() << false;
        QTest::newRow("not JSON") << QByteArray("{\"bindings\": [") << false;
        QTest::newRow("top-level list") << QByteArray("[]") << false;
        QTest::newRow("unreadable (a folder)") << QByteArray() << true;
    }
    void unusableFileRefusesEveryChange() {
        QFETCH(QByteArray, content);
        QFETCH(bool, folder);
        TestEnvironment env;
        env.writeFile(legacyFile, "[" + legacyJson("L", "Cursor", "kw", "w") + "]");
        if (folder) {
            QVERIFY(QDir().mkpath(QDir(env.home()).filePath(agentFile)));
        } else {
            env.writeFile(agentFile, content);
        }
        LogCapture log;
        ContextBindingStore store(env.environment());
        QVERIFY(log.contains("Load agent workspace bindings failed file=.orris-hollows/agent-workspace-bindings.json"));
        QVERIFY(store.agentWorkspaceBindingLoadError());
        QCOMPARE(store.agentWorkspaceBindingLoadError()->filePath, store.agentBindingsFilePath());
        QVERIFY(!store.agentWorkspaceBindingLoadError()->message.isEmpty());
        QVERIFY(store.agentWorkspaceBindings().isEmpty());
        const QByteArray legacyBefore = env.readFile(legacyFile);

        const auto added = store.addAgentWorkspaceBinding(AgentType::cursor, "Cursor", std::nullopt, "w", true);
        QVERIFY(!added.ok());
        QVERIFY(isUnreadable(added.error()));
        QVERIFY(added.error().message.contains(store.agentBindingsFilePath()));
        QVERIFY(isUnreadable(store.deleteAgentWorkspaceBinding("x").error()));
        QVERIFY(isUnreadable(store.setLastSelectedWorkspaceID("w", contextFor(AgentType::cursor)).error()));
        QVERIFY(isUnreadable(store.deleteWorkspaceReferences("w").error()));
        QVERIFY(isUnreadable(store.throwIfBindingsFileUnreadable().error()));
        QVERIFY(!store.restoreState(store.stateSnapshot()).ok());

        if (folder) {
            QVERIFY(QFileInfo(QDir(env.home()).filePath(agentFile)).isDir());
        } else {
            QCOMPARE(env.readFile(agentFile), content);
        }
        QCOMPARE(env.readFile(legacyFile), legacyBefore);
        QCOMPARE(store.bindings().size(), 1); // legacy bindings still load

        // A reload that succeeds clears the error.
        if (folder) {
            QVERIFY(QDir(QDir(env.home()).filePath(agentFile)).removeRecursively());
        }
        env.writeFile(agentFile, agentFileWith({bindingJson("A", "cursor", "w")}));
        store.reload();
        QVERIFY(!store.agentWorkspaceBindingLoadError());
        QVERIFY(store.addAgentWorkspaceBinding(AgentType::zed, "Zed", std::nullopt, "w", false).ok());
    }

    void failedRewriteOrMigrationSetsTheLoadError() {
        TestEnvironment env;
        const QByteArray old = agentFileWith({bindingJson("A", "cursor", "w")}, {});
        env.writeFile(agentFile, old);
        {
            ScopedWriteFault fault;
            ContextBindingStore store(env.environment());
            QVERIFY(store.agentWorkspaceBindingLoadError());
            QVERIFY(store.agentWorkspaceBindings().isEmpty());
            QCOMPARE(env.readFile(agentFile), old);
        }

        TestEnvironment legacyOnly;
        legacyOnly.writeFile(legacyFile,
                             "[" + legacyJson("L", "Cursor", ContextBindingStore::appBindingKeyword, "w") + "]");
        ScopedWriteFault fault;
        LogCapture log;
        ContextBindingStore store(legacyOnly.environment());
        QVERIFY(log.contains("Save migrated agent workspace bindings failed"));
        QVERIFY(store.agentWorkspaceBindingLoadError());
        QCOMPARE(store.agentWorkspaceBindings().size(), 1); // kept in memory
        QVERIFY(!QFileInfo::exists(QDir(legacyOnly.home()).filePath(agentFile)));
    }

    void legacyApplicationBindingMigratesOnce() {
        TestEnvironment env;
        const QByteArray legacy = "[" + legacyJson("L1", "Cursor", ContextBindingStore::appBindingKeyword, "w1") + "," +
                                  legacyJson("L2", "Notes", "Roadmap", "w2") + "]";
        env.writeFile(legacyFile, legacy);
        ContextBindingStore store(env.environment());
        QCOMPARE(store.agentWorkspaceBindings().size(), 1);
        const AgentWorkspaceBinding migrated = store.agentWorkspaceBindings().at(0);
        QCOMPARE(migrated.agentType, AgentType::cursor);
        QCOMPARE(migrated.workspaceID, QStringLiteral("w1"));
        QVERIFY(!migrated.isDefault);
        QCOMPARE(migrated.createdAt, QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
        const QJsonObject written = readJsonObject(env, agentFile);
        QVERIFY(written.value("migratedFromContextBindings").toBool());
        QCOMPARE(written.value("version").toInt(), 3);
        QCOMPARE(env.readFile(legacyFile), legacy);
        QCOMPARE(store.bindings().size(), 2);

        // The keyword binding is still matched; the application binding never is.
        QCOMPARE(store.binding(contextFor(AgentType::unknown, "Notes", "Q3 roadmap - Notes"))->id,
                 QStringLiteral("L2"));
        QVERIFY(!store.binding(contextFor(AgentType::cursor, "Cursor", "anything")));

        // Once the agent file exists, removing the migrated binding does not bring it back.
        QVERIFY(store.deleteAgentWorkspaceBinding(migrated.id).ok());
        store.reload();
        QVERIFY(store.agentWorkspaceBindings().isEmpty());
        ContextBindingStore second(env.environment());
        QVERIFY(second.agentWorkspaceBindings().isEmpty());
        QCOMPARE(env.readFile(legacyFile), legacy);
    }

    void addingMovesAndKeepsTheDefault() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        QSignalSpy changed(&store, &ContextBindingStore::stateChanged);
        const auto onV = store.addAgentWorkspaceBinding(AgentType::cursor, "Cursor", std::nullopt, "V", true);
        QVERIFY(onV.ok());
        env.clock().advance(std::chrono::seconds(5));
        const auto onW = store.addAgentWorkspaceBinding(AgentType::cursor, "Cursor", std::nullopt, "W", true);
        QVERIFY(onW.ok());
        QCOMPARE(workspacesOf(store.agentWorkspaceBindings()), (QStringList{"V", "W*"}));

        env.clock().advance(std::chrono::seconds(5));
        const auto again = store.addAgentWorkspaceBinding(AgentType::cursor, "Cursor 2", QString("com.x"), "W", false);
        QVERIFY(again.ok());
        QCOMPARE(again->id, onW->id);
        QCOMPARE(again->createdAt, onW->createdAt);
        QVERIFY(again->isDefault);
        QCOMPARE(again->appName, QStringLiteral("Cursor 2"));
        QCOMPARE(workspacesOf(store.agentWorkspaceBindings()), (QStringList{"V", "W*"}));
        QCOMPARE(changed.count(), 3);

        // The file holds what memory holds, and reads back the same.
        ContextBindingStore reread(env.environment());
        QCOMPARE(reread.agentWorkspaceBindings(), store.agentWorkspaceBindings());
    }

    void addingResolvesTheAgent() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        const auto inferred = store.addAgentWorkspaceBinding(AgentType::unknown, "Cursor", std::nullopt, "w", false);
        QVERIFY(inferred.ok());
        QCOMPARE(inferred->agentType, AgentType::cursor);

        const auto claude = store.addAgentWorkspaceBinding(AgentType::claudeCode, "Terminal", std::nullopt, "w", false);
        QVERIFY(claude.ok());
        QCOMPARE(claude->agentType, AgentType::terminal);
        QVERIFY(store.agentWorkspaceBinding(AgentType::terminal, "w"));

        const QByteArray before = env.readFile(agentFile);
        const auto unknown = store.addAgentWorkspaceBinding(AgentType::unknown, "Notepad", std::nullopt, "w", true);
        QVERIFY(!unknown.ok());
        QVERIFY(AgentWorkspaceBindingStoreError::is(unknown.error(),
                                                    AgentWorkspaceBindingStoreError::Code::unknownAgentBinding));
        QCOMPARE(env.readFile(agentFile), before);
        QCOMPARE(store.agentWorkspaceBindings().size(), 2);
    }

    void failedWritesLeaveMemoryAsItWas() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        QVERIFY(store.addAgentWorkspaceBinding(AgentType::cursor, "Cursor", std::nullopt, "V", true).ok());
        QVERIFY(store.setLastSelectedWorkspaceID("V", contextFor(AgentType::cursor)).ok());
        const ContextBindingStateSnapshot before = store.stateSnapshot();
        const QByteArray fileBefore = env.readFile(agentFile);
        QSignalSpy changed(&store, &ContextBindingStore::stateChanged);

        const QList<std::function<bool()>> operations{
            [&] { return store.addAgentWorkspaceBinding(AgentType::cursor, "C", std::nullopt, "W", true).ok(); },
            [&] { return store.deleteAgentWorkspaceBinding(before.agentWorkspaceBindings.at(0).id).ok(); },
            [&] { return store.setLastSelectedWorkspaceID("W", contextFor(AgentType::cursor)).ok(); },
            [&] { return store.deleteWorkspaceReferences("V").ok(); },
        };
        ScopedWriteFault fault;
        LogCapture log;
        for (const auto& operation : operations) {
            QVERIFY(!operation());
            QCOMPARE(store.stateSnapshot(), before);
            QCOMPARE(env.readFile(agentFile), fileBefore);
        }
        QVERIFY(log.contains("Save agent workspace bindings failed file=.orris-hollows/agent-workspace-bindings.json"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(store.lastSelectedWorkspaceID(contextFor(AgentType::cursor)), std::optional<QString>("V"));
    }

    void deletingAWorkspaceRemovesEveryReference() {
        TestEnvironment env;
        env.writeFile(legacyFile,
                      "[" + legacyJson("L1", "Notes", "a", "W") + "," + legacyJson("L2", "Notes", "b", "X") + "]");
        env.writeFile(agentFile,
                      agentFileWith({bindingJson("A", "cursor", "W"), bindingJson("B", "zed", "X")},
                                    R"(, "version": 3, "lastSelectedWorkspaceIDs": {"cursor": "W", "zed": "X"})"));
        ContextBindingStore store(env.environment());
        QVERIFY(store.deleteWorkspaceReferences("W").ok());
        QCOMPARE(workspacesOf(store.agentWorkspaceBindings()), QStringList{"X"});
        QCOMPARE(store.bindings().size(), 1);
        QCOMPARE(store.bindings().at(0).id, QStringLiteral("L2"));
        QVERIFY(!store.lastSelectedWorkspaceID(contextFor(AgentType::cursor)));
        QCOMPARE(store.lastSelectedWorkspaceID(contextFor(AgentType::zed)), std::optional<QString>("X"));

        ContextBindingStore reread(env.environment());
        QCOMPARE(reread.stateSnapshot(), store.stateSnapshot());
    }

    void legacyFileIsWrittenOnlyWhenItsBindingsChange() {
        // An unreadable legacy file must not be replaced by the empty list that stands in for it.
        TestEnvironment env;
        const QByteArray damaged = "[{\"id\": \"L\"";
        env.writeFile(legacyFile, damaged);
        LogCapture log;
        ContextBindingStore store(env.environment());
        QVERIFY(log.contains("Load legacy bindings failed file=.orris-hollows/context-bindings.json error="));
        QVERIFY(store.addAgentWorkspaceBinding(AgentType::cursor, "Cursor", std::nullopt, "W", false).ok());
        QVERIFY(store.deleteWorkspaceReferences("W").ok());
        QVERIFY(store.restoreState(ContextBindingStateSnapshot{}).ok());
        QCOMPARE(env.readFile(legacyFile), damaged);

        // Without a legacy file, deleting a workspace creates none.
        TestEnvironment fresh;
        ContextBindingStore freshStore(fresh.environment());
        QVERIFY(freshStore.addAgentWorkspaceBinding(AgentType::cursor, "Cursor", std::nullopt, "W", false).ok());
        QVERIFY(freshStore.deleteWorkspaceReferences("W").ok());
        QVERIFY(!QFileInfo::exists(QDir(fresh.home()).filePath(legacyFile)));
    }

    void legacyWriteFailureKeepsTheAgentChange() {
        TestEnvironment env;
        env.writeFile(legacyFile, "[" + legacyJson("L1", "Notes", "a", "W") + "]");
        env.writeFile(agentFile, agentFileWith({bindingJson("A", "cursor", "W")}));
        ContextBindingStore store(env.environment());
        const QByteArray legacyBefore = env.readFile(legacyFile);
        ScopedWriteFault fault([](const QString& path) { return path.endsWith("context-bindings.json"); });
        LogCapture log;
        QVERIFY(!store.deleteWorkspaceReferences("W").ok());
        QVERIFY(log.contains("Save legacy bindings failed file=.orris-hollows/context-bindings.json"));
        QVERIFY(store.agentWorkspaceBindings().isEmpty());
        QCOMPARE(store.bindings().size(), 1);
        QCOMPARE(env.readFile(legacyFile), legacyBefore);
    }

    void snapshotsRestoreBothFiles() {
        TestEnvironment env;
        env.writeFile(legacyFile, "[" + legacyJson("L1", "Notes", "a", "W") + "]");
        env.writeFile(agentFile, agentFileWith({bindingJson("A", "cursor", "W")},
                                               R"(, "version": 3, "lastSelectedWorkspaceIDs": {"cursor": "W"})"));
        ContextBindingStore store(env.environment());
        const ContextBindingStateSnapshot snapshot = store.stateSnapshot();
        QVERIFY(store.deleteWorkspaceReferences("W").ok());
        QVERIFY(store.stateSnapshot() != snapshot);

        {
            ScopedWriteFault fault([](const QString& path) { return path.endsWith("agent-workspace-bindings.json"); });
            LogCapture log;
            const ContextBindingStateSnapshot current = store.stateSnapshot();
            QVERIFY(!store.restoreState(snapshot).ok());
            QVERIFY(log.contains("Restore context binding state failed error="));
            QCOMPARE(store.stateSnapshot(), current);
        }

        QVERIFY(store.restoreState(snapshot).ok());
        QCOMPARE(store.stateSnapshot(), snapshot);
        ContextBindingStore reread(env.environment());
        QCOMPARE(reread.stateSnapshot(), snapshot);
    }

    void agentLookups() {
        TestEnvironment env;
        env.writeFile(agentFile, agentFileWith({bindingJson("T2", "terminal", "B", false, "2025-03-02T00:00:00Z"),
                                                bindingJson("T1", "claude-code", "A", true, "2025-03-01T00:00:00Z"),
                                                bindingJson("C", "cursor", "W"), bindingJson("V", "vscode", "W"),
                                                bindingJson("U", "unknown", "W")},
                                               R"(, "version": 3, "lastSelectedWorkspaceIDs": {"claude-code": "B"})"));
        ContextBindingStore store(env.environment());
        QCOMPARE(workspacesOf(store.agentWorkspaceBindings(contextFor(AgentType::claudeCode))),
                 (QStringList{"A*", "B"}));
        QCOMPARE(store.agentWorkspaceBindings(contextFor(AgentType::terminal)).size(), 2);
        QVERIFY(store.agentWorkspaceBindings(contextFor(AgentType::unknown)).isEmpty());
        QCOMPARE(store.agentWorkspaceBindings().size(), 5); // the unknown binding is kept
        QCOMPARE(store.boundAgentCount("W"), 2);
        QCOMPARE(store.boundAgentCount("A"), 1);
        QCOMPARE(store.agentWorkspaceBinding(AgentType::claudeCode, "B")->id, QStringLiteral("T2"));
        QCOMPARE(store.agentWorkspaceBinding(AgentType::unknown, "W")->id, QStringLiteral("U"));
        QVERIFY(!store.agentWorkspaceBinding(AgentType::zed, "W"));

        QCOMPARE(store.lastSelectedWorkspaceID(contextFor(AgentType::claudeCode)), std::optional<QString>("B"));
        QCOMPARE(store.lastSelectedWorkspaceID(contextFor(AgentType::terminal)), std::optional<QString>("B"));
        QVERIFY(store.setLastSelectedWorkspaceID("A", contextFor(AgentType::claudeCode)).ok());
        QCOMPARE(readJsonObject(env, agentFile).value("lastSelectedWorkspaceIDs").toObject(),
                 QJsonDocument::fromJson(R"({"terminal": "A"})").object());

        // An entry still kept under the detected agent's own name is found second.
        ContextBindingStateSnapshot snapshot = store.stateSnapshot();
        snapshot.lastSelectedWorkspaceIDs = {{"claude-code", "Z"}};
        QVERIFY(store.restoreState(snapshot).ok());
        QCOMPARE(store.lastSelectedWorkspaceID(contextFor(AgentType::claudeCode)), std::optional<QString>("Z"));
        QVERIFY(!store.lastSelectedWorkspaceID(contextFor(AgentType::terminal)));
    }

    void legacyKeywordMatching_data() {
        QTest::addColumn<QByteArray>("legacy");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("workspaceName");
        QTest::addColumn<QString>("expected"); // binding id, empty for no match
        const QByteArray roadmap = legacyJson("R", "Notes", "Roadmap", "w");
        QTest::newRow("keyword in title") << roadmap << "notes"
                                          << ""
                                          << "Q3 roadmap - Notes"
                                          << ""
                                          << "R";
        QTest::newRow("keyword in workspace name") << roadmap << "Notes"
                                                   << ""
                                                   << "x"
                                                   << "My ROADMAP"
                                                   << "R";
        QTest::newRow("other application") << roadmap << "Mail"
                                           << ""
                                           << "roadmap"
                                           << ""
                                           << "";
        QTest::newRow("bundle ids differ")
            << legacyJson("B", "Code", "web", "w", QString("com.apple.Terminal")) << "Code"
            << "com.microsoft.VSCode"
            << "web"
            << ""
            << "";
        QTest::newRow("bundle ids equal ignoring case")
            << legacyJson("B", "Other", "web", "w", QString("com.apple.terminal")) << "Terminal"
            << "com.apple.Terminal"
            << "web"
            << ""
            << "B";
        QTest::newRow("empty stored bundle: names decide") << legacyJson("B", "Code", "web", "w", QString("")) << "code"
                                                           << "com.microsoft.VSCode"
                                                           << "web"
                                                           << ""
                                                           << "B";
        QTest::newRow("application marker never matches")
            << legacyJson("A", "Notes", ContextBindingStore::appBindingKeyword, "w") << "Notes"
            << "" << ContextBindingStore::appBindingKeyword << ""
            << "";
        QTest::newRow("empty keyword never matches") << legacyJson("E", "Notes", "", "w") << "Notes"
                                                     << ""
                                                     << "t"
                                                     << ""
                                                     << "";
        QTest::newRow("first passing binding wins")
            << legacyJson("1", "Notes", "plan", "w") + "," + legacyJson("2", "Notes", "q3", "w") << "Notes"
            << ""
            << "Q3 plan"
            << ""
            << "1";
    }
    void legacyKeywordMatching() {
        QFETCH(QByteArray, legacy);
        QFETCH(QString, appName);
        QFETCH(QString, bundle);
        QFETCH(QString, title);
        QFETCH(QString, workspaceName);
        QFETCH(QString, expected);
        TestEnvironment env;
        env.writeFile(legacyFile, "[" + legacy + "]");
        ContextBindingStore store(env.environment());
        const auto match =
            store.binding(contextFor(AgentType::unknown, appName, title,
                                     bundle.isEmpty() ? std::nullopt : std::optional<QString>(bundle), workspaceName));
        QCOMPARE(match ? match->id : QString(), expected);
    }

    void hashedKeywordsFollowTheSalt() {
        TestEnvironment env;
        ContextBindingStore probe(env.environment());
        const QString hashed = probe.hashedTitleKeyword("Secret Project");
        env.writeFile(legacyFile, "[" + legacyJson("H", "Notes", hashed.toUpper(), "w") + "]");
        ContextBindingStore store(env.environment());
        QCOMPARE(store.binding(contextFor(AgentType::unknown, "Notes", "  secret PROJECT\n"))->id, QStringLiteral("H"));
        QVERIFY(!store.binding(contextFor(AgentType::unknown, "Notes", "secret project 2")));
        QVERIFY(!store.binding(contextFor(AgentType::unknown, "Notes", "", std::nullopt, "Secret Project")));

        env.writeFile(".orris-hollows/title-hash-salt", "a new salt");
        QVERIFY(!store.binding(contextFor(AgentType::unknown, "Notes", "Secret Project")));
    }
};

QTEST_GUILESS_MAIN(ContextBindingStoreTest)
#include "tst_contextbindingstore.moc"
