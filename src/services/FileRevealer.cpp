#include "services/FileRevealer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

void DesktopFileRevealer::reveal(const QString& path) {
    const QFileInfo info(path);
    // Percent-encoded, so the address holds no quote that could end the GVariant string.
    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    const QUrl folder = QUrl::fromLocalFile(info.absolutePath());
    // gdbus ships with GLib; it runs apart from the UI thread and fails fast without a bus.
    auto* process = new QProcess();
    auto fallBack = [process, folder](bool failed) {
        if (failed) {
            QDesktopServices::openUrl(folder);
        }
        process->deleteLater();
    };
    QObject::connect(process, &QProcess::finished, process, [fallBack](int code, QProcess::ExitStatus status) {
        fallBack(status != QProcess::NormalExit || code != 0);
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [fallBack](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            fallBack(true);
        }
    });
    process->start(QStringLiteral("gdbus"),
                   {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--timeout"),
                    QStringLiteral("2"), QStringLiteral("--dest"), QStringLiteral("org.freedesktop.FileManager1"),
                    QStringLiteral("--object-path"), QStringLiteral("/org/freedesktop/FileManager1"),
                    QStringLiteral("--method"), QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
                    QStringLiteral("['%1']").arg(uri), QStringLiteral("''")});
}
