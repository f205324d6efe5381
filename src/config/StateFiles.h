#pragma once

#include "model/Result.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Reading and folder creation for the small state files of the data folder. Writes go through
// SecureFileWriter.
namespace StateFiles {

// A state file holds a few kilobytes; anything beyond this is not one of ours and is refused.
constexpr qint64 maximumBytes = 8 * 1024 * 1024;

// Whether anything is at the path, a dangling symbolic link included, so that a broken link is
// reported as unreadable instead of being taken for a missing file and replaced.
bool exists(const QString& path);

// A regular file opened for reading (a link to one is followed). The open does not block, so a
// folder, FIFO or device is refused at once; size and modification date come from the opened
// file itself, so they describe the bytes that are read.
class OpenedFile {
public:
    static Result<OpenedFile> open(const QString& path);

    OpenedFile(OpenedFile&& other) noexcept;
    OpenedFile& operator=(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    ~OpenedFile();

    qint64 size() const { return m_size; }
    const QDateTime& modificationDate() const { return m_modificationDate; }

    // Reads on from where the last read stopped, at most `limit` + 1 bytes whatever size the file
    // claimed: a file larger than the limit, or one that grows while it is read, comes back longer
    // than the limit instead of being read without end.
    Result<QByteArray> readAtMost(qint64 limit);
    // The same into `buffer`, whose memory serves again when it is not shared: a load of many
    // files then takes fresh pages from the system once, not once a file.
    Status readAtMost(qint64 limit, QByteArray& buffer);

private:
    OpenedFile(int descriptor, qint64 size, QDateTime modificationDate);

    int m_descriptor = -1;
    qint64 m_size = 0;
    QDateTime m_modificationDate;
};

// The whole content of a regular file, opened as above; a file larger than `limit` bytes is
// refused.
Result<QByteArray> readRegularFile(const QString& path, qint64 limit = maximumBytes);

// Creates the folder with its missing parents, each created 0700, then restricts the folder to
// the current user (0700) whether it was created or already there.
Status createPrivateDirectory(const QString& path);

AppError notRegularFile();
AppError fileTooLarge();

} // namespace StateFiles
