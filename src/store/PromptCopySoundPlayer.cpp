#include "store/PromptCopySoundPlayer.h"

#include <algorithm>

PromptCopySoundPlayer::PromptCopySoundPlayer(int maximumVoiceCount, SoundFactory makeSound)
    : m_maximumVoiceCount(std::max(1, maximumVoiceCount)), m_makeSound(std::move(makeSound)) {}

PromptCopySoundPlayer::~PromptCopySoundPlayer() {
    resetVoices();
}

void PromptCopySoundPlayer::selectSound(const QString& name) {
    const std::optional<QString> requested = name.isEmpty() ? std::nullopt : std::optional<QString>(name);
    if (requested == m_currentSoundName) {
        return;
    }
    resetVoices();
    m_currentSoundName = requested;
}

void PromptCopySoundPlayer::play(const QString& name) {
    selectSound(name);
    if (!m_currentSoundName) {
        return;
    }

    int index = -1;
    for (int i = 0; i < int(m_voices.size()); ++i) {
        if (!m_voices[i]->isPlaying()) {
            index = i;
            break;
        }
    }
    if (index < 0 && int(m_voices.size()) < m_maximumVoiceCount) {
        std::unique_ptr<PromptCopySoundPlayback> voice = m_makeSound ? m_makeSound(*m_currentSoundName) : nullptr;
        if (!voice) {
            return;
        }
        m_voices.push_back(std::move(voice));
        index = int(m_voices.size()) - 1;
    }
    if (index < 0) {
        // Every voice is busy and the pool is full, so the index names a voice.
        index = m_nextBusyVoiceIndex;
    }
    playVoice(index);
}

void PromptCopySoundPlayer::playVoice(int index) {
    if (m_voices[index]->play()) {
        m_nextBusyVoiceIndex = (index + 1) % m_maximumVoiceCount;
        return;
    }
    m_voices[index]->stop();
    std::unique_ptr<PromptCopySoundPlayback> replacement = m_makeSound ? m_makeSound(*m_currentSoundName) : nullptr;
    if (replacement) {
        m_voices[index] = std::move(replacement);
        if (m_voices[index]->play()) {
            m_nextBusyVoiceIndex = (index + 1) % m_maximumVoiceCount;
            return;
        }
        m_voices[index]->stop();
    }
    m_voices.erase(m_voices.begin() + index);
}

void PromptCopySoundPlayer::resetVoices() {
    for (const std::unique_ptr<PromptCopySoundPlayback>& voice : m_voices) {
        voice->stop();
    }
    m_voices.clear();
    m_currentSoundName.reset();
    m_nextBusyVoiceIndex = 0;
}
