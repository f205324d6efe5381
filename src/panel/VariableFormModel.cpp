#include "panel/VariableFormModel.h"

#include "model/TextPrimitives.h"

#include <algorithm>

VariableFormModel::VariableFormModel(PromptVariableForm form, Confirm onConfirm)
    : m_form(std::move(form)), m_onConfirm(std::move(onConfirm)), m_values(m_form.initialValues) {
    if (!m_form.variables.isEmpty()) {
        m_focused = m_form.variables.first().normalizedName;
    }
}

int VariableFormModel::sheetHeight(int variableCount) {
    return std::min(82 * variableCount + 170, maximumSheetHeight);
}

void VariableFormModel::setValue(const QString& normalizedName, const QString& text) {
    m_values.insert(normalizedName, text);
    if (!Text::trimWhitespaceAndNewlines(text).isEmpty()) {
        m_missing.remove(normalizedName);
    }
}

void VariableFormModel::confirmOnce() {
    if (m_submitting) {
        return;
    }
    m_submitting = true;
    const PromptCopySubmissionResult result = m_onConfirm ? m_onConfirm(m_values) : PromptCopySubmissionResult();
    if (result.kind != PromptCopySubmissionResult::Kind::validationFailed) {
        return;
    }
    m_missing = QSet<QString>(result.requiredNames.cbegin(), result.requiredNames.cend());
    m_focused.reset();
    for (const PromptVariable& variable : m_form.variables) {
        if (m_missing.contains(variable.normalizedName)) {
            m_focused = variable.normalizedName;
            break;
        }
    }
    m_submitting = false;
}
