#include "services/Confirmer.h"

#include <QFontMetrics>
#include <QGridLayout>
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
    // The window manager cuts a title wider than the window ("Delet…ompt?"): the box is made at
    // least as wide as the title with room for the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = box.font();
        titleFont.setBold(true);
        const int width = QFontMetrics(titleFont).horizontalAdvance(title) + 160;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    box.exec();
    return box.clickedButton() == confirmButton;
}
