#include "model/UserDefaults.h"

#include <QSettings>

std::optional<bool> UserDefaults::boolValue(const QString& key) const {
    const QVariant stored = value(key);
    if (!stored.isValid()) {
        return std::nullopt;
    }
    if (stored.typeId() == QMetaType::Bool) {
        return stored.toBool();
    }
    if (stored.typeId() == QMetaType::QString) {
        const QString text = stored.toString();
        if (text == QLatin1String("true")) {
            return true;
        }
        if (text == QLatin1String("false")) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<QString> UserDefaults::stringValue(const QString& key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QString) {
        return stored.toString();
    }
    return std::nullopt;
}

std::optional<QByteArray> UserDefaults::dataValue(const QString& key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QByteArray) {
        return stored.toByteArray();
    }
    return std::nullopt;
}

SettingsUserDefaults::SettingsUserDefaults(const QString& iniFilePath)
    : m_settings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat)) {}

SettingsUserDefaults::~SettingsUserDefaults() = default;

QVariant SettingsUserDefaults::value(const QString& key) const {
    return m_settings->value(key);
}

void SettingsUserDefaults::setValue(const QString& key, const QVariant& value) {
    m_settings->setValue(key, value);
}

void SettingsUserDefaults::remove(const QString& key) {
    m_settings->remove(key);
}

bool SettingsUserDefaults::contains(const QString& key) const {
    return m_settings->contains(key);
}

QString SettingsUserDefaults::filePath() const {
    return m_settings->fileName();
}

void SettingsUserDefaults::sync() {
    m_settings->sync();
}
