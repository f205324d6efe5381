#include "PromptStoreFileHarness.h"

#include "context/ContextBindingStore.h"
#include "sheets/WorkspaceCreateModel.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<AgentContext>)

namespace {

bool isBindingsFile(const QString& path) {
    return path.endsWith(ContextBindingStore::agentBindingsFileName);
}

int userWorkspaceCount(const PromptStore& store) {
    return int(std::count_if(store.workspaces().cbegin(), store.workspaces().cend(), [](const PromptWorkspace& w) {
        return w.source == PromptWorkspaceSource::userWorkspace;
    }));
}

} // namespace

class WorkspaceCreateModelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        L10n::setCurrentLanguageProvider([] { return AppLanguage::english; });
    }

    void theNameMustNotBeBlank() {
        PromptStoreFileHarness h;
        h.loadHome();
        WorkspaceCreateModel model(*h.store, std::nullopt);
        QVERIFY(!model.canCreate());
        model.setName(" \n ");
        QVERIFY(!model.canCreate());
        QVERIFY(!model.create());
        model.setName("  Web  ");
        QVERIFY(model.canCreate());
    }

    void theDetectedAgentStartsTicked_data() {
        QTest::addColumn<std::optional<AgentContext>>("context");
        QTest::addColumn<QList<AgentType>>("ticked");
        QTest::newRow("a recognised agent") << std::optional(PromptStoreFileHarness::contextFor(AgentType::cursor))
                                            << QList<AgentType>{AgentType::cursor};
        QTest::newRow("an unknown agent")
            << std::optional(PromptStoreFileHarness::contextFor(AgentType::unknown)) << QList<AgentType>{};
        QTest::newRow("no context") << std::optional<AgentContext>() << QList<AgentType>{};
    }
    void theDetectedAgentStartsTicked() {
        QFETCH(std::optional<AgentContext>, context);
        QFETCH(QList<AgentType>, ticked);
        PromptStoreFileHarness h;
        h.loadHome();
        WorkspaceCreateModel model(*h.store, context);
        QCOMPARE(model.selectedAgents(), QSet<AgentType>(ticked.cbegin(), ticked.cend()));
        QCOMPARE(model.agentChoices().size(), 23);
        QVERIFY(!model.agentChoices().contains(AgentType::claudeCode));
        QVERIFY(!model.agentChoices().contains(AgentType::unknown));
    }

    void noTicksMakesAnUnboundWorkspace() {
        PromptStoreFileHarness h;
        h.loadHome();
        WorkspaceCreateModel model(*h.store, PromptStoreFileHarness::contextFor(AgentType::cursor));
        model.setAgentSelected(AgentType::cursor, false);
        model.setName("  Web  ");
        QVERIFY(model.create());
        QCOMPARE(userWorkspaceCount(*h.store), 1);
        const PromptWorkspace created = *model.createdWorkspace();
        QCOMPARE(created.name, "Web");
        QCOMPARE(created.matchPaths, QStringList());
        QVERIFY(h.store->bindingStore().agentWorkspaceBindings().isEmpty());
    }

    void tickedAgentsAreBoundAndTheDetectedOneRemembered() {
        PromptStoreFileHarness h;
        h.loadHome();
        const AgentContext context = PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor");
        WorkspaceCreateModel model(*h.store, context);
        model.setAgentSelected(AgentType::zed, true);
        model.setName("Web");
        QVERIFY(model.create());
        const QString id = model.createdWorkspace()->id;
        for (const AgentType agent : {AgentType::cursor, AgentType::zed}) {
            const auto binding = h.store->bindingStore().agentWorkspaceBinding(agent, id);
            QVERIFY(binding.has_value());
        }
        QCOMPARE(h.store->bindingStore().agentWorkspaceBindings().size(), 2);
        QCOMPARE(h.store->boundWorkspaces(context).size(), 1);
        QCOMPARE(h.store->matchingService().matchDetails(context).workspace->id, id);
    }

    void aFailedBindingKeepsTheSheetAndARetryMakesNoSecondWorkspace() {
        PromptStoreFileHarness h;
        h.loadHome();
        WorkspaceCreateModel model(*h.store, PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor"));
        model.setAgentSelected(AgentType::zed, true);
        model.setName("Web");
        {
            ScopedWriteFault fault(isBindingsFile);
            QVERIFY(!model.create());
            QVERIFY(fault.hits() > 0);
        }
        QVERIFY(model.createdWorkspace().has_value());
        QVERIFY(model.errorMessage().has_value());
        QVERIFY(!model.errorMessage()->isEmpty());
        QCOMPARE(userWorkspaceCount(*h.store), 1);
        QVERIFY(h.store->bindingStore().agentWorkspaceBindings().isEmpty());

        QVERIFY(model.create());
        QCOMPARE(model.errorMessage(), std::nullopt);
        QCOMPARE(userWorkspaceCount(*h.store), 1);
        h.loadHome(); // and on disk: one workspace file
        QCOMPARE(userWorkspaceCount(*h.store), 1);
        const QString id = model.createdWorkspace()->id;
        QVERIFY(h.store->bindingStore().agentWorkspaceBinding(AgentType::cursor, id));
        QVERIFY(h.store->bindingStore().agentWorkspaceBinding(AgentType::zed, id));
    }

    void aFailedCreationKeepsTheInput() {
        PromptStoreFileHarness h;
        h.loadHome();
        WorkspaceCreateModel model(*h.store, std::nullopt);
        model.setName("Web");
        {
            ScopedWriteFault fault;
            QVERIFY(!model.create());
        }
        QCOMPARE(model.createdWorkspace(), std::nullopt);
        QCOMPARE(model.errorMessage(), h.store->lastErrorMessage());
        QCOMPARE(model.name(), "Web");
        QVERIFY(model.create());
        QCOMPARE(userWorkspaceCount(*h.store), 1);
    }
};

QTEST_GUILESS_MAIN(WorkspaceCreateModelTest)
#include "tst_workspacecreatemodel.moc"
