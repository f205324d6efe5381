#include "app/StatusItemPresentation.h"

StatusItemPresentation StatusItemPresentation::make(int count, std::optional<AppLanguage> language) {
    const AppLanguage lang = language.value_or(L10n::currentLanguage());
    const QString ellipsis = QStringLiteral("\u2026");
    StatusItemPresentation presentation;
    presentation.accessibilityLabel =
        L10n::string(count == 1 ? L10N("status.accessibility.label.one") : L10N("status.accessibility.label"), lang,
                     QString::number(count));
    presentation.accessibilityHelp = L10n::string(L10N("status.accessibility.help"), lang);
    presentation.menuItems = {
        {StatusItemMenuCommand::open, L10n::string(L10N("menu.open.orris.hollows"), lang), QString(), false},
        {StatusItemMenuCommand::manageWorkspaces, L10n::string(L10N("action.manage.workspaces"), lang) + ellipsis,
         QString(), false},
        {StatusItemMenuCommand::settings, L10n::string(L10N("action.settings"), lang) + ellipsis, QStringLiteral(","),
         false},
        {StatusItemMenuCommand::welcomeGuide, L10n::string(L10N("first.welcome.menu"), lang) + ellipsis, QString(),
         false},
        {StatusItemMenuCommand::reload, L10n::string(L10N("action.reload.config"), lang), QString(), false},
        {StatusItemMenuCommand::quit, L10n::string(L10N("action.quit"), lang), QStringLiteral("q"), true},
    };
    return presentation;
}
