#pragma once

#include "context/AgentWorkspaceBinding.h"
#include "context/AgentWorkspaceBindingErrors.h"
#include "context/AgentWorkspaceBindingFile.h"
#include "context/ContextBinding.h"
#include "context/ContextBindingStateSnapshot.h"
#include "model/AgentContext.h"
#include "model/environment/AppEnvironment.h"
#include "model/Result.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// The one owner of binding state: agent bindings, the legacy keyword bindings, the workspace
// last chosen per agent and the health of the agent bindings file. Every change is a
// transaction: change memory, write the file, and on a failed write put memory back. While the
// agent bindings file cannot be read, every change to agent state is refused so that nothing
// overwrites it. Main thread only; `stateChanged` follows every reload and every change.
class ContextBindingStore : public QObject {
    Q_OBJECT
public:
    static inline const QString agentBindingsFileName = QStringLiteral("agent-workspace-bindings.json");
    static inline const QString legacyBindingsFileName = QStringLiteral("context-bindings.json");
    static inline const QString titleHashSaltFileName = QStringLiteral("title-hash-salt");
    // The keyword of a legacy binding that stands for a whole application.
    static inline const QString appBindingKeyword = QStringLiteral("__orris_hollows_app_binding__");
    static inline const QString titleHashPrefix = QStringLiteral("title-hash:");
    // Used when no salt can be read or created; never written anywhere.
    static inline const QByteArray fallbackTitleHashSalt = QByteArrayLiteral("cobalt-wicker-seed-mix-backupsalt");
    static constexpr int titleHashSaltLength = 32;

    // Loads both files at once.
    explicit ContextBindingStore(const AppEnvironment& environment, QObject* parent = nullptr);

    const QList<ContextBinding>& bindings() const { return m_bindings; }
    const QList<AgentWorkspaceBinding>& agentWorkspaceBindings() const { return m_agentWorkspaceBindings; }
    const std::optional<AgentWorkspaceBindingLoadError>& agentWorkspaceBindingLoadError() const {
        return m_agentWorkspaceBindingLoadError;
    }
    const QStringList& agentWorkspaceBindingWarnings() const { return m_agentWorkspaceBindingWarnings; }

    QString homeDirectory() const { return m_homeDirectory; }
    QString agentBindingsFilePath() const;
    QString legacyBindingsFilePath() const;
    QString titleHashSaltFilePath() const;

    // Reloads both files; never fails (a failure is published as the load error).
    void reload();

    // Binds the agent (inferred from the application when `agentType` is unknown) to the
    // workspace, or updates the existing binding of that pair. Returns the binding as built.
    Result<AgentWorkspaceBinding> addAgentWorkspaceBinding(AgentType agentType, const QString& appName,
                                                           const std::optional<QString>& bundleIdentifier,
                                                           const QString& workspaceID, bool isDefault);
    Status deleteAgentWorkspaceBinding(const QString& id);
    // Removes the workspace's agent bindings and last selections, then its legacy bindings.
    Status deleteWorkspaceReferences(const QString& workspaceID);
    Status setLastSelectedWorkspaceID(const QString& workspaceID, const AgentContext& context);

    ContextBindingStateSnapshot stateSnapshot() const;
    // Writes the snapshot back to both files; on failure memory stays as it was before the call.
    Status restoreState(const ContextBindingStateSnapshot& snapshot);

    // Fails with unreadableBindingsFile while the load error stands.
    Status throwIfBindingsFileUnreadable() const;

    // Lookups. The agent type claude-code is read as terminal throughout.
    QList<AgentWorkspaceBinding> agentWorkspaceBindings(const AgentContext& context) const;
    std::optional<AgentWorkspaceBinding> agentWorkspaceBinding(AgentType agentType, const QString& workspaceID) const;
    int boundAgentCount(const QString& workspaceID) const;
    std::optional<QString> lastSelectedWorkspaceID(const AgentContext& context) const;
    // The first legacy binding whose application and keyword match the context.
    std::optional<ContextBinding> binding(const AgentContext& context) const;

    // The salt of hashed title keywords, read anew on every call; created when missing or empty.
    QByteArray titleHashSalt() const;
    QString hashedTitleKeyword(const QString& text) const;

    // File formats and normalisation, free of store state.
    static Result<AgentWorkspaceBindingFile> decodeAgentWorkspaceBindingFile(const QByteArray& data);
    static QByteArray encodeAgentWorkspaceBindingFile(const QList<AgentWorkspaceBinding>& normalizedBindings,
                                                      const QList<QJsonObject>& preservedBindingObjects,
                                                      const QMap<QString, QString>& lastSelectedWorkspaceIDs,
                                                      bool legacyFileExists);
    static Result<QList<ContextBinding>> decodeLegacyBindings(const QByteArray& data);
    static QByteArray encodeLegacyBindings(const QList<ContextBinding>& bindings);
    static QList<AgentWorkspaceBinding> migratedAppBindings(const QList<ContextBinding>& legacyBindings);
    static QList<AgentWorkspaceBinding> deduplicated(const QList<AgentWorkspaceBinding>& bindings);
    static QList<AgentWorkspaceBinding> normalized(const QList<AgentWorkspaceBinding>& bindings);
    static QMap<QString, QString> normalizedLastSelectedWorkspaceIDs(const QMap<QString, QString>& map);
    // claude-code is stored and compared as terminal.
    static AgentType storedAgentType(AgentType type);

signals:
    void stateChanged();

private:
    QList<ContextBinding> loadLegacyBindings();
    Status saveAgentWorkspaceBindings();
    Status saveLegacyBindings();
    Status mutateAgentWorkspaceState(const std::function<void()>& change);
    Status mutateLegacyBindings(const std::function<void()>& change);
    void clearDefault(AgentType agentType);
    void setLoadError(const AppError& error);

    QString m_homeDirectory;
    std::shared_ptr<Clock> m_clock;
    QList<ContextBinding> m_bindings;
    QList<AgentWorkspaceBinding> m_agentWorkspaceBindings;
    std::optional<AgentWorkspaceBindingLoadError> m_agentWorkspaceBindingLoadError;
    QStringList m_agentWorkspaceBindingWarnings;
    QMap<QString, QString> m_lastSelectedWorkspaceIDs;
    QList<QJsonObject> m_preservedAgentWorkspaceBindingObjects;
    // What the legacy file is known to hold (empty when it is missing or unreadable): the file
    // is written only when the bindings differ from it, so an unreadable file is never replaced
    // by an empty list and no empty file is created.
    QList<ContextBinding> m_legacyBindingsOnDisk;
};
