#include "services/FileChooser.h"

#include <QDir>
#include <QFileDialog>

namespace {

std::optional<QString> run(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> DialogFileChooser::chooseFileToOpen(QWidget* parent, const QString& title,
                                                           const QStringList& nameFilters) {
    QFileDialog dialog(parent, title, QDir::homePath());
    dialog.setObjectName(QStringLiteral("openFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(nameFilters);
    return run(dialog);
}

std::optional<QString> DialogFileChooser::chooseFileToSave(QWidget* parent, const QString& title,
                                                           const QString& proposedName,
                                                           const QStringList& nameFilters) {
    QFileDialog dialog(parent, title, QDir(QDir::homePath()).filePath(proposedName));
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(nameFilters);
    return run(dialog);
}
