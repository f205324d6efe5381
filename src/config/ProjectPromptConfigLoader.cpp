#include "config/ProjectPromptConfigLoader.h"

#include "config/PromptConfigLoader.h"
#include "model/AppLog.h"
#include "model/TerminalContextDetector.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QString parentPath(const QString& folder) {
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (slash <= 0) {
        return u"/"_s;
    }
    return folder.first(slash);
}

QString childPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

ProjectPromptConfigLoader::ProjectPromptConfigLoader(const AppEnvironment& environment,
                                                     std::function<AppLanguage()> languageProvider,
                                                     int maximumParentLevels)
    : m_environment(environment), m_languageProvider(std::move(languageProvider)),
      m_maximumParentLevels(std::max(0, maximumParentLevels)) {}

AppLanguage ProjectPromptConfigLoader::language() const {
    return AppLanguages::resolved(m_languageProvider, m_environment.preferredLanguages);
}

std::optional<QString> ProjectPromptConfigLoader::configURL(const QString& start) const {
    QString folder = QDir::cleanPath(QFileInfo(start).absoluteFilePath());
    const QFileInfo startInfo(folder);
    if (startInfo.exists() && !startInfo.isDir()) {
        folder = parentPath(folder);
    }
    for (int level = 0;; ++level) {
        for (const QString& name : fileNames) {
            const QString candidate = childPath(folder, name);
            if (QFileInfo::exists(candidate)) {
                return candidate;
            }
        }
        if (level >= m_maximumParentLevels) {
            return std::nullopt;
        }
        const QString parent = parentPath(folder);
        if (parent == folder) {
            return std::nullopt;
        }
        folder = parent;
    }
}

ProjectConfigLoad ProjectPromptConfigLoader::loadWorkspace(const QString& configPath, const QString& start) const {
    Q_UNUSED(start);
    const AppLanguage language = this->language();
    const QString projectRoot = QDir::cleanPath(QFileInfo(configPath).absolutePath());
    const QString fallbackName = projectRoot == "/"_L1 ? projectRoot : QFileInfo(projectRoot).fileName();
    PromptConfigLimits limits;
    limits.perFileBytes = maximumBytes;
    PromptConfigLoader parser(
        m_environment, [language] { return language; }, limits);
    PromptConfigLoader::ReadFailure failure;
    std::optional<PromptWorkspace> workspace = parser.parseConfig(configPath, fallbackName, &failure);
    if (!workspace) {
        qCWarning(lcPrompts).noquote() << "Load project config failed file=" + AppLog::fileContext(configPath)
                                       << "error=" + AppLog::errorSummary(failure.error);
        return {std::nullopt,
                PromptConfigIssue::make(configPath, PromptConfigSourceKind::project, failure.kind, language)};
    }
    workspace->id = u"project:"_s + configPath;
    workspace->matchPaths = normalizedMatchPaths(workspace->matchPaths, projectRoot);
    workspace->fileURL = configPath;
    workspace->source = PromptWorkspaceSource::projectConfig;
    return {std::move(workspace), std::nullopt};
}

QStringList ProjectPromptConfigLoader::normalizedMatchPaths(const QStringList& paths, const QString& projectRoot) {
    if (paths.isEmpty()) {
        return {projectRoot};
    }
    QStringList result;
    result.reserve(paths.size());
    for (const QString& path : paths) {
        // Relative entries, "." and "./x" included, are taken below the root; ".." stops at "/".
        result.append(path == "."_L1 ? projectRoot : TerminalContextDetector::standardizedPath(path, projectRoot));
    }
    return result;
}
