#include "app/PanelPlacement.h"
#include "app/StatusItemPresentation.h"

#include <QTest>

using namespace PanelPlacement;

class TestPanelPlacement : public QObject {
    Q_OBJECT

private slots:
    void panelHeight_data() {
        QTest::addColumn<int>("prompts");
        QTest::addColumn<int>("sections");
        QTest::addColumn<bool>("list");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("headerLines");
        QTest::addColumn<int>("expected");
        QTest::newRow("one prompt in one section") << 1 << 1 << false << 720 << 0 << 480;
        QTest::newRow("nothing counts as one of each") << 0 << 0 << false << 720 << 0 << 480;
        QTest::newRow("7 prompts in 2 grid sections: 766 capped") << 7 << 2 << false << 720 << 0 << 720;
        QTest::newRow("7 prompts in 2 grid sections, tall limit") << 7 << 2 << false << 1000 << 0 << 766;
        QTest::newRow("4 prompts in a list: 722 capped") << 4 << 1 << true << 720 << 0 << 720;
        QTest::newRow("small screen goes below 480") << 1 << 1 << false << 300 << 0 << 300;
        QTest::newRow("header lines add to the content") << 1 << 1 << false << 720 << 150 << 630;
        QTest::newRow("header lines, still capped") << 4 << 1 << false << 720 << 300 << 720;
        QTest::newRow("a negative measure adds nothing") << 1 << 1 << false << 720 << -40 << 480;
    }
    void panelHeight() {
        QFETCH(int, prompts);
        QFETCH(int, sections);
        QFETCH(bool, list);
        QFETCH(int, maximum);
        QFETCH(int, headerLines);
        QFETCH(int, expected);
        QCOMPARE(PanelPlacement::panelHeight(prompts, sections, list, maximum, headerLines), expected);
    }

    void gridCellCount_data() {
        QTest::addColumn<QList<int>>("sections");
        QTest::addColumn<int>("expected");
        QTest::newRow("no section") << QList<int>{} << 0;
        QTest::newRow("one short row") << QList<int>{1} << 3;
        QTest::newRow("a full row") << QList<int>{3} << 3;
        QTest::newRow("each section's last row is whole") << QList<int>{1, 1} << 6;
        QTest::newRow("rows of 4 and 3") << QList<int>{4, 3} << 9;
        QTest::newRow("an empty section adds no row") << QList<int>{0, 2} << 3;
    }
    void gridCellCount() {
        QFETCH(QList<int>, sections);
        QFETCH(int, expected);
        QCOMPARE(PanelPlacement::gridCellCount(sections), expected);
    }

    void maximumHeight_data() {
        QTest::addColumn<std::optional<QRect>>("available");
        QTest::addColumn<int>("expected");
        QTest::newRow("no screen") << std::optional<QRect>() << 720;
        QTest::newRow("tall screen") << std::optional<QRect>(QRect(0, 0, 1280, 800)) << 720;
        QTest::newRow("400 high") << std::optional<QRect>(QRect(0, 0, 800, 400)) << 384;
        QTest::newRow("250 high gives 300") << std::optional<QRect>(QRect(0, 0, 800, 250)) << 300;
    }
    void maximumHeight() {
        QFETCH(std::optional<QRect>, available);
        QFETCH(int, expected);
        QCOMPARE(maximumAvailableHeight(available), expected);
    }

    void frame_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("expected");
        const QRect screen(0, 0, 1280, 800);
        const QRect belowTopBar(0, 24, 1280, 776);
        QTest::newRow("capsule at the top centre")
            << QRect(621, 4, 38, 24) << screen << screen << QRect(380, 32, 520, 480);
        QTest::newRow("tray item in a top bar: 8 inside the visible frame")
            << QRect(1200, 0, 24, 24) << belowTopBar << screen << QRect(752, 32, 520, 480);
        QTest::newRow("right edge clamp")
            << QRect(1250, 0, 24, 24) << belowTopBar << screen << QRect(752, 32, 520, 480);
        QTest::newRow("left-edge tray item stays under its item")
            << QRect(0, 0, 24, 24) << belowTopBar << screen << QRect(8, 32, 520, 480);
        QTest::newRow("anchor beyond the left edge centres")
            << QRect(-40, 0, 24, 24) << belowTopBar << screen << QRect(380, 32, 520, 480);
        QTest::newRow("no anchor centres") << QRect() << belowTopBar << screen << QRect(380, 32, 520, 480);
        QTest::newRow("bottom tray opens upward")
            << QRect(1200, 776, 24, 24) << QRect(0, 0, 1280, 776) << screen << QRect(752, 288, 520, 480);
        QTest::newRow("screen narrower than the panel: right clamp wins")
            << QRect(100, 0, 24, 24) << QRect(0, 24, 400, 776) << QRect(0, 0, 400, 800) << QRect(-128, 32, 520, 480);
        QTest::newRow("no screen") << QRect() << QRect() << QRect() << QRect(-528, 8, 520, 480);
    }
    void frame() {
        QFETCH(QRect, anchor);
        QFETCH(QRect, available);
        QFETCH(QRect, screen);
        QFETCH(QRect, expected);
        QCOMPARE(panelFrame(QSize(520, 480), anchor, available, screen), expected);
    }

    void screenContainingPrefersGeometryThenAvailable() {
        const QList<Screen> screens{{QRect(0, 0, 1280, 800), QRect(0, 24, 1280, 776)},
                                    {QRect(1280, 0, 1920, 1080), QRect(1280, 0, 1920, 1080)}};
        QCOMPARE(screenContaining(screens, QRect(1500, 0, 24, 24)), std::optional<int>(1));
        QCOMPARE(screenContaining(screens, QRect(10, 0, 24, 24)), std::optional<int>(0));
        QCOMPARE(screenContaining(screens, QRect(-100, -100, 10, 10)), std::nullopt);
    }

    void presentation_data() {
        QTest::addColumn<AppLanguage>("language");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("english") << AppLanguage::english
                                 << QStringList{"Open Orris Hollows",  "Manage Workspaces\u2026", "Settings\u2026",
                                                "Welcome Guide\u2026", "Reload Prompt Files",     "Quit Orris Hollows"};
        QTest::newRow("chinese") << AppLanguage::zhHans
                                 << QStringList{"打开 Orris Hollows", "管理工作区\u2026",   "设置\u2026",
                                                "欢迎指南\u2026",     "重新载入提示词文件", "退出 Orris Hollows"};
    }
    void presentation() {
        QFETCH(AppLanguage, language);
        QFETCH(QStringList, titles);
        const StatusItemPresentation presentation = StatusItemPresentation::make(0, language);
        QVERIFY(presentation.accessibilityLabel.contains(QLatin1String("0")));
        QVERIFY(!presentation.accessibilityHelp.isEmpty());
        QStringList shown;
        QStringList keys;
        QList<bool> separators;
        for (const StatusItemMenuPresentation& row : presentation.menuItems) {
            shown << row.title;
            keys << row.keyEquivalent;
            separators << row.beginsSection;
        }
        QCOMPARE(shown, titles);
        QCOMPARE(keys, (QStringList{"", "", ",", "", "", "q"}));
        QCOMPARE(separators, (QList<bool>{false, false, false, false, false, true}));
        QVERIFY(StatusItemPresentation::make(12, language).accessibilityLabel.contains(QLatin1String("12")));
        // One prompt reads as one in English; Chinese has one form.
        QCOMPARE(StatusItemPresentation::make(1, language).accessibilityLabel,
                 language == AppLanguage::english ? QString("Orris Hollows: 1 prompt for what you are working on")
                                                  : QString("Orris Hollows：当前工作有 1 个提示词"));
    }
};

QTEST_GUILESS_MAIN(TestPanelPlacement)
#include "tst_panelplacement.moc"
