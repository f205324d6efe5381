#include "context/WorkspaceMatcher.h"

#include "context/IDEWorkspaceDetector.h"
#include "model/FilePaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBoundaryFinder>

namespace {

bool isIdentifierScalar(char32_t c) {
    if (c == U'-' || c == U'_') {
        return true;
    }
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

// A user-perceived character counts as an identifier character when any of its scalars does.
bool hasIdentifierScalar(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (isIdentifierScalar(c)) {
            return true;
        }
    }
    return false;
}

} // namespace

WorkspaceMatcher::WorkspaceMatcher(QList<PromptWorkspace> workspaces, QString homePath, QString currentDirectory)
    : m_workspaces(std::move(workspaces)), m_homePath(std::move(homePath)),
      m_currentDirectory(currentDirectory.isEmpty() ? QDir::currentPath() : std::move(currentDirectory)) {}

QString WorkspaceMatcher::normalizePath(const QString& path, const QString& homePath, const QString& currentDirectory) {
    return FilePaths::normalized(path, homePath, currentDirectory, FilePaths::LoneTilde::relativeName);
}

QString WorkspaceMatcher::normalizePath(const QString& path) const {
    return normalizePath(path, m_homePath, m_currentDirectory);
}

std::optional<QString> WorkspaceMatcher::validatedContextWorkspacePath(const AgentContext& context) const {
    if (!context.workspacePath || context.workspacePath->isEmpty()) {
        return std::nullopt;
    }
    const QString path = normalizePath(*context.workspacePath);
    if (!QFileInfo(path).isDir()) {
        return std::nullopt;
    }
    return path;
}

bool WorkspaceMatcher::liesUnder(const QString& path, const QString& ancestor) {
    if (ancestor.isEmpty()) {
        return false;
    }
    if (path == ancestor) {
        return true;
    }
    return ancestor.endsWith(u'/') ? path.startsWith(ancestor) : path.startsWith(ancestor + u'/');
}

std::optional<PromptWorkspace> WorkspaceMatcher::explicitPathWorkspace(const AgentContext& context) const {
    const auto validated = validatedContextWorkspacePath(context);
    if (!validated) {
        return std::nullopt;
    }
    const QString target = normalizePath(*validated);
    for (const PromptWorkspace& workspace : m_workspaces) {
        for (const QString& matchPath : workspace.matchPaths) {
            // An empty match path would stand for the current directory, which no user meant.
            if (matchPath.isEmpty()) {
                continue;
            }
            if (liesUnder(target, normalizePath(matchPath))) {
                return workspace;
            }
        }
    }
    return std::nullopt;
}

bool WorkspaceMatcher::containsIdentifier(const QString& identifier, const QString& text) {
    if (identifier.isEmpty()) {
        return false;
    }
    std::optional<QTextBoundaryFinder> characters;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(identifier, from);
        if (at < 0) {
            return false;
        }
        const qsizetype end = at + identifier.size();
        if (!characters) {
            characters.emplace(QTextBoundaryFinder::Grapheme, text);
        }
        bool whole = true;
        if (at > 0) {
            characters->setPosition(at);
            const qsizetype start = characters->toPreviousBoundary();
            whole = !hasIdentifierScalar(QStringView(text).mid(start, at - start));
        }
        if (whole && end < text.size()) {
            characters->setPosition(end);
            const qsizetype next = characters->toNextBoundary();
            whole = !hasIdentifierScalar(QStringView(text).mid(end, next - end));
        }
        if (whole) {
            return true;
        }
        from = end;
    }
}

std::optional<PromptWorkspace> WorkspaceMatcher::inferredWorkspace(const AgentContext& context) const {
    const QString workspaceName =
        context.workspaceName == unrecognizedWorkspaceName ? QString() : context.workspaceName.toLower();
    const QString haystack =
        context.frontWindowTitle.toLower() + u' ' + context.frontmostAppName.toLower() + u' ' + workspaceName;
    const bool isIDE = IDEWorkspaceDetector::isIDEApp(context.frontmostAppName);

    for (const PromptWorkspace& workspace : m_workspaces) {
        if (containsIdentifier(workspace.name.toLower(), haystack)) {
            return workspace;
        }
        if (isIDE) {
            if (const auto candidate = IDEWorkspaceDetector::workspacePath(
                    context.frontWindowTitle, workspace.matchPaths, m_homePath, m_currentDirectory)) {
                const QString target = normalizePath(*candidate);
                for (const QString& matchPath : workspace.matchPaths) {
                    if (!matchPath.isEmpty() && liesUnder(target, normalizePath(matchPath))) {
                        return workspace;
                    }
                }
                // The title shows where the IDE is: a folder name elsewhere in it proves nothing.
                continue;
            }
        }
        for (const QString& matchPath : workspace.matchPaths) {
            const QString folderName = FilePaths::lastComponent(matchPath).toLower();
            if (!folderName.isEmpty() && containsIdentifier(folderName, haystack)) {
                return workspace;
            }
        }
    }
    return std::nullopt;
}
