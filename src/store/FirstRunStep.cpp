#include "store/FirstRunStep.h"

namespace FirstRunSteps {

QString rawValue(FirstRunStep step) {
    switch (step) {
    case FirstRunStep::workspace:
        return QStringLiteral("workspace");
    case FirstRunStep::binding:
        return QStringLiteral("binding");
    case FirstRunStep::successfulCopy:
        return QStringLiteral("successfulCopy");
    }
    return {};
}

std::optional<FirstRunStep> fromRawValue(const QString& raw) {
    for (const FirstRunStep step : allCases()) {
        if (rawValue(step) == raw) {
            return step;
        }
    }
    return std::nullopt;
}

const QList<FirstRunStep>& allCases() {
    static const QList<FirstRunStep> cases = {FirstRunStep::workspace, FirstRunStep::binding,
                                              FirstRunStep::successfulCopy};
    return cases;
}

} // namespace FirstRunSteps
