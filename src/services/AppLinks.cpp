#include "services/AppLinks.h"

namespace AppLinks {

namespace {

QUrl page(const char* path) {
    return QUrl(QStringLiteral("https://orris-hollows.app") + QLatin1String(path));
}

} // namespace

const QUrl& website() {
    static const QUrl url = page("");
    return url;
}

const QUrl& download() {
    static const QUrl url = page("/download");
    return url;
}

const QUrl& terms() {
    static const QUrl url = page("/terms");
    return url;
}

const QUrl& privacy() {
    static const QUrl url = page("/privacy");
    return url;
}

const QUrl& support() {
    static const QUrl url = page("/help");
    return url;
}

} // namespace AppLinks
