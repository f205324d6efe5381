#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>

#include <optional>

// The steps of the first-run checklist, in the order the card lists them.
enum class FirstRunStep { workspace, binding, successfulCopy };

namespace FirstRunSteps {
QString rawValue(FirstRunStep step);
std::optional<FirstRunStep> fromRawValue(const QString& raw);
const QList<FirstRunStep>& allCases();
} // namespace FirstRunSteps

inline size_t qHash(FirstRunStep step, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(step), seed);
}
