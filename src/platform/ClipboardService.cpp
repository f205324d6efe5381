#include "platform/ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool ClipboardService::writeText(const QString& text) {
    if (qGuiApp == nullptr) {
        return false;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    // setMimeData hands the new content over as a whole; the old content is only dropped when
    // the new one is in place.
    auto* data = new QMimeData;
    data->setText(text);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    // The clipboard serves our own object exactly when it took the content. Asking for its text
    // instead would, after a refusal, fetch another program's content on the UI thread.
    return clipboard->mimeData(QClipboard::Clipboard) == data;
}
