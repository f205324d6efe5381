#pragma once

#include "panel/VariableFormModel.h"

#include <QHash>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// The form that asks for a prompt's variable values before it is copied: one field per variable,
// Copy on Return or keypad Enter, Cancel on Escape. It copies nothing itself: Copy hands the
// values to the panel, whose answer decides whether the sheet stays.
class PromptVariableSheet final : public QWidget {
    Q_OBJECT
public:
    static constexpr int sheetWidth = 440;

    PromptVariableSheet(const PromptVariableForm& form, VariableFormModel::Confirm onConfirm,
                        std::function<void()> onCancel, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    const VariableFormModel& model() const { return m_model; }
    QLineEdit* field(const QString& normalizedName) const { return m_fields.value(normalizedName); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void confirm();
    void render();
    void focusModelField();

    VariableFormModel m_model;
    std::function<void()> m_onCancel;
    QHash<QString, QLineEdit*> m_fields;
    QHash<QString, QLabel*> m_errors;
    QPushButton* m_copyButton = nullptr;
    QLabel* m_title = nullptr;
};
