#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Recognises terminal applications by name and finds a directory path in a terminal window's
// title. Pure functions: nothing here checks that a path exists. The home folder and the
// process's current directory come from the caller, so tests never depend on the real ones.
namespace TerminalContextDetector {

const QStringList& supportedAppNames();

// True when the lower-cased name contains "terminal", "iterm", "iterm2", "warp" or "ghostty".
bool isTerminalApp(const QString& appName);

// The first path-like part of a window title: a quoted absolute path wins, then the parts split
// at blanks and colons are tried in order. Not checked for existence.
std::optional<QString> workspacePath(const QString& windowTitle, const QString& homePath,
                                     const QString& currentDirectory);

// A candidate beginning with "/" or "~", without trailing "," or ";", "~/" expanded to the home
// folder and standardised. A relative "~name" is taken against the current directory, as a file
// path would be. None for anything else, and for the file-system root.
std::optional<QString> cleanPathCandidate(const QString& candidate, const QString& homePath,
                                          const QString& currentDirectory);

// Lexical standardisation of a file path: "." and ".." resolved (".." stops at the root), repeated
// and trailing "/" removed; a relative path is taken against the current directory first.
QString standardizedPath(const QString& path, const QString& currentDirectory);

} // namespace TerminalContextDetector
