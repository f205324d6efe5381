#pragma once

#include "model/PromptModels.h"
#include "store/PromptSearchQuery.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// The search form of one prompt list, made once per list so that a key press neither allocates
// nor lower-cases and reads one block of memory in prompt order: the lower-cased title, group,
// text and space-joined tags of each prompt, one byte per character where the field is ASCII (as
// most are), and the lower-cased fields beyond ASCII beside them (shared with the field when
// lower-casing changes nothing). Holds the list, which keeps it the same.
class PromptSearchIndex {
public:
    explicit PromptSearchIndex(QList<PromptItem> prompts);

    const QList<PromptItem>& prompts() const { return m_prompts; }
    // Whether the prompt at the position matches, exactly as PromptSearchQuery::matches.
    bool matches(qsizetype position, const PromptSearchQuery& query) const;

private:
    static constexpr int fieldCount = 4; // title, group, text, joined tags

    QList<PromptItem> m_prompts;
    QByteArray m_ascii;                   // the ASCII fields lower-cased, one after the other
    std::vector<quint32> m_offsets;       // field f of prompt i: m_ascii from [4i + f] to [4i + f + 1]
    QHash<qint64, QString> m_beyondAscii; // by 4i + f: the lower-cased fields that are not ASCII
};
