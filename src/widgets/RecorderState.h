#pragma once

#include "model/KeyboardShortcutModels.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class HotKeySuspending;
class QKeyEvent;

// The listening state of a shortcut recorder, without a widget. While recording, an application
// event filter takes every key press (and the shortcut check Qt makes before it), so no window
// shortcut, menu or focused control sees it, and the global hot key is suspended, so that its own
// combination can be recorded. Both are undone by stop(), which every way out of recording runs:
// Escape, an accepted key, and the owner's stop on hiding, focus loss, window deactivation or
// destruction.
//
// The recorded value belongs to the owner: the adapter turns a key press into the owner's value
// and reports it; the recorder never keeps one.
class RecorderState : public QObject {
    Q_OBJECT
public:
    // The owner's value, type-erased. See forValue() for the usual way to build one.
    struct ValueAdapter {
        // The display text of the owner's current value; none while it has no value.
        std::function<std::optional<QString>()> currentDisplay;
        // Makes a value from the key and reports it to the owner; false when the key gives none.
        std::function<bool(const KeyEventInfo& key)> accept;
        // Reports that the value was cleared.
        std::function<void()> clear;
    };

    template <typename Value>
    static ValueAdapter forValue(std::function<std::optional<Value>()> current,
                                 std::function<QString(const Value&)> displayString,
                                 std::function<std::optional<Value>(const KeyEventInfo&)> valueFromKey,
                                 std::function<void(const std::optional<Value>&)> onChange) {
        return ValueAdapter{[current, displayString]() -> std::optional<QString> {
                                const std::optional<Value> value = current();
                                return value ? std::optional<QString>(displayString(*value)) : std::nullopt;
                            },
                            [valueFromKey, onChange](const KeyEventInfo& key) {
                                const std::optional<Value> value = valueFromKey(key);
                                if (!value) {
                                    return false;
                                }
                                onChange(value);
                                return true;
                            },
                            [onChange] { onChange(std::nullopt); }};
    }

    static constexpr quint32 escapeKeyCode = 53;

    // `suspending` may be null (no global hot key to release); it must outlive this object.
    explicit RecorderState(ValueAdapter adapter, HotKeySuspending* suspending = nullptr, QObject* parent = nullptr);
    ~RecorderState() override;

    // The catalog keys of the owner's texts: the title while there is no value, the message while
    // listening, and the message after a key that gives no value.
    void setTextKeys(const QString& titleKey, const QString& recordHelpKey, const QString& invalidMessageKey);

    bool isRecording() const { return m_recording; }
    // The message under the button; empty when none is shown.
    QString message() const;
    // "Recording" while listening, else the value's display text, else the title.
    QString buttonTitle() const;
    bool hasValue() const;

    // Starts listening (again: a second start restarts, with one filter and one suspension).
    void start();
    void stop();
    // Reports a cleared value; the listening state is left as it is.
    void clearValue();
    // One key press while recording, as the filter hands it on (also the headless entry point).
    void handleKey(const KeyEventInfo& key);

signals:
    // The title, the message or the recording state changed.
    void changed();

private:
    enum class Message { none, recordHelp, invalid };

    bool eventFilter(QObject* watched, QEvent* event) override;
    void handleKeyEvent(const QKeyEvent& event);

    ValueAdapter m_adapter;
    HotKeySuspending* m_suspending = nullptr;
    QString m_titleKey;
    QString m_recordHelpKey;
    QString m_invalidMessageKey;
    bool m_recording = false;
    bool m_filterInstalled = false;
    bool m_suspended = false;
    Message m_message = Message::none;
};
