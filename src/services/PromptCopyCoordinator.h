#pragma once

#include "model/environment/Clock.h"
#include "model/PromptModels.h"
#include "model/PromptVariables.h"
#include "services/PromptActionService.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class PromptVariableValueStore;

// The value form of a prompt with variables: its template, its variables in order of first
// appearance and the text each field shows first, keyed by normalised name.
struct PromptVariableForm {
    QString promptID;
    QString templateText;
    QList<PromptVariable> variables;
    QHash<QString, QString> initialValues;

    bool operator==(const PromptVariableForm& other) const = default;
};

// How a copy proceeds: at once with the text, or after the form asked for values.
struct PromptCopyPreparation {
    enum class Kind { immediate, requiresValues };

    Kind kind = Kind::immediate;
    QString text;            // immediate
    PromptVariableForm form; // requiresValues

    static PromptCopyPreparation immediate(const QString& text) { return {Kind::immediate, text, {}}; }
    static PromptCopyPreparation requiresValues(const PromptVariableForm& form) {
        return {Kind::requiresValues, {}, form};
    }

    bool operator==(const PromptCopyPreparation& other) const = default;
};

// What a submitted form came to: values still missing, or the outcome of the copy.
struct PromptCopySubmissionResult {
    enum class Kind { validationFailed, copy, cancelled };

    Kind kind = Kind::cancelled;
    QStringList requiredNames;                               // validationFailed, in form order
    PromptCopyResult copyResult = PromptCopyResult::success; // copy

    static PromptCopySubmissionResult validationFailed(const QStringList& names) {
        return {Kind::validationFailed, names, PromptCopyResult::success};
    }
    static PromptCopySubmissionResult copy(PromptCopyResult result) { return {Kind::copy, {}, result}; }
    // The form's own answer when the user closes it; a submission never gives it.
    static PromptCopySubmissionResult cancelled() { return {}; }

    bool operator==(const PromptCopySubmissionResult& other) const = default;
};

// Decides whether a prompt is copied at once or first needs values for its variables, and
// copies a submitted form: validates, renders, copies, then remembers the values. A value:
// it keeps no state of its own; the caller records the use and shows the feedback.
class PromptCopyCoordinator {
public:
    // The value store and clock are shared with the caller and must outlive the coordinator.
    PromptCopyCoordinator(PromptActionService actionService, PromptVariableValueStore& variableValueStore,
                          std::shared_ptr<Clock> clock);

    PromptCopyPreparation prepare(const PromptItem& prompt) const;
    PromptCopySubmissionResult submit(const PromptVariableForm& form, const QHash<QString, QString>& values) const;

    const PromptActionService& actionService() const { return m_actionService; }

private:
    PromptActionService m_actionService;
    PromptVariableValueStore* m_variableValueStore;
    std::shared_ptr<Clock> m_clock;
};
