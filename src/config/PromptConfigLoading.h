#pragma once

#include "config/PromptLoadResult.h"
#include "model/Localization.h"

#include <QFuture>

// The seam between the prompt store and configuration loading: one load, run off the calling
// thread. The caller continues on its own thread (QFuture::then with a context object) and
// decides there, by its reload generation, whether the result still applies.
class PromptConfigLoading {
public:
    virtual ~PromptConfigLoading() = default;

    virtual QFuture<PromptLoadResult> loadAllConfigs(AppLanguage language) = 0;
};
