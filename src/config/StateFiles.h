#pragma once

#include "model/Result.h"

#include <QByteArray>
#include <QString>

// Reading and folder creation for the small state files of the data folder. Writes go through
// SecureFileWriter.
namespace StateFiles {

// A state file holds a few kilobytes; anything beyond this is not one of ours and is refused.
constexpr qint64 maximumBytes = 8 * 1024 * 1024;

// Whether anything is at the path, a dangling symbolic link included, so that a broken link is
// reported as unreadable instead of being taken for a missing file and replaced.
bool exists(const QString& path);

// The whole content of a regular file (a link to one is followed). A folder, FIFO or device is
// refused without blocking; so is a file larger than `limit` bytes.
Result<QByteArray> readRegularFile(const QString& path, qint64 limit = maximumBytes);

// Creates the folder with its missing parents, then restricts it to the current user (0700).
Status createPrivateDirectory(const QString& path);

AppError notRegularFile();
AppError fileTooLarge();

} // namespace StateFiles
