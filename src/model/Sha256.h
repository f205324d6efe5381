#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// SHA-256 of file contents, as the file versions and trusted project files record them. Uses the
// processor's SHA instructions where it has them (a 10 MB load hashes every byte it reads), and
// QCryptographicHash everywhere else; both give the same digest.
namespace Sha256 {

QByteArray digest(QByteArrayView data);
// 64 lower-case hexadecimal digits.
QString hex(QByteArrayView data);

// Tests only: whether digest() uses the processor's SHA instructions on this machine.
bool usesProcessorInstructions();
// Tests only: the digest computed without the processor's SHA instructions.
QByteArray portableDigest(QByteArrayView data);

} // namespace Sha256
