#include "platform/DesktopEntryFile.h"

namespace DesktopEntryFile {

QList<Field> mainGroup(const QByteArray& content) {
    QList<Field> fields;
    bool inMainGroup = false;
    for (const QByteArray& rawLine : content.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) {
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0) {
            continue;
        }
        fields.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed()});
    }
    return fields;
}

} // namespace DesktopEntryFile
