#pragma once

#include "model/AgentType.h"
#include "widgets/SheetLook.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <optional>
#include <tuple>
#include <utility>

class QAbstractButton;
class QBoxLayout;
class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SheetHost;

// What the editing sheets have in common: a fixed-size card in the sheet look, a heading, a
// message line for a failed action, Cancel on the left and the default button on the right.
// Return runs the default action, Escape and Cancel dismiss the sheet through its host; once
// dismissal was asked for, nothing acts again until the host removes the sheet.
class EditingSheetBase : public QWidget {
    Q_OBJECT
public:
    // Runs the default action as its button does.
    void submit();

    // The card's fixed size, so that a host centres it as it is.
    QSize sizeHint() const override { return minimumSize(); }

protected:
    // The host must outlive the sheet.
    EditingSheetBase(SheetHost& host, SheetLook::TextSize textSize, const QString& objectName, QSize size,
                     QWidget* parent);

    // The default action; true when the sheet is done and goes.
    virtual bool commit() = 0;
    // Whether Return runs the default action from where the focus is now.
    virtual bool returnSubmits() const { return true; }
    // Asks the host to dismiss the sheet, once.
    void finish();

    SheetLook::TextSize textSize() const { return m_textSize; }

    QLabel* addHeading(QVBoxLayout* layout, const QString& objectName);
    // The heading's text, which also names the sheet and its window.
    void setHeadingText(const QString& text);
    // A scrolling area for the form, its bar always shown so the width does not jump.
    QScrollArea* makeFormScroll(const QString& objectName);
    QLabel* addErrorLabel(QVBoxLayout* layout, const QString& objectName);
    // Shows the message, or hides the line when there is none.
    static void showError(QLabel* label, const std::optional<QString>& message);
    // Adds Cancel and the default button in a row; returns them in that order.
    std::pair<QPushButton*, QPushButton*> addButtonRow(QVBoxLayout* layout, const QString& cancelName,
                                                       const QString& defaultName);
    static void setButtonText(QAbstractButton* button, const QString& text);

    // One check box per agent, named `objectNamePrefix` and the agent's raw value; ticking one
    // calls `onToggled`.
    QHash<AgentType, QCheckBox*> addAgentToggles(QBoxLayout* layout, QWidget* parent, const QString& objectNamePrefix,
                                                 const QList<AgentType>& agents,
                                                 const std::function<void(AgentType, bool)>& onToggled);
    static void retranslateAgentToggles(const QHash<AgentType, QCheckBox*>& toggles, AppLanguage language);
    static void syncAgentToggles(const QHash<AgentType, QCheckBox*>& toggles,
                                 const std::function<bool(AgentType)>& isSelected);

    void keyPressEvent(QKeyEvent* event) override;

private:
    SheetHost& m_host;
    SheetLook::TextSize m_textSize;
    QLabel* m_heading = nullptr;
    bool m_finished = false;
};
