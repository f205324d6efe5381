// Window titles come from any application. Feeds one title (and, after NUL bytes, known
// workspace paths) to the title readers and checks that every path they give is a clean,
// absolute path.
#include "context/IDEWorkspaceDetector.h"
#include "model/AgentContext.h"
#include "model/AgentType.h"
#include "model/TerminalContextDetector.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace {

// A known workspace path may be the root itself; a path found in a title never is.
void checkPath(const std::optional<QString>& path, bool rootAllowed) {
    if (!path) {
        return;
    }
    const QString& p = *path;
    if (p == QLatin1String("/") && rootAllowed) {
        return;
    }
    if (!p.startsWith(u'/') || p == QLatin1String("/") || p.endsWith(u'/') || p.contains(QLatin1String("//")) ||
        p.contains(QLatin1String("/./")) || p.contains(QLatin1String("/../")) || p.endsWith(QLatin1String("/..")) ||
        p.endsWith(QLatin1String("/."))) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> pieces = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    const QString title = QString::fromUtf8(pieces.first());
    QStringList known;
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        known.append(QString::fromUtf8(pieces.at(i)));
    }
    const QString home = QStringLiteral("/home/fuzz");
    const QString cwd = QStringLiteral("/srv/cwd");

    checkPath(TerminalContextDetector::workspacePath(title, home, cwd), false);
    checkPath(IDEWorkspaceDetector::workspacePath(title, known, home, cwd), true);
    const auto name = IDEWorkspaceDetector::workspaceName(title);
    if (name && name->isEmpty()) {
        __builtin_trap();
    }
    (void)TerminalContextDetector::isTerminalApp(title);
    (void)IDEWorkspaceDetector::isIDEApp(title);
    (void)AgentTypes::infer(title, title, title);

    AgentContext context = AgentContext::unknown();
    context.frontWindowTitle = title;
    (void)context.browserWebAIName();
    return 0;
}
