#pragma once

#include <QDateTime>
#include <QString>

// One remembered value of a prompt variable: the value last confirmed for a variable name.
struct PromptVariableRecentValue {
    // Trimmed of white space and line breaks, lower-cased.
    QString normalizedName;
    // Exactly as typed; never empty in a kept record.
    QString value;
    QDateTime updatedAt;

    bool operator==(const PromptVariableRecentValue& other) const = default;
};
