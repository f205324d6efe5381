#include "app/SingleInstance.h"

#include "model/AppLog.h"
#include "model/Sha256.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qsizetype socketNameBytes = 48; // "/orris-hollows-<16 hex digits>.socket" and some

bool makeAddress(const QString& path, sockaddr_un& address) {
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.size() >= qsizetype(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// Waits for the descriptor to become readable; false when the time runs out.
bool waitReadable(int fd, int timeoutMs) {
    pollfd entry{fd, POLLIN, 0};
    int result = 0;
    do {
        result = ::poll(&entry, 1, timeoutMs);
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

// Whether the process at the other end of the socket runs as this user.
bool peerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && credentials.uid == ::geteuid();
}

void logSocketFailure(const QString& what, const QString& path, const AppError& error) {
    qCCritical(lcUi).noquote() << what + " file=" + AppLog::fileContext(path) << "error=" + AppLog::errorSummary(error);
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
}

QString SingleInstance::defaultSocketPath(const QString& dataFolder) {
    const QString name = QStringLiteral("orris-hollows-%1.socket")
                             .arg(Sha256::hex(QFile::encodeName(QDir::cleanPath(dataFolder))).left(16));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir()) {
        const QString folder = QDir::cleanPath(runtime) + QStringLiteral("/orris-hollows");
        // A folder there that is not ours (a runtime folder open to others) is left to its owner.
        if (QFile::encodeName(folder).size() + socketNameBytes < qsizetype(sizeof(sockaddr_un::sun_path)) &&
            ensurePrivateFolder(folder).ok()) {
            return folder + u'/' + name;
        }
    }
    return QDir::tempPath() + QStringLiteral("/orris-hollows-") + QString::number(::geteuid()) + u'/' + name;
}

Status SingleInstance::ensurePrivateFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        return AppError::posix(errno);
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) {
        return AppError::posix(errno);
    }
    // Someone else's folder, or a link to one, could hand our socket's name to them.
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
        return AppError::posix(EPERM);
    }
    if ((info.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0) {
        return AppError::posix(errno);
    }
    return {};
}

bool SingleInstance::sendToRunningInstance(const QByteArray& request, int timeoutMs) const {
    sockaddr_un address{};
    if (!makeAddress(m_socketPath, address) || !ensurePrivateFolder(QFileInfo(m_socketPath).absolutePath()).ok()) {
        return false;
    }
    QElapsedTimer elapsed;
    elapsed.start();
    while (true) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return false;
        }
        bool answered = false;
        const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        if (connected && peerIsSameUser(fd)) {
            const QByteArray line = request + '\n';
            const int remaining = int(std::max<qint64>(0, timeoutMs - elapsed.elapsed()));
            if (::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size() &&
                waitReadable(fd, remaining)) {
                char reply[8] = {};
                // The running instance answers once it has taken the request.
                answered = ::read(fd, reply, sizeof reply - 1) >= 2 && std::strncmp(reply, "ok", 2) == 0;
            }
        }
        ::close(fd);
        if (answered || connected || elapsed.elapsed() >= timeoutMs) {
            return answered;
        }
        // Nobody listens yet: the instance may be between taking the lock and listening.
        ::usleep(50'000);
    }
}

bool SingleInstance::listen() {
    sockaddr_un address{};
    if (!makeAddress(m_socketPath, address)) {
        logSocketFailure(QStringLiteral("Listen for later launches failed: path too long"), m_socketPath,
                         AppError::posix(ENAMETOOLONG));
        return false;
    }
    if (const Status folder = ensurePrivateFolder(QFileInfo(m_socketPath).absolutePath()); !folder.ok()) {
        logSocketFailure(QStringLiteral("Listen for later launches failed: socket folder not private"), m_socketPath,
                         folder.error());
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        logSocketFailure(QStringLiteral("Listen for later launches failed"), m_socketPath, AppError::posix(errno));
        return false;
    }
    // The caller holds the instance lock: a socket at our name is one a crash left behind. Anything
    // else there is not ours to remove.
    struct stat existing {};
    if (::lstat(address.sun_path, &existing) == 0 && S_ISSOCK(existing.st_mode)) {
        ::unlink(address.sun_path);
    }
    // The socket is the user's alone from the moment it exists.
    const mode_t previous = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int bindError = errno;
    ::umask(previous);
    if (!bound || ::listen(fd, 64) != 0) {
        const int error = bound ? errno : bindError;
        ::close(fd);
        logSocketFailure(QStringLiteral("Listen for later launches failed"), m_socketPath, AppError::posix(error));
        return false;
    }
    m_listenFd = fd;
    m_acceptNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnection);
    return true;
}

void SingleInstance::acceptConnection() {
    while (true) {
        const int client = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            return;
        }
        if (!peerIsSameUser(client)) {
            ::close(client);
            continue;
        }
        auto* notifier = new QSocketNotifier(client, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this,
                [this, client, notifier] { readRequest(client, notifier); });
    }
}

void SingleInstance::readRequest(int fd, QSocketNotifier* notifier) {
    char buffer[64];
    const ssize_t count = ::read(fd, buffer, sizeof buffer);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) {
        return;
    }
    notifier->setEnabled(false);
    notifier->deleteLater();
    QByteArray request;
    if (count > 0) {
        request = QByteArray(buffer, count);
        const qsizetype end = request.indexOf('\n');
        request = (end >= 0 ? request.left(end) : request).trimmed();
        ::send(fd, "ok\n", 3, MSG_NOSIGNAL);
    }
    ::close(fd);
    if (!request.isEmpty()) {
        emit requestReceived(request);
    }
}
