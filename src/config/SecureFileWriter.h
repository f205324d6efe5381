#pragma once

#include "model/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The one way the system writes its own files. A write goes to a temporary file in the target's
// folder, created owner-only, is flushed to disk and then renamed over the target, so that a
// failure at any step leaves the previous file exactly as it was and the new content is never
// readable by others. A target that is a link to a regular file is written where the link points,
// so the link stays. Directories are never created here; callers create them first.
namespace SecureFileWriter {

constexpr unsigned userReadWritePermissions = 0600;
constexpr unsigned userOnlyDirectoryPermissions = 0700;

// Every temporary file starts with one of these names, whatever the target is called, so that the
// name stays short for targets near the file-name limit and a start after a crash can find the
// files an interrupted write left behind.
// A new content that only ever replaces its target by a rename: left behind, it is never the only
// copy of anything and can go.
inline const QString temporaryFilePrefix = QStringLiteral(".orris-hollows-new-");
// A guarded write swaps its new file with the target, so for a moment this name holds the file
// that was displaced, which may be someone else's only copy. The name carries the first 16 hex
// digits of the SHA-256 of the content the guard accepts ("0" x 16 for none) and of the new
// content: ".orris-hollows-swap-<accepted>-<new>-XXXXXX". A start after a crash tells from them
// which of the two files is which (see StartupFileRecovery).
inline const QString swapFilePrefix = QStringLiteral(".orris-hollows-swap-");
// Earlier versions used this name for every write, guarded writes included.
inline const QString legacyTemporaryFilePrefix = QStringLiteral(".orris-hollows-write-");

enum class Permissions {
    ownerOnly,       // 0600, the files of the data folder
    platformDefault, // 0666 less the process's umask, files written where the user chose
};

// What a guarded write may replace. Where the file system can swap two names in one step, the new
// file is swapped in and the file it displaced is checked afterwards, then swapped back when it
// is refused: another writer has no moment between the check and the replacement. Elsewhere the
// target is checked just before the rename, as late as the file system allows. A refusal leaves
// the target as it was and is returned unchanged, without a log line: it is the caller's
// refusal, not a failed write.
struct ReplaceGuard {
    // Whether the existing file may be replaced; it reads that file at the path given, which is
    // the target or the place its content was swapped out to. Unset: any existing file may go.
    std::function<Status(const QString& replacedFile)> check;
    // The refusal when no file exists at the target; unset, a missing target is created.
    std::optional<AppError> whenMissing;
    // SHA-256 (hex) of the one content `check` accepts, if any: it goes into the swap file's name,
    // so that a start after a crash between the swap and the check can tell the accepted file from
    // a refused one.
    QString acceptedContentHash;

    bool isActive() const { return bool(check) || whenMissing.has_value(); }
};

Status writeData(const QByteArray& data, const QString& path, Permissions permissions = Permissions::ownerOnly,
                 const ReplaceGuard& guard = {});
// UTF-8 without a byte-order mark.
Status writeString(const QString& text, const QString& path, Permissions permissions = Permissions::ownerOnly,
                   const ReplaceGuard& guard = {});
// The directory must exist.
Status restrictDirectoryToCurrentUser(const QString& path);

// Whether a file name is one of the temporary names above, or one of the longer names
// ".<target>.tmp-XXXXXX" that earlier versions used.
bool isTemporaryFileName(const QString& fileName);

// The two hash prefixes a swap file's name carries.
struct SwapFileName {
    QString acceptedHashPrefix; // "0000000000000000" when the guard accepted no content
    QString newHashPrefix;
};
std::optional<SwapFileName> parseSwapFileName(const QString& fileName);
constexpr qsizetype swapHashPrefixLength = 16;

// Tests and the crash harness only: runs at each step of a guarded swap, so that a test can stop
// the process exactly there.
enum class SwapStep { written, swapped, checked, swappedBack };
using StepHook = std::function<void(SwapStep step)>;
void setStepHook(StepHook hook);

// Tests only: when set, every write asks the injector first and fails with the error it
// returns, before anything reaches the target.
using FaultInjector = std::function<std::optional<AppError>(const QString& path)>;
void setFaultInjector(FaultInjector injector);

// Tests only: runs with the target's path right before a guarded write replaces the target, where
// another writer could still act, so that a test can make one act there.
using ReplaceHook = std::function<void(const QString& target)>;
void setReplaceHook(ReplaceHook hook);
// Tests only: guarded writes check and rename as on a file system that cannot swap two names.
void setExchangeUnavailable(bool unavailable);

} // namespace SecureFileWriter
