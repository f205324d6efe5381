#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running app per user and display. The first launch listens on a local socket in the
// runtime folder; a later launch hands it a request ("show" or "toggle") and exits.
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
    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};
