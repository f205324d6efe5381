#pragma once

#include <QString>
#include <QStringList>

// Recognises terminal applications by name and finds a directory path in a terminal window's
// title. Pure functions: nothing here checks that a path exists.
namespace TerminalContextDetector {

const QStringList& supportedAppNames();

// True when the lower-cased name contains "terminal", "iterm", "iterm2", "warp" or "ghostty".
bool isTerminalApp(const QString& appName);

} // namespace TerminalContextDetector
