#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/Localization.h"
#include "model/PromptConfigIssue.h"
#include "model/PromptModels.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What reading one project file gave: its workspace, or the issue that kept it out.
struct ProjectConfigLoad {
    std::optional<PromptWorkspace> workspace;
    std::optional<PromptConfigIssue> issue;
};

// Finds the project file (".orris-hollows.yaml", else ".orris-hollows.yml") that applies to a
// folder, looking in the folder and up to `maximumParentLevels` of its parents, and reads it into
// a workspace whose match paths are absolute. A project file comes from whoever wrote the
// project: it is read only when it is a regular file (a link to one is followed) of at most
// 1 MiB, without blocking and never past the limit, so a link to a device or a huge file is an
// issue at once instead of a hang.
class ProjectPromptConfigLoader {
public:
    static inline const QStringList fileNames = {QStringLiteral(".orris-hollows.yaml"),
                                                 QStringLiteral(".orris-hollows.yml")};
    static constexpr qint64 maximumBytes = 1'048'576;

    // Untitled prompts and issues take the language of `languageProvider`.
    ProjectPromptConfigLoader(const AppEnvironment& environment, std::function<AppLanguage()> languageProvider,
                              int maximumParentLevels = 2);

    int maximumParentLevels() const { return m_maximumParentLevels; }

    // The project file for a path: a file path starts the search in its folder, a path that does
    // not exist is taken as a folder.
    std::optional<QString> configURL(const QString& start) const;

    // The workspace of a found file: id "project:<path>", source projectConfig, the file's
    // version. The start folder plays no part in the result.
    ProjectConfigLoad loadWorkspace(const QString& configPath, const QString& start) const;

    // No entry means "."; "." is the root, an absolute entry stays, any other is taken below the
    // root; every entry standardised, nothing else rewritten ("~" stays, order and duplicates stay).
    static QStringList normalizedMatchPaths(const QStringList& paths, const QString& projectRoot);

private:
    AppLanguage language() const;

    AppEnvironment m_environment;
    std::function<AppLanguage()> m_languageProvider;
    int m_maximumParentLevels;
};
