#include "config/InstanceLock.h"

#include "config/StateFiles.h"
#include "model/AppLog.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <unistd.h>

namespace InstanceLock {

namespace {

std::mutex heldMutex;

// Data folder -> the descriptor that holds its lock. Never closed: the lock lasts as long as
// the process.
QHash<QString, int>& heldLocks() {
    static QHash<QString, int> locks;
    return locks;
}

QString key(const QString& dataFolder) {
    return QDir::cleanPath(QDir(dataFolder).absolutePath());
}

} // namespace

QString lockFilePath(const QString& dataFolder) {
    return key(dataFolder) + QStringLiteral("/instance.lock");
}

bool acquire(const QString& dataFolder) {
    return tryAcquire(dataFolder) == Outcome::held;
}

Outcome tryAcquire(const QString& dataFolder) {
    std::lock_guard guard(heldMutex);
    const QString folder = key(dataFolder);
    if (heldLocks().contains(folder)) {
        return Outcome::held;
    }
    if (Status created = StateFiles::createPrivateDirectory(folder); !created.ok()) {
        qCCritical(lcPersistence).noquote()
            << "Create data folder for the instance lock failed folder=" + AppLog::fileContext(folder)
            << "error=" + AppLog::errorSummary(created.error());
        return Outcome::unavailable;
    }
    const QByteArray path = QFile::encodeName(lockFilePath(folder));
    // O_NOFOLLOW: a link planted at the lock's name could make us open someone else's file.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        const AppError error = AppError::posix(errno);
        qCCritical(lcPersistence).noquote()
            << "Open instance lock failed file=" + AppLog::fileContext(lockFilePath(folder))
            << "error=" + AppLog::errorSummary(error);
        return Outcome::unavailable;
    }
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return Outcome::heldElsewhere;
        }
        qCCritical(lcPersistence).noquote()
            << "Take instance lock failed file=" + AppLog::fileContext(lockFilePath(folder))
            << "error=" + AppLog::errorSummary(AppError::posix(error));
        return Outcome::unavailable;
    }
    heldLocks().insert(folder, fd);
    return Outcome::held;
}

bool isHeld(const QString& dataFolder) {
    std::lock_guard guard(heldMutex);
    return heldLocks().contains(key(dataFolder));
}

} // namespace InstanceLock
