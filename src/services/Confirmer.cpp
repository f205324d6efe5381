#include "services/Confirmer.h"

#include <QMessageBox>
#include <QPushButton>

bool MessageBoxConfirmer::confirm(QWidget* parent, const QString& title, const QString& message,
                                  const QString& confirmTitle, const QString& cancelTitle, bool destructive) {
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("confirmationDialog"));
    box.setWindowModality(Qt::WindowModal);
    box.setIcon(destructive ? QMessageBox::Warning : QMessageBox::Question);
    box.setWindowTitle(title);
    box.setText(title);
    box.setInformativeText(message);
    QPushButton* confirmButton =
        box.addButton(confirmTitle, destructive ? QMessageBox::DestructiveRole : QMessageBox::AcceptRole);
    confirmButton->setObjectName(QStringLiteral("confirmButton"));
    confirmButton->setAccessibleName(confirmTitle);
    QPushButton* cancelButton = box.addButton(cancelTitle, QMessageBox::RejectRole);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setAccessibleName(cancelTitle);
    // A destructive action is never the default: Return cancels it.
    box.setDefaultButton(destructive ? cancelButton : confirmButton);
    box.setEscapeButton(cancelButton);
    box.exec();
    return box.clickedButton() == confirmButton;
}
