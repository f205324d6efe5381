#include "FakePromptCopySound.h"

namespace {

class FakeVoice final : public PromptCopySoundPlayback {
public:
    FakeVoice(std::shared_ptr<FakeSoundBoard> board, int serial) : m_board(std::move(board)), m_serial(serial) {}

    bool isPlaying() const override { return m_board->playing.value(m_serial, false); }

    bool play() override {
        m_board->playing.remove(m_serial);
        if (m_board->failingSerials.contains(m_serial)) {
            return false;
        }
        m_board->playing.insert(m_serial, true);
        m_board->started.append(m_serial);
        return true;
    }

    void stop() override {
        m_board->playing.remove(m_serial);
        m_board->stopped.append(m_serial);
    }

private:
    std::shared_ptr<FakeSoundBoard> m_board;
    int m_serial;
};

} // namespace

PromptCopySoundPlayer::SoundFactory FakeSoundBoard::factory() {
    std::weak_ptr<FakeSoundBoard> weak = weak_from_this();
    return [weak](const QString& name) -> std::unique_ptr<PromptCopySoundPlayback> {
        const std::shared_ptr<FakeSoundBoard> board = weak.lock();
        if (!board) {
            return nullptr;
        }
        board->requestedNames.append(name);
        if (board->factoryReturnsNone || (!board->knownNames.isEmpty() && !board->knownNames.contains(name))) {
            return nullptr;
        }
        return std::make_unique<FakeVoice>(board, board->createdCount++);
    };
}
