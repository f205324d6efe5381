#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Recognises IDE applications by name and finds the open project in an IDE window's title, as a
// path (preferring the workspace paths the user has configured) or as a name. Pure functions:
// nothing here checks that a path exists.
namespace IDEWorkspaceDetector {

bool isIDEApp(const QString& appName);

// The known path the title shows (longest first), else a path-like part of the title that lies
// inside or above a known path, else the one known path whose folder name the title contains.
// The home folder and the current directory resolve "~/" parts and relative known paths.
std::optional<QString> workspacePath(const QString& windowTitle, const QStringList& knownWorkspacePaths,
                                     const QString& homePath, const QString& currentDirectory);

// The text before the first title separator (" — ", " - ", " – ", " | "), else the whole title.
std::optional<QString> workspaceName(const QString& windowTitle);

} // namespace IDEWorkspaceDetector
