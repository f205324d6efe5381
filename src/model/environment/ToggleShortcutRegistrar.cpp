#include "model/environment/ToggleShortcutRegistrar.h"

#include "model/environment/ShortcutSettingsStore.h"

ToggleShortcutRegistrar::ToggleShortcutRegistrar(ShortcutSettingsStore& store, RegisterFunction registerHotKey,
                                                 ActiveFunction isActive)
    : m_store(store), m_register(std::move(registerHotKey)), m_isActive(std::move(isActive)) {}

void ToggleShortcutRegistrar::registerCurrentToggleShortcut() {
    const PromptKeyboardShortcut shortcut = m_store.togglePanelShortcut();
    const qint32 status = m_register(shortcut);
    m_store.setHotKeyStatus(status == 0 ? HotKeyStatus::registered(shortcut)
                                        : HotKeyStatus::failed(shortcut, status, m_isActive()));
}

void ToggleShortcutRegistrar::registerRequestedToggleShortcut(const PromptKeyboardShortcut& requested) {
    const qint32 status = m_register(requested);
    if (status == 0) {
        m_store.setTogglePanelShortcut(requested);
        m_store.setHotKeyStatus(HotKeyStatus::registered(requested));
        return;
    }
    const qint32 restoreStatus = m_register(m_store.togglePanelShortcut());
    m_store.setHotKeyStatus(restoreStatus == 0 ? HotKeyStatus::failed(requested, status, m_isActive())
                                               : HotKeyStatus::restoreFailed(status, restoreStatus));
}
