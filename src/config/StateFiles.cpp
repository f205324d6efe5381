#include "config/StateFiles.h"

#include "config/SecureFileWriter.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

Result<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return AppError::posix(errno);
    }
    const auto fail = [fd](const AppError& error) -> Result<QByteArray> {
        ::close(fd);
        return error;
    };
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return fail(AppError::posix(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return fail(notRegularFile());
    }
    if (info.st_size > limit) {
        return fail(fileTooLarge());
    }
    // The file may grow while it is read: read at most one byte past the limit to notice.
    QByteArray data;
    data.resize(qsizetype(info.st_size) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == data.size()) {
            if (filled > limit) {
                return fail(fileTooLarge());
            }
            data.resize(std::min<qsizetype>(data.size() * 2, limit + 1));
        }
        const ssize_t got = ::read(fd, data.data() + filled, size_t(data.size() - filled));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(AppError::posix(errno));
        }
        if (got == 0) {
            break;
        }
        filled += got;
    }
    ::close(fd);
    if (filled > limit) {
        return fileTooLarge();
    }
    data.truncate(filled);
    return data;
}

Status createPrivateDirectory(const QString& path) {
    const QString cleaned = QDir::cleanPath(QDir(path).absolutePath());
    const QStringList parts = cleaned.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), 0777) == 0) {
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
