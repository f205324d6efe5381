#pragma once

#include "model/environment/UserDefaults.h"
#include "model/Localization.h"

#include <QObject>

#include <functional>
#include <memory>

// The interface language the user chose, kept under "OrrisHollows.interfaceLanguage.v1".
class AppLanguageStore : public QObject {
    Q_OBJECT
public:
    static inline const QString key = QStringLiteral("OrrisHollows.interfaceLanguage.v1");

    AppLanguageStore(std::shared_ptr<UserDefaults> defaults, std::function<QStringList()> preferredLanguages,
                     QObject* parent = nullptr);

    AppLanguage selection() const { return m_selection; }
    // Publishes the new selection, then writes its raw value.
    void setSelection(AppLanguage language);

    // The selection, with "system" resolved against the preferred languages; never system.
    AppLanguage resolvedLanguage() const;

signals:
    void selectionChanged(AppLanguage language);

private:
    AppLanguage m_selection = AppLanguage::system;
    std::shared_ptr<UserDefaults> m_defaults;
    std::function<QStringList()> m_preferredLanguages;
};
