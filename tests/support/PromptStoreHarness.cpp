#include "PromptStoreHarness.h"

#include <QCoreApplication>

PromptStoreHarness::PromptStoreHarness() {
    make();
}

void PromptStoreHarness::make() {
    store.reset();
    PromptStore::Services services;
    services.configLoader = loader;
    store = std::make_unique<PromptStore>(
        env.environment(), [] { return AppLanguage::english; }, false, services);
}

void PromptStoreHarness::finish(int index, const PromptLoadResult& result) {
    loader->finish(index, result);
    // The result comes back through an event posted to this thread.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

void PromptStoreHarness::load(const PromptLoadResult& result) {
    store->reload();
    finish(loader->loadCount() - 1, result);
}
