#pragma once

#include "model/Result.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One running app per home. Which process is the app is decided by the data folder's instance
// lock (InstanceLock), held for the life of the process; the socket only carries the requests of
// later launches ("show" or "toggle") to it. The socket lies in a folder of our own, checked to be
// ours and 0700, and each side checks that the other runs as the same user. Plain sockets rather
// than Qt's network module, which would add a dozen libraries to every start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "<private folder>/orris-hollows-<hash of the data folder>.socket", the same for every
    // display of one home. The private folder is "$XDG_RUNTIME_DIR/orris-hollows", else (no runtime
    // folder, a path too long for a socket, or a folder there that is not ours)
    // "<temporary folder>/orris-hollows-<uid>".
    static QString defaultSocketPath(const QString& dataFolder);

    // Makes the folder when missing (0700) and checks it: a real folder, not a link, owned by
    // this user. A folder of ours open to others is restricted to 0700; anyone else's is refused.
    static Status ensurePrivateFolder(const QString& folder);

    // Hands the request to a running instance; false when none answers within the time. Until
    // then it tries again, for an instance that holds the lock but is not listening yet.
    bool sendToRunningInstance(const QByteArray& request, int timeoutMs = 1000) const;
    // Starts listening, replacing a socket a crash left behind (only the lock's holder may). A
    // failure is logged and returned: later launches then cannot reach this instance.
    bool listen();

signals:
    void requestReceived(const QByteArray& request);

private:
    void acceptConnection();
    void readRequest(int fd, QSocketNotifier* notifier);

    QString m_socketPath;
    int m_listenFd = -1;
    QSocketNotifier* m_acceptNotifier = nullptr;
};
