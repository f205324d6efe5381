#include "services/HotKeySuspending.h"
#include "widgets/ShortcutRecorderButton.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QVBoxLayout>

using namespace ModifierFlags;

namespace {

class CountingSuspension final : public HotKeySuspending {
public:
    void suspend() override { ++held; }
    void resume() override { --held; }
    int held = 0;
};

QString english(const QString& key) {
    return L10n::string(key, AppLanguage::english);
}

// A window with the recorder, a text field and a window shortcut Ctrl+W.
struct RecorderWindow {
    QWidget window;
    std::optional<PromptKeyboardShortcut> value;
    int changes = 0;
    int closeShortcuts = 0;
    CountingSuspension suspension;
    ShortcutRecorderButton* recorder = nullptr;
    QLineEdit* field = nullptr;

    explicit RecorderWindow(bool allowsClear = true) {
        window.setObjectName("recorderWindow");
        auto* layout = new QVBoxLayout(&window);
        ShortcutRecorderButton::Options options;
        options.titleKey = L10N("shortcut.record.none");
        options.recordHelpKey = L10N("shortcut.record.help");
        options.invalidMessageKey = L10N("shortcut.record.invalid");
        options.allowsClear = allowsClear;
        recorder = new ShortcutRecorderButton(
            RecorderState::forValue<PromptKeyboardShortcut>(
                [this] { return value; }, [](const PromptKeyboardShortcut& s) { return s.displayString(); },
                [](const KeyEventInfo& key) { return PromptKeyboardShortcut::fromEvent(key); },
                [this](const std::optional<PromptKeyboardShortcut>& changed) {
                    ++changes;
                    value = changed;
                }),
            options, &suspension, &window);
        field = new QLineEdit(&window);
        field->setObjectName("otherField");
        layout->addWidget(recorder);
        layout->addWidget(field);
        auto* close = new QAction(&window);
        close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
        close->setShortcutContext(Qt::WindowShortcut);
        window.addAction(close);
        QObject::connect(close, &QAction::triggered, [this] { ++closeShortcuts; });
        window.resize(520, 120);
        window.show();
        window.activateWindow();
    }

    bool activate() { return QTest::qWaitForWindowActive(&window); }
    void startRecording() { QTest::mouseClick(recorder->recordButton(), Qt::LeftButton); }
    QPushButton* button() const { return recorder->recordButton(); }
};

void saveShot(QWidget& widget, const QString& name) {
    const QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        widget.grab().save(QDir(folder).filePath(name + ".png"));
    }
}

} // namespace

class ShortcutRecorderButtonTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        L10n::setCurrentLanguageProvider([] { return AppLanguage::english; });
    }

    void recordingCtrlAltKGivesThatShortcut() {
        RecorderWindow w;
        QVERIFY(w.activate());
        QCOMPARE(w.button()->text(), english("shortcut.record.none"));
        w.startRecording();
        QVERIFY(w.recorder->isRecording());
        QCOMPARE(w.suspension.held, 1);
        QCOMPARE(w.button()->text(), english("shortcut.recording"));
        QVERIFY(w.recorder->messageLabel()->isVisible());
        saveShot(w.window, "recorder-recording");
        QTest::keyClick(w.button(), Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(w.value, (PromptKeyboardShortcut{40, command | option}));
        QVERIFY(!w.recorder->isRecording());
        QCOMPARE(w.suspension.held, 0);
        QCOMPARE(w.button()->text(), "Ctrl+Alt+K");
        QVERIFY(!w.recorder->messageLabel()->isVisible());
        saveShot(w.window, "recorder-recorded");
    }

    void escapeCancels() {
        RecorderWindow w;
        w.value = PromptKeyboardShortcut{35, control | shift};
        w.recorder->refresh();
        QVERIFY(w.activate());
        w.startRecording();
        QTest::keyClick(w.button(), Qt::Key_Escape);
        QVERIFY(!w.recorder->isRecording());
        QCOMPARE(w.changes, 0);
        QCOMPARE(w.button()->text(), "Super+Shift+P");
        QCOMPARE(w.suspension.held, 0);
    }

    void aBareLetterShowsTheInvalidText() {
        RecorderWindow w;
        QVERIFY(w.activate());
        w.startRecording();
        QTest::keyClick(w.button(), Qt::Key_A);
        QVERIFY(w.recorder->isRecording());
        QCOMPARE(w.recorder->messageLabel()->text(), english("shortcut.record.invalid"));
        QVERIFY(w.recorder->messageLabel()->isVisible());
        QCOMPARE(w.changes, 0);
        saveShot(w.window, "recorder-invalid");
        QTest::keyClick(w.button(), Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(w.value, (PromptKeyboardShortcut{18, command | shift}));
    }

    void windowShortcutsDoNothingWhileRecording() {
        RecorderWindow w;
        QVERIFY(w.activate());
        QTest::keyClick(w.button(), Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(w.closeShortcuts, 1); // the shortcut works outside recording

        w.startRecording();
        QTest::keyClick(w.button(), Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(w.closeShortcuts, 1);
        QCOMPARE(w.value, (PromptKeyboardShortcut{13, command}));

        QTest::keyClick(w.button(), Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(w.closeShortcuts, 2); // and again after recording stopped
    }

    void recordingStopsWhenTheControlCannotSeeTheKeys_data() {
        QTest::addColumn<QString>("way");
        QTest::newRow("focus moves elsewhere") << "focus";
        QTest::newRow("the control is hidden") << "hide";
        QTest::newRow("the window is deactivated") << "deactivate";
        QTest::newRow("the control is destroyed") << "destroy";
    }
    void recordingStopsWhenTheControlCannotSeeTheKeys() {
        QFETCH(QString, way);
        RecorderWindow w;
        QVERIFY(w.activate());
        w.startRecording();
        QVERIFY(w.recorder->isRecording());
        QWidget other;
        if (way == "focus") {
            w.field->setFocus();
        } else if (way == "hide") {
            w.recorder->hide();
        } else if (way == "deactivate") {
            other.resize(100, 100);
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else {
            delete w.recorder;
            w.recorder = nullptr;
        }
        QCOMPARE(w.suspension.held, 0);
        if (w.recorder != nullptr) {
            QVERIFY(!w.recorder->isRecording());
        }
        // A key pressed now is not recorded.
        QTest::keyClick(way == "deactivate" ? static_cast<QWidget*>(&other) : w.field, Qt::Key_K, Qt::ControlModifier);
        QCOMPARE(w.changes, 0);
    }

    void theClearButton() {
        RecorderWindow w;
        QVERIFY(w.activate());
        QVERIFY(!w.recorder->clearButton()->isEnabled());
        w.value = PromptKeyboardShortcut{40, command};
        w.recorder->refresh();
        QVERIFY(w.recorder->clearButton()->isEnabled());
        QTest::mouseClick(w.recorder->clearButton(), Qt::LeftButton);
        QCOMPARE(w.changes, 1);
        QCOMPARE(w.value, std::nullopt);
        QVERIFY(!w.recorder->clearButton()->isEnabled());

        RecorderWindow without(false);
        QCOMPARE(without.recorder->clearButton(), nullptr);
    }
};

QTEST_MAIN(ShortcutRecorderButtonTest)
#include "tst_shortcutrecorderbutton.moc"
