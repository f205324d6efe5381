#include "model/TerminalContextDetector.h"

#include "model/TextPrimitives.h"

#include <QDir>
#include <QRegularExpression>

namespace TerminalContextDetector {

namespace {

std::optional<QString> quotedPathCandidate(const QString& title, const QString& homePath,
                                           const QString& currentDirectory) {
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral("\"(/[^\"]+)\"")),
        QRegularExpression(QStringLiteral("'(/[^']+)'")),
    };
    for (const QRegularExpression& pattern : patterns) {
        if (!pattern.isValid()) {
            continue;
        }
        const QRegularExpressionMatch match = pattern.match(title);
        if (match.hasMatch() && match.lastCapturedIndex() >= 1) {
            if (auto path = cleanPathCandidate(match.captured(1), homePath, currentDirectory)) {
                return path;
            }
        }
    }
    return std::nullopt;
}

bool isTrimmedFromPart(QChar c) {
    switch (c.unicode()) {
    case u' ':
    case u'"':
    case u'\'':
    case u'[':
    case u']':
    case u'(':
    case u')':
        return true;
    default:
        return false;
    }
}

QString trimPart(const QString& part) {
    qsizetype start = 0;
    qsizetype end = part.size();
    while (start < end && isTrimmedFromPart(part.at(start))) {
        ++start;
    }
    while (end > start && isTrimmedFromPart(part.at(end - 1))) {
        --end;
    }
    return part.mid(start, end - start);
}

} // namespace

const QStringList& supportedAppNames() {
    static const QStringList names = {QStringLiteral("terminal"), QStringLiteral("iterm"), QStringLiteral("iterm2"),
                                      QStringLiteral("warp"), QStringLiteral("ghostty")};
    return names;
}

bool isTerminalApp(const QString& appName) {
    const QString lowered = appName.toLower();
    for (const QString& name : supportedAppNames()) {
        if (lowered.contains(name)) {
            return true;
        }
    }
    return false;
}

std::optional<QString> workspacePath(const QString& windowTitle, const QString& homePath,
                                     const QString& currentDirectory) {
    if (auto quoted = quotedPathCandidate(windowTitle, homePath, currentDirectory)) {
        return quoted;
    }
    QString title = windowTitle;
    for (QChar& c : title) {
        if (c == QChar(0x2014) || c == QChar(0x2013) || c == QChar(0x00B7) || c == u'\t') {
            c = u' ';
        }
    }
    // Every separator is a BMP character, so UTF-16 units can be tested one by one.
    qsizetype pieceStart = 0;
    for (qsizetype i = 0; i <= title.size(); ++i) {
        if (i < title.size() && !Text::isWhitespaceOrNewline(title.at(i).unicode())) {
            continue;
        }
        const QString piece = title.mid(pieceStart, i - pieceStart);
        pieceStart = i + 1;
        for (const QString& rawPart : piece.split(u':')) {
            const QString part = trimPart(rawPart);
            if (part.isEmpty()) {
                continue;
            }
            if (auto path = cleanPathCandidate(part, homePath, currentDirectory)) {
                return path;
            }
        }
    }
    return std::nullopt;
}

std::optional<QString> cleanPathCandidate(const QString& candidate, const QString& homePath,
                                          const QString& currentDirectory) {
    if (!candidate.startsWith(u'/') && !candidate.startsWith(u'~')) {
        return std::nullopt;
    }
    QString path = candidate;
    while (path.endsWith(u',') || path.endsWith(u';')) {
        path.chop(1);
    }
    if (path.startsWith(QLatin1String("~/"))) {
        path = homePath + path.mid(1);
    }
    if (Text::graphemeCount(path) < 2) {
        return std::nullopt;
    }
    const QString standardized = standardizedPath(path, currentDirectory);
    // "//", "/.." and the like name the root as surely as "/" does, which is never a project.
    if (standardized == QLatin1String("/")) {
        return std::nullopt;
    }
    return standardized;
}

QString standardizedPath(const QString& path, const QString& currentDirectory) {
    QString absolute = path.startsWith(u'/') ? path : currentDirectory + u'/' + path;
    QString cleaned = QDir::cleanPath(absolute);
    // cleanPath keeps ".." above the root; a file path cannot go higher than "/".
    while (cleaned == QLatin1String("/..") || cleaned.startsWith(QLatin1String("/../"))) {
        cleaned = cleaned.size() == 3 ? QStringLiteral("/") : cleaned.mid(3);
    }
    return cleaned;
}

} // namespace TerminalContextDetector
