#include "config/BackgroundPromptConfigLoader.h"

#include "config/PromptConfigLoader.h"

#include <QtConcurrent/QtConcurrentRun>
#include <QThreadPool>

BackgroundPromptConfigLoader::BackgroundPromptConfigLoader(const AppEnvironment& environment, PromptConfigLimits limits)
    : m_homeDirectory(environment.homePath), m_limits(limits), m_preferredLanguages(environment.preferredLanguages),
      m_loadMutex(std::make_shared<std::mutex>()), m_pool(std::make_unique<QThreadPool>()) {
    m_pool->setMaxThreadCount(1);
}

BackgroundPromptConfigLoader::~BackgroundPromptConfigLoader() {
    m_pool->waitForDone();
}

QFuture<PromptLoadResult> BackgroundPromptConfigLoader::loadAllConfigs(AppLanguage language) {
    language = AppLanguages::resolved(language, m_preferredLanguages);
    AppEnvironment environment;
    environment.homePath = m_homeDirectory;
    const PromptConfigLimits limits = m_limits;
    return QtConcurrent::run(m_pool.get(), [environment, limits, language, mutex = m_loadMutex] {
        const std::lock_guard lock(*mutex);
        PromptConfigLoader loader(
            environment, [language] { return language; }, limits, false);
        return loader.loadAllConfigs();
    });
}
