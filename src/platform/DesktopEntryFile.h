#pragma once

#include <QByteArray>
#include <QList>

// Reading the "[Desktop Entry]" group of a desktop entry file, the part that the application
// index and the autostart entry both look at.
namespace DesktopEntryFile {

struct Field {
    QByteArray key;
    QByteArray value;
};

// The "key=value" lines of the "[Desktop Entry]" group in file order, key and value trimmed.
// Blank lines, comments, lines without a key and every other group are skipped.
QList<Field> mainGroup(const QByteArray& content);

} // namespace DesktopEntryFile
