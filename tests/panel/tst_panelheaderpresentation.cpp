#include "PromptStoreFileHarness.h"

#include "panel/EmptyViewSpec.h"
#include "panel/header/ContextHeaderPresentation.h"
#include "panel/header/EnvironmentOverviewPresentation.h"
#include "panel/header/WorkspacePickerSpec.h"

#include <QTest>

namespace {

constexpr AppLanguage en = AppLanguage::english;

QString text(const QString& key) {
    return L10n::string(key, en);
}

AgentContext contextOf(AgentType agent, const QString& title = {}, const std::optional<QString>& path = {}) {
    AgentContext context;
    context.frontmostAppName = QStringLiteral("App");
    context.agent = agent;
    context.frontWindowTitle = title;
    context.workspacePath = path;
    return context;
}

PromptWorkspace workspaceOf(const QString& name, PromptWorkspaceSource source) {
    PromptWorkspace workspace;
    workspace.id = name.toLower();
    workspace.name = name;
    workspace.source = source;
    workspace.fileURL = QStringLiteral("/home/u/.orris-hollows/workspaces/") + workspace.id + QStringLiteral(".yaml");
    return workspace;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<PromptWorkspace>)
Q_DECLARE_METATYPE(ContextHeaderLines::ProjectLine)
Q_DECLARE_METATYPE(std::optional<EmptyViewSpec::Button>)

class PanelHeaderPresentationTest : public QObject {
    Q_OBJECT

private slots:
    void statusSummary_data() {
        QTest::addColumn<AgentContext>("context");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unknown agent waits") << contextOf(AgentType::unknown) << text("context.waiting");
        QTest::newRow("browser naming a web AI")
            << contextOf(AgentType::chrome, "ChatGPT - Google Chrome")
            << QStringLiteral("ChatGPT \u00B7 ") + AgentTypes::displayName(AgentType::chrome, en);
        QTest::newRow("browser without one")
            << contextOf(AgentType::chrome, "News") << AgentTypes::displayName(AgentType::chrome, en);
        QTest::newRow("native agent ignores a web AI title")
            << contextOf(AgentType::cursor, "ChatGPT notes") << AgentTypes::displayName(AgentType::cursor, en);
    }

    void statusSummary() {
        QFETCH(AgentContext, context);
        QFETCH(QString, expected);
        QCOMPARE(ContextHeaderLines::statusSummaryFor(context, en), expected);
    }

    void headerLines_data() {
        QTest::addColumn<AgentType>("agent");
        QTest::addColumn<std::optional<PromptWorkspace>>("workspace");
        QTest::addColumn<bool>("requiresTrust");
        QTest::addColumn<std::optional<QString>>("configPath");
        QTest::addColumn<bool>("unboundBanner");
        QTest::addColumn<ContextHeaderLines::ProjectLine>("projectLine");
        using Line = ContextHeaderLines::ProjectLine;
        const std::optional<PromptWorkspace> none;
        const std::optional<PromptWorkspace> project = workspaceOf("Proj", PromptWorkspaceSource::projectConfig);
        const std::optional<PromptWorkspace> user = workspaceOf("Mine", PromptWorkspaceSource::userWorkspace);
        const std::optional<QString> path = QStringLiteral("/src/app/.orris-hollows.yaml");
        QTest::newRow("unknown agent, no workspace: no unbound banner")
            << AgentType::unknown << none << false << std::optional<QString>{} << false << Line::none;
        QTest::newRow("recognised agent, no workspace")
            << AgentType::cursor << none << false << std::optional<QString>{} << true << Line::none;
        QTest::newRow("recognised agent with a workspace")
            << AgentType::cursor << user << false << std::optional<QString>{} << false << Line::none;
        QTest::newRow("trust needed wins over the notice")
            << AgentType::cursor << project << true << path << false << Line::trustBanner;
        QTest::newRow("trust needed without a path: the notice")
            << AgentType::cursor << project << true << std::optional<QString>{} << false << Line::trustedNotice;
        QTest::newRow("trusted project workspace")
            << AgentType::terminal << project << false << path << false << Line::trustedNotice;
    }

    void headerLines() {
        QFETCH(AgentType, agent);
        QFETCH(std::optional<PromptWorkspace>, workspace);
        QFETCH(bool, requiresTrust);
        QFETCH(std::optional<QString>, configPath);
        QFETCH(bool, unboundBanner);
        QFETCH(ContextHeaderLines::ProjectLine, projectLine);
        ContextMatchDetails details;
        details.projectConfigRequiresTrust = requiresTrust;
        details.projectConfigPath = configPath;
        const ContextHeaderLines lines =
            ContextHeaderLines::make(contextOf(agent), workspace, QStringLiteral("Boom"), details, en);
        QCOMPARE(lines.unboundBanner.has_value(), unboundBanner);
        if (unboundBanner) {
            QVERIFY(lines.unboundBanner->contains(AgentTypes::displayName(agent, en)));
        }
        QCOMPARE(lines.errorLine, std::optional<QString>(QStringLiteral("Boom")));
        QCOMPARE(lines.projectLine, projectLine);
        QCOMPARE(lines.projectConfigPath, projectLine == ContextHeaderLines::ProjectLine::trustBanner
                                              ? configPath.value_or(QString())
                                              : QString());
    }

    void overviewRows_data() {
        QTest::addColumn<std::optional<QString>>("path");
        QTest::addColumn<std::optional<PromptWorkspace>>("workspace");
        QTest::addColumn<bool>("bound");
        QTest::addColumn<QString>("pathValue");
        QTest::addColumn<QString>("packValue");
        QTest::addColumn<QString>("bindingValue");
        const std::optional<PromptWorkspace> mine = workspaceOf("Mine", PromptWorkspaceSource::userWorkspace);
        QTest::newRow("nothing") << std::optional<QString>{} << std::optional<PromptWorkspace>{} << false
                                 << text("common.none") << text("environment.overview.unmatched")
                                 << text("common.none");
        QTest::newRow("path match: folder name only, no binding")
            << std::optional<QString>("/home/u/src/orris-app") << mine << false << "orris-app"
            << "Mine" << text("common.none");
        QTest::newRow("binding decided") << std::optional<QString>("/home/u/src/orris-app/") << mine << true
                                         << "orris-app"
                                         << "Mine"
                                         << "Mine";
        QTest::newRow("binding without a workspace")
            << std::optional<QString>{} << std::optional<PromptWorkspace>{} << true << text("common.none")
            << text("environment.overview.unmatched") << text("common.none");
    }

    void overviewRows() {
        QFETCH(std::optional<QString>, path);
        QFETCH(std::optional<PromptWorkspace>, workspace);
        QFETCH(bool, bound);
        QFETCH(QString, pathValue);
        QFETCH(QString, packValue);
        QFETCH(QString, bindingValue);
        ContextMatchDetails details;
        if (bound) {
            details.agentBinding = AgentWorkspaceBinding{};
        }
        const QList<EnvironmentOverviewItem> items =
            EnvironmentOverviewPresentation::items(contextOf(AgentType::cursor, {}, path), workspace, details, en);
        QStringList ids;
        for (const EnvironmentOverviewItem& item : items) {
            ids << item.id;
        }
        QCOMPARE(ids, (QStringList{"app", "window", "environment", "path", "pack", "source", "binding"}));
        QCOMPARE(items.at(3).value, pathValue);
        QVERIFY(!items.at(3).value.contains(QLatin1Char('/')));
        QCOMPARE(items.at(4).value, packValue);
        QCOMPARE(items.at(6).value, bindingValue);
        QCOMPARE(items.at(3).icon, items.at(6).icon);
    }

    void legacyBindingAlsoNamesTheWorkspace() {
        ContextMatchDetails details;
        details.legacyBinding = ContextBinding{};
        QCOMPARE(EnvironmentOverviewPresentation::bindingValue(workspaceOf("Old", PromptWorkspaceSource::userWorkspace),
                                                               details, en),
                 QStringLiteral("Old"));
    }

    void tooltip() {
        ContextMatchDetails details;
        QCOMPARE(EnvironmentOverviewPresentation::diagnosticTooltip("Loaded", std::nullopt, details, en),
                 QStringLiteral("Loaded"));
        QCOMPARE(EnvironmentOverviewPresentation::diagnosticTooltip({}, std::nullopt, details, en), QString());
        details.projectConfigPath = QStringLiteral("/src/app/.orris-hollows.yaml");
        const QString full = EnvironmentOverviewPresentation::diagnosticTooltip(
            "Loaded", workspaceOf("Mine", PromptWorkspaceSource::userWorkspace), details, en);
        const QStringList lines = full.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), QStringLiteral("Loaded"));
        QCOMPARE(lines.at(1), text("debug.file") + ": mine.yaml");
        QCOMPARE(lines.at(3), text("debug.project.config") + ": .orris-hollows.yaml");
        QVERIFY(!full.endsWith(QLatin1Char('\n')));
    }

    void pickerForms() {
        PromptStoreFileHarness h;
        const AgentContext cursor = PromptStoreFileHarness::contextFor(AgentType::cursor, "Cursor");
        const AgentContext unknown = PromptStoreFileHarness::contextFor(AgentType::unknown, "Notes");
        h.load(PromptLoadResult{});
        QVERIFY(h.store->workspaces().isEmpty());
        QCOMPARE(WorkspacePickerSpec::make(*h.store, cursor, en).form, WorkspacePickerSpec::Form::hint);
        QCOMPARE(WorkspacePickerSpec::make(*h.store, unknown, en).form, WorkspacePickerSpec::Form::hint);

        h.writeWorkspaceFile("alpha", "Alpha", {"a1"});
        h.writeWorkspaceFile("beta", "Beta", {"b1"});
        h.loadHome();
        QCOMPARE(h.store->workspaces().size(), 2);

        const WorkspacePickerSpec unknownSpec = WorkspacePickerSpec::make(*h.store, unknown, en);
        QCOMPARE(unknownSpec.form, WorkspacePickerSpec::Form::bound);
        QVERIFY(unknownSpec.menuEntries.isEmpty());
        QVERIFY(!unknownSpec.menuEnabled);
        QCOMPARE(unknownSpec.title, text("common.not.bound"));

        const WorkspacePickerSpec unbound = WorkspacePickerSpec::make(*h.store, cursor, en);
        QCOMPARE(unbound.form, WorkspacePickerSpec::Form::unbound);
        QCOMPARE(unbound.menuEntries.size(), 2);

        QVERIFY(h.store->bindContext(cursor, "beta"));
        const WorkspacePickerSpec one = WorkspacePickerSpec::make(*h.store, cursor, en);
        QCOMPARE(one.form, WorkspacePickerSpec::Form::bound);
        QCOMPARE(one.title, QStringLiteral("Beta"));
        QCOMPARE(one.menuEntries, (QList<WorkspacePickerSpec::Entry>{{"beta", "Beta"}}));
        QVERIFY(!one.menuEnabled);

        QVERIFY(h.store->bindContext(cursor, "alpha"));
        const WorkspacePickerSpec two = WorkspacePickerSpec::make(*h.store, cursor, en);
        QCOMPARE(two.menuEntries.size(), 2);
        QVERIFY(two.menuEnabled);
        QCOMPARE(two.title, QStringLiteral("Alpha"));
    }

    void emptyView_data() {
        using Kind = PanelEmptyStateReason::Kind;
        using A = EmptyPromptAction;
        QTest::addColumn<PanelEmptyState>("state");
        QTest::addColumn<bool>("canInstall");
        QTest::addColumn<bool>("hasWorkspaces");
        QTest::addColumn<EmptyViewSpec::Primary>("primary");
        QTest::addColumn<bool>("primaryEnabled");
        QTest::addColumn<std::optional<EmptyViewSpec::Button>>("secondary");
        QTest::addColumn<QString>("title");
        using P = EmptyViewSpec::Primary;
        using B = EmptyViewSpec::Button;
        const std::optional<B> noButton;
        QTest::newRow("no search results outside a user workspace")
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::noSearchResults), {A::clearSearch}} << true << true
            << P::clearSearch << true << noButton << text("empty.no.search.title");
        QTest::newRow("no search results in a user workspace")
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::noSearchResults), {A::clearSearch, A::createPrompt}}
            << true << true << P::clearSearch << true
            << std::optional<B>(B{A::createPrompt, "action.create.prompt", "plus", true})
            << text("empty.no.search.title");
        QTest::newRow("no workspaces, nothing to install")
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::noWorkspaces), {A::createWorkspace, A::installOrImport}}
            << false << false << P::createFirstWorkspace << true
            << std::optional<B>(B{A::installOrImport, "action.install.builtin.pack", "square.and.arrow.down", false})
            << text("empty.no.workspaces.title");
        QTest::newRow("no workspaces, pack installable")
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::noWorkspaces), {A::createWorkspace, A::installOrImport}}
            << true << false << P::createFirstWorkspace << true
            << std::optional<B>(B{A::installOrImport, "action.install.builtin.pack", "square.and.arrow.down", true})
            << text("empty.no.workspaces.title");
        QTest::newRow("editable workspace empty")
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::editableWorkspaceEmpty),
                               {A::createPrompt, A::importPrompts}}
            << true << true << P::createPrompt << true
            << std::optional<B>(B{A::importPrompts, "action.import.batch", "tray.and.arrow.down", true})
            << text("empty.no.prompts.title");
        QTest::newRow("recognised unbound")
            << PanelEmptyState{PanelEmptyStateReason::recognizedUnbound("Cursor"), {A::bindWorkspace}} << true << true
            << P::bindMenu << true << noButton << L10n::string("empty.unbound.title", en, QStringLiteral("Cursor"));
        QTest::newRow("recognised unbound, nothing to bind to")
            << PanelEmptyState{PanelEmptyStateReason::recognizedUnbound("Cursor"), {A::bindWorkspace}} << true << false
            << P::bindMenu << false << noButton << L10n::string("empty.unbound.title", en, QStringLiteral("Cursor"));
        QTest::newRow("automation permission")
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::automationPermission), {A::openAutomationSettings}}
            << true << true << P::openAutomationSettings << true << noButton << text("empty.automation.title");
        QTest::newRow("unavailable") << PanelEmptyState{PanelEmptyStateReason::of(Kind::unavailable),
                                                        {A::manageWorkspaces, A::importPrompts}}
                                     << true << true << P::manageWorkspaces << true
                                     << std::optional<B>(
                                            B{A::importPrompts, "action.import.batch", "tray.and.arrow.down", true})
                                     << text("empty.unavailable.title");
    }

    void emptyView() {
        QFETCH(PanelEmptyState, state);
        QFETCH(bool, canInstall);
        QFETCH(bool, hasWorkspaces);
        QFETCH(EmptyViewSpec::Primary, primary);
        QFETCH(bool, primaryEnabled);
        QFETCH(std::optional<EmptyViewSpec::Button>, secondary);
        QFETCH(QString, title);
        const EmptyViewSpec spec = EmptyViewSpec::make(state, canInstall, hasWorkspaces, en);
        QCOMPARE(spec.primary, primary);
        QCOMPARE(spec.primaryEnabled, primaryEnabled);
        QCOMPARE(spec.secondary, secondary);
        QCOMPARE(spec.title, title);
        QVERIFY(!spec.message.isEmpty() && !spec.message.startsWith(QStringLiteral("empty.")));
    }
};

QTEST_GUILESS_MAIN(PanelHeaderPresentationTest)
#include "tst_panelheaderpresentation.moc"
