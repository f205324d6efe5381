#include "model/TerminalContextDetector.h"

namespace TerminalContextDetector {

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

} // namespace TerminalContextDetector
