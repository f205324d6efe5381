#include "PromptStoreFileHarness.h"

#include "config/PromptConfigLoader.h"

#include <QDir>

PromptStoreFileHarness::PromptStoreFileHarness(PromptPersistenceService::FinalRemoval finalRemoval) {
    rebuild(std::move(finalRemoval));
}

void PromptStoreFileHarness::rebuild(PromptPersistenceService::FinalRemoval finalRemoval) {
    store.reset();
    const auto interfaceLanguage = [chosen = language] { return chosen; };
    PromptStore::Services services;
    services.configLoader = loader;
    services.persistence =
        std::make_shared<PromptPersistenceService>(env.environment(), interfaceLanguage, std::move(finalRemoval));
    store = std::make_unique<PromptStore>(env.environment(), interfaceLanguage, false, services);
}

PromptLoadResult PromptStoreFileHarness::readHome() const {
    // Like the background loader: the samples come whatever the settings say; the store decides.
    PromptConfigLoader reader(
        env.environment(), [] { return AppLanguage::english; }, {}, false);
    return reader.loadAllConfigs();
}

void PromptStoreFileHarness::loadHome() {
    load(readHome());
}

void PromptStoreFileHarness::finishLatestFromHome() {
    finish(loader->loadCount() - 1, readHome());
}

const PromptWorkspace* PromptStoreFileHarness::workspace(const QString& id) const {
    for (const PromptWorkspace& candidate : store->workspaces()) {
        if (candidate.id == id) {
            return &candidate;
        }
    }
    return nullptr;
}

void PromptStoreFileHarness::writeWorkspaceFile(const QString& id, const QString& name, const QStringList& promptIDs,
                                                const QStringList& matchPaths) {
    QString yaml = QStringLiteral("workspace:\n  name: \"%1\"\n").arg(name);
    if (matchPaths.isEmpty()) {
        yaml += QStringLiteral("  match_paths: []\n");
    } else {
        yaml += QStringLiteral("  match_paths:\n");
        for (const QString& path : matchPaths) {
            yaml += QStringLiteral("    - \"%1\"\n").arg(path);
        }
    }
    yaml += QStringLiteral("\nprompts:\n");
    for (const QString& promptID : promptIDs) {
        yaml += QStringLiteral("  - id: \"%1\"\n    title: \"Title %1\"\n    group: \"General\"\n"
                               "    text: \"Text of %1\"\n")
                    .arg(promptID);
    }
    env.writeFile(QStringLiteral(".orris-hollows/workspaces/") + id + QStringLiteral(".yaml"), yaml.toUtf8());
}

QString PromptStoreFileHarness::workspaceFile(const QString& id) const {
    return QDir(env.home()).filePath(QStringLiteral(".orris-hollows/workspaces/") + id + QStringLiteral(".yaml"));
}

AgentContext PromptStoreFileHarness::contextFor(AgentType agent, const QString& appName,
                                                const std::optional<QString>& bundleIdentifier) {
    AgentContext context;
    context.agent = agent;
    context.frontmostAppName = appName;
    context.frontmostBundleIdentifier = bundleIdentifier;
    return context;
}
