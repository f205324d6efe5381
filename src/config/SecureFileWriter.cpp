#include "config/SecureFileWriter.h"

#include "model/AppLog.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace SecureFileWriter {

namespace {

std::mutex injectorMutex;
FaultInjector& injectorSlot() {
    static FaultInjector injector;
    return injector;
}

std::optional<AppError> injectedFault(const QString& path) {
    FaultInjector injector;
    {
        std::lock_guard lock(injectorMutex);
        injector = injectorSlot();
    }
    return injector ? injector(path) : std::nullopt;
}

mode_t defaultFileMode() {
    // Setting the umask to read it would leave a moment in which files other threads create get
    // no mask at all; the kernel reports it in /proc/self/status instead.
    static const mode_t mode = [] {
        mode_t mask = 022;
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("Umask:")) {
                    bool ok = false;
                    const uint value = line.mid(6).trimmed().toUInt(&ok, 8);
                    if (ok) {
                        mask = mode_t(value & 0777);
                    }
                    break;
                }
            }
        }
        return mode_t(0666 & ~mask);
    }();
    return mode;
}

// A data file the user replaced with a link to a file elsewhere (a dotfiles folder, say) is
// written where the link points, so that the link stays and the user's file gets the change.
// A link to nothing, or to something that is not a regular file, is replaced like a file.
QString writeTarget(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    const QString resolved = QFileInfo(path).canonicalFilePath();
    struct stat target {};
    if (resolved.isEmpty() || ::stat(QFile::encodeName(resolved).constData(), &target) != 0 ||
        !S_ISREG(target.st_mode)) {
        return path;
    }
    return resolved;
}

struct WriteOutcome {
    Status status;
    bool refusedByGuard = false;
};

WriteOutcome writeBytes(const QByteArray& data, const QString& path, Permissions permissions,
                        const ReplaceGuard& guard) {
    const QString destination = writeTarget(path);
    const QFileInfo target(destination);
    const QByteArray directory = QFile::encodeName(target.absolutePath());
    QByteArray temporary = directory + "/." + QFile::encodeName(target.fileName()) + ".tmp-XXXXXX";

    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return {AppError::posix(errno)};
    }
    const auto abandon = [&](const AppError& error) -> WriteOutcome {
        ::close(fd);
        ::unlink(temporary.constData());
        return {error};
    };

    const mode_t mode = permissions == Permissions::ownerOnly ? mode_t(userReadWritePermissions) : defaultFileMode();
    if (::fchmod(fd, mode) != 0) {
        const AppError error = AppError::posix(errno);
        qCCritical(lcPersistence).noquote() << "Set secure file permissions failed file=" + AppLog::fileContext(path)
                                            << "error=" + AppLog::errorSummary(error);
        return abandon(error);
    }
    if (const auto fault = injectedFault(path)) {
        return abandon(*fault);
    }
    const char* cursor = data.constData();
    qsizetype remaining = data.size();
    while (remaining > 0) {
        const ssize_t written = ::write(fd, cursor, size_t(remaining));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return abandon(AppError::posix(errno));
        }
        cursor += written;
        remaining -= written;
    }
    if (::fsync(fd) != 0) {
        return abandon(AppError::posix(errno));
    }
    if (::close(fd) != 0) {
        const AppError error = AppError::posix(errno);
        ::unlink(temporary.constData());
        return {error};
    }
    if (guard) {
        Status allowed = guard();
        if (!allowed.ok()) {
            ::unlink(temporary.constData());
            return {std::move(allowed), true};
        }
    }
    if (::rename(temporary.constData(), QFile::encodeName(destination).constData()) != 0) {
        const AppError error = AppError::posix(errno);
        ::unlink(temporary.constData());
        return {error};
    }
    // Make the rename itself durable; a failure here does not undo a completed write.
    const int directoryFd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
    return {};
}

} // namespace

Status writeData(const QByteArray& data, const QString& path, Permissions permissions, const ReplaceGuard& guard) {
    WriteOutcome outcome = writeBytes(data, path, permissions, guard);
    const Status& status = outcome.status;
    if (!status.ok() && !outcome.refusedByGuard) {
        qCCritical(lcPersistence).noquote()
            << "Secure data write failed file=" + AppLog::fileContext(path) << "bytes=" + QString::number(data.size())
            << "error=" + AppLog::errorSummary(status.error());
    }
    return std::move(outcome.status);
}

Status writeString(const QString& text, const QString& path, Permissions permissions, const ReplaceGuard& guard) {
    const QByteArray data = text.toUtf8();
    WriteOutcome outcome = writeBytes(data, path, permissions, guard);
    const Status& status = outcome.status;
    if (!status.ok() && !outcome.refusedByGuard) {
        qCCritical(lcPersistence).noquote()
            << "Secure string write failed file=" + AppLog::fileContext(path) << "bytes=" + QString::number(data.size())
            << "error=" + AppLog::errorSummary(status.error());
    }
    return std::move(outcome.status);
}

Status restrictDirectoryToCurrentUser(const QString& path) {
    if (::chmod(QFile::encodeName(path).constData(), userOnlyDirectoryPermissions) != 0) {
        const AppError error = AppError::posix(errno);
        qCCritical(lcPersistence).noquote()
            << "Set secure directory permissions failed directory=" + AppLog::fileContext(path)
            << "error=" + AppLog::errorSummary(error);
        return error;
    }
    return {};
}

void setFaultInjector(FaultInjector injector) {
    std::lock_guard lock(injectorMutex);
    injectorSlot() = std::move(injector);
}

} // namespace SecureFileWriter
