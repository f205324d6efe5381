#include "context/IDEWorkspaceDetector.h"

#include "model/TerminalContextDetector.h"
#include "model/TextPrimitives.h"

#include <QHash>

#include <algorithm>

namespace IDEWorkspaceDetector {

namespace {

bool equalsAny(const QString& text, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return text == QLatin1String(name); });
}

bool containsAny(const QString& text, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(),
                       [&](const char* name) { return text.contains(QLatin1String(name)); });
}

QString lastComponent(const QString& path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

bool isIDEApp(const QString& appName) {
    const QString a = appName.toLower();
    return equalsAny(a, {"antigravity ide"}) || containsAny(a, {"cursor", "visual studio code"}) ||
           equalsAny(a, {"code"}) || containsAny(a, {"vscode", "windsurf", "devin", "trae"}) || equalsAny(a, {"zed"}) ||
           containsAny(a, {"jetbrains", "intellij", "pycharm", "webstorm", "goland", "clion", "phpstorm", "rubymine",
                           "datagrip", "rider"}) ||
           equalsAny(a, {"kiro", "opencode", "opencode beta", "opencode dev", "zcode"});
}

std::optional<QString> workspacePath(const QString& windowTitle, const QStringList& knownWorkspacePaths,
                                     const QString& homePath, const QString& currentDirectory) {
    QString title = windowTitle;
    for (QChar& c : title) {
        if (c == QChar(0x2014) || c == QChar(0x2013) || c == u'|') {
            c = u' ';
        }
    }
    title = title.toLower();

    struct Known {
        QString path;
        qsizetype length;
    };
    QList<Known> known;
    known.reserve(knownWorkspacePaths.size());
    for (const QString& path : knownWorkspacePaths) {
        if (!path.isEmpty()) {
            const QString standardized = TerminalContextDetector::standardizedPath(path, currentDirectory);
            known.append({standardized, Text::graphemeCount(standardized)});
        }
    }
    std::stable_sort(known.begin(), known.end(), [](const Known& a, const Known& b) { return a.length > b.length; });

    for (const Known& entry : known) {
        if (title.contains(entry.path.toLower())) {
            return entry.path;
        }
    }

    if (const auto candidate = TerminalContextDetector::workspacePath(title, homePath, currentDirectory)) {
        for (const Known& entry : known) {
            if (candidate->startsWith(entry.path) || entry.path.startsWith(*candidate)) {
                return candidate;
            }
        }
    }

    // A folder name counts only when no other known path shares it.
    QHash<QString, int> pathsPerName;
    QStringList names;
    names.reserve(known.size());
    for (const Known& entry : known) {
        names.append(lastComponent(entry.path).toLower());
        ++pathsPerName[names.constLast()];
    }
    for (qsizetype i = 0; i < known.size(); ++i) {
        const QString& name = names.at(i);
        if (!name.isEmpty() && pathsPerName.value(name) == 1 && title.contains(name)) {
            return known.at(i).path;
        }
    }
    return std::nullopt;
}

std::optional<QString> workspaceName(const QString& windowTitle) {
    static const QString separators[] = {QStringLiteral(" \u2014 "), QStringLiteral(" - "), QStringLiteral(" \u2013 "),
                                         QStringLiteral(" | ")};
    for (const QString& separator : separators) {
        const qsizetype at = windowTitle.indexOf(separator);
        if (at < 0) {
            continue;
        }
        const QString name = Text::trimWhitespaceAndNewlines(windowTitle.left(at));
        if (!name.isEmpty()) {
            return name;
        }
    }
    const QString whole = Text::trimWhitespaceAndNewlines(windowTitle);
    if (whole.isEmpty()) {
        return std::nullopt;
    }
    return whole;
}

} // namespace IDEWorkspaceDetector
