// Window titles, application names and detected workspace names come from any application.
// Feeds them (separated by NUL bytes) to the title inference and the whole-word test, and checks
// what they promise: a found workspace is one of the candidates, and a whole-word match is
// always an occurrence of the word.
#include "context/WorkspaceMatcher.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

PromptWorkspace workspace(const char* id, const QString& name, const QStringList& matchPaths) {
    PromptWorkspace result;
    result.id = QString::fromLatin1(id);
    result.name = name;
    result.matchPaths = matchPaths;
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QList<QByteArray> pieces = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0');
    const QString title = QString::fromUtf8(pieces.value(0));
    const QString appName = QString::fromUtf8(pieces.value(1));
    const QString word = QString::fromUtf8(pieces.value(2));

    if (WorkspaceMatcher::containsIdentifier(word, title) && (word.isEmpty() || !title.contains(word))) {
        __builtin_trap();
    }

    const QList<PromptWorkspace> workspaces = {
        workspace("word", word, {}),
        workspace("api", QStringLiteral("API"), {QStringLiteral("/srv/api")}),
        workspace("shop", QStringLiteral("Shop"), {QStringLiteral("~/projects/webshop/"), QStringLiteral("/")}),
    };
    const WorkspaceMatcher matcher(workspaces, QStringLiteral("/nonexistent/home"), QStringLiteral("/nonexistent/cwd"));
    AgentContext context = AgentContext::unknown();
    context.frontWindowTitle = title;
    context.frontmostAppName = appName;
    context.workspaceName = word.isEmpty() ? unrecognizedWorkspaceName : word;
    if (const auto found = matcher.inferredWorkspace(context)) {
        if (!workspaces.contains(*found)) {
            __builtin_trap();
        }
    }
    return 0;
}
