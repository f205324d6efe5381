#include "services/HotKeySuspending.h"
#include "widgets/RecorderState.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>

#include <memory>

using namespace ModifierFlags;

namespace {

class CountingSuspension final : public HotKeySuspending {
public:
    void suspend() override { ++suspensions; }
    void resume() override { ++resumptions; }
    int suspensions = 0;
    int resumptions = 0;
};

// Counts the key presses that reach it.
class KeyReceiver final : public QObject {
public:
    int presses = 0;
    bool event(QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            ++presses;
            return true;
        }
        return QObject::event(event);
    }
};

// The owner of a recorded shortcut, as the settings or the editor hold it.
struct Owner {
    std::optional<PromptKeyboardShortcut> value;
    QList<std::optional<PromptKeyboardShortcut>> changes;
    int asked = 0;

    RecorderState::ValueAdapter adapter() {
        return RecorderState::forValue<PromptKeyboardShortcut>(
            [this] { return value; }, [](const PromptKeyboardShortcut& s) { return s.displayString(); },
            [this](const KeyEventInfo& key) {
                ++asked;
                return PromptKeyboardShortcut::fromEvent(key);
            },
            [this](const std::optional<PromptKeyboardShortcut>& changed) {
                changes.append(changed);
                value = changed;
            });
    }
};

KeyEventInfo key(quint32 keyCode, quint64 flags) {
    return KeyEventInfo{keyCode, flags, QString()};
}

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

} // namespace

class RecorderStateTest : public QObject {
    Q_OBJECT

    Owner m_owner;
    CountingSuspension m_suspension;

    std::unique_ptr<RecorderState> makeRecorder() {
        auto recorder = std::make_unique<RecorderState>(m_owner.adapter(), &m_suspension);
        recorder->setTextKeys(L10N("shortcut.record.none"), L10N("shortcut.record.help"),
                              L10N("shortcut.record.invalid"));
        return recorder;
    }

private slots:
    void initTestCase() {
        L10n::setCurrentLanguageProvider([] { return AppLanguage::english; });
    }
    void init() {
        m_owner = Owner();
        m_suspension = CountingSuspension();
    }

    void escapeIsNeverRecordedAndStops() {
        m_owner.value = PromptKeyboardShortcut{35, command};
        auto recorder = makeRecorder();
        recorder->start();
        QCOMPARE(recorder->buttonTitle(), english("shortcut.recording"));
        QCOMPARE(recorder->message(), english("shortcut.record.help"));
        recorder->handleKey(key(RecorderState::escapeKeyCode, command | option));
        QVERIFY(!recorder->isRecording());
        QCOMPARE(m_owner.asked, 0);
        QVERIFY(m_owner.changes.isEmpty());
        QCOMPARE(recorder->message(), QString());
        QCOMPARE(recorder->buttonTitle(), "Ctrl+P");
        QCOMPARE(m_suspension.resumptions, 1);
    }

    void aRejectedKeyShowsTheInvalidTextAndKeepsRecording() {
        auto recorder = makeRecorder();
        QCOMPARE(recorder->buttonTitle(), english("shortcut.record.none"));
        recorder->start();
        recorder->handleKey(key(40, 0)); // a bare letter
        QVERIFY(recorder->isRecording());
        QCOMPARE(recorder->message(), english("shortcut.record.invalid"));
        QVERIFY(m_owner.changes.isEmpty());

        recorder->handleKey(key(40, command | option));
        QVERIFY(!recorder->isRecording());
        QCOMPARE(recorder->message(), QString());
        QCOMPARE(m_owner.changes,
                 (QList<std::optional<PromptKeyboardShortcut>>{PromptKeyboardShortcut{40, command | option}}));
        QCOMPARE(recorder->buttonTitle(), "Ctrl+Alt+K");
        QCOMPARE(m_suspension.suspensions, 1);
        QCOMPARE(m_suspension.resumptions, 1);
    }

    void aDoubleStartHoldsOneFilterAndOneSuspension() {
        auto recorder = makeRecorder();
        KeyReceiver receiver;
        recorder->start();
        recorder->handleKey(key(40, 0));
        recorder->start(); // restarts: the help text again
        QCOMPARE(recorder->message(), english("shortcut.record.help"));
        QCOMPARE(m_suspension.suspensions - m_suspension.resumptions, 1);

        QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
        QCoreApplication::sendEvent(&receiver, &press);
        QCOMPARE(receiver.presses, 0); // taken by the recorder
        QCOMPARE(m_owner.changes.size(), 1);
        QVERIFY(!recorder->isRecording());
        QCOMPARE(m_suspension.suspensions, m_suspension.resumptions);

        // Stopped: no filter is left behind, however often recording was started.
        QKeyEvent later(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier);
        QCoreApplication::sendEvent(&receiver, &later);
        QCOMPARE(receiver.presses, 1);
        QCOMPARE(m_owner.changes.size(), 1);
    }

    void shortcutChecksAreTakenAndModifierPressesWait() {
        auto recorder = makeRecorder();
        KeyReceiver receiver;
        recorder->start();
        QKeyEvent check(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
        check.ignore();
        QVERIFY(QCoreApplication::sendEvent(&receiver, &check));
        QVERIFY(check.isAccepted()); // Qt then runs no shortcut
        QVERIFY(recorder->isRecording());

        QKeyEvent modifier(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        QCoreApplication::sendEvent(&receiver, &modifier);
        QVERIFY(recorder->isRecording());
        QCOMPARE(recorder->message(), english("shortcut.record.help"));
        QCOMPARE(receiver.presses, 0);
    }

    void destructionWhileRecordingUndoesEverything() {
        KeyReceiver receiver;
        {
            auto recorder = makeRecorder();
            recorder->start();
        }
        QCOMPARE(m_suspension.suspensions, 1);
        QCOMPARE(m_suspension.resumptions, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_K, Qt::ControlModifier);
        QCoreApplication::sendEvent(&receiver, &press);
        QCOMPARE(receiver.presses, 1);
    }

    void clearReportsNoValueAndLeavesRecordingAlone() {
        m_owner.value = PromptKeyboardShortcut{35, command};
        auto recorder = makeRecorder();
        recorder->start();
        recorder->clearValue();
        QCOMPARE(m_owner.changes, (QList<std::optional<PromptKeyboardShortcut>>{std::nullopt}));
        QVERIFY(recorder->isRecording());
        QVERIFY(!recorder->hasValue());
    }
};

QTEST_MAIN(RecorderStateTest)
#include "tst_recorderstate.moc"
