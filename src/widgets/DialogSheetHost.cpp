#include "widgets/DialogSheetHost.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QVBoxLayout>

DialogSheetHost::DialogSheetHost(QWidget* window) : m_window(window) {}

DialogSheetHost::~DialogSheetHost() {
    delete m_dialog;
}

void DialogSheetHost::present(QWidget* sheet) {
    if (sheet == nullptr) {
        return;
    }
    if (m_sheet != nullptr) {
        dismiss(m_sheet);
    }
    auto* dialog = new QDialog(m_window);
    dialog->setObjectName(QStringLiteral("sheetDialog"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(sheet->windowTitle());
    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sheet);
    m_dialog = dialog;
    m_sheet = sheet;
    // Escape and the close box reach the sheet's own cancel through its key handling; a dialog
    // rejected by the window manager goes away like a cancelled sheet.
    QObject::connect(dialog, &QDialog::rejected, dialog, [this, sheet] { dismiss(sheet); });
    dialog->show();
    sheet->setFocus(Qt::OtherFocusReason);
}

void DialogSheetHost::dismiss(QWidget* sheet) {
    if (sheet == nullptr || sheet != m_sheet) {
        return;
    }
    m_sheet = nullptr;
    if (m_dialog != nullptr) {
        QDialog* dialog = m_dialog;
        m_dialog = nullptr;
        dialog->hide();
        dialog->deleteLater();
        // The window manager need not hand the keyboard back to the window under the dialog
        // (openbox gives it to no window), and the panel then ignores its keys until clicked. Asked
        // for at once, the activation is lost in the window manager's handling of the unmapped
        // dialog: ask on the next turn of the event loop.
        if (m_window != nullptr && m_window->isVisible()) {
            QTimer::singleShot(0, m_window, [window = m_window] {
                if (window && window->isVisible() && QApplication::activeModalWidget() == nullptr) {
                    window->activateWindow();
                }
            });
        }
    }
    if (onDismissed) {
        onDismissed();
    }
}
