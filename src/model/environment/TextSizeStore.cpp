#include "model/environment/TextSizeStore.h"

TextSizeStore::TextSizeStore(std::shared_ptr<UserDefaults> defaults, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults)) {
    m_selection = PromptPanelTextSizes::fromStored(m_defaults->stringValue(key));
}

void TextSizeStore::setSelection(PromptPanelTextSize size) {
    m_defaults->setString(key, PromptPanelTextSizes::rawValue(size));
    if (size == m_selection) {
        return;
    }
    m_selection = size;
    emit selectionChanged(size);
}

void TextSizeStore::reload() {
    const PromptPanelTextSize stored = PromptPanelTextSizes::fromStored(m_defaults->stringValue(key));
    if (stored == m_selection) {
        return;
    }
    m_selection = stored;
    emit selectionChanged(stored);
}
