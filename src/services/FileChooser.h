#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Open and save dialogs. None means the user cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;

    // `nameFilters` as QFileDialog takes them, e.g. "Prompt packs (*.yaml *.yml)".
    virtual std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& title,
                                                    const QStringList& nameFilters) = 0;
    virtual std::optional<QString> chooseFileToSave(QWidget* parent, const QString& title, const QString& proposedName,
                                                    const QStringList& nameFilters) = 0;
};

// QFileDialog's own (non-native) dialogs, so they look the same on every desktop.
class DialogFileChooser final : public FileChooser {
public:
    std::optional<QString> chooseFileToOpen(QWidget* parent, const QString& title,
                                            const QStringList& nameFilters) override;
    std::optional<QString> chooseFileToSave(QWidget* parent, const QString& title, const QString& proposedName,
                                            const QStringList& nameFilters) override;
};
