#pragma once

// One voice of the copy sound: an independent instance of one named sound, so that several
// voices can sound at the same time. Main thread only; no call may wait for the sound.
class PromptCopySoundPlayback {
public:
    virtual ~PromptCopySoundPlayback() = default;

    // Whether the voice is sounding now.
    virtual bool isPlaying() const = 0;
    // Stops the voice if it is sounding and starts it again from the beginning. Returns whether
    // the sound was started (handed to the sound system).
    virtual bool play() = 0;
    // Stops the voice; the next play() starts from the beginning.
    virtual void stop() = 0;
};
