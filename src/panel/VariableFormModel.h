#pragma once

#include "services/PromptCopyCoordinator.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

// The rules of the variable form: the values being edited, the required values a refused
// confirm marked missing, one submission at a time, and where the focus goes. Pure.
class VariableFormModel {
public:
    using Confirm = std::function<PromptCopySubmissionResult(const QHash<QString, QString>& values)>;

    VariableFormModel(PromptVariableForm form, Confirm onConfirm);

    // 82 per variable plus 170, at most 520.
    static int sheetHeight(int variableCount);
    // The height past which the list of a long form scrolls, at the system text size.
    static constexpr int maximumSheetHeight = 520;

    const PromptVariableForm& form() const { return m_form; }
    QString value(const QString& normalizedName) const { return m_values.value(normalizedName); }
    const QHash<QString, QString>& values() const { return m_values; }
    bool isMissing(const QString& normalizedName) const { return m_missing.contains(normalizedName); }
    bool isSubmitting() const { return m_submitting; }
    const std::optional<QString>& focusedName() const { return m_focused; }
    static bool isRequired(const PromptVariable& variable) { return !variable.defaultValue.has_value(); }

    // Stored as typed; a non-blank text takes away the missing mark.
    void setValue(const QString& normalizedName, const QString& text);
    // Runs the confirm unless one is running or was accepted. A refusal marks the missing
    // values, focuses the first of them in form order and allows another try.
    void confirmOnce();

private:
    PromptVariableForm m_form;
    Confirm m_onConfirm;
    QHash<QString, QString> m_values;
    QSet<QString> m_missing;
    bool m_submitting = false;
    std::optional<QString> m_focused;
};
