#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// The desktop's shared settings as the settings daemon publishes them on X11 (the XSETTINGS
// block: a byte-order mark, a serial, and typed name/value records). Only integer and string
// values are kept; colours are skipped. The block comes from another process: a short, long or
// inconsistent one reads as nothing rather than as partial values.
class DesktopSettingsBlock {
public:
    static std::optional<DesktopSettingsBlock> parse(const QByteArray& data);

    std::optional<qint32> integer(const QString& name) const;
    std::optional<QString> string(const QString& name) const;
    int size() const { return int(m_integers.size() + m_strings.size()); }

    // Whether the desktop wants animations: "Gtk/EnableAnimations" (0 means no).
    std::optional<bool> enableAnimations() const;

private:
    QHash<QString, qint32> m_integers;
    QHash<QString, QString> m_strings;
};
