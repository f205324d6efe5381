#include "platform/DesktopUrlOpener.h"

#include <QDesktopServices>

bool DesktopUrlOpener::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}
