#include "services/KeyInput.h"

#include <QKeyEvent>
#include <QTest>

using namespace ModifierFlags;

class KeyInputTest : public QObject {
    Q_OBJECT

private slots:
    void fromKeyEvent_data() {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("qtModifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("known");
        QTest::addColumn<quint32>("keyCode");
        QTest::addColumn<quint64>("flags");
        QTest::addColumn<QString>("characters");
        const int ctrl = Qt::ControlModifier;
        const int alt = Qt::AltModifier;
        const int shift = Qt::ShiftModifier;
        const int meta = Qt::MetaModifier;
        QTest::newRow("Shift+1 is the key 1")
            << int(Qt::Key_Exclam) << shift << "!" << true << 18u << quint64(ModifierFlags::shift) << "1";
        QTest::newRow("Ctrl+Alt+K") << int(Qt::Key_K) << (ctrl | alt) << "" << true << 40u << (command | option) << "k";
        QTest::newRow("Super+Shift+P") << int(Qt::Key_P) << (meta | shift) << "P" << true << 35u
                                       << (control | ModifierFlags::shift) << "p";
        QTest::newRow("Ctrl+Shift+/ as ?")
            << int(Qt::Key_Question) << (ctrl | shift) << "?" << true << 44u << (command | ModifierFlags::shift) << "/";
        QTest::newRow("keypad 5") << int(Qt::Key_5) << int(Qt::KeypadModifier) << "5" << true << 87u << quint64(0)
                                  << "5";
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << "" << true << 53u << quint64(0) << "";
        QTest::newRow("F5 with Ctrl") << int(Qt::Key_F5) << ctrl << "" << true << 96u << command << "";
        QTest::newRow("a modifier alone") << int(Qt::Key_Control) << ctrl << "" << false << 0u << quint64(0) << "";
        QTest::newRow("a key outside the table") << int(Qt::Key_VolumeUp) << 0 << "" << false << 0u << quint64(0) << "";
    }
    void fromKeyEvent() {
        QFETCH(int, qtKey);
        QFETCH(int, qtModifiers);
        QFETCH(QString, text);
        QFETCH(bool, known);
        QFETCH(quint32, keyCode);
        QFETCH(quint64, flags);
        QFETCH(QString, characters);
        const QKeyEvent event(QEvent::KeyPress, qtKey, Qt::KeyboardModifiers(qtModifiers), text);
        const std::optional<KeyEventInfo> input = KeyInput::fromKeyEvent(event);
        QCOMPARE(input.has_value(), known);
        if (input) {
            QCOMPARE(input->keyCode, keyCode);
            QCOMPARE(input->modifierFlags, flags);
            QCOMPARE(input->charactersIgnoringModifiers, characters);
        }
    }

    void modifierKeys() {
        for (const int key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta, Qt::Key_Super_L}) {
            QVERIFY(KeyInput::isModifierKey(key));
        }
        for (const int key : {Qt::Key_A, Qt::Key_Escape, Qt::Key_F1, Qt::Key_Space}) {
            QVERIFY(!KeyInput::isModifierKey(key));
        }
    }
};

QTEST_MAIN(KeyInputTest)
#include "tst_keyinput.moc"
