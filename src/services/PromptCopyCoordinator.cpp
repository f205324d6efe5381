#include "services/PromptCopyCoordinator.h"

#include "model/TextPrimitives.h"
#include "store/PromptVariableValueStore.h"

PromptCopyCoordinator::PromptCopyCoordinator(PromptActionService actionService,
                                             PromptVariableValueStore& variableValueStore, std::shared_ptr<Clock> clock)
    : m_actionService(std::move(actionService)), m_variableValueStore(&variableValueStore), m_clock(std::move(clock)) {}

PromptCopyPreparation PromptCopyCoordinator::prepare(const PromptItem& prompt) const {
    const QString text = prompt.text.toString();
    const QList<PromptVariable> variables = PromptVariableParser::variables(text);
    if (variables.isEmpty()) {
        return PromptCopyPreparation::immediate(text);
    }
    QHash<QString, QString> initialValues;
    for (const PromptVariable& variable : variables) {
        // A marker's own default, even an empty one, wins over a remembered value.
        if (variable.defaultValue) {
            initialValues.insert(variable.normalizedName, *variable.defaultValue);
        } else {
            initialValues.insert(variable.normalizedName,
                                 m_variableValueStore->value(variable.normalizedName).value_or(QString()));
        }
    }
    return PromptCopyPreparation::requiresValues({prompt.id, text, variables, initialValues});
}

PromptCopySubmissionResult PromptCopyCoordinator::submit(const PromptVariableForm& form,
                                                         const QHash<QString, QString>& values) const {
    QStringList missing;
    for (const PromptVariable& variable : form.variables) {
        if (!variable.defaultValue &&
            Text::trimWhitespaceAndNewlines(values.value(variable.normalizedName)).isEmpty()) {
            missing.append(variable.normalizedName);
        }
    }
    if (!missing.isEmpty()) {
        return PromptCopySubmissionResult::validationFailed(missing);
    }

    const QString rendered = PromptVariableParser::render(form.templateText, values);
    const PromptCopyResult result = m_actionService.copyText(rendered);
    if (result != PromptCopyResult::success) {
        return PromptCopySubmissionResult::copy(result);
    }
    const QDateTime now = m_clock->now();
    for (const PromptVariable& variable : form.variables) {
        const QString value = values.value(variable.normalizedName);
        if (!value.isEmpty()) {
            m_variableValueStore->record(value, variable.normalizedName, now);
        }
    }
    return PromptCopySubmissionResult::copy(PromptCopyResult::success);
}
