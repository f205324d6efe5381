#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

// Key-value settings of the user. The typed readers return nothing when the key is absent or
// holds a value of another type, so that a hand-edited or damaged settings file falls back to
// each caller's default instead of failing.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual bool contains(const QString& key) const { return value(key).isValid(); }

    // A Boolean, or one of the texts "true" and "false" (how INI files keep Booleans).
    std::optional<bool> boolValue(const QString& key) const;
    // A text; a byte array or a number is not a text.
    std::optional<QString> stringValue(const QString& key) const;
    // Raw bytes as stored with setData.
    std::optional<QByteArray> dataValue(const QString& key) const;

    void setBool(const QString& key, bool value) { setValue(key, value); }
    void setString(const QString& key, const QString& value) { setValue(key, value); }
    void setData(const QString& key, const QByteArray& value) { setValue(key, value); }
};

// Settings kept in an INI file (the XDG config folder in the app, a temporary file in tests).
class SettingsUserDefaults final : public UserDefaults {
public:
    explicit SettingsUserDefaults(const QString& iniFilePath);
    ~SettingsUserDefaults() override;

    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;
    bool contains(const QString& key) const override;

    QString filePath() const;
    void sync();

private:
    std::unique_ptr<QSettings> m_settings;
};

// Settings held in memory only; for tests and for programs that must not persist anything.
class MemoryUserDefaults final : public UserDefaults {
public:
    QVariant value(const QString& key) const override { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value) override { m_values.insert(key, value); }
    void remove(const QString& key) override { m_values.remove(key); }
    bool contains(const QString& key) const override { return m_values.contains(key); }

private:
    QVariantHash m_values;
};
