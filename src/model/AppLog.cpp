#include "model/AppLog.h"

#include <QDir>
#include <QFileInfo>

Q_LOGGING_CATEGORY(lcPersistence, "app.orris-hollows.persistence")
Q_LOGGING_CATEGORY(lcContext, "app.orris-hollows.context")
Q_LOGGING_CATEGORY(lcPrompts, "app.orris-hollows.prompts")
Q_LOGGING_CATEGORY(lcUi, "app.orris-hollows.ui")

namespace AppLog {

const QLoggingCategory& persistence() {
    return lcPersistence();
}
const QLoggingCategory& context() {
    return lcContext();
}
const QLoggingCategory& prompts() {
    return lcPrompts();
}
const QLoggingCategory& ui() {
    return lcUi();
}

QString errorSummary(const AppError& error) {
    return QStringLiteral("%1 domain=%2 code=%3").arg(error.type, error.domain, QString::number(error.code));
}

QString fileContext(const std::optional<QString>& path) {
    if (!path) {
        return QStringLiteral("none");
    }
    return fileContext(*path);
}

QString fileContext(const QString& path) {
    const QString cleaned = QDir::cleanPath(path);
    const QFileInfo info(cleaned);
    const QString name = info.fileName();
    const QString parentPath = info.path();
    QString parentName;
    if (parentPath != QLatin1String(".") && parentPath != cleaned) {
        parentName = QFileInfo(parentPath).fileName();
    }
    if (parentName.isEmpty()) {
        return name;
    }
    return parentName + QLatin1Char('/') + name;
}

QString printable(const QString& text, qsizetype maximumCharacters) {
    QString result;
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (characters == maximumCharacters) {
            result += QStringLiteral("…(") + QString::number(text.toUtf8().size()) + QStringLiteral(" bytes)");
            return result;
        }
        const QChar c = text.at(i);
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || code == 0x2028 || code == 0x2029) {
            result += QStringLiteral("\\u{%1}").arg(uint(code), 0, 16);
        } else {
            result += c;
        }
        ++characters;
    }
    return result;
}

QString workspaceIDContext(const QString& workspaceID) {
    static const QString projectPrefix = QStringLiteral("project:");
    if (workspaceID.startsWith(projectPrefix)) {
        return projectPrefix + printable(fileContext(workspaceID.mid(projectPrefix.size())));
    }
    return printable(workspaceID);
}

} // namespace AppLog
