#include "PromptFixtures.h"

#include "model/PromptConfigIssue.h"

#include <QFile>

namespace PromptFixtures {

QByteArray file(const QString& name) {
    QFile fixture(QStringLiteral(ORRIS_FIXTURES_DIR "/") + name);
    if (!fixture.open(QIODevice::ReadOnly)) {
        qFatal("cannot read the fixture %s: %s", qPrintable(fixture.fileName()), qPrintable(fixture.errorString()));
    }
    return fixture.readAll();
}

PromptItem prompt(const QString& id, const QString& group, bool pinned, const QString& title, const QString& text,
                  const QStringList& tags) {
    PromptItem item;
    item.id = id;
    item.title = title.isEmpty() ? QStringLiteral("Title ") + id : title;
    item.group = group;
    item.text = text.isEmpty() ? QStringLiteral("Text of ") + id : text;
    item.tags = tags;
    item.isPinned = pinned;
    return item;
}

PromptWorkspace workspace(const QString& id, const QList<PromptItem>& prompts, const QStringList& matchPaths,
                          PromptWorkspaceSource source) {
    PromptWorkspace result;
    result.id = id;
    result.name = QStringLiteral("Workspace ") + id;
    result.prompts = prompts;
    result.matchPaths = matchPaths;
    result.source = source;
    return result;
}

PromptLoadResult result(const QList<PromptItem>& globalPrompts, const QList<PromptWorkspace>& workspaces,
                        const QString& status) {
    PromptLoadResult load;
    load.globalPrompts = globalPrompts;
    load.workspaces = workspaces;
    load.statusMessage = status;
    for (const PromptWorkspace& workspace : workspaces) {
        load.workspaceMetadata.insert(workspace.id, WorkspaceFileMetadata{std::nullopt, 42});
    }
    return load;
}

PromptLoadResult resultWithIssue(const QString& status) {
    PromptLoadResult load;
    load.statusMessage = status;
    load.issues.append(PromptConfigIssue::make(QStringLiteral("/home/u/.orris-hollows/workspaces/broken.yaml"),
                                               PromptConfigSourceKind::workspace, PromptConfigIssueKind::invalidFormat,
                                               AppLanguage::english));
    return load;
}

QStringList ids(const QList<PromptItem>& prompts) {
    QStringList list;
    for (const PromptItem& item : prompts) {
        list.append(item.id);
    }
    return list;
}

QStringList ids(const QList<PromptWorkspace>& workspaces) {
    QStringList list;
    for (const PromptWorkspace& item : workspaces) {
        list.append(item.id);
    }
    return list;
}

} // namespace PromptFixtures
