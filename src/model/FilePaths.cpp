#include "model/FilePaths.h"

#include "model/TerminalContextDetector.h"

#include <QFileInfo>

namespace FilePaths {

QString expandingTilde(const QString& path, const QString& homePath, LoneTilde loneTilde) {
    if (path.startsWith(QLatin1String("~/"))) {
        return homePath + path.mid(1);
    }
    if (loneTilde == LoneTilde::home && path == QLatin1String("~")) {
        return homePath;
    }
    return path;
}

QString resolvingSymlinks(const QString& absolutePath) {
    const QString whole = QFileInfo(absolutePath).canonicalFilePath();
    if (!whole.isEmpty()) {
        return whole;
    }
    qsizetype cut = absolutePath.size();
    while (cut > 0) {
        cut = absolutePath.lastIndexOf(u'/', cut - 1);
        if (cut < 0) {
            break;
        }
        const QString head = cut == 0 ? QStringLiteral("/") : absolutePath.left(cut);
        const QString resolvedHead = QFileInfo(head).canonicalFilePath();
        if (!resolvedHead.isEmpty()) {
            const QString tail = absolutePath.mid(cut + 1);
            return resolvedHead.endsWith(u'/') ? resolvedHead + tail : resolvedHead + u'/' + tail;
        }
    }
    return absolutePath;
}

QString normalized(const QString& path, const QString& homePath, const QString& currentDirectory, LoneTilde loneTilde) {
    const QString expanded = expandingTilde(path, homePath, loneTilde);
    return resolvingSymlinks(TerminalContextDetector::standardizedPath(expanded, currentDirectory));
}

QString lastComponent(const QString& path) {
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/')) {
        trimmed.chop(1);
    }
    if (trimmed == QLatin1String("/")) {
        return trimmed;
    }
    return trimmed.mid(trimmed.lastIndexOf(u'/') + 1);
}

} // namespace FilePaths
