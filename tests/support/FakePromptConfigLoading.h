#pragma once

#include "config/PromptConfigLoading.h"

#include <QList>
#include <QPromise>

#include <memory>
#include <optional>
#include <vector>

// A configuration loader whose loads finish when the test says so, in any order: for testing
// that only the result of the latest reload is applied.
class FakePromptConfigLoading final : public PromptConfigLoading {
public:
    // With a result set, every load finishes at once with it.
    void setImmediateResult(std::optional<PromptLoadResult> result) { m_immediate = std::move(result); }

    QFuture<PromptLoadResult> loadAllConfigs(AppLanguage language) override;

    // The languages of the loads asked for, in order.
    const QList<AppLanguage>& languages() const { return m_languages; }
    int loadCount() const { return int(m_promises.size()); }

    // Finishes load number `index` (0 for the first asked for) with `result`.
    void finish(int index, const PromptLoadResult& result);

private:
    std::optional<PromptLoadResult> m_immediate;
    QList<AppLanguage> m_languages;
    std::vector<std::unique_ptr<QPromise<PromptLoadResult>>> m_promises;
};
