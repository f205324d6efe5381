#pragma once

#include "config/PromptConfigLoading.h"
#include "model/environment/AppEnvironment.h"
#include "model/PromptConfigLimits.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>

class QThreadPool;

// Runs configuration loads on a worker thread of its own, one at a time in the order they were
// asked for. Each load uses a fresh PromptConfigLoader that never reads the user defaults: it
// always offers the samples when no file exists, and the store decides whether to hide them.
class BackgroundPromptConfigLoader final : public PromptConfigLoading {
public:
    // Takes the home folder, and the preferred languages that resolve "system", from the
    // environment; the preferred languages are read on the calling thread.
    explicit BackgroundPromptConfigLoader(const AppEnvironment& environment, PromptConfigLimits limits = {});
    // Waits for a running load to end.
    ~BackgroundPromptConfigLoader() override;

    const QString& homeDirectory() const { return m_homeDirectory; }
    const PromptConfigLimits& limits() const { return m_limits; }

    QFuture<PromptLoadResult> loadAllConfigs(AppLanguage language) override;

private:
    QString m_homeDirectory;
    PromptConfigLimits m_limits;
    std::function<QStringList()> m_preferredLanguages;
    // Held for the length of a load: a waiting caller may run a queued load on its own thread.
    std::shared_ptr<std::mutex> m_loadMutex;
    std::unique_ptr<QThreadPool> m_pool;
};
