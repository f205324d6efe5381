#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// Plays freedesktop sound-theme events through libcanberra, loaded when first needed. Every
// canberra call, from loading the library and connecting to the sound server to playing and
// cancelling, runs on one worker thread of its own, so the UI thread never waits for the sound
// system. Without the library, a sound server or a device the sounds are simply not heard.
class EventSoundPlayer {
public:
    enum class Availability { unknown, available, unavailable };

    // One voice: one theme event that can be played, restarted and stopped. Made and used on
    // the main thread; its state is updated by the worker.
    class Voice {
    public:
        ~Voice();
        Voice(const Voice&) = delete;
        Voice& operator=(const Voice&) = delete;

        // Hands the event to the worker (after cancelling the voice's previous play) and
        // reports whether it could: false once the sound system is known to be unavailable.
        bool play();
        void stop();
        // True from play() until the sound ends, is cancelled or fails to start.
        bool isPlaying() const;

    private:
        friend class EventSoundPlayer;
        struct State;
        explicit Voice(std::shared_ptr<State> state);
        std::shared_ptr<State> m_state;
    };

    static inline const char* defaultLibrary = "libcanberra.so.0";

    // The player of the application, built on first use with the default library.
    static std::shared_ptr<EventSoundPlayer> shared();

    // `library` is the file name handed to dlopen; tests pass one that does not exist.
    explicit EventSoundPlayer(std::string library = defaultLibrary);
    // Ends the worker; waits briefly for it and otherwise leaves it to finish on its own.
    ~EventSoundPlayer();
    EventSoundPlayer(const EventSoundPlayer&) = delete;
    EventSoundPlayer& operator=(const EventSoundPlayer&) = delete;

    Availability availability() const;
    // A voice for the theme event id, or none once the sound system is known to be unavailable.
    // The first voice starts the worker, which loads the library and opens the sound context.
    std::unique_ptr<Voice> makeVoice(const QString& eventID);

    struct Core;

private:
    std::shared_ptr<Core> m_core;
};
