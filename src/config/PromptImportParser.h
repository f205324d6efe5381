#pragma once

#include "model/Localization.h"
#include "model/PromptModels.h"

#include <QFuture>
#include <QHashFunctions>
#include <QList>
#include <QMetaType>
#include <QSet>
#include <QString>

class QThreadPool;

// One section of pasted text, as the import sheet lists it before importing.
struct PromptImportPreview {
    QString id; // "preview-<section index>-<slug of the title>", unique within one parse
    QString title;
    QString text;

    bool operator==(const PromptImportPreview& other) const = default;
};

inline size_t qHash(const PromptImportPreview& preview, size_t seed = 0) {
    return qHashMulti(seed, preview.id, preview.title, preview.text);
}

// Turns pasted text into prompts. Two layouts: explicit sections ("## " headings and "---"
// separators) and blocks separated by blank lines, where a short first line that does not end
// a sentence becomes the title. Pure functions: no state, no files, no log.
class PromptImportParser {
public:
    // Texts longer than this (UTF-8, after trimming) give no previews; only the first sections are
    // turned into previews. Both keep the cost of one parse bounded.
    static constexpr qint64 maximumBytes = 524'288;
    static constexpr qsizetype maximumSections = 200;
    static constexpr qsizetype maximumTitleCharacters = 60;

    PromptImportParser() = delete;

    // `language` must be resolved (english or zhHans): it names untitled sections.
    static QList<PromptImportPreview> parse(const QString& text, AppLanguage language);
    // The same parse on a worker thread (the global pool when none is given), so that typing in
    // the import sheet never waits for it. The caller drops results of outdated text.
    static QFuture<QList<PromptImportPreview>> parseInBackground(const QString& text, AppLanguage language,
                                                                 QThreadPool* pool = nullptr);

    // One prompt per preview, with ids "imported-<slug of the title>" unique against
    // `existingIDs` and each other, the import group and the tag "import".
    static QList<PromptItem> makePrompts(const QList<PromptImportPreview>& previews, const QSet<QString>& existingIDs,
                                         AppLanguage language);

    // The shared slug of the text, or a random lower-case UUID when nothing is left.
    static QString slug(const QString& text);
    static QString uniqueID(const QString& title, QSet<QString>& usedIDs);
};

Q_DECLARE_METATYPE(PromptImportPreview)
