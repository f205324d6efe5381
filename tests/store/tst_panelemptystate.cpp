#include "store/PanelEmptyState.h"

#include <QTest>

namespace {

using Kind = PanelEmptyStateReason::Kind;
using Action = EmptyPromptAction;

// A state with workspaces, nothing matched, nothing recognised and no search.
PanelEmptyStateInput base() {
    PanelEmptyStateInput input;
    input.hasWorkspaces = true;
    return input;
}

PanelEmptyStateInput matchedUser(bool hasPrompts) {
    PanelEmptyStateInput input = base();
    input.hasMatchedWorkspace = true;
    input.matchedWorkspaceIsEditable = true;
    input.matchedWorkspaceHasPrompts = hasPrompts;
    return input;
}

PanelEmptyStateInput matchedReadOnly(bool hasPrompts) {
    PanelEmptyStateInput input = base();
    input.hasMatchedWorkspace = true;
    input.matchedWorkspaceHasPrompts = hasPrompts;
    return input;
}

} // namespace

Q_DECLARE_METATYPE(PanelEmptyStateInput)

class PanelEmptyStateTest : public QObject {
    Q_OBJECT

private slots:
    void resolve_data() {
        QTest::addColumn<PanelEmptyStateInput>("input");
        QTest::addColumn<PanelEmptyState>("expected");

        const auto unavailable = PanelEmptyState{PanelEmptyStateReason::of(Kind::unavailable),
                                                 {Action::manageWorkspaces, Action::importPrompts}};
        const auto permission =
            PanelEmptyState{PanelEmptyStateReason::of(Kind::automationPermission), {Action::openAutomationSettings}};

        PanelEmptyStateInput input = matchedUser(true);
        input.isSearching = true;
        QTest::newRow("search in a user workspace") << input
                                                    << PanelEmptyState{PanelEmptyStateReason::of(Kind::noSearchResults),
                                                                       {Action::clearSearch, Action::createPrompt}};
        input = matchedReadOnly(true);
        input.isSearching = true;
        QTest::newRow("search in a project workspace")
            << input << PanelEmptyState{PanelEmptyStateReason::of(Kind::noSearchResults), {Action::clearSearch}};
        input = PanelEmptyStateInput{};
        input.isSearching = true;
        input.agentName = "Cursor";
        QTest::newRow("search without any workspace")
            << input << PanelEmptyState{PanelEmptyStateReason::of(Kind::noSearchResults), {Action::clearSearch}};

        input = PanelEmptyStateInput{};
        input.agentName = "Cursor";
        input.advancedAutomaticMatchingEnabled = true;
        input.needsAutomationPermission = true;
        QTest::newRow("no workspaces, a recognised agent")
            << input
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::noWorkspaces),
                               {Action::createWorkspace, Action::installOrImport}};

        QTest::newRow("empty user workspace")
            << matchedUser(false)
            << PanelEmptyState{PanelEmptyStateReason::of(Kind::editableWorkspaceEmpty),
                               {Action::createPrompt, Action::importPrompts}};

        input = matchedReadOnly(false);
        input.agentName = "Cursor";
        QTest::newRow("empty project workspace, a recognised agent") << input << unavailable;
        input.advancedAutomaticMatchingEnabled = true;
        input.needsAutomationPermission = true;
        QTest::newRow("empty project workspace, permission needed") << input << permission;

        input = base();
        input.agentName = "Cursor";
        input.advancedAutomaticMatchingEnabled = true;
        input.needsAutomationPermission = true;
        QTest::newRow("unbound agent before permission")
            << input << PanelEmptyState{PanelEmptyStateReason::recognizedUnbound("Cursor"), {Action::bindWorkspace}};

        input = base();
        input.needsAutomationPermission = true;
        QTest::newRow("permission needed, advanced matching off") << input << unavailable;
        input.advancedAutomaticMatchingEnabled = true;
        QTest::newRow("permission needed, advanced matching on") << input << permission;

        QTest::newRow("a user workspace with prompts") << matchedUser(true) << unavailable;
    }

    void resolve() {
        QFETCH(PanelEmptyStateInput, input);
        QFETCH(PanelEmptyState, expected);
        QCOMPARE(PanelEmptyState::resolve(input), expected);
    }

    void equality() {
        const auto a = PanelEmptyState{PanelEmptyStateReason::of(Kind::unavailable),
                                       {Action::manageWorkspaces, Action::importPrompts}};
        const auto swapped = PanelEmptyState{PanelEmptyStateReason::of(Kind::unavailable),
                                             {Action::importPrompts, Action::manageWorkspaces}};
        QVERIFY(!(a == swapped));
        QVERIFY(
            !(PanelEmptyStateReason::recognizedUnbound("Cursor") == PanelEmptyStateReason::recognizedUnbound("Zed")));
        QVERIFY(PanelEmptyStateReason::recognizedUnbound("Zed") == PanelEmptyStateReason::recognizedUnbound("Zed"));
    }
};

QTEST_GUILESS_MAIN(PanelEmptyStateTest)
#include "tst_panelemptystate.moc"
