#pragma once

#include "model/AgentContext.h"
#include "model/PromptModels.h"

#include <QList>
#include <QString>

class PromptStore;

// The form of the workspace picker for a context, decided from the store on every draw.
struct WorkspacePickerSpec {
    enum class Form {
        hint,    // the store holds no workspace
        unbound, // a recognised agent with nothing bound: bind, create, open settings
        bound,   // a caption and a menu of the bound workspaces
    };
    struct Entry {
        QString id;
        QString name;
        bool operator==(const Entry& other) const = default;
    };

    Form form = Form::hint;
    // unbound: every workspace, to bind; bound: the bound workspaces, to select.
    QList<Entry> menuEntries;
    // The bound form's menu title: the matched workspace, which need not be one of the entries.
    QString title;
    // The bound menu opens only with a choice to make.
    bool menuEnabled = false;

    // An unknown agent never gets the unbound form, even with nothing bound.
    static WorkspacePickerSpec make(PromptStore& store, const AgentContext& context, AppLanguage language);
};
