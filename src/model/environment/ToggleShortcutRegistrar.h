#pragma once

#include "model/KeyboardShortcutModels.h"

#include <functional>

class ShortcutSettingsStore;

// The rules for turning the stored and requested panel hot keys into a registration. The
// register function installs one global hot key in place of the previous one and returns the
// platform status (0 on success). The active function asks the hot-key service whether a hot
// key is live, so that a failure reports what is really left (none at launch).
class ToggleShortcutRegistrar {
public:
    using RegisterFunction = std::function<qint32(const PromptKeyboardShortcut&)>;
    using ActiveFunction = std::function<bool()>;

    ToggleShortcutRegistrar(ShortcutSettingsStore& store, RegisterFunction registerHotKey, ActiveFunction isActive);

    // At launch: registers the stored hot key; registered or failed. Nothing is written.
    void registerCurrentToggleShortcut();
    // A requested hot key: on success it becomes the stored one; on failure the previous one
    // is registered again and the stored hot key stays as it was.
    void registerRequestedToggleShortcut(const PromptKeyboardShortcut& requested);

private:
    ShortcutSettingsStore& m_store;
    RegisterFunction m_register;
    ActiveFunction m_isActive;
};
