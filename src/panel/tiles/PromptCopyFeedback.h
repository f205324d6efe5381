#pragma once

#include <QString>

// The copy feedback one tile shows: the copied check for a moment, or the failed badge until
// the next copy.
struct PromptCopyFeedback {
    enum class Kind { copied, failed };
    Kind kind = Kind::copied;
    QString promptID;

    bool operator==(const PromptCopyFeedback&) const = default;
};
