#include "FakePromptCopySound.h"

#include "store/PromptCopySoundPlayer.h"

#include <QTest>

class PromptCopySoundPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void quickCopiesUseEachVoiceThenCutOffTheOldest() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(PromptCopySoundPlayer::defaultMaximumVoiceCount, board->factory());
        for (int i = 0; i < 6; ++i) {
            player.play("Glass");
        }
        QCOMPARE(board->started, (QList<int>{0, 1, 2, 3, 0, 1}));
        QCOMPARE(board->createdCount, 4);
        QCOMPARE(player.voiceCount(), 4);
        QCOMPARE(player.nextBusyVoiceIndex(), 2);
        QCOMPARE(board->requestedNames, QStringList(4, "Glass"));
    }

    void anIdleVoiceIsReusedBeforeANewOneIsMade() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(4, board->factory());
        player.play("Glass");
        player.play("Glass");
        board->finishAll();
        player.play("Glass");
        QCOMPARE(board->started, (QList<int>{0, 1, 0}));
        // Voice 0 sounds, voice 1 has finished: voice 1 comes before a third voice.
        player.play("Glass");
        QCOMPARE(board->started, (QList<int>{0, 1, 0, 1}));
        QCOMPARE(board->createdCount, 2);
        // A finished voice behind busy ones is found too.
        board->finish(1);
        player.play("Glass");
        QCOMPARE(board->started.last(), 1);
        QCOMPARE(board->createdCount, 2);
    }

    void aFailingVoiceIsReplacedOnceInItsPlace() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(4, board->factory());
        player.play("Glass");
        player.play("Glass");
        board->finishAll();
        board->failingSerials = {0};
        player.play("Glass");
        // Voice 0 failed and was stopped; its replacement (voice 2) took its slot and sounds.
        QCOMPARE(board->started, (QList<int>{0, 1, 2}));
        QVERIFY(board->stopped.contains(0));
        QCOMPARE(player.voiceCount(), 2);
        QCOMPARE(player.nextBusyVoiceIndex(), 1);
        // Voice 1 was idle all along and comes next; then, with both busy, a third voice.
        player.play("Glass");
        QCOMPARE(board->started.last(), 1);
        player.play("Glass");
        QCOMPARE(board->started.last(), 3);
        QCOMPARE(player.voiceCount(), 3);
    }

    void aSlotWhoseReplacementFailsTooIsDropped() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(4, board->factory());
        board->failingSerials = {0, 1};
        player.play("Glass");
        QVERIFY(board->started.isEmpty());
        QCOMPARE(board->createdCount, 2);
        QCOMPARE(board->stopped, (QList<int>{0, 1}));
        QCOMPARE(player.voiceCount(), 0);
        QCOMPARE(player.nextBusyVoiceIndex(), 0);
        // The next copy may make a new voice.
        player.play("Glass");
        QCOMPARE(board->started, QList<int>{2});
        QCOMPARE(player.voiceCount(), 1);

        // With no replacement at all the slot goes as well.
        board->finishAll();
        board->failingSerials = {2};
        board->factoryReturnsNone = true;
        player.play("Glass");
        QCOMPARE(player.voiceCount(), 0);
        QCOMPARE(board->started, QList<int>{2});
    }

    void theEmptyNameIsSilenceAndDropsTheVoices() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(4, board->factory());
        player.play("");
        QVERIFY(board->requestedNames.isEmpty());
        QCOMPARE(player.currentSoundName(), std::nullopt);

        player.play("Glass");
        player.play("Glass");
        QCOMPARE(board->soundingCount(), 2);
        player.play("");
        QCOMPARE(board->soundingCount(), 0);
        QCOMPARE(board->stopped, (QList<int>{0, 1}));
        QCOMPARE(player.voiceCount(), 0);
        QCOMPARE(player.currentSoundName(), std::nullopt);
        QCOMPARE(board->started.size(), 2);
    }

    void anotherSoundStopsEveryVoiceAndStartsAFreshPool() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(4, board->factory());
        player.play("Glass");
        player.play("Glass");
        player.play("Glass");

        // Selecting the current sound again changes nothing.
        player.selectSound("Glass");
        QVERIFY(board->stopped.isEmpty());
        QCOMPARE(player.voiceCount(), 3);

        player.selectSound("Ping");
        QCOMPARE(board->stopped, (QList<int>{0, 1, 2}));
        QCOMPARE(board->soundingCount(), 0);
        QCOMPARE(player.voiceCount(), 0);
        QCOMPARE(player.currentSoundName(), std::optional<QString>("Ping"));
        QCOMPARE(player.nextBusyVoiceIndex(), 0);

        player.play("Ping");
        QCOMPARE(board->requestedNames.last(), QString("Ping"));
        QCOMPARE(board->started.last(), 3);
        // play() with another name switches as well.
        player.play("Pop");
        QCOMPARE(board->stopped.last(), 3);
        QCOMPARE(board->requestedNames.last(), QString("Pop"));
        QCOMPARE(player.voiceCount(), 1);
    }

    void aNameWithoutASoundIsSilent() {
        auto board = FakeSoundBoard::make();
        board->knownNames = {"Glass"};
        PromptCopySoundPlayer player(4, board->factory());
        player.play("Sosumi");
        player.play("Sosumi");
        QVERIFY(board->started.isEmpty());
        QCOMPARE(player.voiceCount(), 0);
        QCOMPARE(board->requestedNames, QStringList(2, "Sosumi"));
    }

    void aPoolOfOneCutsItsOnlyVoice() {
        auto board = FakeSoundBoard::make();
        PromptCopySoundPlayer player(0, board->factory());
        QCOMPARE(player.maximumVoiceCount(), 1);
        player.play("Glass");
        player.play("Glass");
        QCOMPARE(board->started, (QList<int>{0, 0}));
        QCOMPARE(player.nextBusyVoiceIndex(), 0);
    }
};

QTEST_GUILESS_MAIN(PromptCopySoundPlayerTest)
#include "tst_promptcopysoundplayer.moc"
