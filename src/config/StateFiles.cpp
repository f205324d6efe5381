#include "config/StateFiles.h"

#include "config/SecureFileWriter.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace StateFiles {

AppError notRegularFile() {
    return AppError::make(QStringLiteral("StateFileError"), QStringLiteral("orris-hollows.state-file"), 1,
                          QStringLiteral("Not a regular file"));
}

AppError fileTooLarge() {
    return AppError::make(QStringLiteral("StateFileError"), QStringLiteral("orris-hollows.state-file"), 2,
                          QStringLiteral("File is too large"));
}

bool exists(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

OpenedFile::OpenedFile(int descriptor, qint64 size, QDateTime modificationDate)
    : m_descriptor(descriptor), m_size(size), m_modificationDate(std::move(modificationDate)) {}

OpenedFile::OpenedFile(OpenedFile&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)), m_size(other.m_size),
      m_modificationDate(std::move(other.m_modificationDate)) {}

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_size = other.m_size;
        m_modificationDate = std::move(other.m_modificationDate);
    }
    return *this;
}

OpenedFile::~OpenedFile() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

Result<OpenedFile> OpenedFile::open(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd = -1;
    do {
        // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return AppError::posix(errno);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return AppError::posix(error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return notRegularFile();
    }
    const QDateTime modified =
        QDateTime::fromMSecsSinceEpoch(qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1'000'000, Qt::UTC);
    return OpenedFile(fd, qint64(info.st_size), modified);
}

Result<QByteArray> OpenedFile::readAtMost(qint64 limit) {
    QByteArray buffer;
    if (Status read = readAtMost(limit, buffer); !read) {
        return read.error();
    }
    return buffer;
}

Status OpenedFile::readAtMost(qint64 limit, QByteArray& buffer) {
    const qint64 cap = limit + 1;
    buffer.resize(qsizetype(std::min(m_size + 1, cap)));
    qsizetype used = 0;
    for (;;) {
        if (used == buffer.size()) {
            if (buffer.size() >= cap) {
                break;
            }
            buffer.resize(qsizetype(std::min<qint64>(qint64(buffer.size()) * 2, cap)));
        }
        const ssize_t got = ::read(m_descriptor, buffer.data() + used, size_t(buffer.size() - used));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return AppError::posix(errno);
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    buffer.truncate(used);
    return {};
}

Result<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    Result<OpenedFile> file = OpenedFile::open(path);
    if (!file.ok()) {
        return file.error();
    }
    if (file->size() > limit) {
        return fileTooLarge();
    }
    Result<QByteArray> data = file->readAtMost(limit);
    if (data.ok() && data->size() > limit) {
        return fileTooLarge();
    }
    return data;
}

Status createPrivateDirectory(const QString& path) {
    const QString cleaned = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = cleaned.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(current);
        // Created owner-only from the start: a folder made open and restricted afterwards could be
        // opened by another user in between, and the folders on the way would stay open.
        if (::mkdir(native.constData(), SecureFileWriter::userOnlyDirectoryPermissions) == 0) {
            continue;
        }
        const int error = errno;
        struct stat info {};
        if (error == EEXIST && ::stat(native.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode)) {
                continue;
            }
            return AppError::posix(ENOTDIR);
        }
        return AppError::posix(error);
    }
    return SecureFileWriter::restrictDirectoryToCurrentUser(cleaned);
}

} // namespace StateFiles
