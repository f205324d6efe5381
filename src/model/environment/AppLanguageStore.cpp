#include "model/environment/AppLanguageStore.h"

AppLanguageStore::AppLanguageStore(std::shared_ptr<UserDefaults> defaults,
                                   std::function<QStringList()> preferredLanguages, QObject* parent)
    : QObject(parent), m_defaults(std::move(defaults)), m_preferredLanguages(std::move(preferredLanguages)) {
    if (const auto stored = m_defaults->stringValue(key)) {
        m_selection = AppLanguages::fromRawValue(*stored).value_or(AppLanguage::system);
    }
}

void AppLanguageStore::setSelection(AppLanguage language) {
    const bool changed = language != m_selection;
    m_selection = language;
    if (changed) {
        emit selectionChanged(language);
    }
    m_defaults->setString(key, AppLanguages::rawValue(language));
}

AppLanguage AppLanguageStore::resolvedLanguage() const {
    return AppLanguages::resolved(m_selection, m_preferredLanguages);
}
