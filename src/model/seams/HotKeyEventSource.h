#pragma once

#include <QtGlobal>

#include <functional>

// The identity a global hot key carries back with each press: a four-character signature that
// tells our presses from any other, and the number of the registration that made it.
struct EventHotKeyID {
    quint32 signature = 0;
    quint32 id = 0;

    bool operator==(const EventHotKeyID& other) const = default;
};

// The platform's reference to one registered hot key, handed back for its unregistration.
using HotKeyRef = quint64;

// Where presses of registered hot keys come from. The one press handler of the process is
// installed here; it is called on the main thread, inside the platform's event dispatch.
class HotKeyEventSource {
public:
    using PressHandler = std::function<void(const EventHotKeyID& hotKeyID)>;

    virtual ~HotKeyEventSource() = default;
    // Returns 0 once the handler is installed, else a nonzero platform status.
    virtual qint32 installEventHandler(PressHandler handler) = 0;
    virtual void removeEventHandler() = 0;
};
