#include "app/StatusItemHost.h"
#include "model/AppEnvironment.h"
#include "model/AppLanguageStore.h"
#include "model/Localization.h"
#include "store/LibraryMemory.h"

#include <QApplication>
#include <QMenu>

int main(int argc, char* argv[]) {
    LibraryMemory::configureAllocator();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orris Hollows"));
    QApplication::setOrganizationName(QStringLiteral("orris-hollows"));
    QApplication::setDesktopFileName(QStringLiteral("orris-hollows"));
    QApplication::setQuitOnLastWindowClosed(false);

    const AppEnvironment environment = AppEnvironment::system();
    AppLanguageStore languageStore(environment.defaults, environment.preferredLanguages);
    L10n::setCurrentLanguageProvider([&languageStore] { return languageStore.resolvedLanguage(); });

    QMenu menu;
    QAction* quit = menu.addAction(L10n::string(L10N("action.quit"), languageStore.resolvedLanguage()));
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    QObject::connect(quit, &QAction::triggered, &application, &QApplication::quit);

    StatusItemHost statusItem(&menu);
    const int result = application.exec();
    L10n::setCurrentLanguageProvider({});
    return result;
}
