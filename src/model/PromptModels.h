#pragma once

#include "model/AgentType.h"
#include "model/KeyboardShortcutModels.h"
#include "model/Localization.h"
#include "model/PromptText.h"

#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

// One prompt. Every creator (the file reader, the import, the samples and packs, the editor)
// settles all eight fields itself; there are no defaults here.
// The small fields come last, where they share one word: a library holds thousands of items.
struct PromptItem {
    QString id;
    PromptText title; // as the UTF-8 bytes it was read from, like the text
    PromptText text;  // the body, as the UTF-8 bytes it was read from
    QString group;
    QStringList tags;
    std::optional<PromptKeyboardShortcut> shortcut;
    std::optional<AgentType> agent; // none: meant for every agent
    bool isPinned = false;

    bool operator==(const PromptItem& other) const = default;
};

static_assert(sizeof(void*) != 8 || sizeof(PromptItem) <= 128, "a library holds thousands of items");

size_t qHash(const PromptItem& item, size_t seed = 0);

// The content version of a workspace file as last read: a save is refused when the file on
// disk no longer has this path and hash.
struct WorkspaceFileVersion {
    QString path;        // the standardised path of the file that was read
    QString contentHash; // SHA-256 of its bytes, 64 lower-case hex digits

    bool operator==(const WorkspaceFileVersion& other) const = default;
};

inline size_t qHash(const WorkspaceFileVersion& version, size_t seed = 0) {
    return qHashMulti(seed, version.path, version.contentHash);
}

// Where a workspace comes from. The raw values are stored, so they never change.
enum class PromptWorkspaceSource { global, userWorkspace, projectConfig, transientSample };

namespace PromptWorkspaceSources {
QString rawValue(PromptWorkspaceSource source);
std::optional<PromptWorkspaceSource> fromRawValue(const QString& raw);
QString displayName(PromptWorkspaceSource source, AppLanguage language);
} // namespace PromptWorkspaceSources

enum class PromptMoveDirection { up, down, top, bottom };

// A named list of prompts with the file it was read from.
struct PromptWorkspace {
    QString id;
    QString name;
    QStringList matchPaths;
    QList<PromptItem> prompts;      // file order, which is the manual order of the panel
    std::optional<QString> fileURL; // absolute path of the YAML file; none for in-memory workspaces
    PromptWorkspaceSource source = PromptWorkspaceSource::userWorkspace;
    std::optional<WorkspaceFileVersion> fileVersion; // the version of fileURL as last read

    // The file name of fileURL, else the "not saved" text.
    QString displayNamePath() const;
    QString displayNamePath(AppLanguage language) const;

    // A prompt moves only among its peers: the prompts of the same group (exact text) with the
    // same pinned state. A move also gathers every group together where it first appeared.
    bool canMovePrompt(const QString& id, PromptMoveDirection direction) const;
    bool movePrompt(const QString& id, PromptMoveDirection direction);

    bool operator==(const PromptWorkspace& other) const = default;
};

size_t qHash(const PromptWorkspace& workspace, size_t seed = 0);

// The header of a prompt pack file.
struct PromptPackMetadata {
    QString id;
    QString name;
    QString description;
    QString version;
    QString author;

    bool operator==(const PromptPackMetadata& other) const = default;
};

inline size_t qHash(const PromptPackMetadata& metadata, size_t seed = 0) {
    return qHashMulti(seed, metadata.id, metadata.name, metadata.description, metadata.version, metadata.author);
}

Q_DECLARE_METATYPE(PromptItem)
Q_DECLARE_METATYPE(PromptWorkspace)
Q_DECLARE_METATYPE(WorkspaceFileVersion)
Q_DECLARE_METATYPE(PromptWorkspaceSource)
Q_DECLARE_METATYPE(PromptMoveDirection)

// PromptSection, the panel's titled group of prompts, lives beside the selection it holds.
#include "model/PromptSelection.h"
