#pragma once

#include "panel/VariableFormModel.h"

#include <QHash>
#include <QList>
#include <QWidget>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

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
    // Its height is its hint at any width: a host gives it that, and the list scrolls past the cap.
    bool hasHeightForWidth() const override { return false; }
    int heightForWidth(int) const override { return sizeHint().height(); }
    const VariableFormModel& model() const { return m_model; }
    QLineEdit* field(const QString& normalizedName) const { return m_fields.value(normalizedName); }

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void confirm();
    void render();
    void focusModelField();
    // The height the sheet needs at `width` to show every row without scrolling.
    int contentHeight(int width) const;

    VariableFormModel m_model;
    std::function<void()> m_onCancel;
    QHash<QString, QLineEdit*> m_fields;
    QHash<QString, QLabel*> m_errors;
    struct Row {
        QLabel* name;
        QLabel* tag; // null for a variable with a default
        QLineEdit* field;
        QLabel* error;
    };
    QList<Row> m_rows;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_copyButton = nullptr;
    QLabel* m_title = nullptr;
    QLabel* m_help = nullptr;
    QScrollArea* m_scroll = nullptr;
    QHBoxLayout* m_buttons = nullptr;
};
