#pragma once

#include "store/FirstRunStep.h"

#include <QSet>

// The checklist steps that are done at one moment.
struct FirstRunChecklistSnapshot {
    QSet<FirstRunStep> completed;

    bool isCompleted(FirstRunStep step) const { return completed.contains(step); }
    bool operator==(const FirstRunChecklistSnapshot& other) const = default;
};
