#pragma once

#include "model/seams/PromptCopySoundPlayback.h"
#include "platform/EventSoundPlayer.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// A voice of the copy sound on Linux: the freedesktop sound-theme event that stands for the
// chosen sound name, played through the event sound player.
class SystemPromptCopySound final : public PromptCopySoundPlayback {
public:
    // The theme event id of a copy-sound name, or none for a name the system has no sound for.
    static std::optional<QString> themeEventID(const QString& soundName);

    // A new voice of the named sound; none for a name without a theme event, or once the sound
    // system is known to be unavailable.
    static std::unique_ptr<SystemPromptCopySound> make(const QString& soundName,
                                                       const std::shared_ptr<EventSoundPlayer>& player);
    // The voice factory for the copy sound player.
    static std::function<std::unique_ptr<PromptCopySoundPlayback>(const QString&)>
    factory(std::shared_ptr<EventSoundPlayer> player = EventSoundPlayer::shared());

    bool isPlaying() const override { return m_voice->isPlaying(); }
    bool play() override { return m_voice->play(); }
    void stop() override { m_voice->stop(); }

private:
    explicit SystemPromptCopySound(std::unique_ptr<EventSoundPlayer::Voice> voice) : m_voice(std::move(voice)) {}

    std::unique_ptr<EventSoundPlayer::Voice> m_voice;
};
