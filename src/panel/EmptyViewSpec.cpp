#include "panel/EmptyViewSpec.h"

EmptyViewSpec EmptyViewSpec::make(const PanelEmptyState& state, bool canInstallBuiltInPack, bool hasWorkspacesToBind,
                                  AppLanguage language) {
    using Kind = PanelEmptyStateReason::Kind;
    EmptyViewSpec spec;
    QString titleKey;
    QString messageKey;
    switch (state.reason.kind) {
    case Kind::noSearchResults:
        spec = {QStringLiteral("magnifyingglass"), {}, {}, Primary::clearSearch, L10N("action.clear.search"),
                QStringLiteral("xmark.circle")};
        titleKey = L10N("empty.no.search.title");
        messageKey = L10N("empty.no.search.message");
        break;
    case Kind::noWorkspaces:
        spec = {QStringLiteral("folder.badge.plus"),
                {},
                {},
                Primary::createFirstWorkspace,
                L10N("action.create.first.workspace"),
                QStringLiteral("folder.badge.plus")};
        titleKey = L10N("empty.no.workspaces.title");
        messageKey = L10N("empty.no.workspaces.message");
        break;
    case Kind::editableWorkspaceEmpty:
        spec = {QStringLiteral("square.grid.3x3"),
                {},
                {},
                Primary::createPrompt,
                L10N("action.create.prompt"),
                QStringLiteral("plus")};
        titleKey = L10N("empty.no.prompts.title");
        messageKey = L10N("empty.no.prompts.message");
        break;
    case Kind::automationPermission:
        spec = {
            QStringLiteral("lock.open"), {}, {}, Primary::openAutomationSettings, L10N("action.open.system.settings"),
            QStringLiteral("gearshape")};
        titleKey = L10N("empty.automation.title");
        messageKey = L10N("empty.automation.message");
        break;
    case Kind::unavailable:
        spec = {QStringLiteral("square.grid.3x3"), {}, {}, Primary::manageWorkspaces, L10N("action.manage.workspaces"),
                QStringLiteral("folder")};
        titleKey = L10N("empty.unavailable.title");
        messageKey = L10N("empty.unavailable.message");
        break;
    case Kind::recognizedUnbound:
        spec = {QStringLiteral("link.badge.plus"),
                {},
                {},
                Primary::bindMenu,
                L10N("action.bind.existing.workspace"),
                QStringLiteral("link")};
        spec.primaryEnabled = hasWorkspacesToBind;
        break;
    }
    if (state.reason.kind == Kind::recognizedUnbound) {
        spec.title = L10n::string(L10N("empty.unbound.title"), language, state.reason.agentName);
        spec.message = L10n::string(L10N("empty.unbound.message"), language);
    } else {
        spec.title = L10n::string(titleKey, language);
        spec.message = L10n::string(messageKey, language);
    }
    if (state.actions.size() >= 2) {
        switch (state.actions.at(1)) {
        case EmptyPromptAction::installOrImport:
            spec.secondary = Button{EmptyPromptAction::installOrImport, L10N("action.install.builtin.pack"),
                                    QStringLiteral("square.and.arrow.down"), canInstallBuiltInPack};
            break;
        case EmptyPromptAction::createPrompt:
            spec.secondary =
                Button{EmptyPromptAction::createPrompt, L10N("action.create.prompt"), QStringLiteral("plus"), true};
            break;
        case EmptyPromptAction::importPrompts:
            spec.secondary = Button{EmptyPromptAction::importPrompts, L10N("action.import.batch"),
                                    QStringLiteral("tray.and.arrow.down"), true};
            break;
        default:
            break;
        }
    }
    return spec;
}
