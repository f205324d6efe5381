#pragma once

#include "FakePromptConfigLoading.h"
#include "TestEnvironment.h"

#include "store/PromptStore.h"

#include <memory>

// A prompt store over a temporary home whose loads finish when the test says so, in English.
struct PromptStoreHarness {
    TestEnvironment env;
    std::shared_ptr<FakePromptConfigLoading> loader = std::make_shared<FakePromptConfigLoading>();
    std::unique_ptr<PromptStore> store;

    PromptStoreHarness();
    // Builds a new store over the same home, settings and loader.
    void make();
    // Finishes load `index` and lets its result come back to this thread.
    void finish(int index, const PromptLoadResult& result);
    // Starts a reload and finishes it with the result.
    void load(const PromptLoadResult& result);
};
