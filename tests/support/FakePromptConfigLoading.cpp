#include "FakePromptConfigLoading.h"

QFuture<PromptLoadResult> FakePromptConfigLoading::loadAllConfigs(AppLanguage language) {
    m_languages.append(language);
    auto promise = std::make_unique<QPromise<PromptLoadResult>>();
    QFuture<PromptLoadResult> future = promise->future();
    promise->start();
    if (m_immediate) {
        promise->addResult(*m_immediate);
        promise->finish();
    }
    m_promises.push_back(std::move(promise));
    return future;
}

void FakePromptConfigLoading::finish(int index, const PromptLoadResult& result) {
    QPromise<PromptLoadResult>& promise = *m_promises.at(size_t(index));
    promise.addResult(result);
    promise.finish();
}
