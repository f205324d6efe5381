#include "platform/SystemPromptCopySound.h"

#include <QHash>

std::optional<QString> SystemPromptCopySound::themeEventID(const QString& soundName) {
    // The sounds the settings offer, each mapped to a short event of the freedesktop sound
    // naming specification that the default theme ships.
    static const QHash<QString, QString> events = {
        {QStringLiteral("Glass"), QStringLiteral("complete")},
        {QStringLiteral("Ping"), QStringLiteral("message")},
        {QStringLiteral("Pop"), QStringLiteral("audio-volume-change")},
        {QStringLiteral("Tink"), QStringLiteral("bell")},
        {QStringLiteral("Hero"), QStringLiteral("service-login")},
    };
    const auto found = events.constFind(soundName);
    if (found == events.constEnd()) {
        return std::nullopt;
    }
    return *found;
}

std::unique_ptr<SystemPromptCopySound> SystemPromptCopySound::make(const QString& soundName,
                                                                   const std::shared_ptr<EventSoundPlayer>& player) {
    const std::optional<QString> eventID = themeEventID(soundName);
    if (!eventID || !player) {
        return nullptr;
    }
    std::unique_ptr<EventSoundPlayer::Voice> voice = player->makeVoice(*eventID);
    if (!voice) {
        return nullptr;
    }
    return std::unique_ptr<SystemPromptCopySound>(new SystemPromptCopySound(std::move(voice)));
}

std::function<std::unique_ptr<PromptCopySoundPlayback>(const QString&)>
SystemPromptCopySound::factory(std::shared_ptr<EventSoundPlayer> player) {
    return [player = std::move(player)](const QString& soundName) -> std::unique_ptr<PromptCopySoundPlayback> {
        return make(soundName, player);
    };
}
