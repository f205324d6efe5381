#pragma once

#include "model/PromptModels.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

// A search text, trimmed and lower-cased once. A prompt matches when the query occurs in its
// lower-cased title, group, text or space-joined tags; an empty query matches every prompt.
//
// Most prompt texts are ASCII. For those the lower-cased text is the ASCII lower-casing, so the
// query is looked for in the text as it is, comparing case-blind, sixteen places at a time.
class PromptSearchQuery {
public:
    explicit PromptSearchQuery(const QString& searchText);

    bool isEmpty() const { return m_query.isEmpty(); }
    const QString& text() const { return m_query; }

    // Whether the query occurs in the lower-cased ASCII text.
    bool occursInAscii(QStringView asciiText) const;
    // Whether the query occurs in ASCII text that is already lower-cased, one byte a character.
    bool occursInLoweredAscii(const char* text, qsizetype size) const;
    // Whether the query occurs in a text that is already lower-cased.
    bool occursInLowered(QStringView loweredText) const { return loweredText.contains(QStringView(m_query)); }
    // Whether the query occurs in the lower-cased text, whatever it holds.
    bool occursIn(const QString& text) const;
    // The whole test, lower-casing what it needs as it goes.
    bool matches(const PromptItem& prompt) const;

private:
    bool matchesAt(const char16_t* text) const;

    QString m_query;
    const char16_t* m_queryData = nullptr; // m_query's characters
    QByteArray m_asciiQuery;               // m_query one byte a character, when it is ASCII
    bool m_isAscii;
    char16_t m_firstCaseBit = 0; // 0x20 when the first character is a letter: it also matches in upper case
    char16_t m_lastCaseBit = 0;
};
