#include "config/SecureFileWriter.h"

#include "model/AppLog.h"
#include "model/Sha256.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace SecureFileWriter {

namespace {

// The names are matched by hand: a regular expression would pull its compiler (and its JIT's
// executable memory) into every start, for a few fixed shapes of file name.
bool isLetterOrDigitSuffix(QStringView text) {
    return text.size() == 6 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
           });
}

bool isLowerHex(QStringView text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
}

std::mutex injectorMutex;
std::atomic<bool> exchangeUnavailable{false};

StepHook& stepHookSlot() {
    static StepHook hook;
    return hook;
}

void runStepHook(SwapStep step) {
    StepHook hook;
    {
        std::lock_guard lock(injectorMutex);
        hook = stepHookSlot();
    }
    if (hook) {
        hook(step);
    }
}

ReplaceHook& replaceHookSlot() {
    static ReplaceHook hook;
    return hook;
}

void runReplaceHook(const QString& target) {
    ReplaceHook hook;
    {
        std::lock_guard lock(injectorMutex);
        hook = replaceHookSlot();
    }
    if (hook) {
        hook(target);
    }
}
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

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
};

bool isFile(const QByteArray& path, const FileIdentity& identity) {
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0 && info.st_dev == identity.device && info.st_ino == identity.inode;
}

void removeIfOurs(const QByteArray& path, const FileIdentity& identity) {
    if (isFile(path, identity)) {
        ::unlink(path.constData());
    }
}

void syncDirectory(const QByteArray& directory) {
    // Makes a rename durable; a failure here does not undo a completed write.
    const int directoryFd = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd >= 0) {
        ::fsync(directoryFd);
        ::close(directoryFd);
    }
}

bool isUnsupportedRename(int error) {
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// On file systems that cannot swap two names: check the target, then rename over it. Another
// writer can still act between the two steps, but only there.
WriteOutcome checkThenRename(const QByteArray& temporary, const QByteArray& destination, const FileIdentity& ours,
                             const ReplaceGuard& guard) {
    const QString target = QFile::decodeName(destination);
    Status allowed;
    struct stat info {};
    if (::lstat(destination.constData(), &info) == 0) {
        if (guard.check) {
            allowed = guard.check(target);
        }
    } else if (guard.whenMissing) {
        allowed = *guard.whenMissing;
    }
    if (!allowed.ok()) {
        removeIfOurs(temporary, ours);
        return {std::move(allowed), true};
    }
    runReplaceHook(target);
    if (::rename(temporary.constData(), destination.constData()) != 0) {
        const AppError error = AppError::posix(errno);
        removeIfOurs(temporary, ours);
        return {error};
    }
    return {};
}

// The new file takes the target's place in one step and the file it displaced is checked after
// the swap, so no other writer can act between the check and the replacement. A refused file is
// swapped back at once; our own new file is then the one removed.
WriteOutcome swapInGuarded(const QByteArray& temporary, const QByteArray& destination, const FileIdentity& ours,
                           const ReplaceGuard& guard) {
    const QString target = QFile::decodeName(destination);
    const QString displaced = QFile::decodeName(temporary);
    int lastError = 0;
    // A target that vanishes or appears between two steps is met again; a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        runReplaceHook(target);
        if (!guard.whenMissing) {
            if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, destination.constData(), RENAME_NOREPLACE) ==
                0) {
                return {};
            }
            lastError = errno;
            if (isUnsupportedRename(lastError)) {
                return checkThenRename(temporary, destination, ours, guard);
            }
            if (lastError != EEXIST) {
                break;
            }
        }
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE) != 0) {
            lastError = errno;
            if (isUnsupportedRename(lastError)) {
                return checkThenRename(temporary, destination, ours, guard);
            }
            if (lastError == ENOENT && !isFile(temporary, ours)) {
                break; // our own file is gone
            }
            if (lastError == ENOENT && guard.whenMissing) {
                removeIfOurs(temporary, ours);
                return {*guard.whenMissing, true};
            }
            if (lastError == ENOENT) {
                continue;
            }
            break;
        }
        // From here to the swap back the displaced file lies under the swap name, which a start
        // after a crash recognises (StartupFileRecovery), so a kill here loses neither file.
        runStepHook(SwapStep::swapped);
        Status allowed = guard.check ? guard.check(displaced) : Status();
        runStepHook(SwapStep::checked);
        if (allowed.ok()) {
            ::unlink(temporary.constData());
            return {};
        }
        if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE) != 0) {
            // Our file was removed from the target meanwhile: the refused file goes back alone.
            if (errno == ENOENT && ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, destination.constData(),
                                               RENAME_NOREPLACE) == 0) {
                return {std::move(allowed), true};
            }
            const AppError error = AppError::posix(errno);
            qCCritical(lcPersistence).noquote() << "Swap back refused file failed file=" + AppLog::fileContext(target)
                                                << "error=" + AppLog::errorSummary(error);
            return {error};
        }
        runStepHook(SwapStep::swappedBack);
        if (!isFile(temporary, ours)) {
            // Someone replaced our file in the moment it stood at the target: theirs is the newest
            // and goes back; the refused file is what that writer meant to replace.
            ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, destination.constData(), RENAME_EXCHANGE);
        }
        ::unlink(temporary.constData());
        return {std::move(allowed), true};
    }
    removeIfOurs(temporary, ours);
    return {AppError::posix(lastError != 0 ? lastError : EAGAIN)};
}

WriteOutcome writeBytes(const QByteArray& data, const QString& path, Permissions permissions,
                        const ReplaceGuard& guard) {
    const QString destination = writeTarget(path);
    const QFileInfo target(destination);
    const QByteArray directory = QFile::encodeName(target.absolutePath());
    QByteArray temporary = directory + '/' + QFile::encodeName(temporaryFilePrefix) + "XXXXXX";

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
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return abandon(AppError::posix(errno));
    }
    const FileIdentity ours{info.st_dev, info.st_ino};
    if (::close(fd) != 0) {
        const AppError error = AppError::posix(errno);
        ::unlink(temporary.constData());
        return {error};
    }
    if (guard.isActive() && !exchangeUnavailable.load()) {
        // Only a whole new content takes the swap name, so that a start after a crash recognises
        // it by its hash; the name must be on disk before the swap can put someone else's file there.
        const QByteArray accepted = guard.acceptedContentHash.isEmpty()
                                        ? QByteArray(swapHashPrefixLength, '0')
                                        : guard.acceptedContentHash.toLatin1().left(swapHashPrefixLength);
        const QByteArray swapStem = directory + '/' + QFile::encodeName(swapFilePrefix) + accepted + '-' +
                                    Sha256::hex(data).toLatin1().left(swapHashPrefixLength) + '-';
        static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        QByteArray swapName;
        int renamed = -1;
        for (int attempt = 0; attempt < 32 && renamed != 0; ++attempt) {
            swapName = swapStem;
            for (int i = 0; i < 6; ++i) {
                swapName += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
            }
            renamed = ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, swapName.constData(), RENAME_NOREPLACE);
            if (renamed != 0 && errno != EEXIST) {
                break;
            }
        }
        if (renamed == 0) {
            temporary = swapName;
        } else if (!isUnsupportedRename(errno)) {
            const AppError error = AppError::posix(errno);
            ::unlink(temporary.constData());
            return {error};
        } // else no swap either: the write falls back to a check and a rename below
        syncDirectory(directory);
        runStepHook(SwapStep::written);
    }
    const QByteArray destinationName = QFile::encodeName(destination);
    WriteOutcome outcome;
    if (!guard.isActive()) {
        if (::rename(temporary.constData(), destinationName.constData()) != 0) {
            outcome.status = AppError::posix(errno);
            ::unlink(temporary.constData());
        }
    } else if (exchangeUnavailable.load()) {
        outcome = checkThenRename(temporary, destinationName, ours, guard);
    } else {
        outcome = swapInGuarded(temporary, destinationName, ours, guard);
    }
    if (outcome.status.ok()) {
        syncDirectory(directory);
    }
    return outcome;
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

bool isTemporaryFileName(const QString& fileName) {
    if (fileName.startsWith(temporaryFilePrefix)) {
        return fileName.size() == temporaryFilePrefix.size() + 6;
    }
    if (fileName.startsWith(legacyTemporaryFilePrefix)) {
        return fileName.size() == legacyTemporaryFilePrefix.size() + 6;
    }
    if (parseSwapFileName(fileName)) {
        return true;
    }
    // ".<target>.tmp-XXXXXX", the mkstemp suffix being six letters or digits, the target one line.
    static constexpr QStringView marker = u".tmp-";
    const qsizetype targetEnd = fileName.size() - marker.size() - 6;
    return targetEnd > 1 && fileName.startsWith(QLatin1Char('.')) &&
           !QStringView(fileName).sliced(1, targetEnd - 1).contains(QLatin1Char('\n')) &&
           QStringView(fileName).sliced(targetEnd, marker.size()) == marker &&
           isLetterOrDigitSuffix(QStringView(fileName).sliced(targetEnd + marker.size()));
}

std::optional<SwapFileName> parseSwapFileName(const QString& fileName) {
    // ".orris-hollows-swap-<16 hex>-<16 hex>-XXXXXX"
    static constexpr QStringView prefix = u".orris-hollows-swap-";
    constexpr qsizetype accepted = prefix.size();
    constexpr qsizetype added = accepted + swapHashPrefixLength + 1;
    constexpr qsizetype suffix = added + swapHashPrefixLength + 1;
    const QStringView name(fileName);
    if (name.size() != suffix + 6 || !name.startsWith(prefix) || name.at(added - 1) != QLatin1Char('-') ||
        name.at(suffix - 1) != QLatin1Char('-') || !isLowerHex(name.sliced(accepted, swapHashPrefixLength)) ||
        !isLowerHex(name.sliced(added, swapHashPrefixLength)) || !isLetterOrDigitSuffix(name.sliced(suffix))) {
        return std::nullopt;
    }
    return SwapFileName{name.sliced(accepted, swapHashPrefixLength).toString(),
                        name.sliced(added, swapHashPrefixLength).toString()};
}

void setStepHook(StepHook hook) {
    std::lock_guard lock(injectorMutex);
    stepHookSlot() = std::move(hook);
}

void setFaultInjector(FaultInjector injector) {
    std::lock_guard lock(injectorMutex);
    injectorSlot() = std::move(injector);
}

void setReplaceHook(ReplaceHook hook) {
    std::lock_guard lock(injectorMutex);
    replaceHookSlot() = std::move(hook);
}

void setExchangeUnavailable(bool unavailable) {
    exchangeUnavailable.store(unavailable);
}

} // namespace SecureFileWriter
