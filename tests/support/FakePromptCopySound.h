#pragma once

#include "store/PromptCopySoundPlayer.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

#include <memory>

// Voices for the copy sound player that sound until the test finishes them. Each voice gets a
// serial number in order of creation, so a test can tell which voice a copy used.
class FakeSoundBoard : public std::enable_shared_from_this<FakeSoundBoard> {
public:
    static std::shared_ptr<FakeSoundBoard> make() { return std::shared_ptr<FakeSoundBoard>(new FakeSoundBoard); }

    PromptCopySoundPlayer::SoundFactory factory();

    // Names the factory has a sound for; every name when empty.
    QSet<QString> knownNames;
    // The factory makes no voice at all.
    bool factoryReturnsNone = false;
    // Serials of voices whose play() reports failure.
    QSet<int> failingSerials;

    // Names the factory was asked for, in order.
    QStringList requestedNames;
    int createdCount = 0;
    // Serials of the voices whose play() started, in order.
    QList<int> started;
    // Serials of the voices asked to stop, in order.
    QList<int> stopped;
    QHash<int, bool> playing;

    // Every sounding voice comes to its end.
    void finishAll() { playing.clear(); }
    void finish(int serial) { playing.remove(serial); }
    int soundingCount() const { return int(playing.size()); }

private:
    FakeSoundBoard() = default;
};
