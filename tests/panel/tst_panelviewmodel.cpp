#include "FakeClipboard.h"
#include "FakePromptCopySound.h"
#include "TestEnvironment.h"

#include "context/ContextDetector.h"
#include "model/environment/AppLanguageStore.h"
#include "model/environment/ShortcutSettingsStore.h"
#include "model/KeyTable.h"
#include "panel/island/IslandMorphState.h"
#include "panel/PanelViewModel.h"
#include "services/RequestBus.h"
#include "store/PromptCopySoundPlayer.h"
#include "store/PromptStore.h"
#include "store/PromptUsageStore.h"
#include "store/PromptVariableValueStore.h"

#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

constexpr quint64 cmd = ModifierFlags::command;
constexpr quint64 opt = ModifierFlags::option;
constexpr quint64 shift = ModifierFlags::shift;
constexpr quint64 caps = ModifierFlags::capsLock;

KeyEventInfo key(quint32 keyCode, quint64 flags = 0) {
    const KeyTableEntry* entry = KeyTable::byKeyCode(keyCode);
    return {keyCode, flags, entry ? QString::fromUtf8(entry->text) : QString()};
}

constexpr quint32 kComma = 43, kOne = 18, kTwo = 19, kZero = 29, kK = 40, kReturn = 36, kEscape = 53, kLeft = 123,
                  kRight = 124, kDown = 125, kUp = 126, kA = 0;

QByteArray promptsYaml(int count, const QByteArray& extra = {}) {
    QByteArray yaml = "prompts:\n";
    for (int i = 1; i <= count; ++i) {
        yaml += "  - id: p" + QByteArray::number(i) + "\n    title: Prompt " + QByteArray::number(i) +
                "\n    text: Text " + QByteArray::number(i) + "\n";
    }
    return yaml + extra;
}

// A panel over a temporary home with real files, a fake clipboard and manual time.
struct PanelHarness {
    TestEnvironment env;
    AppLanguageStore languages{env.defaults(), [] { return QStringList{"en-US"}; }};
    PromptStore store{env.environment(), [] { return AppLanguage::english; }, false};
    ContextDetector detector{env.environment(), [] { return QStringList(); },
                             ContextDetector::Platform{.startsTimer = false}};
    ShortcutSettingsStore shortcuts{env.defaults(), [] { return AppLanguage::english; }};
    RequestBus requests;
    IslandMorphState morph{env.environment().scheduler};
    std::shared_ptr<FakeClipboard> clipboard = std::make_shared<FakeClipboard>();
    std::shared_ptr<FakeSoundBoard> sounds = FakeSoundBoard::make();
    PromptCopySoundPlayer player{4, sounds->factory()};
    PromptVariableValueStore values{env.environment()};
    int successfulCopies = 0;
    QStringList queries;
    std::unique_ptr<PanelViewModel> model;

    explicit PanelHarness(const QByteArray& globalYaml = promptsYaml(12)) {
        env.writeFile(QStringLiteral(".orris-hollows/global.yaml"), globalYaml);
        reload();
        model = std::make_unique<PanelViewModel>(
            PanelViewModel::Dependencies{store,
                                         detector,
                                         shortcuts,
                                         morph,
                                         languages,
                                         requests,
                                         PromptActionService(clipboard),
                                         player,
                                         values,
                                         env.defaults(),
                                         env.environment().scheduler,
                                         env.environment().clock,
                                         [this] { ++successfulCopies; },
                                         [this](const QString& query) { queries << query; },
                                         {},
                                         [] { return false; }});
    }

    void reload() {
        QSignalSpy content(&store, &PromptStore::contentChanged);
        store.reload();
        QVERIFY(content.wait(5000));
    }

    // Opens the island: the content shows and, 0.32 s later, the first prompt is selected.
    void open() {
        morph.open(false);
        model->appeared();
        env.scheduler().advance(320ms);
    }

    QString selected() const { return model->selectedPromptID().value_or(QString()); }
};

} // namespace

class TestPanelViewModel : public QObject {
    Q_OBJECT

private slots:
    void initialSelectionComesAfterTheOpening() {
        PanelHarness h;
        h.morph.open(false);
        h.model->appeared();
        h.env.scheduler().advance(319ms);
        QVERIFY(!h.model->selectedPromptID());
        h.env.scheduler().advance(1ms);
        QCOMPARE(h.selected(), QStringLiteral("p1"));
    }

    void reduceMotionSelectsAtOnceAndHidingClears() {
        PanelHarness h;
        h.morph.open(true);
        h.env.scheduler().advance(0ms);
        QCOMPARE(h.selected(), QStringLiteral("p1"));
        h.morph.close(true, {});
        QVERIFY(!h.model->selectedPromptID());
    }

    void initialSelectionUsesTheIdsOfItsScheduling() {
        PanelHarness h;
        h.morph.open(false);
        h.model->appeared();
        h.env.writeFile(QStringLiteral(".orris-hollows/global.yaml"),
                        promptsYaml(0) + "  - id: z\n    title: Z\n    text: z\n");
        h.reload();
        h.env.scheduler().advance(320ms);
        QCOMPARE(h.selected(), QStringLiteral("z"));
    }

    void keys_data() {
        QTest::addColumn<QList<KeyEventInfo>>("keys");
        QTest::addColumn<bool>("list");
        QTest::addColumn<QString>("selected");
        QTest::newRow("right") << QList<KeyEventInfo>{key(kRight)} << false << "p2";
        QTest::newRow("left stays at the first") << QList<KeyEventInfo>{key(kLeft)} << false << "p1";
        QTest::newRow("down moves a grid row") << QList<KeyEventInfo>{key(kDown)} << false << "p4";
        QTest::newRow("down moves one in a list") << QList<KeyEventInfo>{key(kDown)} << true << "p2";
        QTest::newRow("up from the top stays") << QList<KeyEventInfo>{key(kUp)} << false << "p1";
        QTest::newRow("many downs clamp to the last")
            << QList<KeyEventInfo>{key(kDown), key(kDown), key(kDown), key(kDown), key(kDown)} << false << "p12";
        QTest::newRow("a modified arrow still moves") << QList<KeyEventInfo>{key(kRight, shift)} << false << "p2";
    }
    void keys() {
        QFETCH(QList<KeyEventInfo>, keys);
        QFETCH(bool, list);
        QFETCH(QString, selected);
        PanelHarness h;
        h.model->setListLayout(list);
        h.open();
        for (const KeyEventInfo& info : keys) {
            QVERIFY(h.model->handleKey(info));
        }
        QCOMPARE(h.selected(), selected);
    }

    void fivePromptsSecondSelectedDownDownLandsOnTheFifth() {
        PanelHarness h(promptsYaml(5));
        h.open();
        h.model->handleKey(key(kRight));
        h.model->handleKey(key(kDown));
        QCOMPARE(h.selected(), QStringLiteral("p5"));
        h.model->handleKey(key(kDown));
        QCOMPARE(h.selected(), QStringLiteral("p5"));
    }

    void shortcutKeys_data() {
        QTest::addColumn<KeyEventInfo>("pressed");
        QTest::addColumn<bool>("handled");
        QTest::addColumn<QString>("copied");
        QTest::addColumn<int>("settingsRequests");
        QTest::newRow("Ctrl+, opens settings") << key(kComma, cmd) << true << "" << 1;
        QTest::newRow("Ctrl+, with Caps Lock") << key(kComma, cmd | caps) << true << "" << 1;
        QTest::newRow("Ctrl+Shift+, does not") << key(kComma, cmd | shift) << false << "" << 0;
        QTest::newRow("Ctrl+1 copies the first tile") << key(kOne, cmd) << true << "Text 1" << 0;
        QTest::newRow("own shortcut beats tile number") << key(kTwo, cmd) << true << "Text 3" << 0;
        QTest::newRow("own shortcut with another key") << key(kK, cmd | opt) << true << "Text 4" << 0;
        QTest::newRow("Ctrl+Alt+1 passes through") << key(kOne, cmd | opt) << false << "" << 0;
        QTest::newRow("Ctrl+0 passes through") << key(kZero, cmd) << false << "" << 0;
        QTest::newRow("a letter goes to the search field") << key(kA) << false << "" << 0;
    }
    void shortcutKeys() {
        QFETCH(KeyEventInfo, pressed);
        QFETCH(bool, handled);
        QFETCH(QString, copied);
        QFETCH(int, settingsRequests);
        // p3 has Ctrl+2 of its own (stored command + key 19); p4 has Ctrl+Alt+K; p5 has Ctrl+, which
        // never fires because settings come first.
        PanelHarness h("prompts:\n"
                       "  - id: p1\n    title: One\n    text: Text 1\n"
                       "  - id: p2\n    title: Two\n    text: Text 2\n"
                       "  - id: p3\n    title: Three\n    text: Text 3\n    shortcut: \"19:1048576\"\n"
                       "  - id: p4\n    title: Four\n    text: Text 4\n    shortcut: \"40:1572864\"\n"
                       "  - id: p5\n    title: Five\n    text: Text 5\n    shortcut: \"43:1048576\"\n");
        QSignalSpy settings(&h.requests, &RequestBus::requestOpenSettings);
        h.open();
        QCOMPARE(h.model->handleKey(pressed), handled);
        QCOMPARE(h.clipboard->content, copied);
        QCOMPARE(settings.count(), settingsRequests);
    }

    void ctrlQQuitsUnlessAPromptOwnsIt() {
        constexpr quint32 kQ = 12;
        {
            PanelHarness h(promptsYaml(2));
            QSignalSpy quit(&h.requests, &RequestBus::requestQuit);
            h.open();
            QVERIFY(h.model->handleKey(key(kQ, cmd)));
            QCOMPARE(quit.count(), 1);
            QVERIFY(!h.model->handleKey(key(kQ, cmd | opt)));
            QCOMPARE(quit.count(), 1);
        }
        PanelHarness h("prompts:\n  - id: p1\n    title: One\n    text: Text 1\n    shortcut: \"12:1048576\"\n");
        QSignalSpy quit(&h.requests, &RequestBus::requestQuit);
        h.open();
        QVERIFY(h.model->handleKey(key(kQ, cmd)));
        QCOMPARE(h.clipboard->content, QStringLiteral("Text 1"));
        QCOMPARE(quit.count(), 0);
    }

    void tileModifierWithShiftUsesTheUnshiftedDigit() {
        PanelHarness h;
        h.shortcuts.setPromptTileShortcut(PromptTileShortcut{cmd | shift});
        h.open();
        QVERIFY(h.model->handleKey(key(kTwo, cmd | shift)));
        QCOMPARE(h.clipboard->content, QStringLiteral("Text 2"));
    }

    void escapeClearsThenCloses() {
        PanelHarness h;
        QSignalSpy close(&h.requests, &RequestBus::requestClose);
        h.open();
        h.model->setSearchText(QStringLiteral("abc"));
        QVERIFY(h.model->handleKey(key(kEscape)));
        QCOMPARE(h.model->searchText(), QString());
        QCOMPARE(close.count(), 0);
        QVERIFY(h.model->handleKey(key(kEscape)));
        QCOMPARE(close.count(), 1);
    }

    void keysPassThroughWhenHiddenOrLocked() {
        PanelHarness h;
        QVERIFY(!h.model->handleKey(key(kRight)));
        h.open();
        h.model->setShowDebugDetails(true);
        QVERIFY(h.morph.isInteractionLocked());
        QVERIFY(!h.model->handleKey(key(kReturn)));
        QVERIFY(h.clipboard->attempts.isEmpty());
    }

    void lockIsTheOrOfItsInputs() {
        PanelHarness h;
        h.open();
        const PromptItem prompt = h.model->snapshot().visiblePrompts.first();
        h.model->setPopupOpen(true);
        QVERIFY(h.morph.isInteractionLocked());
        h.model->requestDelete(prompt);
        h.model->setPopupOpen(false);
        QVERIFY(h.morph.isInteractionLocked());
        h.model->cancelDelete();
        QVERIFY(!h.morph.isInteractionLocked());
        h.model->openImporter();
        QVERIFY(h.morph.isInteractionLocked());
        h.model->sheetClosed();
        QVERIFY(!h.morph.isInteractionLocked());
    }

    void searchFocusFollowsAfter40ms() {
        PanelHarness h;
        QSignalSpy focus(h.model.get(), &PanelViewModel::searchFocusRequested);
        h.morph.open(false);
        h.model->appeared();
        h.env.scheduler().advance(39ms);
        QCOMPARE(focus.count(), 0);
        h.env.scheduler().advance(1ms);
        QVERIFY(focus.count() >= 1);
    }

    void contextIdentityClearsTheSearch() {
        PanelHarness h;
        h.open();
        AgentContext first;
        first.frontmostAppName = QStringLiteral("Terminal");
        first.agent = AgentType::terminal;
        first.frontWindowTitle = QStringLiteral("one");
        h.morph.setPinnedContext(first);
        h.model->setSearchText(QStringLiteral("abc"));
        AgentContext retitled = first;
        retitled.frontWindowTitle = QStringLiteral("two");
        h.morph.setPinnedContext(retitled);
        QCOMPARE(h.model->searchText(), QStringLiteral("abc"));
        AgentContext other = first;
        other.frontmostAppName = QStringLiteral("Firefox");
        other.agent = AgentType::firefox;
        h.morph.setPinnedContext(other);
        QCOMPARE(h.model->searchText(), QString());
        QCOMPARE(h.queries.last(), QString());
    }

    // The panel pins the detected context as it opens and lets it go as it closes: when that is
    // the context it shows already, its prompts are not gathered again.
    void pinningTheContextShownGathersNothing() {
        PanelHarness h;
        QSignalSpy changed(h.model.get(), &PanelViewModel::changed);
        h.morph.setPinnedContext(h.detector.currentContext());
        h.morph.setPinnedContext(std::nullopt);
        QCOMPARE(changed.count(), 0);

        AgentContext terminal;
        terminal.frontmostAppName = QStringLiteral("Terminal");
        terminal.agent = AgentType::terminal;
        h.morph.setPinnedContext(terminal);
        QCOMPARE(changed.count(), 1);
        QVERIFY(h.model->context() == terminal);
        h.morph.setPinnedContext(std::nullopt);
        QCOMPARE(changed.count(), 2);
        QVERIFY(h.model->context() == h.detector.currentContext());
    }

    void identityOfAContext() {
        AgentContext context;
        context.frontmostBundleIdentifier = QStringLiteral("  Com.Example.App \n");
        QCOMPARE(PanelViewModel::panelContextIdentity(context), QStringLiteral("com.example.app"));
        context.frontmostBundleIdentifier = QStringLiteral("   ");
        context.frontmostAppName = QStringLiteral("My App");
        QCOMPARE(PanelViewModel::panelContextIdentity(context), QStringLiteral("unknown:my app"));
    }

    void whitespaceSearchShowsTheFullCount() {
        PanelHarness h;
        h.open();
        h.model->setSearchText(QStringLiteral("Prompt 1"));
        QCOMPARE(h.model->promptCount(), 4); // 1, 10, 11, 12
        h.model->setSearchText(QStringLiteral("   "));
        QCOMPARE(h.model->promptCount(), 12);
        QVERIFY(!h.model->editableWorkspaceID());
        QVERIFY(!h.model->canMove(h.model->snapshot().visiblePrompts.first(), PromptMoveDirection::down));
    }

    // The panel renders every visible tile on each change: a search that also moves the
    // selection and ends a preview is one change, told once the selection is valid.
    void aSearchThatMovesTheSelectionChangesOnce() {
        PanelHarness h;
        h.open();
        h.model->handleTileHover(h.model->snapshot().visiblePrompts.at(0), true);
        h.env.scheduler().advance(700ms);
        QCOMPARE(h.model->previewPrompt()->id, QStringLiteral("p1"));
        QStringList seen;
        connect(h.model.get(), &PanelViewModel::changed, this, [&] {
            seen << h.selected() + QLatin1Char('/') +
                        (h.model->previewPrompt() ? QStringLiteral("preview") : QString());
        });
        h.model->setSearchText(QStringLiteral("Prompt 2"));
        QCOMPARE(seen, QStringList{QStringLiteral("p2/")});
        seen.clear();
        h.model->setSearchText(QString());
        QCOMPARE(seen, QStringList{QStringLiteral("p2/")});
        // Outside a search, a selection is still told on its own.
        seen.clear();
        h.model->moveSelection(1);
        QCOMPARE(seen, QStringList{QStringLiteral("p3/")});
    }

    void clearedUsageResortsAnOpenPanel() {
        PanelHarness h;
        h.store.setSortMode(PromptSortMode::frequent);
        h.open();
        for (int i = 0; i < 3; ++i) {
            h.store.usageStore().recordSuccessfulCopy(QStringLiteral("p3"), QDateTime::currentDateTimeUtc());
        }
        h.store.announceUsageChange();
        QCOMPARE(h.model->snapshot().visiblePrompts.first().id, QStringLiteral("p3"));

        QVERIFY(h.store.usageStore().removeAll());
        h.store.announceUsageChange();
        QCOMPARE(h.model->snapshot().visiblePrompts.first().id, QStringLiteral("p1"));
    }

    void aCopyResortsAPanelSortedByUse() {
        PanelHarness h;
        h.store.setSortMode(PromptSortMode::recent);
        h.open();
        const PromptItem third = h.model->snapshot().visiblePrompts.at(2);
        h.model->copyPrompt(third);
        QCOMPARE(h.model->snapshot().visiblePrompts.first().id, QStringLiteral("p3"));
        QCOMPARE(h.selected(), QStringLiteral("p3"));
    }

    void copiedBadgeLasts1600ms() {
        PanelHarness h;
        h.open();
        h.model->copyPrompt(h.model->snapshot().visiblePrompts.at(0));
        h.env.scheduler().advance(1599ms);
        QCOMPARE(h.model->copyFeedback(), (PromptCopyFeedback{PromptCopyFeedback::Kind::copied, "p1"}));
        h.env.scheduler().advance(1ms);
        QVERIFY(!h.model->copyFeedback().has_value());
    }

    void copiedBadgeClearsAfterTheLastCopy() {
        PanelHarness h;
        h.open();
        const QList<PromptItem> prompts = h.model->snapshot().visiblePrompts;
        h.model->copyPrompt(prompts.at(0));
        h.env.scheduler().advance(1s);
        h.model->copyPrompt(prompts.at(0));
        h.env.scheduler().advance(600ms);
        QVERIFY(h.model->copyFeedback().has_value()); // the first copy's clearing found a newer one
        h.env.scheduler().advance(1000ms);
        QVERIFY(!h.model->copyFeedback().has_value());
        QCOMPARE(h.successfulCopies, 2);
        QCOMPARE(h.sounds->requestedNames.value(0), QStringLiteral("Glass"));
        QCOMPARE(h.store.usageStore().records().value(QStringLiteral("p1")).successfulCopyCount, 2);
    }

    void failedBadgeStaysAndOnlyItsTileRetries() {
        PanelHarness h;
        h.open();
        const QList<PromptItem> prompts = h.model->snapshot().visiblePrompts;
        h.model->copyPrompt(prompts.at(0));
        h.clipboard->refusesWrites = true;
        h.model->copyPrompt(prompts.at(1));
        h.env.scheduler().advance(5s);
        QCOMPARE(h.model->copyFeedback(), (PromptCopyFeedback{PromptCopyFeedback::Kind::failed, "p2"}));
        QCOMPARE(h.successfulCopies, 1);
        h.clipboard->refusesWrites = false;
        h.model->retry(QStringLiteral("p3"));
        QCOMPARE(h.clipboard->content, QStringLiteral("Text 1"));
        h.model->retry(QStringLiteral("p2"));
        QCOMPARE(h.clipboard->content, QStringLiteral("Text 2"));
        QCOMPARE(h.model->copyFeedback(), (PromptCopyFeedback{PromptCopyFeedback::Kind::copied, "p2"}));
    }

    void variableCopy() {
        PanelHarness h("prompts:\n  - id: v\n    title: Review\n    text: \"Review {{file}} please\"\n");
        h.open();
        QSignalSpy sheets(h.model.get(), &PanelViewModel::sheetChanged);
        h.model->copySelectedPrompt();
        QCOMPARE(h.clipboard->attempts, QStringList());
        QCOMPARE(h.model->openSheet(), PanelViewModel::Sheet::variableForm);
        QVERIFY(h.morph.isInteractionLocked());
        QVERIFY(h.clipboard->attempts.isEmpty());

        const PromptCopySubmissionResult missing = h.model->confirmVariables({{"file", "  "}});
        QCOMPARE(missing.kind, PromptCopySubmissionResult::Kind::validationFailed);
        QCOMPARE(h.model->openSheet(), PanelViewModel::Sheet::variableForm);

        h.clipboard->refusesWrites = true;
        const PromptCopySubmissionResult failed = h.model->confirmVariables({{"file", "main.cpp"}});
        QCOMPARE(failed.kind, PromptCopySubmissionResult::Kind::copy);
        QCOMPARE(h.model->openSheet(), PanelViewModel::Sheet::none);
        QVERIFY(!h.morph.isInteractionLocked());
        QCOMPARE(h.model->copyFeedback(), (PromptCopyFeedback{PromptCopyFeedback::Kind::failed, "v"}));
        QVERIFY(!h.store.usageStore().records().contains(QStringLiteral("v")));

        h.clipboard->refusesWrites = false;
        h.model->copySelectedPrompt();
        h.model->confirmVariables({{"file", "main.cpp"}});
        QCOMPARE(h.clipboard->content, QStringLiteral("Review main.cpp please"));
        QCOMPARE(h.values.value(QStringLiteral("file")), std::optional<QString>(QStringLiteral("main.cpp")));
        QCOMPARE(h.store.usageStore().records().value(QStringLiteral("v")).successfulCopyCount, 1);
    }

    void deletionGoesToTheWorkspaceShownWhenAsked() {
        PanelHarness h(promptsYaml(0));
        h.env.writeFile(QStringLiteral(".orris-hollows/workspaces/a.yaml"),
                        "workspace:\n  name: A\nprompts:\n  - id: same\n    title: In A\n    text: a\n");
        h.env.writeFile(QStringLiteral(".orris-hollows/workspaces/b.yaml"),
                        "workspace:\n  name: B\nprompts:\n  - id: same\n    title: In B\n    text: b\n");
        h.reload();
        QVERIFY(h.store.bindAgent(AgentType::terminal, QStringLiteral("a"), true));
        QVERIFY(h.store.bindAgent(AgentType::ghostty, QStringLiteral("b"), true));
        AgentContext terminal;
        terminal.frontmostAppName = QStringLiteral("Terminal");
        terminal.agent = AgentType::terminal;
        h.morph.setPinnedContext(terminal);
        h.open();
        QCOMPARE(h.model->editableWorkspaceID(), std::optional<QString>(QStringLiteral("a")));
        h.model->requestDelete(h.model->snapshot().visiblePrompts.first());

        // The view now shows another workspace; the dialog still deletes from the first.
        AgentContext kitty = terminal;
        kitty.frontmostAppName = QStringLiteral("Ghostty");
        kitty.agent = AgentType::ghostty;
        h.morph.setPinnedContext(kitty);
        QCOMPARE(h.model->editableWorkspaceID(), std::optional<QString>(QStringLiteral("b")));
        h.model->confirmDelete();
        QVERIFY(!h.env.readFile(QStringLiteral(".orris-hollows/workspaces/a.yaml")).contains("In A"));
        QVERIFY(h.env.readFile(QStringLiteral(".orris-hollows/workspaces/b.yaml")).contains("In B"));
        QVERIFY(!h.morph.isInteractionLocked());
    }

    void hoverPreviewAfter700ms() {
        PanelHarness h;
        h.open();
        const QList<PromptItem> prompts = h.model->snapshot().visiblePrompts;
        h.model->handleTileHover(prompts.at(0), true);
        h.env.scheduler().advance(600ms);
        h.model->handleTileHover(prompts.at(0), false);
        h.env.scheduler().advance(1s);
        QVERIFY(!h.model->previewPrompt());
        h.model->handleTileHover(prompts.at(0), true);
        h.env.scheduler().advance(700ms);
        QCOMPARE(h.model->previewPrompt()->id, QStringLiteral("p1"));
        // Moving on: the pointer leaves the first tile, then enters the second.
        h.model->handleTileHover(prompts.at(0), false);
        QVERIFY(!h.model->previewPrompt());
        h.model->handleTileHover(prompts.at(1), true);
        h.env.scheduler().advance(700ms);
        QCOMPARE(h.model->previewPrompt()->id, QStringLiteral("p2"));
        // A late leave of the first tile does not dismiss the second one's preview.
        h.model->handleTileHover(prompts.at(0), false);
        QCOMPARE(h.model->previewPrompt()->id, QStringLiteral("p2"));
    }

    void layoutModeIsStoredAndReported() {
        PanelHarness h;
        QList<bool> reported;
        h.model.reset();
        h.model =
            std::make_unique<PanelViewModel>(PanelViewModel::Dependencies{h.store,
                                                                          h.detector,
                                                                          h.shortcuts,
                                                                          h.morph,
                                                                          h.languages,
                                                                          h.requests,
                                                                          PromptActionService(h.clipboard),
                                                                          h.player,
                                                                          h.values,
                                                                          h.env.defaults(),
                                                                          h.env.environment().scheduler,
                                                                          h.env.environment().clock,
                                                                          {},
                                                                          {},
                                                                          [&reported](bool list) { reported << list; },
                                                                          {}});
        h.model->appeared();
        h.model->setListLayout(true);
        h.model->setListLayout(true);
        QCOMPARE(reported, (QList<bool>{false, true}));
        QCOMPARE(h.env.defaults()->stringValue(PanelViewModel::layoutModeKey), std::optional<QString>("list"));
    }
};

QTEST_GUILESS_MAIN(TestPanelViewModel)
#include "tst_panelviewmodel.moc"
