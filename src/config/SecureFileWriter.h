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

enum class Permissions {
    ownerOnly,       // 0600, the files of the data folder
    platformDefault, // 0666 less the process's umask, files written where the user chose
};

// Runs after the new content is safely in its temporary file, just before it replaces the target.
// A failure abandons the write, leaves the target as it was and is returned unchanged, without a
// log line: it is the caller's refusal, not a failed write. It lets a save check that the target
// is still what the caller last read as late as the file system allows.
using ReplaceGuard = std::function<Status()>;

Status writeData(const QByteArray& data, const QString& path, Permissions permissions = Permissions::ownerOnly,
                 const ReplaceGuard& guard = {});
// UTF-8 without a byte-order mark.
Status writeString(const QString& text, const QString& path, Permissions permissions = Permissions::ownerOnly,
                   const ReplaceGuard& guard = {});
// The directory must exist.
Status restrictDirectoryToCurrentUser(const QString& path);

// Tests only: when set, every write asks the injector first and fails with the error it
// returns, before anything reaches the target.
using FaultInjector = std::function<std::optional<AppError>(const QString& path)>;
void setFaultInjector(FaultInjector injector);

} // namespace SecureFileWriter
