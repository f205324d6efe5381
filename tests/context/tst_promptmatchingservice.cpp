#include "context/ContextBindingStore.h"
#include "context/PromptMatchingService.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace std::chrono_literals;

namespace {

PromptWorkspace workspace(const QString& id, const QString& name, const QStringList& matchPaths = {}) {
    PromptWorkspace result;
    result.id = id;
    result.name = name;
    result.matchPaths = matchPaths;
    return result;
}

enum class ProjectFile { none, untrusted, trusted, trustedUnloadable };

} // namespace

Q_DECLARE_METATYPE(ProjectFile)

class PromptMatchingServiceTest : public QObject {
    Q_OBJECT

private slots:
    void precedence_data() {
        QTest::addColumn<bool>("agentBinding");
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("legacyBinding");
        QTest::addColumn<bool>("projectConfigs");
        QTest::addColumn<ProjectFile>("projectFile");
        QTest::addColumn<bool>("detectedFolder"); // else the title alone
        QTest::addColumn<QString>("workspace");   // "-" for none
        QTest::addColumn<ContextDetectionSource>("source");
        QTest::addColumn<QString>("decidedBy"); // "agent", "legacy" or ""

        using S = ContextDetectionSource;
        using P = ProjectFile;
        QTest::newRow("agent binding beats everything")
            << true << true << true << true << P::trusted << true << "bound" << S::manualBinding << "agent";
        QTest::newRow("agent binding with automatic matching off")
            << true << false << true << true << P::trusted << true << "bound" << S::manualBinding << "agent";
        QTest::newRow("automatic matching off ignores legacy, project file and folder")
            << false << false << true << true << P::trusted << true << "-" << S::unknown << "";
        QTest::newRow("legacy keyword binding")
            << false << true << true << true << P::trusted << true << "legacy" << S::manualBinding << "legacy";
        QTest::newRow("trusted project file")
            << false << true << false << true << P::trusted << true << "project" << S::projectConfig << "";
        QTest::newRow("untrusted project file stops matching")
            << false << true << false << true << P::untrusted << true << "-" << S::projectConfig << "";
        QTest::newRow("project files switched off")
            << false << true << false << false << P::untrusted << true << "folder" << S::environment << "";
        QTest::newRow("trusted project file that cannot be loaded")
            << false << true << false << true << P::trustedUnloadable << true << "folder" << S::environment << "";
        QTest::newRow("detected folder") << false << true << false << true << P::none << true << "folder"
                                         << S::environment << "";
        QTest::newRow("title inference reports the window title")
            << false << true << false << true << P::none << false << "title" << S::windowTitle << "";
    }

    void precedence() {
        QFETCH(bool, agentBinding);
        QFETCH(bool, automatic);
        QFETCH(bool, legacyBinding);
        QFETCH(bool, projectConfigs);
        QFETCH(ProjectFile, projectFile);
        QFETCH(bool, detectedFolder);
        QFETCH(QString, workspace);
        QFETCH(ContextDetectionSource, source);
        QFETCH(QString, decidedBy);

        TestEnvironment env;
        QVERIFY(QDir(env.home()).mkpath(QStringLiteral("projects/demo")));
        const QString folder = QFileInfo(env.home() + QStringLiteral("/projects/demo")).canonicalFilePath();
        if (legacyBinding) {
            const ContextBinding legacy{QStringLiteral("L1"),      QStringLiteral("Terminal"), std::nullopt,
                                        QStringLiteral("Roadmap"), QStringLiteral("legacy"),   env.clock().now()};
            env.writeFile(QStringLiteral(".orris-hollows/context-bindings.json"),
                          ContextBindingStore::encodeLegacyBindings({legacy}));
        }
        ContextBindingStore store(env.environment());
        if (agentBinding) {
            QVERIFY(store.addAgentWorkspaceBinding(AgentType::terminal, QStringLiteral("Terminal"), std::nullopt,
                                                   QStringLiteral("bound"), false));
        }

        const QString projectFilePath = folder + QStringLiteral("/.orris-hollows.yaml");
        PromptWorkspace projectWorkspace = ::workspace(QStringLiteral("project"), QStringLiteral("Project"));
        projectWorkspace.fileURL = projectFilePath;
        projectWorkspace.source = PromptWorkspaceSource::projectConfig;

        PromptMatchingService service;
        service.workspaces = {
            ::workspace(QStringLiteral("bound"), QStringLiteral("Bound")),
            ::workspace(QStringLiteral("legacy"), QStringLiteral("Legacy")),
            ::workspace(QStringLiteral("folder"), QStringLiteral("Folder"), {QStringLiteral("~/projects")}),
            ::workspace(QStringLiteral("title"), QStringLiteral("Quarterly"))};
        service.bindingStore = &store;
        service.advancedAutomaticMatchingEnabled = automatic;
        service.projectConfigsEnabled = projectConfigs;
        service.homePath = env.home();
        if (projectFile != ProjectFile::none) {
            service.projectConfigPath = [projectFilePath](const AgentContext& context) -> std::optional<QString> {
                return context.workspacePath ? std::optional(projectFilePath) : std::nullopt;
            };
            service.isProjectConfigTrusted = [projectFile](const QString&) {
                return projectFile != ProjectFile::untrusted;
            };
            service.projectWorkspace =
                [projectFile, projectWorkspace](const AgentContext&, const QString&) -> std::optional<PromptWorkspace> {
                if (projectFile == ProjectFile::trustedUnloadable) {
                    return std::nullopt;
                }
                return projectWorkspace;
            };
        }

        AgentContext context = AgentContext::unknown();
        context.frontmostAppName = QStringLiteral("Terminal");
        context.agent = AgentType::terminal;
        context.frontWindowTitle = QStringLiteral("Roadmap: quarterly review");
        if (detectedFolder) {
            context.workspacePath = folder;
            context.workspaceName = QStringLiteral("demo");
            context.detectionSource = ContextDetectionSource::environment;
        }

        const ContextMatchDetails details = service.matchDetails(context);
        QCOMPARE(details.workspace ? details.workspace->id : QStringLiteral("-"), workspace);
        QCOMPARE(details.detectionSource, source);
        QCOMPARE(details.agentBinding.has_value(), decidedBy == QLatin1String("agent"));
        QCOMPARE(details.legacyBinding.has_value(), decidedBy == QLatin1String("legacy"));
        if (decidedBy == QLatin1String("agent")) {
            QCOMPARE(details.agentBinding->workspaceID, QStringLiteral("bound"));
        }
        if (decidedBy == QLatin1String("legacy")) {
            QCOMPARE(details.legacyBinding->id, QStringLiteral("L1"));
        }
        const bool waitsForTrust = source == ContextDetectionSource::projectConfig && workspace == QLatin1String("-");
        QCOMPARE(details.projectConfigRequiresTrust, waitsForTrust);
        QCOMPARE(details.projectConfigPath,
                 source == ContextDetectionSource::projectConfig ? std::optional(projectFilePath) : std::nullopt);
    }

    void agentBindingChoice() {
        TestEnvironment env;
        ContextBindingStore store(env.environment());
        for (const auto& [id, isDefault] : {std::pair{"deleted", true}, {"first", false}, {"default", true}}) {
            env.clock().advance(1s);
            QVERIFY(store.addAgentWorkspaceBinding(AgentType::cursor, QStringLiteral("Cursor"), std::nullopt,
                                                   QString::fromLatin1(id), isDefault));
        }
        PromptMatchingService service;
        service.workspaces = {workspace(QStringLiteral("default"), QStringLiteral("Default")),
                              workspace(QStringLiteral("first"), QStringLiteral("First"))};
        service.bindingStore = &store;
        service.homePath = env.home();

        AgentContext context = AgentContext::unknown();
        context.frontmostAppName = QStringLiteral("Cursor");
        context.agent = AgentType::cursor;

        // The binding to a deleted workspace is skipped; the default one decides.
        const QList<AgentWorkspaceBinding> valid = service.validAgentBindings(context);
        QCOMPARE(valid.size(), 2);
        QCOMPARE(valid.at(0).workspaceID, QStringLiteral("first"));
        QCOMPARE(service.matchDetails(context).workspace->id, QStringLiteral("default"));

        // The workspace last chosen wins over the default.
        QVERIFY(store.setLastSelectedWorkspaceID(QStringLiteral("first"), context));
        QCOMPARE(service.matchDetails(context).workspace->id, QStringLiteral("first"));

        // A remembered choice without a valid binding does not count.
        QVERIFY(store.setLastSelectedWorkspaceID(QStringLiteral("deleted"), context));
        QCOMPARE(service.matchDetails(context).workspace->id, QStringLiteral("default"));

        // Without a default, the first valid binding.
        QVERIFY(store.deleteAgentWorkspaceBinding(
            store.agentWorkspaceBinding(AgentType::cursor, QStringLiteral("default"))->id));
        QCOMPARE(service.matchDetails(context).workspace->id, QStringLiteral("first"));

        // An unknown agent has no bindings at all.
        context.agent = AgentType::unknown;
        QVERIFY(service.validAgentBindings(context).isEmpty());
        QCOMPARE(service.matchDetails(context), ContextMatchDetails());
    }
};

QTEST_GUILESS_MAIN(PromptMatchingServiceTest)
#include "tst_promptmatchingservice.moc"
