#pragma once

#include "model/Result.h"

#include <QString>

// Published while the agent bindings file cannot be used; identified by its file path.
struct AgentWorkspaceBindingLoadError {
    QString filePath;
    QString message;

    bool operator==(const AgentWorkspaceBindingLoadError& other) const = default;
};

// The refusals of the binding store, as AppErrors whose message is the catalog text in the
// current interface language.
namespace AgentWorkspaceBindingStoreError {

inline const QString type = QStringLiteral("AgentWorkspaceBindingStoreError");
inline const QString domain = QStringLiteral("orris-hollows.bindings");

enum class Code : qint64 {
    unreadableBindingsFile = 1,
    unknownAgentBinding = 2,
};

// The agent bindings file at `path` could not be loaded, so nothing may overwrite it.
AppError unreadableBindingsFile(const QString& path);
// The agent could not be told, so there is nothing to bind.
AppError unknownAgentBinding();

bool is(const AppError& error, Code code);

} // namespace AgentWorkspaceBindingStoreError
