#include "app/DialogSheetHost.h"

#include <QDialog>
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
    }
    if (onDismissed) {
        onDismissed();
    }
}
