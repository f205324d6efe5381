#include "PromptStoreFileHarness.h"

#include "context/ContextBindingStore.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QString agentFile = QStringLiteral(".orris-hollows/agent-workspace-bindings.json");

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

QString bound(const QString& agentName) {
    return L10n::string(L10N("status.bound.agent"), AppLanguage::english, agentName);
}

QStringList bindingsOnDisk(const PromptStoreFileHarness& h) {
    QStringList list;
    const ContextBindingStore onDisk(h.env.environment());
    for (const AgentWorkspaceBinding& binding : onDisk.agentWorkspaceBindings()) {
        list.append(AgentTypes::rawValue(binding.agentType) + ":" + binding.workspaceID +
                    (binding.isDefault ? "*" : ""));
    }
    return list;
}

enum class Operation { bindContext, bindAgent, deleteBinding };

} // namespace

Q_DECLARE_METATYPE(Operation)

class PromptStoreBindingsTest : public QObject {
    Q_OBJECT

private slots:
    void bindingClaudeCodeStoresATerminalBinding() {
        PromptStoreFileHarness h;
        h.writeWorkspaceFile("w", "W", {"p"});
        h.loadHome();
        // A failure before is cleared by the success.
        QVERIFY(!h.store->bindContext(PromptStoreFileHarness::contextFor(AgentType::unknown, "Notes"), "w"));
        QVERIFY(h.store->lastErrorMessage());

        QSignalSpy changed(h.store.get(), &PromptStore::bindingsChanged);
        const AgentContext claude = PromptStoreFileHarness::contextFor(AgentType::claudeCode, "Terminal");
        QVERIFY(h.store->bindContext(claude, "w"));
        QCOMPARE(bindingsOnDisk(h), QStringList{"terminal:w"});
        QCOMPARE(h.store->statusMessage(), bound("Claude Code"));
        QCOMPARE(h.store->lastErrorMessage(), std::nullopt);
        QCOMPARE(changed.count(), 1);
        // The choice is remembered for the context, and for a plain terminal, which it stands for.
        const ContextBindingStore onDisk(h.env.environment());
        QCOMPARE(onDisk.lastSelectedWorkspaceID(claude), std::optional<QString>("w"));
        QCOMPARE(onDisk.lastSelectedWorkspaceID(PromptStoreFileHarness::contextFor(AgentType::terminal)),
                 std::optional<QString>("w"));
        // Prompts and selection are not the binding's business.
        QCOMPARE(h.store->lastEditedWorkspaceID(), std::nullopt);
    }

    void anUnknownAgentIsBoundByItsIdentityOrNotAtAll() {
        PromptStoreFileHarness h;
        h.loadHome();
        const AgentContext byIdentity =
            PromptStoreFileHarness::contextFor(AgentType::unknown, "Some Editor", QString("com.cursorlabs.cursor"));
        QVERIFY(h.store->bindContext(byIdentity, "w"));
        QCOMPARE(bindingsOnDisk(h), QStringList{"cursor:w"});

        LogCapture log;
        const QByteArray before = h.env.readFile(agentFile);
        QVERIFY(!h.store->bindContext(PromptStoreFileHarness::contextFor(AgentType::unknown, "Notes"), "w"));
        QCOMPARE(h.store->statusMessage(), english("status.bind.failed"));
        QCOMPARE(h.store->lastErrorMessage(), std::optional<QString>(english("error.binding.unknown.agent")));
        QCOMPARE(h.env.readFile(agentFile), before);
        QVERIFY(log.contains("Bind context failed agent=unknown workspaceID=w error=AgentWorkspaceBindingStoreError "
                             "domain=orris-hollows.bindings code=2"));
    }

    void bindAgentMovesTheDefaultAndDeleteBindingRemovesOne() {
        PromptStoreFileHarness h;
        h.loadHome();
        QVERIFY(h.store->bindAgent(AgentType::cursor, "a", true));
        h.env.clock().advance(std::chrono::seconds(1));
        QVERIFY(h.store->bindAgent(AgentType::cursor, "b", true));
        QCOMPARE(h.store->statusMessage(), bound("Cursor"));
        QCOMPARE(bindingsOnDisk(h), (QStringList{"cursor:a", "cursor:b*"}));
        // The default identity of the agent is stored with it.
        const AgentWorkspaceBinding first = h.store->bindingStore().agentWorkspaceBindings().first();
        QCOMPARE(first.appName, AgentTypes::defaultAppName(AgentType::cursor));
        QCOMPARE(first.bundleIdentifier, AgentTypes::defaultBundleIdentifier(AgentType::cursor));

        QSignalSpy changed(h.store.get(), &PromptStore::bindingsChanged);
        QVERIFY(h.store->deleteBinding(first.id));
        QCOMPARE(bindingsOnDisk(h), QStringList{"cursor:b*"});
        QCOMPARE(h.store->statusMessage(), english("status.deleted.binding"));
        QCOMPARE(changed.count(), 1);

        QVERIFY(!h.store->bindAgent(AgentType::unknown, "a", false));
        QCOMPARE(h.store->statusMessage(), english("status.bind.failed"));
        QCOMPARE(bindingsOnDisk(h), QStringList{"cursor:b*"});
    }

    void aFailedSaveChangesNothingAndIsLoggedTwice() {
        PromptStoreFileHarness h;
        h.loadHome();
        QVERIFY(h.store->bindAgent(AgentType::cursor, "a", true));
        const QByteArray before = h.env.readFile(agentFile);
        const QList<AgentWorkspaceBinding> bindings = h.store->bindingStore().agentWorkspaceBindings();
        LogCapture log;
        {
            ScopedWriteFault fault;
            QVERIFY(!h.store->bindAgent(AgentType::windsurf, "a", false));
            QVERIFY(!h.store->deleteBinding(bindings.first().id));
        }
        QCOMPARE(h.env.readFile(agentFile), before);
        QCOMPARE(h.store->bindingStore().agentWorkspaceBindings(), bindings);
        QCOMPARE(h.store->statusMessage(), english("status.delete.binding.failed"));
        // The binding store's own line comes first, then the store's.
        QStringList lines = log.lines();
        lines.removeIf([](const QString& line) { return line.contains("Secure data write failed"); });
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).contains("Save agent workspace bindings failed file=.orris-hollows/"
                                     "agent-workspace-bindings.json error=PosixError domain=posix code=5"));
        QVERIFY(lines.at(1).contains("Bind agent failed agent=windsurf workspaceID=a error=PosixError"));
        QVERIFY(lines.at(2).contains("Save agent workspace bindings failed"));
        QVERIFY(lines.at(3).contains("Delete binding failed bindingID=" + bindings.first().id + " error=PosixError"));
    }

    // A project workspace's id holds the absolute path of its file: a failed binding logs it by
    // the file's context, so the home path stays out of the log.
    void aFailedProjectBindingKeepsTheHomePathOutOfTheLog() {
        PromptStoreFileHarness h;
        h.env.writeFile(agentFile, R"({"bindings": [)");
        h.rebuild();
        h.loadHome();
        const QString projectID = "project:" + h.env.home() + "/shop/.orris-hollows.yaml";
        LogCapture log;
        QVERIFY(!h.store->bindContext(PromptStoreFileHarness::contextFor(AgentType::claudeCode), projectID));
        QVERIFY(!h.store->bindAgent(AgentType::cursor, projectID, true));
        QVERIFY(log.contains("Bind context failed agent=claude-code workspaceID=project:shop/.orris-hollows.yaml"));
        QVERIFY(log.contains("Bind agent failed agent=cursor workspaceID=project:shop/.orris-hollows.yaml"));
        QVERIFY(!log.contains(h.env.home()));
    }

    void anUnreadableBindingsFileRefusesEveryChange_data() {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("logLine");
        QTest::newRow("bind context") << Operation::bindContext << "status.bind.failed"
                                      << "Bind context failed agent=claude-code workspaceID=w error=";
        QTest::newRow("bind agent") << Operation::bindAgent << "status.bind.failed"
                                    << "Bind agent failed agent=cursor workspaceID=w error=";
        QTest::newRow("delete binding") << Operation::deleteBinding << "status.delete.binding.failed"
                                        << "Delete binding failed bindingID=B1 error=";
    }
    void anUnreadableBindingsFileRefusesEveryChange() {
        QFETCH(Operation, operation);
        QFETCH(QString, status);
        QFETCH(QString, logLine);
        PromptStoreFileHarness h;
        const QByteArray damaged = R"({"bindings": [{"id": "B1", "agentType": "cursor", "workspaceID": "w")";
        h.env.writeFile(agentFile, damaged);
        h.rebuild();
        h.loadHome();
        QCOMPARE(h.store->statusMessage(), english("status.binding.file.unreadable"));
        LogCapture log;
        bool succeeded = true;
        switch (operation) {
        case Operation::bindContext:
            succeeded = h.store->bindContext(PromptStoreFileHarness::contextFor(AgentType::claudeCode), "w");
            break;
        case Operation::bindAgent:
            succeeded = h.store->bindAgent(AgentType::cursor, "w", true);
            break;
        case Operation::deleteBinding:
            succeeded = h.store->deleteBinding("B1");
            break;
        }
        QVERIFY(!succeeded);
        QCOMPARE(h.env.readFile(agentFile), damaged);
        QCOMPARE(h.store->statusMessage(), english(status));
        QVERIFY(h.store->lastErrorMessage());
        QVERIFY(h.store->lastErrorMessage()->contains(h.store->bindingStore().agentBindingsFilePath()));
        QVERIFY(log.contains(logLine + "AgentWorkspaceBindingStoreError domain=orris-hollows.bindings code=1"));
    }
};

QTEST_GUILESS_MAIN(PromptStoreBindingsTest)
#include "tst_promptstorebindings.moc"
