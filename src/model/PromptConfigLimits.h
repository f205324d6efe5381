#pragma once

#include <QtGlobal>

// The sizes that one configuration load reads at most.
struct PromptConfigLimits {
    qint64 perFileBytes = 1'048'576;    // one prompt file
    qint64 aggregateBytes = 10'485'760; // all files of one load together

    bool operator==(const PromptConfigLimits& other) const = default;
};
