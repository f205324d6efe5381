#include "widgets/ActionLabelFit.h"
#include "widgets/BrandButton.h"
#include "widgets/BrandLineEdit.h"
#include "widgets/ButtonLook.h"
#include "widgets/InterfaceEnvironment.h"
#include "widgets/IslandDesignTokens.h"

#include <QFontMetricsF>
#include <QSignalSpy>
#include <QTest>

using Kind = ButtonLook::Kind;
using namespace IslandDesignTokens;

namespace {

bool sameRgb(const QColor& a, const QColor& b) {
    return a.red() == b.red() && a.green() == b.green() && a.blue() == b.blue();
}

// Colours keep their opacity in 16 bits.
bool opacityIs(const QColor& colour, qreal opacity) {
    return qAbs(colour.alphaF() - opacity) < 0.0005;
}

// The colour values that describe the look, without scale and animation.
QList<QColor> colours(const ButtonLook& look) {
    return {look.foreground, look.fillTop, look.fillBottom, look.tint, look.outline};
}

} // namespace

class ButtonLookTest : public QObject {
    Q_OBJECT

private slots:
    void tokens() {
        QCOMPARE(Brand::accent.rgba(), QColor(255, 77, 126).rgba());
        QCOMPARE(Brand::surface.rgba(), QColor(20, 24, 40).rgba());
        QCOMPARE(Brand::onAccent, Brand::neutral);
        QVERIFY(sameRgb(Brand::border, Brand::steel));
        QVERIFY(opacityIs(Brand::border, 0.5));
    }

    void pressFeedback_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("reduceMotion");
        QTest::addColumn<qreal>("pressedScale");
        QTest::addColumn<bool>("animates");
        for (const Kind kind : {Kind::primary, Kind::secondary, Kind::settingsAction, Kind::toolbar,
                                Kind::bottomToolbar, Kind::panelAction}) {
            const QByteArray name = QByteArray::number(int(kind));
            QTest::newRow(name + " enabled") << int(kind) << true << false << 0.98 << true;
            QTest::newRow(name + " disabled") << int(kind) << false << false << 1.0 << true;
            QTest::newRow(name + " reduce motion") << int(kind) << true << true << 1.0 << false;
        }
        // A tile shrinks further, and also when disabled.
        QTest::newRow("tile enabled") << int(Kind::tilePress) << true << false << 0.97 << true;
        QTest::newRow("tile disabled") << int(Kind::tilePress) << false << false << 0.97 << true;
        QTest::newRow("tile reduce motion") << int(Kind::tilePress) << true << true << 1.0 << false;
    }
    void pressFeedback() {
        QFETCH(int, kind);
        QFETCH(bool, enabled);
        QFETCH(bool, reduceMotion);
        QFETCH(qreal, pressedScale);
        QFETCH(bool, animates);
        const auto pressed = ButtonLook::make(Kind(kind), {enabled, true, reduceMotion});
        const auto released = ButtonLook::make(Kind(kind), {enabled, false, reduceMotion});
        QCOMPARE(pressed.scale, pressedScale);
        QCOMPARE(released.scale, 1.0);
        QCOMPARE(pressed.animatesPress, animates);
    }

    void primary() {
        const auto disabledPressed = ButtonLook::make(Kind::primary, {false, true, false});
        QVERIFY(opacityIs(disabledPressed.fillTop, 0.28));
        QVERIFY(opacityIs(disabledPressed.foreground, 0.55));
        QVERIFY(sameRgb(disabledPressed.fillTop, Brand::accent));
        QVERIFY(opacityIs(ButtonLook::make(Kind::primary, {true, true, false}).fillTop, 0.78));
        // With reduced motion the press still changes the fill, at once.
        QVERIFY(opacityIs(ButtonLook::make(Kind::primary, {true, true, true}).fillTop, 0.78));
        QVERIFY(opacityIs(ButtonLook::make(Kind::primary, {true, false, false}).fillTop, 1.0));
    }

    void secondary() {
        for (const bool pressed : {false, true}) {
            const auto disabled = ButtonLook::make(Kind::secondary, {false, pressed, false});
            QCOMPARE(disabled.tint.alpha(), 0);
            QVERIFY(sameRgb(disabled.fillTop, Brand::neutral));
            QVERIFY(opacityIs(disabled.fillTop, 0.35));
            QVERIFY(opacityIs(disabled.outline, 0.16));
            QVERIFY(sameRgb(disabled.foreground, Brand::steel));
        }
        const auto pressed = ButtonLook::make(Kind::secondary, {true, true, false});
        QVERIFY(opacityIs(pressed.tint, 0.28));
        QVERIFY(opacityIs(pressed.outline, 1.0));
        QCOMPARE(pressed.fillTop, Brand::surface);
    }

    void settingsAction() {
        const auto disabledDestructive = ButtonLook::make(Kind::settingsAction, {false, false, false}, true);
        QVERIFY(sameRgb(disabledDestructive.foreground, Brand::steel));
        QVERIFY(opacityIs(disabledDestructive.foreground, 0.38));
        QVERIFY(sameRgb(disabledDestructive.fillTop, systemRed));
        QVERIFY(opacityIs(disabledDestructive.fillTop, 0.045));
        const auto plain = ButtonLook::make(Kind::settingsAction, {true, false, false}, false);
        QVERIFY(sameRgb(plain.foreground, Brand::textPrimary));
        QVERIFY(sameRgb(plain.fillTop, Qt::white));
        QVERIFY(opacityIs(plain.fillTop, 0.14));
        QVERIFY(opacityIs(ButtonLook::make(Kind::settingsAction, {true, true, false}).fillTop, 0.22));
    }

    void toolbarButtonsLookTheSameWhenDisabled() {
        for (const bool primary : {false, true}) {
            for (const bool pressed : {false, true}) {
                const auto enabled = ButtonLook::make(Kind::toolbar, {true, pressed, false}, primary);
                const auto disabled = ButtonLook::make(Kind::toolbar, {false, pressed, false}, primary);
                QCOMPARE(colours(disabled), colours(enabled));
                QCOMPARE(disabled.scale, 1.0);
            }
        }
        const auto primary = ButtonLook::make(Kind::toolbar, {true, false, false}, true);
        QCOMPARE(primary.foreground, QColor(Qt::black));
        QVERIFY(opacityIs(primary.fillTop, 0.92));
        QCOMPARE(primary.outline.alpha(), 0);
        QVERIFY(opacityIs(ButtonLook::make(Kind::toolbar, {true, true, false}, true).fillTop, 0.78));
        const auto secondary = ButtonLook::make(Kind::toolbar, {true, true, false}, false);
        QVERIFY(opacityIs(secondary.fillTop, 0.2));
        QVERIFY(opacityIs(secondary.outline, 0.09));
        QCOMPARE(secondary.fixedHeight, 30.0);
    }

    void glassButtonsDimOnlyTheirTitle() {
        for (const Kind kind : {Kind::bottomToolbar, Kind::panelAction}) {
            const auto enabled = ButtonLook::make(kind, {true, false, false});
            const auto disabled = ButtonLook::make(kind, {false, false, false});
            QVERIFY(opacityIs(disabled.foreground, 0.46));
            QCOMPARE(disabled.fillTop, enabled.fillTop);
            QCOMPARE(disabled.fillBottom, enabled.fillBottom);
            QCOMPARE(disabled.outline, enabled.outline);
        }
        // The bottom toolbar's primary flag changes nothing of the button.
        QCOMPARE(colours(ButtonLook::make(Kind::bottomToolbar, {true, true, false}, true)),
                 colours(ButtonLook::make(Kind::bottomToolbar, {true, true, false}, false)));
        const auto pressedAction = ButtonLook::make(Kind::panelAction, {true, true, false});
        QVERIFY(opacityIs(pressedAction.fillTop, 0.14));
        QVERIFY(opacityIs(pressedAction.fillBottom, 0.09));
    }

    void actionLabelFit_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<qreal>("widthFactor"); // of the title's natural width
        QTest::addColumn<bool>("shrinks");
        QTest::addColumn<bool>("elides");
        QTest::newRow("fits") << QStringLiteral("Open Settings") << 1.2 << false << false;
        QTest::newRow("exact") << QStringLiteral("Open Settings") << 1.0 << false << false;
        QTest::newRow("a little long") << QStringLiteral("Manage Workspaces") << 0.96 << true << false;
        QTest::newRow("much too long") << QStringLiteral("Import prompts from a pasted text block") << 0.6 << true
                                       << true;
    }
    void actionLabelFit() {
        QFETCH(QString, title);
        QFETCH(qreal, widthFactor);
        QFETCH(bool, shrinks);
        QFETCH(bool, elides);
        QFont font;
        font.setPixelSize(11);
        font.setWeight(QFont::DemiBold);
        const qreal width = QFontMetricsF(font).horizontalAdvance(title) * widthFactor;
        const ActionLabelFit fit = ActionLabelFit::fit(title, font, width);
        QCOMPARE(fit.scale < 1.0 || fit.tightened, shrinks);
        QVERIFY(fit.scale >= ActionLabelFit::minimumScale);
        QCOMPARE(fit.text != title, elides);
        if (elides) {
            QVERIFY(fit.text.endsWith(QChar(0x2026)));
            QCOMPARE(fit.scale, ActionLabelFit::minimumScale);
        }
        // Whatever it shows fits the width once scaled.
        QVERIFY(QFontMetricsF(fit.fontFor(font)).horizontalAdvance(fit.text) * fit.scale <= width + 0.5);
    }

    void fieldChrome() {
        const auto unfocused = BrandLineEdit::look(false);
        const auto focused = BrandLineEdit::look(true);
        QCOMPARE(unfocused.outline, Brand::border);
        QCOMPARE(unfocused.outlineWidth, 1.0);
        QCOMPARE(focused.outline, Brand::accent);
        QCOMPARE(focused.outlineWidth, 2.0);
        QCOMPARE(focused.fill, unfocused.fill);
        QVERIFY(opacityIs(focused.fill, 0.72));
    }

    void buttonWidgetShrinksWhilePressedUnlessReduced() {
        QWidget root;
        auto* button = new BrandButton(Kind::primary, QStringLiteral("Copy"), &root);
        button->setObjectName(QStringLiteral("copyButton"));
        QCOMPARE(button->accessibleName(), QStringLiteral("Copy"));
        QVERIFY(button->sizeHint().height() >= 28);
        root.show();
        button->setDown(true);
        emit button->pressed();
        QVERIFY(button->isPressAnimating());
        QTRY_COMPARE(button->presentedScale(), 0.98);
        QTRY_VERIFY(!button->isPressAnimating());
        button->setDown(false);
        emit button->released();
        QTRY_COMPARE(button->presentedScale(), 1.0);

        InterfaceEnvironment::setReduceMotion(&root, true);
        button->setDown(true);
        emit button->pressed();
        QVERIFY(!button->isPressAnimating());
        QCOMPARE(button->presentedScale(), 1.0);
    }
};

QTEST_MAIN(ButtonLookTest)
#include "tst_buttonlook.moc"
