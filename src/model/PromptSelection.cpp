#include "model/PromptSelection.h"

#include <algorithm>

PromptSelection::PromptSelection(QList<PromptItem> prompts) : m_first(std::move(prompts)), m_size(m_first.size()) {}

PromptSelection::PromptSelection(QList<PromptItem> first, QList<PromptItem> second, QList<qint32> positions)
    : m_first(std::move(first)), m_second(std::move(second)), m_positions(std::move(positions)),
      m_size(m_positions.size()), m_allInOrder(false) {}

PromptSelection PromptSelection::sliced(qsizetype position, qsizetype length) const {
    Q_ASSERT(position >= 0 && length >= 0 && position + length <= m_size);
    PromptSelection slice = *this;
    slice.m_offset = m_offset + position;
    slice.m_size = length;
    return slice;
}

PromptSelection PromptSelection::picked(const QList<qsizetype>& indices) const {
    QList<qint32> positions;
    positions.reserve(indices.size());
    for (const qsizetype i : indices) {
        positions.append(qint32(positionAt(i)));
    }
    return PromptSelection(m_first, m_second, std::move(positions));
}

QStringList PromptSelection::ids() const {
    QStringList ids;
    ids.reserve(m_size);
    for (const PromptItem& prompt : *this) {
        ids.append(prompt.id);
    }
    return ids;
}

QList<PromptItem> PromptSelection::toList() const {
    if (m_allInOrder && m_second.isEmpty() && m_offset == 0 && m_size == m_first.size()) {
        return m_first;
    }
    QList<PromptItem> prompts;
    prompts.reserve(m_size);
    for (const PromptItem& prompt : *this) {
        prompts.append(prompt);
    }
    return prompts;
}

bool operator==(const PromptSelection& a, const PromptSelection& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}
