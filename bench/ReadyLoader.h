#pragma once

#include "config/PromptConfigLoading.h"

#include <QFuture>

// A loader whose every load is already finished with one result, so that a benchmark measures
// the store applying it and not the files being read.
class ReadyLoader final : public PromptConfigLoading {
public:
    explicit ReadyLoader(PromptLoadResult result) : m_result(std::move(result)) {}
    QFuture<PromptLoadResult> loadAllConfigs(AppLanguage) override { return QtFuture::makeReadyFuture(m_result); }

private:
    PromptLoadResult m_result;
};
