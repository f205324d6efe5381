#pragma once

#include "model/environment/AppEnvironment.h"
#include "model/Localization.h"
#include "model/PromptModels.h"
#include "model/Result.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The two ways a guarded save loses a race with another writer. As an AppError the code tells
// them apart and the message is the description in the interface language.
struct WorkspaceSaveError {
    enum class Kind : qint64 {
        deleted = 1,  // the file the caller had read no longer exists
        conflict = 2, // the file exists but is not the version the caller had read
    };

    static inline const QString type = QStringLiteral("WorkspaceSaveError");
    static inline const QString domain = QStringLiteral("orris-hollows.workspace-save");

    Kind kind = Kind::conflict;
    QString path;

    QString description(AppLanguage language) const;
    AppError error(AppLanguage language) const;
    // The save error an AppError stands for; `path` is the target the failed save wrote to
    // (PromptPersistenceService::saveTarget), since an AppError carries no path of its own.
    static std::optional<WorkspaceSaveError> from(const AppError& error, const QString& path);

    bool operator==(const WorkspaceSaveError& other) const = default;
};

namespace WorkspaceFileDeletionError {

inline const QString type = QStringLiteral("WorkspaceFileDeletionError");
inline const QString domain = QStringLiteral("orris-hollows.workspace-deletion");

enum class Code : qint64 { unmanagedWorkspaceFile = 1, changedOnDisk = 2 };

AppError unmanagedWorkspaceFile(const QString& path, AppLanguage language);
// The file is no longer the version that was loaded: it was kept, and a reload shows it.
AppError changedOnDisk(const QString& path, AppLanguage language);
bool is(const AppError& error, Code code);

} // namespace WorkspaceFileDeletionError

// The saves that are refused before anything is written.
namespace WorkspaceFileError {

inline const QString type = QStringLiteral("WorkspaceFileError");
inline const QString domain = QStringLiteral("orris-hollows.workspace-file");

enum class Code : qint64 {
    tooLarge = 1,          // the encoded workspace is larger than the loader reads
    libraryTooLarge = 4,   // with it, the library is larger than a load reads in all
    invalidID = 2,         // the id cannot be a file name in the workspaces folder
    outsideDataFolder = 3, // the target is not in the data folder once links are resolved
};

AppError tooLarge(const QString& name, qint64 bytes, qint64 limit, AppLanguage language);
AppError libraryTooLarge(const QString& name, qint64 bytes, qint64 limit, AppLanguage language);
AppError invalidID(const QString& id, AppLanguage language);
AppError outsideDataFolder(const QString& path, AppLanguage language);
bool is(const AppError& error, Code code);

} // namespace WorkspaceFileError

// A workspace file moved aside during a deletion, and the place it came from.
struct WorkspaceFileIsolation {
    QString originalURL;
    QString isolatedURL;
    // The file's bytes as moved aside, so that a deletion can still be undone after the file was
    // removed for good; none when they could not be read.
    std::optional<QByteArray> content;

    bool operator==(const WorkspaceFileIsolation& other) const = default;
};

// Owns the workspace files of the user: "<home>/.orris-hollows/workspaces/*.yaml". Creates new
// files under unique names, saves a workspace over its file only while the file on disk is still
// the version the caller read, and moves a file aside for a deletion that can still be undone.
// Synchronous, main thread; every write goes through SecureFileWriter.
class PromptPersistenceService {
public:
    using FinalRemoval = std::function<Status(const QString& path)>;

    static inline const QString isolatedFilePrefix = QStringLiteral(".orris-hollows-deleting-");

    // Without a language provider, texts follow L10n::currentLanguage(). Without a final-removal
    // function, the isolated file is unlinked.
    explicit PromptPersistenceService(const AppEnvironment& environment,
                                      std::function<AppLanguage()> languageProvider = {},
                                      FinalRemoval finalWorkspaceRemoval = {});

    const QString& homeDirectory() const { return m_homeDirectory; }
    QString baseDirectory() const;
    QString workspacesDirectory() const;

    // Creates both folders when missing and restricts both to the owner, on every call.
    Status ensureBaseDirectory() const;

    // Whether an id can name a file of the workspaces folder: not empty, no "/" and no control
    // character (NUL, newline ...), not starting with "." (which also rules out "." and ".."), and
    // short enough that "<id>.yaml" fits a file name (255 bytes).
    static bool isValidWorkspaceID(const QString& id);
    // A file-name-safe id: the shared slug of the name, "workspace" when nothing is left.
    static QString makeWorkspaceID(const QString& name);
    // "<id>.yaml" in the workspaces folder, else "<id>-2.yaml", "<id>-3.yaml" ...: the first
    // whose id no workspace file holds yet, whatever the case of its ".yaml"/".yml" extension.
    QString uniqueFileURL(const QString& id) const;
    // A ".yaml"/".yml" file, not hidden, in the workspaces folder, also after the links of the
    // folders on the way are resolved.
    bool isManagedWorkspaceFile(const QString& path) const;
    // Whether the file's folder is the data folder or inside it, also once links are resolved (the
    // workspaces folder counting wherever it leads).
    bool isInDataFolder(const QString& path) const;
    // The bytes a load would count towards its total with `replacedBy` bytes at `target` (the
    // global file and the workspace files as the loader reads them, each within the per-file limit).
    // The second value is what `target` counts today.
    std::pair<qint64, qint64> librarySizeWith(const QString& target, qint64 replacedBy) const;
    // Where saveWorkspace writes the workspace: its file, else "<id>.yaml" in the workspaces folder.
    QString saveTarget(const PromptWorkspace& workspace) const;

    // A new workspace file under a unique name; a blank name becomes "my-workspace". Never
    // replaces a file, also one that appears while the new one is written (a conflict then).
    Result<PromptWorkspace> createWorkspace(const QString& name, const QStringList& matchPaths,
                                            const QList<PromptItem>& prompts = {});

    // Writes the workspace over its file when the file still has the guarding version (the
    // expected one, else the workspace's own); without either it overwrites. The guard checks the
    // very file the new one replaces (see SecureFileWriter::ReplaceGuard). Returns the workspace as
    // written: its file and the version of the bytes written. A workspace whose file would be
    // larger than a load reads, or whose target lies outside the data folder, is refused and
    // nothing is written.
    Result<PromptWorkspace> saveWorkspace(const PromptWorkspace& workspace,
                                          const std::optional<WorkspaceFileVersion>& expectedVersion);

    // First phase of a deletion: moves the file aside in its folder, under a hidden ".tmp" name
    // that no load reads. None when the workspace has no file or the file is already gone.
    Result<std::optional<WorkspaceFileIsolation>> isolateWorkspaceFile(const PromptWorkspace& workspace) const;
    // Undoes the first phase; the isolated file replaces whatever appeared at its old place.
    Status restoreIsolatedWorkspaceFile(const std::optional<WorkspaceFileIsolation>& isolation) const;
    // Second phase: removes the isolated file for good.
    Status finalWorkspaceRemoval(const QString& isolatedURL) const;
    // Undoes a deletion after its second phase: writes the bytes the isolation kept back to the
    // old place, or beside it when that is taken meanwhile. Returns where the file now is.
    Result<QString> restoreRemovedWorkspaceFile(const WorkspaceFileIsolation& isolation);
    // Moves an isolated file back without replacing anything: to its old place when that is
    // free, else to a new unique name beside it. Returns where the file now is.
    Result<QString> putBackIsolatedWorkspaceFile(const QString& isolatedURL, const QString& originalURL) const;

private:
    enum class Guard { none, mustNotExist, version };
    Result<PromptWorkspace> write(PromptWorkspace workspace, const QString& target, Guard guard,
                                  const std::optional<WorkspaceFileVersion>& version);
    AppLanguage language() const;

    QString m_homeDirectory;
    std::function<QStringList()> m_preferredLanguages;
    std::function<AppLanguage()> m_languageProvider;
    FinalRemoval m_finalWorkspaceRemoval;
};
