#pragma once

#include "widgets/RecorderState.h"
#include "widgets/SheetLook.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The control that records one key combination: pressing it listens to the keyboard, the next
// acceptable key press becomes the owner's new value, Escape cancels, and an optional second
// button clears the value. It is not a template: the owner's value comes in through a
// RecorderState::ValueAdapter (see RecorderState::forValue), so the same control records the
// panel's hot key, the tile modifiers and a prompt's own shortcut.
//
// Recording also stops when the control is hidden, loses the keyboard focus, its window is
// deactivated, or it is destroyed, so a key pressed elsewhere never becomes the value.
class ShortcutRecorderButton : public QWidget {
    Q_OBJECT
public:
    struct Options {
        // Catalog keys: the title while there is no value, the message while recording, and the
        // message after a key that gives no value.
        QString titleKey;
        QString recordHelpKey;
        QString invalidMessageKey;
        int minimumWidth = 160;
        bool allowsClear = false;
        // The message on a line of its own under the buttons, right-aligned, for a control that
        // sits at the end of a narrow settings row.
        bool messageBelow = false;
        SheetLook::TextSize textSize = SheetLook::TextSize::system;
    };

    // `suspending` (may be null) is released while recording; it must outlive the control.
    ShortcutRecorderButton(RecorderState::ValueAdapter adapter, Options options, HotKeySuspending* suspending,
                           QWidget* parent = nullptr);
    ~ShortcutRecorderButton() override;

    RecorderState& state() { return m_state; }
    bool isRecording() const { return m_state.isRecording(); }
    // Redraws from the owner's value and the interface language (call after either changed).
    void refresh();

    // The label of the row the control sits in ("Panel shortcut"): it names the record button, so
    // two recorders in one window are told apart; the help text then goes to its description.
    void setAccessibleLabel(const QString& label);

    QPushButton* recordButton() const { return m_recordButton; }
    QPushButton* clearButton() const { return m_clearButton; }
    QLabel* messageLabel() const { return m_messageLabel; }

protected:
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RecorderState m_state;
    Options m_options;
    QPushButton* m_recordButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QLabel* m_messageLabel = nullptr;
    QString m_accessibleLabel;
};
