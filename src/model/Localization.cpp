#include "model/Localization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <mutex>

namespace AppLanguages {

QString rawValue(AppLanguage language) {
    switch (language) {
    case AppLanguage::system:
        return QStringLiteral("system");
    case AppLanguage::zhHans:
        return QStringLiteral("zhHans");
    case AppLanguage::english:
        return QStringLiteral("english");
    }
    return QStringLiteral("system");
}

std::optional<AppLanguage> fromRawValue(const QString& raw) {
    for (AppLanguage language : allCases()) {
        if (rawValue(language) == raw) {
            return language;
        }
    }
    return std::nullopt;
}

QList<AppLanguage> allCases() {
    return {AppLanguage::system, AppLanguage::zhHans, AppLanguage::english};
}

AppLanguage systemResolved(const QStringList& preferredLanguages) {
    if (preferredLanguages.isEmpty()) {
        return AppLanguage::english;
    }
    const QString first = preferredLanguages.first().toLower();
    if (first.startsWith(QLatin1String("zh-hans")) || first.startsWith(QLatin1String("zh-cn")) ||
        first.startsWith(QLatin1String("zh-sg"))) {
        return AppLanguage::zhHans;
    }
    return AppLanguage::english;
}

AppLanguage resolved(AppLanguage language, const std::function<QStringList()>& preferredLanguages) {
    if (language != AppLanguage::system) {
        return language;
    }
    return systemResolved(preferredLanguages ? preferredLanguages() : QStringList());
}

AppLanguage resolved(const std::function<AppLanguage()>& provider,
                     const std::function<QStringList()>& preferredLanguages) {
    return resolved(provider ? provider() : L10n::currentLanguage(), preferredLanguages);
}

} // namespace AppLanguages

namespace {

AppError catalogError(qint64 code, const QString& message) {
    return AppError::make(QStringLiteral("CatalogDecodingError"), QStringLiteral("catalog"), code, message);
}

AppLanguage systemLanguage() {
    return AppLanguages::systemResolved(QLocale::system().uiLanguages());
}

} // namespace

const AppLocalizationCatalog& AppLocalizationCatalog::shared() {
    static const AppLocalizationCatalog catalog = [] {
        Result<AppLocalizationCatalog> loaded = load();
        return loaded.ok() ? std::move(loaded).value() : AppLocalizationCatalog();
    }();
    return catalog;
}

Result<AppLocalizationCatalog> AppLocalizationCatalog::load() {
    const QString resource = QStringLiteral(":/Localizable.xcstrings");
    if (QFile::exists(resource)) {
        return load(resource);
    }
    return loadFromSourceTree(QDir::currentPath());
}

Result<AppLocalizationCatalog> AppLocalizationCatalog::load(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return AppError::make(QStringLiteral("FileReadError"), QStringLiteral("file"), file.error(),
                              file.errorString());
    }
    return loadFromData(file.readAll());
}

Result<AppLocalizationCatalog> AppLocalizationCatalog::loadFromData(const QByteArray& json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return catalogError(1, QStringLiteral("not a JSON object"));
    }
    const QJsonValue strings = document.object().value(QLatin1String("strings"));
    if (!strings.isObject()) {
        return catalogError(2, QStringLiteral("missing strings"));
    }
    QHash<QString, QMap<QString, QString>> values;
    const QJsonObject entries = strings.toObject();
    for (auto entry = entries.begin(); entry != entries.end(); ++entry) {
        if (!entry.value().isObject()) {
            return catalogError(3, QStringLiteral("entry is not an object"));
        }
        QMap<QString, QString> texts;
        const QJsonValue localizations = entry.value().toObject().value(QLatin1String("localizations"));
        if (localizations.isObject()) {
            const QJsonObject byLanguage = localizations.toObject();
            for (auto localization = byLanguage.begin(); localization != byLanguage.end(); ++localization) {
                if (!localization.value().isObject()) {
                    return catalogError(4, QStringLiteral("localization is not an object"));
                }
                const QJsonValue unit = localization.value().toObject().value(QLatin1String("stringUnit"));
                if (unit.isUndefined() || unit.isNull()) {
                    continue;
                }
                if (!unit.isObject()) {
                    return catalogError(5, QStringLiteral("stringUnit is not an object"));
                }
                const QJsonValue text = unit.toObject().value(QLatin1String("value"));
                if (!text.isString()) {
                    return catalogError(6, QStringLiteral("stringUnit without a value"));
                }
                if (!text.toString().isEmpty()) {
                    texts.insert(localization.key(), text.toString());
                }
            }
        } else if (!localizations.isUndefined() && !localizations.isNull()) {
            return catalogError(7, QStringLiteral("localizations is not an object"));
        }
        values.insert(entry.key(), texts);
    }
    return AppLocalizationCatalog(std::move(values));
}

Result<AppLocalizationCatalog> AppLocalizationCatalog::loadFromSourceTree(const QString& startDirectory) {
    QDir directory(startDirectory);
    for (int level = 0; level < 8; ++level) {
        const QString candidate = directory.filePath(QStringLiteral("resources/Localizable.xcstrings"));
        if (QFileInfo(candidate).isFile()) {
            return load(candidate);
        }
        if (!directory.cdUp()) {
            break;
        }
    }
    return AppError::posix(ENOENT, QStringLiteral("no catalog in the source tree"));
}

QString AppLocalizationCatalog::languageCode(AppLanguage language) {
    if (language == AppLanguage::system) {
        language = systemLanguage();
    }
    return language == AppLanguage::zhHans ? QStringLiteral("zh-Hans") : QStringLiteral("en");
}

QString AppLocalizationCatalog::string(const QString& key, AppLanguage language) const {
    const auto entry = m_values.constFind(key);
    if (entry == m_values.constEnd()) {
        return key;
    }
    const auto text = entry->constFind(languageCode(language));
    if (text != entry->constEnd()) {
        return *text;
    }
    const auto english = entry->constFind(QStringLiteral("en"));
    if (english != entry->constEnd()) {
        return *english;
    }
    return key;
}

namespace L10n {

namespace {
std::mutex providerMutex;
std::function<AppLanguage()>& providerSlot() {
    static std::function<AppLanguage()> provider;
    return provider;
}
} // namespace

AppLanguage currentLanguage() {
    std::function<AppLanguage()> provider;
    {
        std::lock_guard lock(providerMutex);
        provider = providerSlot();
    }
    const AppLanguage language = provider ? provider() : systemLanguage();
    return language == AppLanguage::system ? systemLanguage() : language;
}

void setCurrentLanguageProvider(std::function<AppLanguage()> provider) {
    std::lock_guard lock(providerMutex);
    providerSlot() = std::move(provider);
}

QString format(const QString& text, const QStringList& arguments) {
    QString result;
    result.reserve(text.size() + 16 * arguments.size());
    qsizetype nextArgument = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('%') || i + 1 >= size) {
            result.append(c);
            continue;
        }
        const QChar next = text.at(i + 1);
        if (next == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            ++i;
            continue;
        }
        if (next == QLatin1Char('@')) {
            result.append(nextArgument < arguments.size() ? arguments.at(nextArgument) : QString());
            ++nextArgument;
            ++i;
            continue;
        }
        // Positional form: %N$@
        qsizetype j = i + 1;
        qsizetype position = 0;
        while (j < size && text.at(j).isDigit() && position < 1000) {
            position = position * 10 + text.at(j).digitValue();
            ++j;
        }
        if (j > i + 1 && j + 1 < size && text.at(j) == QLatin1Char('$') && text.at(j + 1) == QLatin1Char('@') &&
            position >= 1) {
            result.append(position <= arguments.size() ? arguments.at(position - 1) : QString());
            i = j + 1;
            continue;
        }
        result.append(c);
    }
    return result;
}

QString lookup(const QString& key, std::optional<AppLanguage> language, const QStringList& arguments) {
    // Not value_or: that would read the environment even when a language is given.
    const AppLanguage chosen = language ? *language : currentLanguage();
    const QString text = AppLocalizationCatalog::shared().string(key, chosen);
    if (arguments.isEmpty()) {
        return text;
    }
    return format(text, arguments);
}

} // namespace L10n
