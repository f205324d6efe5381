#pragma once

// Lets a control that reads raw key presses (the shortcut recorder) have the global hot key
// released for a while, so that the hot key's own combination reaches the application. Every
// suspend() is matched by one resume(); the hot key is grabbed again after the last one.
class HotKeySuspending {
public:
    virtual ~HotKeySuspending() = default;
    virtual void suspend() = 0;
    virtual void resume() = 0;
};
