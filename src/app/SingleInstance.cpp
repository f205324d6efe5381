#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
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

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)) {}

SingleInstance::~SingleInstance() {
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
        ::unlink(QFile::encodeName(m_socketPath).constData());
    }
}

QString SingleInstance::defaultSocketPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::tempPath();
    }
    QString display = qEnvironmentVariable("DISPLAY");
    display.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char(':'), QLatin1Char('_'));
    const QString user = folder == QDir::tempPath() ? QStringLiteral("-") + QString::number(getuid()) : QString();
    return QDir(folder).filePath(QStringLiteral("orris-hollows%1-%2.socket").arg(user, display));
}

bool SingleInstance::sendToRunningInstance(const QByteArray& request, int timeoutMs) const {
    sockaddr_un address{};
    if (!makeAddress(m_socketPath, address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    bool answered = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        const QByteArray line = request + '\n';
        if (::send(fd, line.constData(), size_t(line.size()), MSG_NOSIGNAL) == line.size() &&
            waitReadable(fd, timeoutMs)) {
            char reply[8] = {};
            // The running instance answers once it has taken the request.
            answered = ::read(fd, reply, sizeof reply - 1) >= 2 && std::strncmp(reply, "ok", 2) == 0;
        }
    }
    ::close(fd);
    return answered;
}

bool SingleInstance::listen() {
    sockaddr_un address{};
    if (!makeAddress(m_socketPath, address)) {
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return false;
    }
    // Nobody answered on an existing socket file (checked by the caller): a crash left it.
    ::unlink(address.sun_path);
    // The socket is the user's alone from the moment it exists.
    const mode_t previous = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(previous);
    if (!bound || ::listen(fd, 8) != 0) {
        ::close(fd);
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
