#pragma once

// Fakes of the desktop seams that need widgets, for tests that link the user interface.

#include "services/Confirmer.h"
#include "services/FileChooser.h"
#include "services/FileRevealer.h"

#include <QList>
#include <QStringList>

class FakeFileChooser final : public FileChooser {
public:
    // Each call takes the next answer; none left means the user cancelled.
    QList<std::optional<QString>> answers;
    QStringList titles;
    QStringList proposedNames;
    QList<QStringList> filters;

    std::optional<QString> chooseFileToOpen(QWidget*, const QString& title, const QStringList& nameFilters) override {
        titles << title;
        filters << nameFilters;
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    std::optional<QString> chooseFileToSave(QWidget*, const QString& title, const QString& proposedName,
                                            const QStringList& nameFilters) override {
        titles << title;
        proposedNames << proposedName;
        filters << nameFilters;
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
};

class FakeConfirmer final : public Confirmer {
public:
    QList<bool> answers; // none left: cancel
    QStringList titles;
    QStringList messages;

    bool confirm(QWidget*, const QString& title, const QString& message, const QString&, const QString&,
                 bool) override {
        titles << title;
        messages << message;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
};

class FakeFileRevealer final : public FileRevealer {
public:
    QStringList revealed;
    void reveal(const QString& path) override { revealed << path; }
};
