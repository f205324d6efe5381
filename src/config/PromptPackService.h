#pragma once

#include "config/PromptPersistenceService.h"
#include "model/environment/AppEnvironment.h"
#include "model/Localization.h"
#include "model/PromptPack.h"
#include "model/Result.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// A pack that cannot be used, with a message in the interface language.
namespace PromptPackError {

inline const QString type = QStringLiteral("PromptPackError");
inline const QString domain = QStringLiteral("orris-hollows.pack");

enum class Code : qint64 { invalidPack = 1 };

AppError invalidPack(const QString& message);
bool is(const AppError& error, Code code);

} // namespace PromptPackError

// Reads pack files into a preview, installs a pack as a new workspace file, and holds the
// built-in packs. A preview writes nothing and keeps nothing from one file to the next.
class PromptPackService {
public:
    static constexpr qint64 maximumBytes = 1'048'576;
    static constexpr qsizetype maximumPrompts = 500;
    static inline const QString defaultName = QStringLiteral("Prompt Pack");
    static inline const QString defaultVersion = QStringLiteral("1.0.0");

    // Installs go through a persistence service of its own over the same home folder.
    PromptPackService(const AppEnvironment& environment, std::function<AppLanguage()> languageProvider);

    PromptPersistenceService& persistence() { return m_persistence; }

    // English for english (and for system when the preferred languages resolve to English),
    // Simplified Chinese otherwise. Each list is built once per process.
    static const QList<PromptPack>& builtInPacks(AppLanguage language, const QStringList& preferredLanguages = {});

    // Reads a pack file: a regular file (a link to one is followed) of at most 1 MiB, read
    // without blocking and never past the limit, then parsed as text. A failure is logged.
    Result<PromptPackImportPreview> parseImportPreview(const QString& filePath) const;
    Result<PromptPackImportPreview> parseImportPreviewFromText(const QString& text) const;

    // Saves the pack's workspace as a new workspace file under a unique name.
    // Prompts whose ids `takenIDs` holds (the library's) get fresh ones, so that the copy never
    // takes an id, and with it the usage, of a prompt already there.
    Result<PromptWorkspace> install(const PromptPack& pack, const QSet<QString>& takenIDs = {});

    // The pack header; every field it lacks gets its default.
    static PromptPackMetadata parseMetadata(const QString& text);
    // Prompt ids made unique within the list: a blank id takes the slug of the title, a taken
    // id gets "-2", "-3" ...
    static QList<PromptItem> normalize(QList<PromptItem> prompts, const QSet<QString>& takenIDs = {});

private:
    AppLanguage language() const;
    QString message(const QString& key) const;

    AppEnvironment m_environment;
    std::function<AppLanguage()> m_languageProvider;
    PromptPersistenceService m_persistence;
};
