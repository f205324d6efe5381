#include "platform/ClipboardService.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool ClipboardService::writeText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    // setMimeData hands the new content over as a whole; the old content is only dropped when
    // the new one is in place.
    auto* data = new QMimeData;
    data->setText(text);
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return clipboard->text(QClipboard::Clipboard) == text;
}
