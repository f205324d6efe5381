#include "model/Sha256.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

class Sha256Test : public QObject {
    Q_OBJECT

private slots:
    void knownDigests() {
        QCOMPARE(Sha256::hex(""), QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
        QCOMPARE(Sha256::hex("abc"),
                 QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QCOMPARE(Sha256::hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
                 QStringLiteral("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"));
    }

    // Every length around the block and padding boundaries, and larger random inputs, agree with
    // the portable implementation.
    void agreesWithThePortableDigest() {
        if (!Sha256::usesProcessorInstructions()) {
            QSKIP("this processor has no SHA instructions: only the portable digest is used");
        }
        QRandomGenerator random(20260115);
        QByteArray data(4200, Qt::Uninitialized);
        for (char& byte : data) {
            byte = char(random.bounded(256));
        }
        for (qsizetype length = 0; length <= data.size(); ++length) {
            const QByteArrayView piece(data.constData(), length);
            QCOMPARE(Sha256::digest(piece), Sha256::portableDigest(piece));
        }
        QByteArray large(3'000'001, Qt::Uninitialized);
        for (char& byte : large) {
            byte = char(random.bounded(256));
        }
        QCOMPARE(Sha256::digest(large), QCryptographicHash::hash(large, QCryptographicHash::Sha256));
    }
};

QTEST_GUILESS_MAIN(Sha256Test)
#include "tst_sha256.moc"
