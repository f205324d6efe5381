#include "model/environment/DesktopSettingsBlock.h"

#include <QtEndian>
#include <QTest>

namespace {

// Writes a settings block the way a settings daemon does, in either byte order.
class BlockWriter {
public:
    explicit BlockWriter(bool bigEndian) : m_bigEndian(bigEndian) {}

    void integer(const QByteArray& name, qint32 value) {
        header(0, name);
        u32(quint32(value));
        ++m_count;
    }
    void string(const QByteArray& name, const QByteArray& value) {
        header(1, name);
        u32(quint32(value.size()));
        m_records += value;
        pad();
        ++m_count;
    }
    void colour(const QByteArray& name) {
        header(2, name);
        m_records += QByteArray(8, '\x7f');
        ++m_count;
    }
    QByteArray block(std::optional<quint32> claimedCount = std::nullopt) const {
        QByteArray out;
        out += char(m_bigEndian ? 1 : 0);
        out += QByteArray(3, '\0');
        out += word(7);
        out += word(claimedCount.value_or(m_count));
        return out + m_records;
    }

private:
    QByteArray word(quint32 value) const {
        QByteArray out(4, '\0');
        if (m_bigEndian) {
            qToBigEndian(value, out.data());
        } else {
            qToLittleEndian(value, out.data());
        }
        return out;
    }
    void u32(quint32 value) { m_records += word(value); }
    void header(quint8 type, const QByteArray& name) {
        m_records += char(type);
        m_records += '\0';
        QByteArray length(2, '\0');
        if (m_bigEndian) {
            qToBigEndian(quint16(name.size()), length.data());
        } else {
            qToLittleEndian(quint16(name.size()), length.data());
        }
        m_records += length;
        m_records += name;
        pad();
        u32(3); // last-change serial
    }
    void pad() {
        while (m_records.size() % 4 != 0) {
            m_records += '\0';
        }
    }

    bool m_bigEndian;
    QByteArray m_records;
    quint32 m_count = 0;
};

BlockWriter typicalBlock(bool bigEndian, qint32 animations) {
    BlockWriter writer(bigEndian);
    writer.string("Net/ThemeName", "Adwaita-dark");
    writer.colour("Gtk/ColorScheme");
    writer.integer("Gtk/EnableAnimations", animations);
    writer.integer("Xft/DPI", -1);
    return writer;
}

} // namespace

class DesktopSettingsBlockTest : public QObject {
    Q_OBJECT

private slots:
    void readsBothByteOrders_data() {
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<int>("animations");
        QTest::addColumn<bool>("expected");
        QTest::newRow("little endian, on") << false << 1 << true;
        QTest::newRow("little endian, off") << false << 0 << false;
        QTest::newRow("big endian, off") << true << 0 << false;
        QTest::newRow("big endian, on") << true << 1 << true;
    }
    void readsBothByteOrders() {
        QFETCH(bool, bigEndian);
        QFETCH(int, animations);
        QFETCH(bool, expected);
        const auto block = DesktopSettingsBlock::parse(typicalBlock(bigEndian, animations).block());
        QVERIFY(block);
        QCOMPARE(block->enableAnimations(), expected);
        QCOMPARE(block->string(QStringLiteral("Net/ThemeName")), QStringLiteral("Adwaita-dark"));
        QCOMPARE(block->integer(QStringLiteral("Xft/DPI")), -1);
        QCOMPARE(block->size(), 3); // the colour is skipped
    }

    void aSettingThatIsMissingReadsAsNothing() {
        BlockWriter writer(false);
        writer.string("Gtk/EnableAnimations", "0"); // the wrong type
        const auto block = DesktopSettingsBlock::parse(writer.block());
        QVERIFY(block);
        QCOMPARE(block->enableAnimations(), std::nullopt);
        QCOMPARE(DesktopSettingsBlock::parse(BlockWriter(true).block())->size(), 0);
    }

    void brokenBlocksReadAsNothing() {
        const QByteArray good = typicalBlock(false, 0).block();
        // Every cut short of the whole block fails, never yields part of it.
        for (qsizetype length = 0; length < good.size(); ++length) {
            QVERIFY2(!DesktopSettingsBlock::parse(good.left(length)), qPrintable(QString::number(length)));
        }
        QVERIFY(!DesktopSettingsBlock::parse(typicalBlock(false, 0).block(5)));
        QVERIFY(!DesktopSettingsBlock::parse(typicalBlock(false, 0).block(0xFFFFFFFFu)));
        QByteArray badOrder = good;
        badOrder[0] = 2;
        QVERIFY(!DesktopSettingsBlock::parse(badOrder));
        QByteArray unknownType = good;
        unknownType[12] = 9;
        QVERIFY(!DesktopSettingsBlock::parse(unknownType));
        // A string that claims more bytes than follow.
        BlockWriter writer(false);
        writer.string("Net/ThemeName", "x");
        QByteArray claimsTooMuch = writer.block();
        qToLittleEndian(quint32(0x7FFFFFF0), claimsTooMuch.data() + 12 + 4 + 16 + 4);
        QVERIFY(!DesktopSettingsBlock::parse(claimsTooMuch));
    }
};

QTEST_GUILESS_MAIN(DesktopSettingsBlockTest)
#include "tst_desktopsettingsblock.moc"
