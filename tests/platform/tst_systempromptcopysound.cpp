#include "TestEnvironment.h"

#include "model/environment/ShortcutSettingsStore.h"
#include "platform/EventSoundPlayer.h"
#include "platform/SystemPromptCopySound.h"
#include "store/PromptCopySoundPlayer.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

namespace {

const std::string missingLibrary = "liborris-hollows-no-such-sound-library.so.0";
constexpr int settleTimeout = 15000;

} // namespace

class SystemPromptCopySoundTest : public QObject {
    Q_OBJECT

private slots:
    void soundNamesMapToThemeEvents_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("event");
        QTest::newRow("Glass") << "Glass"
                               << "complete";
        QTest::newRow("Ping") << "Ping"
                              << "message";
        QTest::newRow("Pop") << "Pop"
                             << "audio-volume-change";
        QTest::newRow("Tink") << "Tink"
                              << "bell";
        QTest::newRow("Hero") << "Hero"
                              << "service-login";
        QTest::newRow("other letter case") << "glass" << QString();
        QTest::newRow("not offered") << "Sosumi" << QString();
        QTest::newRow("empty") << "" << QString();
    }
    void soundNamesMapToThemeEvents() {
        QFETCH(QString, name);
        QFETCH(QString, event);
        QCOMPARE(SystemPromptCopySound::themeEventID(name).value_or(QString()), event);
        // Where the freedesktop theme is installed, each event is one of its sounds.
        const QDir theme(QStringLiteral("/usr/share/sounds/freedesktop/stereo"));
        if (!event.isEmpty() && theme.exists()) {
            QVERIFY2(QFileInfo::exists(theme.filePath(event + ".oga")), qPrintable(event));
        }
    }

    // The picker offers "Off" first, then exactly the names this platform can play, in order.
    void copySoundOptionsArePlayable() {
        const auto& options = ShortcutSettingsStore::copySoundOptions();
        QCOMPARE(options.size(), 6);
        QCOMPARE(options.first().title, QStringLiteral("copy.sound.off"));
        QVERIFY(options.first().soundName.isEmpty());
        QStringList names;
        for (qsizetype i = 1; i < options.size(); ++i) {
            QCOMPARE(options.at(i).title, options.at(i).soundName);
            QVERIFY2(SystemPromptCopySound::themeEventID(options.at(i).soundName), qPrintable(options.at(i).soundName));
            names << options.at(i).soundName;
        }
        QCOMPARE(names, (QStringList{"Glass", "Ping", "Pop", "Tink", "Hero"}));
        QVERIFY(names.contains(ShortcutSettingsStore::defaultCopySoundName));
    }

    void unknownNamesMakeNoVoice() {
        auto player = std::make_shared<EventSoundPlayer>(missingLibrary);
        QVERIFY(!SystemPromptCopySound::make("Sosumi", player));
        QVERIFY(!SystemPromptCopySound::make("", player));
        // Nothing was asked of the sound system.
        QCOMPARE(player->availability(), EventSoundPlayer::Availability::unknown);
    }

    void withoutTheLibraryCopiesAreSilent() {
        LogCapture log;
        auto events = std::make_shared<EventSoundPlayer>(missingLibrary);
        std::unique_ptr<SystemPromptCopySound> voice = SystemPromptCopySound::make("Glass", events);
        QVERIFY(voice);
        // Handed to the worker before anyone knows the library is missing.
        QVERIFY(voice->play());
        QTRY_COMPARE_WITH_TIMEOUT(events->availability(), EventSoundPlayer::Availability::unavailable, settleTimeout);
        QTRY_VERIFY(!voice->isPlaying());
        QVERIFY(!voice->play());
        QVERIFY(!SystemPromptCopySound::make("Glass", events));
        QVERIFY(log.contains("Open event sounds failed error=LibraryLoadError domain=dlopen"));
        QCOMPARE(log.lines().size(), 1);

        // The player then keeps an empty pool and never fails a copy.
        PromptCopySoundPlayer player(4, SystemPromptCopySound::factory(events));
        for (int i = 0; i < 5; ++i) {
            player.play("Glass");
        }
        QCOMPARE(player.voiceCount(), 0);
    }

    // With the real library, whatever this machine has (no library, no device, no sound server,
    // or a working one), plays return at once, voices come to rest, and a sound system that
    // cannot play is given up after a few tries instead of being asked at every copy.
    void theRealSoundSystemNeverHoldsTheCaller() {
        auto events = std::make_shared<EventSoundPlayer>();
        std::unique_ptr<SystemPromptCopySound> voice = SystemPromptCopySound::make("Glass", events);
        QVERIFY(voice);
        QVERIFY(voice->play());
        voice->stop();
        QVERIFY(!voice->isPlaying());

        for (int i = 0; i < 4 && voice->play(); ++i) {
            QTRY_VERIFY_WITH_TIMEOUT(!voice->isPlaying(), settleTimeout);
        }
        QTRY_VERIFY_WITH_TIMEOUT(events->availability() != EventSoundPlayer::Availability::unknown, settleTimeout);
        const bool unavailable = events->availability() == EventSoundPlayer::Availability::unavailable;
        QCOMPARE(!SystemPromptCopySound::make("Pop", events), unavailable);

        PromptCopySoundPlayer player(4, SystemPromptCopySound::factory(events));
        player.play("Glass");
        player.play("Glass");
        QCOMPARE(player.voiceCount(), unavailable ? 0 : 2);
        player.selectSound("");
        QCOMPARE(player.voiceCount(), 0);
    }

    void destroyingThePlayerWithPlaysQueuedReturns() {
        std::unique_ptr<SystemPromptCopySound> voice;
        {
            auto events = std::make_shared<EventSoundPlayer>();
            voice = SystemPromptCopySound::make("Glass", events);
            QVERIFY(voice);
            for (int i = 0; i < 20; ++i) {
                voice->play();
            }
        }
        // The voice keeps the worker's state alive; its calls still return.
        voice->stop();
        QVERIFY(!voice->isPlaying());
        voice.reset();
    }
};

QTEST_GUILESS_MAIN(SystemPromptCopySoundTest)
#include "tst_systempromptcopysound.moc"
