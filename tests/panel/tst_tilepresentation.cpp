#include "panel/PromptPanelRendering.h"
#include "panel/tiles/TilePresentation.h"

#include <QGuiApplication>
#include <QtTest>

namespace {

constexpr auto en = AppLanguage::english;

PromptItem prompt(const QString& id, bool pinned = false) {
    PromptItem item;
    item.id = id;
    item.title = QStringLiteral("Title %1").arg(id);
    item.text = QStringLiteral("Text");
    item.isPinned = pinned;
    return item;
}

TilePresentation::Input input(const PromptItem& item) {
    TilePresentation::Input in;
    in.prompt = item;
    in.language = en;
    return in;
}

int pinMarks(const TilePresentation& p) {
    return int(p.showsAccessoryPin) + int(p.showsMetaPin);
}

} // namespace

class TilePresentationTest : public QObject {
    Q_OBJECT
private slots:
    void pinMarkAndCorner_data();
    void pinMarkAndCorner();
    void stateDecidesValueAndIndicator_data();
    void stateDecidesValueAndIndicator();
    void ownShortcutBeatsNumber();
    void reduceMotionNeverScales();
    void orderingOffDisablesEveryMove();
    void lineLimitsFollowLayoutAndTextSize();
    void accessibilityLabel_data();
    void accessibilityLabel();
    void shortcutNumberLookup();
    void storedLayoutMode();
};

void TilePresentationTest::pinMarkAndCorner_data() {
    QTest::addColumn<bool>("editable");
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<int>("feedback"); // -1 none, 0 copied, 1 failed
    QTest::addColumn<int>("marks");
    QTest::addColumn<int>("corner");
    using C = TilePresentation::Corner;
    QTest::newRow("editable pinned") << true << true << -1 << 1 << int(C::accessoryRow);
    QTest::newRow("plain pinned") << false << true << -1 << 1 << int(C::none);
    QTest::newRow("editable pinned copied hides the row") << true << true << 0 << 0 << int(C::copiedBadge);
    QTest::newRow("editable pinned failed hides the row") << true << true << 1 << 0 << int(C::retryBadge);
    QTest::newRow("plain pinned copied keeps the meta pin") << false << true << 0 << 1 << int(C::copiedBadge);
    QTest::newRow("editable unpinned") << true << false << -1 << 0 << int(C::accessoryRow);
}

void TilePresentationTest::pinMarkAndCorner() {
    QFETCH(bool, editable);
    QFETCH(bool, pinned);
    QFETCH(int, feedback);
    TilePresentation::Input in = input(prompt(QStringLiteral("a"), pinned));
    in.isEditable = editable;
    if (feedback >= 0) {
        in.feedback = feedback == 0 ? PromptCopyFeedback::Kind::copied : PromptCopyFeedback::Kind::failed;
    }
    const TilePresentation p = TilePresentation::make(in);
    QTEST(pinMarks(p), "marks");
    QTEST(int(p.corner), "corner");
    QCOMPARE(p.titleTrailingPadding, editable && pinned ? 38 : 20);
}

void TilePresentationTest::stateDecidesValueAndIndicator_data() {
    QTest::addColumn<int>("feedback");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("indicator");
    QTest::addColumn<bool>("selectedBadge");
    QTest::addColumn<qreal>("fill");
    using I = PromptTileNonColorIndicator;
    QTest::newRow("copied selected") << 0 << true << "Copied" << int(I::copied) << false << 0.15;
    QTest::newRow("copied") << 0 << false << "Copied" << int(I::copied) << false << 0.15;
    QTest::newRow("failed selected: both badges") << 1 << true << "Retry Copy" << int(I::selected) << true << 0.11;
    QTest::newRow("failed") << 1 << false << "Retry Copy" << int(I::none) << false << 0.07;
    QTest::newRow("selected") << -1 << true << "Selected" << int(I::selected) << true << 0.11;
    QTest::newRow("idle") << -1 << false << "" << int(I::none) << false << 0.07;
}

void TilePresentationTest::stateDecidesValueAndIndicator() {
    QFETCH(int, feedback);
    QFETCH(bool, selected);
    TilePresentation::Input in = input(prompt(QStringLiteral("a")));
    in.isSelected = selected;
    if (feedback >= 0) {
        in.feedback = feedback == 0 ? PromptCopyFeedback::Kind::copied : PromptCopyFeedback::Kind::failed;
    }
    const TilePresentation p = TilePresentation::make(in);
    QTEST(p.accessibilityValue, "value");
    QTEST(int(p.nonColorIndicator), "indicator");
    QTEST(p.showsSelectedBadge, "selectedBadge");
    QTEST(p.fillOpacity, "fill");
    if (feedback == 1) {
        QCOMPARE(p.corner, TilePresentation::Corner::retryBadge);
    }
    // A selected tile always has the accent border, copied or not.
    QCOMPARE(p.borderWidth, selected ? 1.6 : 1.0);
}

void TilePresentationTest::ownShortcutBeatsNumber() {
    PromptItem item = prompt(QStringLiteral("a"));
    item.shortcut = PromptKeyboardShortcut{35, ModifierFlags::control | ModifierFlags::shift};
    TilePresentation::Input in = input(item);
    in.shortcutNumber = 3;
    const TilePresentation own = TilePresentation::make(in);
    QCOMPARE(own.shortcutText, item.shortcut->displayString());
    QVERIFY(own.accessibilityLabel.contains(item.shortcut->displayString()));
    QVERIFY(!own.accessibilityLabel.contains(QStringLiteral("3")));

    in.prompt.shortcut.reset();
    const TilePresentation numbered = TilePresentation::make(in);
    QCOMPARE(numbered.shortcutText, in.tileShortcut.modifierDisplay() + QStringLiteral("3"));

    in.shortcutNumber.reset();
    QVERIFY(!TilePresentation::make(in).shortcutText);
}

void TilePresentationTest::reduceMotionNeverScales() {
    TilePresentation::Input in = input(prompt(QStringLiteral("a")));
    in.feedback = PromptCopyFeedback::Kind::copied;
    QCOMPARE(TilePresentation::make(in).scale, 0.992);
    in.reduceMotion = true;
    QCOMPARE(TilePresentation::make(in).scale, 1.0);
}

void TilePresentationTest::orderingOffDisablesEveryMove() {
    TilePresentation::Input in = input(prompt(QStringLiteral("a")));
    in.isEditable = true;
    in.canMove = {true, true, true, false};
    QCOMPARE(TilePresentation::make(in).moveEnabled, (std::array<bool, 4>{true, true, true, false}));
    in.allowsOrdering = false;
    QCOMPARE(TilePresentation::make(in).moveEnabled, (std::array<bool, 4>{}));
}

void TilePresentationTest::lineLimitsFollowLayoutAndTextSize() {
    TilePresentation::Input in = input(prompt(QStringLiteral("a")));
    const struct {
        TileTypography type;
        int grid;
    } rows[] = {{TileTypography::standard(), 3}, {TileTypography::comfortable(), 2}, {TileTypography::large(), 1}};
    for (const auto& row : rows) {
        in.typography = row.type;
        in.layoutMode = PromptPanelLayoutMode::grid;
        QCOMPARE(TilePresentation::make(in).bodyLineLimit, row.grid);
        QCOMPARE(TilePresentation::make(in).tileSize, QSize(130, 116));
        in.layoutMode = PromptPanelLayoutMode::list;
        QCOMPARE(TilePresentation::make(in).bodyLineLimit, 2);
        QCOMPARE(TilePresentation::make(in).tileSize, QSize(410, 82));
    }
}

void TilePresentationTest::accessibilityLabel_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shortcut"); // "-" for none
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<QString>("label");
    QTest::newRow("empty pinned title") << ""
                                        << "-" << true << ", Pinned";
    QTest::newRow("empty shortcut adds nothing") << "T"
                                                 << "" << false << "T";
    QTest::newRow("title alone") << "T"
                                 << "-" << false << "T";
    QTest::newRow("three parts in order") << "T"
                                          << "Ctrl+1" << true << "T, Shortcut Ctrl+1, Pinned";
}

void TilePresentationTest::accessibilityLabel() {
    QFETCH(QString, title);
    QFETCH(QString, shortcut);
    QFETCH(bool, pinned);
    const std::optional<QString> given = shortcut == QLatin1String("-") ? std::nullopt : std::optional(shortcut);
    QTEST(TilePresentation::accessibilityLabelFor(title, given, pinned, en), "label");
    QCOMPARE(TilePresentation::accessibilityLabelFor(QString(), std::nullopt, true, AppLanguage::zhHans),
             QStringLiteral("，已置顶"));
}

void TilePresentationTest::shortcutNumberLookup() {
    PanelRenderSnapshot snapshot;
    snapshot.visiblePrompts =
        PromptSelection({prompt(QStringLiteral("a")), prompt(QStringLiteral("b")), prompt(QStringLiteral("c"))});
    snapshot.shortcutNumbers = {{QStringLiteral("a"), 0},
                                {QStringLiteral("b"), 2},
                                {QStringLiteral("c"), 2},
                                {QStringLiteral("hidden"), 5},
                                {QStringLiteral("neg"), -1}};
    QVERIFY(!PromptPanelRendering::prompt(0, snapshot));
    QVERIFY(!PromptPanelRendering::prompt(-1, snapshot));
    QVERIFY(!PromptPanelRendering::prompt(5, snapshot));                          // its prompt is not visible
    QCOMPARE(PromptPanelRendering::prompt(2, snapshot)->id, QStringLiteral("b")); // visible order wins
    snapshot.visiblePrompts =
        PromptSelection({prompt(QStringLiteral("a")), prompt(QStringLiteral("c")), prompt(QStringLiteral("b"))});
    QCOMPARE(PromptPanelRendering::prompt(2, snapshot)->id, QStringLiteral("c"));
    QVERIFY(!PromptPanelRendering::prompt(1, PanelRenderSnapshot{}));
}

void TilePresentationTest::storedLayoutMode() {
    using M = PromptPanelLayoutMode;
    QCOMPARE(PromptPanelLayoutModes::fromStoredValue(QStringLiteral("list")), M::list);
    QCOMPARE(PromptPanelLayoutModes::fromStoredValue(QStringLiteral("grid")), M::grid);
    QCOMPARE(PromptPanelLayoutModes::fromStoredValue(QStringLiteral("List")), M::grid);
    QCOMPARE(PromptPanelLayoutModes::fromStoredValue(std::nullopt), M::grid);
    QVERIFY(!PromptPanelLayoutModes::fromRawValue(QStringLiteral("LIST")));
    for (M mode : PromptPanelLayoutModes::allCases()) {
        QCOMPARE(PromptPanelLayoutModes::fromRawValue(PromptPanelLayoutModes::rawValue(mode)), mode);
    }
    QCOMPARE(PromptPanelLayoutModes::accessibilityTitle(M::list, AppLanguage::zhHans), QStringLiteral("列表"));
}

QTEST_MAIN(TilePresentationTest)
#include "tst_tilepresentation.moc"
