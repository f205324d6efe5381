#pragma once

#include <QString>

// The path steps shared by the readers that compare folders: "~" expansion, normalisation with
// symbolic links resolved, and the last component of a path.
namespace FilePaths {

// What a "~" standing alone means. "~/..." is always below the home folder; a lone "~" is the
// home folder for the project-file trust list and for a folder named in the environment, while
// workspace matching leaves it as it is, a relative name.
enum class LoneTilde { home, relativeName };

// The path with a leading "~/" (and a lone "~" when `loneTilde` says so) replaced by the home
// folder; any other path as it is.
QString expandingTilde(const QString& path, const QString& homePath, LoneTilde loneTilde);

// Symbolic links resolved in the longest part of the path that exists; the rest, which no link
// can be part of, is kept as it is.
QString resolvingSymlinks(const QString& absolutePath);

// A path for comparisons: "~" expanded as above, dot and dot-dot resolved against the current
// directory, then symbolic links resolved as far as the path exists. Letter case is kept.
QString normalized(const QString& path, const QString& homePath, const QString& currentDirectory, LoneTilde loneTilde);

// The last component, trailing "/" ignored; "/" for the root.
QString lastComponent(const QString& path);

} // namespace FilePaths
