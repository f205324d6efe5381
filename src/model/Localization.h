#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <concepts>
#include <functional>
#include <optional>
#include <type_traits>

#include "model/Result.h"

// Marks a catalog key in the source. Every key the code looks up is written this way, so that a
// test can check that each one has an English and a Simplified Chinese text.
#define L10N(key) QStringLiteral(key)

enum class AppLanguage { system, zhHans, english };

namespace AppLanguages {
QString rawValue(AppLanguage language);
std::optional<AppLanguage> fromRawValue(const QString& raw);
QList<AppLanguage> allCases();
// Only the first identifier counts: "zh-hans", "zh-cn" and "zh-sg" (any case) give zhHans,
// anything else (and an empty list) english.
AppLanguage systemResolved(const QStringList& preferredLanguages);
// The language with system resolved against the preferred languages (none: an empty list).
AppLanguage resolved(AppLanguage language, const std::function<QStringList()>& preferredLanguages);
// What the provider chooses (without one, the interface language), resolved as above.
AppLanguage resolved(const std::function<AppLanguage()>& provider,
                     const std::function<QStringList()>& preferredLanguages);
} // namespace AppLanguages

// The texts of the string catalog: key -> language code ("en", "zh-Hans") -> text. Every text
// held is non-empty; a key may be held with no text at all. A key's two or so texts are a map:
// a hash of its own would take a block of 48 places for them, most of a megabyte in all.
class AppLocalizationCatalog {
public:
    AppLocalizationCatalog() = default;
    explicit AppLocalizationCatalog(QHash<QString, QMap<QString, QString>> values) : m_values(std::move(values)) {}

    // The catalog of this process, built once on first use: the compiled-in resource, else the
    // source tree, else empty.
    static const AppLocalizationCatalog& shared();

    static Result<AppLocalizationCatalog> load();
    static Result<AppLocalizationCatalog> load(const QString& filePath);
    static Result<AppLocalizationCatalog> loadFromData(const QByteArray& json);
    // Looks for resources/Localizable.xcstrings in the start folder and up to 7 of its parents.
    static Result<AppLocalizationCatalog> loadFromSourceTree(const QString& startDirectory);

    static QString languageCode(AppLanguage language);

    // The text in the language (system resolved against the system's preferred languages),
    // else the English text, else the key itself.
    QString string(const QString& key, AppLanguage language) const;

    const QHash<QString, QMap<QString, QString>>& values() const { return m_values; }
    bool isEmpty() const { return m_values.isEmpty(); }

private:
    QHash<QString, QMap<QString, QString>> m_values;
};

namespace L10n {

// The interface language now: the provider installed by the app, else the system's languages.
AppLanguage currentLanguage();
void setCurrentLanguageProvider(std::function<AppLanguage()> provider);

// Fills the arguments into a catalog text: "%@" takes the next argument, "%N$@" argument N,
// "%%" is a per-cent sign. Arguments are inserted as they are and never read as a format.
QString format(const QString& text, const QStringList& arguments);

inline QString argumentText(const QString& value) {
    return value;
}
inline QString argumentText(const char* value) {
    return QString::fromUtf8(value);
}
template <typename T>
requires std::is_integral_v<T> &&(!std::is_same_v<T, bool>)QString argumentText(T value) {
    return QString::number(value);
}

QString lookup(const QString& key, std::optional<AppLanguage> language, const QStringList& arguments);

// The one way a key becomes a user-visible text. Without arguments the catalog text is
// returned unchanged, a per-cent sign included.
template <typename... Args>
QString string(const QString& key, std::optional<AppLanguage> language, const Args&... args) {
    return lookup(key, language, QStringList{argumentText(args)...});
}

} // namespace L10n
