#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// One running app per user and display. The first launch listens on a Unix socket in the
// runtime folder; a later launch hands it a request ("show" or "toggle") and exits. Plain
// sockets rather than Qt's network module, which would add a dozen libraries to every start.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "$XDG_RUNTIME_DIR/orris-hollows-<display>.socket" (the temporary folder without a runtime folder).
    static QString defaultSocketPath();

    // Hands the request to a running instance; false when none answers.
    bool sendToRunningInstance(const QByteArray& request, int timeoutMs = 1000) const;
    // Starts listening, replacing a socket file that no instance answers on.
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
