#include "model/environment/DesktopSettingsBlock.h"

#include <QtEndian>

namespace {

// A block larger than this is not a settings block.
constexpr qsizetype maximumSettings = 4096;

class Cursor {
public:
    Cursor(const QByteArray& data, bool bigEndian) : m_data(data), m_bigEndian(bigEndian) {}

    bool skip(qsizetype count) {
        if (count < 0 || count > m_data.size() - m_offset) {
            return false;
        }
        m_offset += count;
        return true;
    }
    bool pad4() { return skip((4 - m_offset % 4) % 4); }

    std::optional<quint8> u8() {
        if (m_offset + 1 > m_data.size()) {
            return std::nullopt;
        }
        return quint8(m_data.at(m_offset++));
    }
    std::optional<quint16> u16() {
        if (m_offset + 2 > m_data.size()) {
            return std::nullopt;
        }
        const auto* p = reinterpret_cast<const uchar*>(m_data.constData() + m_offset);
        m_offset += 2;
        return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    std::optional<quint32> u32() {
        if (m_offset + 4 > m_data.size()) {
            return std::nullopt;
        }
        const auto* p = reinterpret_cast<const uchar*>(m_data.constData() + m_offset);
        m_offset += 4;
        return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }
    std::optional<QByteArray> bytes(quint32 count) {
        if (qint64(count) > qint64(m_data.size() - m_offset)) {
            return std::nullopt;
        }
        QByteArray out = m_data.mid(m_offset, qsizetype(count));
        m_offset += qsizetype(count);
        return out;
    }

private:
    const QByteArray& m_data;
    bool m_bigEndian;
    qsizetype m_offset = 0;
};

} // namespace

std::optional<DesktopSettingsBlock> DesktopSettingsBlock::parse(const QByteArray& data) {
    if (data.isEmpty()) {
        return std::nullopt;
    }
    const quint8 order = quint8(data.at(0));
    if (order > 1) {
        return std::nullopt;
    }
    Cursor cursor(data, order == 1);
    if (!cursor.skip(4)) {
        return std::nullopt;
    }
    const auto serial = cursor.u32();
    const auto count = cursor.u32();
    if (!serial || !count || *count > quint32(maximumSettings)) {
        return std::nullopt;
    }
    DesktopSettingsBlock block;
    for (quint32 i = 0; i < *count; ++i) {
        const auto type = cursor.u8();
        if (!type || !cursor.skip(1)) {
            return std::nullopt;
        }
        const auto nameLength = cursor.u16();
        if (!nameLength) {
            return std::nullopt;
        }
        const auto name = cursor.bytes(*nameLength);
        if (!name || !cursor.pad4() || !cursor.u32() /* last-change serial */) {
            return std::nullopt;
        }
        const QString key = QString::fromUtf8(*name);
        switch (*type) {
        case 0: {
            const auto value = cursor.u32();
            if (!value) {
                return std::nullopt;
            }
            block.m_integers.insert(key, qint32(*value));
            break;
        }
        case 1: {
            const auto length = cursor.u32();
            if (!length) {
                return std::nullopt;
            }
            const auto value = cursor.bytes(*length);
            if (!value || !cursor.pad4()) {
                return std::nullopt;
            }
            block.m_strings.insert(key, QString::fromUtf8(*value));
            break;
        }
        case 2:
            if (!cursor.skip(8)) {
                return std::nullopt;
            }
            break;
        default:
            // An unknown type has an unknown length: nothing after it can be read.
            return std::nullopt;
        }
    }
    return block;
}

std::optional<qint32> DesktopSettingsBlock::integer(const QString& name) const {
    const auto it = m_integers.constFind(name);
    return it == m_integers.constEnd() ? std::nullopt : std::optional<qint32>(*it);
}

std::optional<QString> DesktopSettingsBlock::string(const QString& name) const {
    const auto it = m_strings.constFind(name);
    return it == m_strings.constEnd() ? std::nullopt : std::optional<QString>(*it);
}

std::optional<bool> DesktopSettingsBlock::enableAnimations() const {
    const auto value = integer(QStringLiteral("Gtk/EnableAnimations"));
    if (!value) {
        return std::nullopt;
    }
    return *value != 0;
}
