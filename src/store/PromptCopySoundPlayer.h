#pragma once

#include "model/seams/PromptCopySoundPlayback.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Plays the copy sound on a small pool of voices of one named sound, so that copies in quick
// succession each get their own sound: a copy takes the first idle voice, adds a voice while the
// pool is not full, and otherwise cuts off the busy voices in turn. The pool is dropped whenever
// the sound changes. Main thread only.
class PromptCopySoundPlayer {
public:
    // Makes a new voice of the named sound, or none when there is no such sound.
    using SoundFactory = std::function<std::unique_ptr<PromptCopySoundPlayback>(const QString& name)>;

    static constexpr int defaultMaximumVoiceCount = 4;

    // A count below 1 is taken as 1.
    PromptCopySoundPlayer(int maximumVoiceCount, SoundFactory makeSound);
    ~PromptCopySoundPlayer();
    PromptCopySoundPlayer(const PromptCopySoundPlayer&) = delete;
    PromptCopySoundPlayer& operator=(const PromptCopySoundPlayer&) = delete;

    // Makes the named sound the current one; the empty name means no sound. Another name than
    // the current one stops and drops every voice.
    void selectSound(const QString& name);
    // Selects the named sound and plays it on a voice; the empty name, or a name without a
    // sound, plays nothing. Never reports a failure: a silent copy is still a copy.
    void play(const QString& name);

    int maximumVoiceCount() const { return m_maximumVoiceCount; }
    std::optional<QString> currentSoundName() const { return m_currentSoundName; }
    int voiceCount() const { return int(m_voices.size()); }
    int nextBusyVoiceIndex() const { return m_nextBusyVoiceIndex; }

private:
    void resetVoices();
    // Plays voice i; when it does not start, replaces it once and drops the slot when the
    // replacement does not start either.
    void playVoice(int index);

    int m_maximumVoiceCount;
    SoundFactory m_makeSound;
    std::optional<QString> m_currentSoundName;
    std::vector<std::unique_ptr<PromptCopySoundPlayback>> m_voices;
    int m_nextBusyVoiceIndex = 0;
};
