#include "panel/tiles/FullPromptPreviewCard.h"
#include "panel/tiles/PromptPanelLayoutPicker.h"
#include "panel/tiles/PromptSectionsView.h"
#include "panel/tiles/PromptSectionView.h"
#include "panel/tiles/PromptTileView.h"
#include "panel/tiles/TileCornerButton.h"
#include "panel/tiles/TilePreviewPopup.h"
#include "panel/tiles/TileTypography.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFontMetricsF>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QtTest>
#include <QVBoxLayout>

#include <tuple>

namespace {

PromptItem prompt(const QString& id, const QString& title, bool pinned = false) {
    PromptItem item;
    item.id = id;
    item.title = title;
    item.text = QStringLiteral("Explain the failing test, then propose the smallest fix with a short reason. "
                               "Keep the public interface unchanged and list the files you touch.");
    item.isPinned = pinned;
    return item;
}

PromptSection makeSection(const QString& id, const QString& title, const QList<PromptItem>& prompts) {
    return PromptSection{id, title, PromptSelection(prompts)};
}

PanelRenderSnapshot snapshotOf(const QList<PromptSection>& sections, bool ordering = true) {
    PanelRenderSnapshot snapshot;
    snapshot.sections = sections;
    int number = 1;
    QList<PromptItem> visible;
    for (const PromptSection& section : sections) {
        for (const PromptItem& item : section.prompts) {
            visible.append(item);
            snapshot.editablePromptIDs.insert(item.id);
            if (number <= 9) {
                snapshot.shortcutNumbers.insert(item.id, number++);
            }
        }
    }
    snapshot.visiblePrompts = PromptSelection(visible);
    snapshot.allowsPromptOrdering = ordering;
    return snapshot;
}

QList<PromptItem> numbered(int count) {
    QList<PromptItem> items;
    for (int i = 0; i < count; ++i) {
        items.append(prompt(QStringLiteral("p%1").arg(i), QStringLiteral("Prompt %1").arg(i)));
    }
    return items;
}

PromptSectionsView::State state(AppLanguage language = AppLanguage::english) {
    PromptSectionsView::State s;
    s.editableWorkspaceID = QStringLiteral("ws");
    s.language = language;
    return s;
}

// Saves a picture of the widget into ORRIS_SCREENSHOT_DIR, else the build's screenshots folder.
void saveShot(QWidget& widget, const QString& name) {
    QString folder = qEnvironmentVariable("ORRIS_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    }
    QDir().mkpath(folder);
    widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace

class PromptSectionsViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void gridAndListGeometry();
    void aWrappedTitleKeepsBothLinesAndTheBody_data();
    void aWrappedTitleKeepsBothLinesAndTheBody();
    void theLastBodyLineEndsBeforeTheSelectedMark_data();
    void theLastBodyLineEndsBeforeTheSelectedMark();
    void tilesAreKeptAcrossRefreshes();
    void onlyTilesNearTheVisibleAreaHaveWidgets_data();
    void onlyTilesNearTheVisibleAreaHaveWidgets();
    void retryBadgeCallsOnlyRetry();
    void clickCopiesAndHoverReports();
    void moveItemsFollowOrdering();
    void accessibilityOfTiles();
    void layoutPickerOnFirstSectionOnly();
    void previewFollowsThePromptAndIgnoresStaleDismissal();
    void previewPlacement();
    void previewCardScrollsLongText();
    void screenshots_data();
    void screenshots();
};

void PromptSectionsViewTest::initTestCase() {
    QApplication::setStyle(QStringLiteral("Fusion"));
}

void PromptSectionsViewTest::gridAndListGeometry() {
    PromptSectionsView stage;
    const auto snapshot = snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("Section"), numbered(4))});
    stage.setState(snapshot, state());
    PromptSectionView* section = stage.sections().first();
    const int top = section->headerHeight() + 10;
    const QList<QPoint> expected = {{0, top}, {140, top}, {280, top}, {0, top + 126}};
    for (int i = 0; i < 4; ++i) {
        PromptTileView* tile = stage.tile(QStringLiteral("p%1").arg(i));
        QVERIFY(tile);
        QCOMPARE(tile->pos(), expected[i]);
        QCOMPARE(tile->size(), QSize(130, 116));
    }
    QCOMPARE(section->width(), 410);
    QCOMPARE(section->x(), 28);

    PromptSectionsView::State list = state();
    list.layoutMode = PromptPanelLayoutMode::list;
    stage.setState(snapshot, list);
    for (int i = 0; i < 4; ++i) {
        PromptTileView* tile = stage.tile(QStringLiteral("p%1").arg(i));
        QCOMPARE(tile->geometry(), QRect(QPoint(0, top + i * 92), QSize(410, 82)));
    }

    // An empty section still shows its header; a second section sits 12 below the first.
    stage.setState(snapshotOf({makeSection(QStringLiteral("e"), QStringLiteral("Empty"), {}),
                               makeSection(QStringLiteral("s"), QStringLiteral("Section"), numbered(1))}),
                   state());
    QCOMPARE(stage.sections().size(), 2);
    QVERIFY(stage.sections()[0]->height() > 0);
    QCOMPARE(stage.sections()[1]->y(), stage.sections()[0]->height() + 12);
    QCOMPARE(stage.tile(QStringLiteral("p0"))->pos(), QPoint(0, stage.sections()[1]->headerHeight() + 10));
}

void PromptSectionsViewTest::aWrappedTitleKeepsBothLinesAndTheBody_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("title");
    const QString english = QStringLiteral("Review the pull request");
    const QString chinese = QStringLiteral("审查这个拉取请求中的每一处改动");
    for (int size : {15, 17}) {
        QTest::addRow("%d-english", size) << size << english;
        QTest::addRow("%d-chinese", size) << size << chinese;
        QTest::addRow("%d-short", size) << size << QStringLiteral("Prompt 1");
    }
}

// A grid tile with its shortcut badge, at the larger sizes: a title that needs two lines shows both,
// whole words on the first, and the body keeps a line, all inside the tile.
void PromptSectionsViewTest::aWrappedTitleKeepsBothLinesAndTheBody() {
    QFETCH(int, size);
    QFETCH(QString, title);
    PromptTileView tile;
    TilePresentation::Input input;
    input.prompt = prompt(QStringLiteral("p"), title);
    input.isEditable = true;
    input.shortcutNumber = 1;
    input.typography = TileTypography::forBaseFontSize(size);
    tile.setInput(input);
    tile.resize(tile.sizeHint());
    QCOMPARE(tile.size(), QSize(130, 116));
    tile.grab(); // the text is laid out when the tile is drawn

    const QFontMetricsF titleMetrics(input.typography.titleFont());
    const bool wraps = titleMetrics.horizontalAdvance(title) > 130 - 28 - 20;
    QCOMPARE(tile.titleLines().size(), wraps ? 2 : 1);
    if (wraps && title.contains(QLatin1Char(' '))) {
        QVERIFY2(title.startsWith(tile.titleLines().first() + QLatin1Char(' ')), qPrintable(tile.titleLines().first()));
    }
    QVERIFY(!tile.bodyLines().isEmpty());
}

void PromptSectionsViewTest::theLastBodyLineEndsBeforeTheSelectedMark_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("shortcut");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("besideTheMark");
    const QString english = QStringLiteral("Explain the failing test, then propose the smallest fix with a short "
                                           "reason and keep the public interface unchanged.");
    const QString chinese = QStringLiteral("解释失败的测试，然后用一个简短的理由提出最小的修复，并保持公开接口不变。");
    const QString word = QStringLiteral("Refactor_the_whole_module_and_its_tests_without_any_blank_at_all");
    // At System without a badge row the body ends above the mark and keeps its whole width; under
    // a wrapped title and the badge row at the larger sizes its last line comes down beside the mark.
    for (const auto& [size, shortcut, beside] : {std::tuple{13, false, false}, {15, true, true}, {17, true, true}}) {
        QTest::addRow("%d-english", size) << size << shortcut << english << beside;
        QTest::addRow("%d-chinese", size) << size << shortcut << chinese << beside;
        QTest::addRow("%d-one-word", size) << size << shortcut << word << beside;
    }
}

// The selected mark sits in a grid tile's bottom-trailing corner: a body line beside it ends
// before it, ellipsis included, and selecting the tile does not reflow the text.
void PromptSectionsViewTest::theLastBodyLineEndsBeforeTheSelectedMark() {
    QFETCH(int, size);
    QFETCH(bool, shortcut);
    QFETCH(QString, text);
    QFETCH(bool, besideTheMark);
    PromptTileView tile;
    TilePresentation::Input input;
    input.prompt = prompt(QStringLiteral("p"),
                          besideTheMark ? QStringLiteral("Review the pull request") : QStringLiteral("Review"));
    input.prompt.text = text;
    input.isEditable = true;
    input.shortcutNumber = shortcut ? std::optional<int>(1) : std::nullopt;
    input.typography = TileTypography::forBaseFontSize(size);
    tile.setInput(input);
    tile.resize(tile.sizeHint());
    tile.grab(); // the text is laid out when the tile is drawn
    const QStringList unselected = tile.bodyLines();

    input.isSelected = true;
    tile.setInput(input);
    tile.grab();
    QVERIFY(tile.presentation().showsSelectedBadge);
    QCOMPARE(tile.bodyLines(), unselected);
    QVERIFY(!unselected.isEmpty());
    const QRectF mark = tile.selectedMarkRect();
    const QRectF body = tile.bodyRect();
    QCOMPARE(body.bottom() > mark.top(), besideTheMark);
    const QFontMetricsF metrics(tile.presentation().bodyFont);
    const qreal lastLineEnd = body.left() + metrics.horizontalAdvance(unselected.last());
    const QString where = QStringLiteral("\"%1\" ends at %2, the mark starts at %3")
                              .arg(unselected.last())
                              .arg(lastLineEnd)
                              .arg(mark.left());
    QVERIFY2((lastLineEnd <= mark.left()) == besideTheMark, qPrintable(where));
}

void PromptSectionsViewTest::tilesAreKeptAcrossRefreshes() {
    PromptSectionsView stage;
    stage.setState(snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("S"), numbered(3))}), state());
    PromptTileView* first = stage.tile(QStringLiteral("p1"));
    // A search hides p0 and moves p1 into another section: the same tile object follows.
    QList<PromptItem> items = numbered(3);
    items.removeFirst();
    PromptSectionsView::State selected = state();
    selected.selectedPromptID = QStringLiteral("p1");
    stage.setState(snapshotOf({makeSection(QStringLiteral("t"), QStringLiteral("T"), items)}, false), selected);
    QCOMPARE(stage.tile(QStringLiteral("p1")), first);
    QVERIFY(!stage.tile(QStringLiteral("p0")));
    QVERIFY(first->presentation().showsSelectedBadge);
    QCOMPARE(first->pos().x(), 0);
    QCOMPARE(stage.tilePoolSize(), 3);
}

void PromptSectionsViewTest::onlyTilesNearTheVisibleAreaHaveWidgets_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("grid") << int(PromptPanelLayoutMode::grid);
    QTest::newRow("list") << int(PromptPanelLayoutMode::list);
}

void PromptSectionsViewTest::onlyTilesNearTheVisibleAreaHaveWidgets() {
    QFETCH(int, mode);
    PromptSectionsView stage;
    QList<PromptItem> first = numbered(1880);
    const QList<PromptItem> second = first.mid(1500);
    first = first.mid(0, 1500);
    const auto snapshot = snapshotOf({makeSection(QStringLiteral("a"), QStringLiteral("A"), first),
                                      makeSection(QStringLiteral("b"), QStringLiteral("B"), second)});
    PromptSectionsView::State s = state();
    s.layoutMode = PromptPanelLayoutMode(mode);
    stage.setVisibleArea(QRect()); // not on screen yet: no tiles at all
    stage.setState(snapshot, s);
    QCOMPARE(stage.tilePoolSize(), 0);
    QCOMPARE(stage.sizeHint().height(), stage.layout().height());

    // The tiles meeting the area and a margin around it have widgets, each where the layout says;
    // the pool grows only to the most tiles shown at once.
    int mostShown = 0;
    const auto check = [&](const QRect& area) {
        stage.setVisibleArea(area);
        int expected = 0;
        for (const PromptItem& item : snapshot.visiblePrompts) {
            const std::optional<QRect> rect = stage.tileRect(item.id);
            QVERIFY(rect);
            const bool near = rect->top() < area.bottom() + 1 + PromptSectionsView::areaMargin &&
                              rect->bottom() >= area.top() - PromptSectionsView::areaMargin;
            PromptTileView* tile = stage.tile(item.id);
            QCOMPARE(tile != nullptr, near);
            if (tile) {
                ++expected;
                QCOMPARE(QRect(tile->mapTo(&stage, QPoint(0, 0)), tile->size()), *rect);
                QCOMPARE(tile->prompt().id, item.id);
                QVERIFY(!tile->isHidden());
                QCOMPARE(QAccessible::queryAccessibleInterface(tile)->text(QAccessible::Name).section(',', 0, 0),
                         item.title);
            }
        }
        QCOMPARE(stage.boundTileCount(), expected);
        QVERIFY(expected > 0);
        mostShown = std::max(mostShown, expected);
        QCOMPARE(stage.tilePoolSize(), mostShown);
    };
    check(QRect(0, 0, PromptSectionsView::stageWidth, 500));
    // Scrolling far down and across the section boundary reuses the same widgets.
    check(QRect(0, stage.tileRect(QStringLiteral("p900"))->top(), PromptSectionsView::stageWidth, 500));
    check(QRect(0, stage.tileRect(QStringLiteral("p1500"))->top() - 300, PromptSectionsView::stageWidth, 500));
    check(QRect(0, stage.layout().height() - 500, PromptSectionsView::stageWidth, 500));
    QVERIFY(mostShown <= (mode == int(PromptPanelLayoutMode::grid) ? 3 * 7 : 9));
    QVERIFY(!stage.tile(QStringLiteral("p0")));

    // A search that leaves a few prompts, then its end: still the same pool.
    check(QRect(0, 0, PromptSectionsView::stageWidth, 500));
    stage.setState(snapshotOf({makeSection(QStringLiteral("a"), QStringLiteral("A"), first.mid(0, 5))}), s);
    QCOMPARE(stage.boundTileCount(), 5);
    QVERIFY(!stage.tileRect(QStringLiteral("p900")));
    stage.setState(snapshot, s);
    check(QRect(0, 0, PromptSectionsView::stageWidth, 500));
}

void PromptSectionsViewTest::retryBadgeCallsOnlyRetry() {
    PromptSectionsView stage;
    QStringList calls;
    PromptSectionsView::Callbacks callbacks;
    callbacks.onCopy = [&](const PromptItem& item) { calls << QStringLiteral("copy ") + item.id; };
    callbacks.onRetry = [&](const PromptItem& item) { calls << QStringLiteral("retry ") + item.id; };
    stage.setCallbacks(callbacks);
    PromptSectionsView::State failed = state();
    failed.copyFeedback = PromptCopyFeedback{PromptCopyFeedback::Kind::failed, QStringLiteral("p1")};
    stage.setState(snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("S"), numbered(2))}), failed);
    stage.resize(stage.sizeHint());
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));

    QVERIFY(!stage.tile(QStringLiteral("p0"))->retryButton());
    TileCornerButton* retry = stage.tile(QStringLiteral("p1"))->retryButton();
    QVERIFY(retry);
    QCOMPARE(retry->accessibleName(), QStringLiteral("Retry Copy"));
    QTest::mouseClick(retry, Qt::LeftButton);
    QCOMPARE(calls, QStringList{QStringLiteral("retry p1")});
    QVERIFY(!stage.tile(QStringLiteral("p1"))->moreButton()); // the menu hides under feedback
}

void PromptSectionsViewTest::clickCopiesAndHoverReports() {
    PromptSectionsView stage;
    QStringList calls;
    PromptSectionsView::Callbacks callbacks;
    callbacks.onCopy = [&](const PromptItem& item) { calls << QStringLiteral("copy ") + item.id; };
    callbacks.onTileHover = [&](const PromptItem& item, bool on) {
        calls << QStringLiteral("hover %1 %2").arg(item.id).arg(on);
    };
    callbacks.onSelect = [&](const PromptItem& item) { calls << QStringLiteral("select ") + item.id; };
    stage.setCallbacks(callbacks);
    stage.setState(snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("S"), numbered(1))}), state());
    stage.resize(stage.sizeHint());
    stage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&stage));
    PromptTileView* tile = stage.tile(QStringLiteral("p0"));
    QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), tile->mapToGlobal(QPointF(20, 20)));
    QApplication::sendEvent(tile, &enter);
    QVERIFY(tile->isHovered());
    QCOMPARE(tile->presentation().fillOpacity, 0.105);
    QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(40, 60));
    // A refresh keeps the hover of the kept tile.
    stage.setState(snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("S"), numbered(2))}), state());
    QVERIFY(tile->isHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tile, &leave);
    QCOMPARE(calls,
             (QStringList{QStringLiteral("hover p0 1"), QStringLiteral("copy p0"), QStringLiteral("hover p0 0")}));
}

void PromptSectionsViewTest::moveItemsFollowOrdering() {
    PromptSectionsView stage;
    int canMoveAsked = 0;
    QStringList calls;
    PromptSectionsView::Callbacks callbacks;
    callbacks.canMove = [&](const PromptItem&, PromptMoveDirection direction) {
        ++canMoveAsked;
        return direction != PromptMoveDirection::top;
    };
    callbacks.onMove = [&](const PromptItem& item, PromptMoveDirection direction) {
        calls << QStringLiteral("move %1 %2").arg(item.id).arg(int(direction));
    };
    callbacks.onCopy = [&](const PromptItem&) { calls << QStringLiteral("copy"); };
    stage.setCallbacks(callbacks);
    const auto sections = QList<PromptSection>{makeSection(QStringLiteral("s"), QStringLiteral("S"), numbered(1))};
    const auto enabledItems = [&](QMenu* menu) {
        QStringList names;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator() && action->isEnabled()) {
                names << action->objectName();
            }
        }
        return names;
    };

    stage.setState(snapshotOf(sections, true), state());
    PromptTileView* tile = stage.tile(QStringLiteral("p0"));
    QVERIFY(tile->moreButton());
    std::unique_ptr<QMenu> menu(tile->createEditMenu(nullptr));
    QCOMPARE(enabledItems(menu.get()),
             (QStringList{"edit", "togglePinned", "moveUp", "moveDown", "moveBottom", "delete"}));
    menu->findChild<QAction*>(QStringLiteral("moveDown"))->trigger();
    QCOMPARE(calls, QStringList{QStringLiteral("move p0 1")});

    stage.setState(snapshotOf(sections, false), state());
    menu.reset(tile->createEditMenu(nullptr));
    QCOMPARE(enabledItems(menu.get()), (QStringList{"edit", "togglePinned", "delete"}));
    QCOMPARE(menu->findChild<QAction*>(QStringLiteral("togglePinned"))->text(), QStringLiteral("Pin"));

    // A tile that is not editable has no menu and is never asked about moves.
    canMoveAsked = 0;
    PromptSectionsView::State readOnly = state();
    readOnly.editableWorkspaceID.reset();
    stage.setState(snapshotOf(sections, true), readOnly);
    QVERIFY(!tile->moreButton());
    QCOMPARE(canMoveAsked, 0);
}

void PromptSectionsViewTest::accessibilityOfTiles() {
    PromptSectionsView stage;
    PromptSectionsView::State copied = state();
    copied.copyFeedback = PromptCopyFeedback{PromptCopyFeedback::Kind::copied, QStringLiteral("p0")};
    copied.selectedPromptID = QStringLiteral("p1");
    QList<PromptItem> items = numbered(3);
    items[0].isPinned = true;
    int copies = 0;
    PromptSectionsView::Callbacks callbacks;
    callbacks.onCopy = [&](const PromptItem&) { ++copies; };
    stage.setCallbacks(callbacks);
    stage.setState(snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("S"), items)}), copied);

    QAccessibleInterface* tile = QAccessible::queryAccessibleInterface(stage.tile(QStringLiteral("p0")));
    QVERIFY(tile);
    QCOMPARE(tile->role(), QAccessible::Button);
    QCOMPARE(tile->text(QAccessible::Value), QStringLiteral("Copied"));
    QCOMPARE(tile->text(QAccessible::Name),
             QStringLiteral("Prompt 0, Shortcut %1, Pinned").arg(PromptTileShortcut().modifierDisplay() + "1"));
    // The bus reads no text values: the value leads the description, before the hint.
    QCOMPARE(tile->text(QAccessible::Description), QStringLiteral("Copied, Copies the prompt to the clipboard"));
    tile->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(copies, 1);

    QAccessibleInterface* selected = QAccessible::queryAccessibleInterface(stage.tile(QStringLiteral("p1")));
    QCOMPARE(selected->text(QAccessible::Value), QStringLiteral("Selected"));
    QVERIFY(selected->state().selected);
    QCOMPARE(QAccessible::queryAccessibleInterface(stage.tile(QStringLiteral("p2")))->text(QAccessible::Value),
             QString());
    QCOMPARE(QAccessible::queryAccessibleInterface(stage.tile(QStringLiteral("p2")))->text(QAccessible::Description),
             QStringLiteral("Copies the prompt to the clipboard"));
}

void PromptSectionsViewTest::layoutPickerOnFirstSectionOnly() {
    PromptSectionsView stage;
    QList<PromptPanelLayoutMode> changes;
    PromptSectionsView::Callbacks callbacks;
    callbacks.onLayoutModeChange = [&](PromptPanelLayoutMode mode) { changes << mode; };
    stage.setCallbacks(callbacks);
    stage.setState(snapshotOf({makeSection(QStringLiteral("a"), QStringLiteral("A"), numbered(1)),
                               makeSection(QStringLiteral("b"), QStringLiteral("B"), {})}),
                   state());
    PromptPanelLayoutPicker* picker = stage.sections()[0]->layoutPicker();
    QVERIFY(picker);
    QVERIFY(!stage.sections()[1]->layoutPicker());
    QCOMPARE(picker->button(PromptPanelLayoutMode::grid)->accessibleName(), QStringLiteral("Grid"));
    // The current layout's button still reports.
    picker->button(PromptPanelLayoutMode::grid)->click();
    picker->button(PromptPanelLayoutMode::list)->click();
    QCOMPARE(changes, (QList<PromptPanelLayoutMode>{PromptPanelLayoutMode::grid, PromptPanelLayoutMode::list}));
}

void PromptSectionsViewTest::previewFollowsThePromptAndIgnoresStaleDismissal() {
    QWidget panel;
    auto* stage = new PromptSectionsView(&panel);
    QStringList dismissed;
    PromptSectionsView::Callbacks callbacks;
    callbacks.onPreviewDismissed = [&](const QString& id) { dismissed << id; };
    stage->setCallbacks(callbacks);
    const auto snapshot = snapshotOf({makeSection(QStringLiteral("s"), QStringLiteral("S"), numbered(6))});
    PromptSectionsView::State s = state();
    s.previewPrompt = snapshot.visiblePrompts[0];
    stage->setState(snapshot, s);
    panel.resize(stage->sizeHint());
    stage->resize(stage->sizeHint());
    panel.move(300, 500);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    stage->setState(snapshot, s);

    TilePreviewPopup* popup = stage->previewPopup();
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->shownPromptID(), QStringLiteral("p0"));
    QVERIFY(popup->windowFlags().testFlag(Qt::WindowTransparentForInput));
    QVERIFY(popup->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    QCOMPARE(popup->size(), QSize(420, 320));
    const QPoint first = popup->pos();
    QVERIFY(popup->geometry().bottom() < stage->tile(QStringLiteral("p0"))->mapToGlobal(QPoint(0, 0)).y());

    s.previewPrompt = snapshot.visiblePrompts[4]; // second row, middle column
    stage->setState(snapshot, s);
    QCOMPARE(popup->shownPromptID(), QStringLiteral("p4"));
    QVERIFY(popup->pos() != first);

    stage->previewDismissed(QStringLiteral("p0")); // late, for the old tile
    QVERIFY(dismissed.isEmpty());
    QCOMPARE(popup->shownPromptID(), QStringLiteral("p4"));

    panel.hide(); // the preview goes with the panel and reports it
    QVERIFY(!popup->isVisible());
    QCOMPARE(dismissed, QStringList{QStringLiteral("p4")});
}

void PromptSectionsViewTest::previewPlacement() {
    const QSize card(420, 320);
    const QRect screen(0, 0, 1280, 800);
    // Above the tile, centred on it.
    QCOMPARE(TilePreviewPopup::placement(card, QRect(500, 500, 130, 116), screen),
             QRect(QPoint(564 - 210, 500 - 8 - 320), card));
    // No room above: below.
    QCOMPARE(TilePreviewPopup::placement(card, QRect(500, 100, 130, 116), screen).top(), 100 + 116 + 8);
    // Clamped at the screen's edges.
    const QRect left = TilePreviewPopup::placement(card, QRect(0, 500, 130, 116), screen);
    QCOMPARE(left.left(), 0);
    const QRect right = TilePreviewPopup::placement(card, QRect(1200, 500, 80, 116), screen);
    QCOMPARE(right.right(), 1279);
    // Room neither above nor below: inside the screen all the same.
    const QRect small(0, 0, 800, 400);
    QVERIFY(small.contains(TilePreviewPopup::placement(card, QRect(300, 150, 130, 116), small)));
}

void PromptSectionsViewTest::previewCardScrollsLongText() {
    FullPromptPreviewCard card;
    PromptItem item = prompt(QStringLiteral("p"), QStringLiteral("Wide words ").repeated(30));
    QStringList lines;
    for (int i = 0; i < 200; ++i) {
        lines << QStringLiteral("Line %1 of a long prompt").arg(i);
    }
    item.text = lines.join(QLatin1Char('\n'));
    card.setPrompt(item);
    int copies = 0;
    card.setOnCopy([&] { ++copies; });
    card.setShowsCopyAction(true);
    card.show();
    QVERIFY(QTest::qWaitForWindowExposed(&card));
    QCOMPARE(card.size(), QSize(420, 320));
    QCOMPARE(card.titleBlock().lines().size(), 2);
    QVERIFY(card.titleBlock().isElided());
    QVERIFY(card.textView()->verticalScrollBar()->maximum() > 0);
    QCOMPARE(card.textView()->toPlainText(), item.text);
    QVERIFY(card.textView()->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    QCOMPARE(card.copyButton()->text(), QStringLiteral("Copy"));
    QTest::mouseClick(card.copyButton(), Qt::LeftButton);
    QCOMPARE(copies, 1);
    card.setCopied(true);
    QCOMPARE(card.copyButton()->text(), QStringLiteral("Copied"));
    saveShot(card, QStringLiteral("preview-card"));
}

void PromptSectionsViewTest::screenshots_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("language");
    QTest::newRow("grid-en") << int(PromptPanelLayoutMode::grid) << int(AppLanguage::english);
    QTest::newRow("list-en") << int(PromptPanelLayoutMode::list) << int(AppLanguage::english);
    QTest::newRow("grid-zh") << int(PromptPanelLayoutMode::grid) << int(AppLanguage::zhHans);
    QTest::newRow("list-zh") << int(PromptPanelLayoutMode::list) << int(AppLanguage::zhHans);
}

// Long, Chinese, pinned, selected, copied and failed tiles side by side.
void PromptSectionsViewTest::screenshots() {
    QFETCH(int, mode);
    QFETCH(int, language);
    QWidget panel;
    panel.setAutoFillBackground(true);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, QColor(18, 20, 30));
    panel.setPalette(palette);
    auto* stage = new PromptSectionsView(&panel);

    QList<PromptItem> first = {
        prompt(QStringLiteral("long"), QStringLiteral("Review the migration plan for the billing database before "
                                                      "Friday's release window opens")),
        prompt(QStringLiteral("zh"), QStringLiteral("解释失败的测试并给出最小的修复方案"), true),
        prompt(QStringLiteral("sel"), QStringLiteral("Summarise the diff")),
        prompt(QStringLiteral("copied"), QStringLiteral("Write release notes")),
        prompt(QStringLiteral("failed"), QStringLiteral("Draft a commit message")),
        prompt(QStringLiteral("plain"), QStringLiteral("Refactor")),
    };
    first[1].text =
        QStringLiteral("请阅读失败的测试输出，找出根本原因，然后给出最小的修复方案，并说明理由。不要修改公共接口。");
    first[2].shortcut = PromptKeyboardShortcut{35, ModifierFlags::control | ModifierFlags::shift};
    first[5].text = PromptText();
    PromptItem pinnedReadOnly = prompt(QStringLiteral("ro"), QStringLiteral("Global: explain this error"), true);
    QList<PromptSection> sections = {
        makeSection(QStringLiteral("a"), QStringLiteral("Workspace prompts with a rather long section title"), first),
        makeSection(QStringLiteral("b"), QStringLiteral("全局提示词"), {pinnedReadOnly})};
    PanelRenderSnapshot snapshot = snapshotOf(sections);
    snapshot.editablePromptIDs.remove(QStringLiteral("ro"));

    PromptSectionsView::State s = state(AppLanguage(language));
    s.layoutMode = PromptPanelLayoutMode(mode);
    s.selectedPromptID = QStringLiteral("sel");
    s.copyFeedback = PromptCopyFeedback{PromptCopyFeedback::Kind::copied, QStringLiteral("copied")};
    stage->setState(snapshot, s);
    // The failed badge on a second, selected tile: feedback comes one at a time, so draw it apart.
    PromptTileView* failed = stage->tile(QStringLiteral("failed"));
    TilePresentation::Input failedInput;
    failedInput.prompt = failed->prompt();
    failedInput.isEditable = true;
    failedInput.feedback = PromptCopyFeedback::Kind::failed;
    failedInput.isSelected = true;
    failedInput.layoutMode = s.layoutMode;
    failedInput.language = s.language;
    failed->setInput(failedInput);

    stage->move(0, 12);
    panel.resize(stage->sizeHint() + QSize(0, 24));
    stage->resize(stage->sizeHint());
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(failed->retryButton());
    QVERIFY(failed->presentation().showsSelectedBadge);
    saveShot(panel, QStringLiteral("tiles-%1").arg(QString::fromLatin1(QTest::currentDataTag())));
}

QTEST_MAIN(PromptSectionsViewTest)
#include "tst_promptsectionsview.moc"
