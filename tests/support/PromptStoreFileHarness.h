#pragma once

#include "PromptStoreHarness.h"

#include "config/PromptPersistenceService.h"
#include "model/AgentContext.h"

#include <QByteArray>
#include <QString>

// A prompt store over real files in its temporary home: loads are read from the home when the
// test finishes them, as the background loader would read them. The final removal of deleted
// workspace files can be replaced, to make it fail.
struct PromptStoreFileHarness : PromptStoreHarness {
    explicit PromptStoreFileHarness(PromptPersistenceService::FinalRemoval finalRemoval = {});

    // The interface language of the store rebuild() makes.
    AppLanguage language = AppLanguage::english;

    // Builds a new store over the same home, settings and loader.
    void rebuild(PromptPersistenceService::FinalRemoval finalRemoval = {});
    // What the background loader would read from the home now (samples when there are no files).
    PromptLoadResult readHome() const;
    // Starts a reload and finishes it with what the home holds.
    void loadHome();
    // Finishes the latest reload (one the store started itself) with what the home holds.
    void finishLatestFromHome();

    // The workspace with the id in the store's list, or null.
    const PromptWorkspace* workspace(const QString& id) const;

    // A workspace file "<id>.yaml" with a name and prompts whose ids are given.
    void writeWorkspaceFile(const QString& id, const QString& name, const QStringList& promptIDs,
                            const QStringList& matchPaths = {});
    QString workspaceFile(const QString& id) const;

    static AgentContext contextFor(AgentType agent, const QString& appName = {},
                                   const std::optional<QString>& bundleIdentifier = std::nullopt);
};
