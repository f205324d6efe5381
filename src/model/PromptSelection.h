#pragma once

#include "model/PromptModels.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <iterator>

// An ordered selection of prompts out of one or two prompt lists, read like a const
// QList<PromptItem>. It holds the lists themselves (implicitly shared, so a later change of their
// owner never reaches it) and the positions of the prompts it selects, so that the panel's lists
// cost a few bytes per prompt instead of a copy of every prompt. Position p names the p-th prompt
// of the first list, or the (p - first.size())-th of the second.
class PromptSelection {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = PromptItem;
        using difference_type = qsizetype;
        using pointer = const PromptItem*;
        using reference = const PromptItem&;

        const_iterator() = default;
        const_iterator(const PromptSelection* selection, qsizetype index) : m_selection(selection), m_index(index) {}

        reference operator*() const { return m_selection->at(m_index); }
        pointer operator->() const { return &m_selection->at(m_index); }
        reference operator[](difference_type n) const { return m_selection->at(m_index + n); }
        const_iterator& operator++() { return ++m_index, *this; }
        const_iterator operator++(int) { return {m_selection, m_index++}; }
        const_iterator& operator--() { return --m_index, *this; }
        const_iterator operator--(int) { return {m_selection, m_index--}; }
        const_iterator& operator+=(difference_type n) { return m_index += n, *this; }
        const_iterator& operator-=(difference_type n) { return m_index -= n, *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return a.m_index - b.m_index;
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.m_index == b.m_index; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.m_index <=> b.m_index; }

    private:
        const PromptSelection* m_selection = nullptr;
        qsizetype m_index = 0;
    };
    using iterator = const_iterator;
    using value_type = PromptItem;
    using size_type = qsizetype;

    PromptSelection() = default;
    // Every prompt of the list, in its order.
    explicit PromptSelection(QList<PromptItem> prompts);
    // The prompts at the positions, in their order; each position must name a prompt.
    PromptSelection(QList<PromptItem> first, QList<PromptItem> second, QList<qint32> positions);

    qsizetype size() const { return m_size; }
    qsizetype count() const { return m_size; }
    qsizetype length() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    bool empty() const { return m_size == 0; }

    const PromptItem& at(qsizetype i) const {
        const qsizetype position = positionAt(i);
        return position < m_first.size() ? m_first.at(position) : m_second.at(position - m_first.size());
    }
    const PromptItem& operator[](qsizetype i) const { return at(i); }
    const PromptItem& first() const { return at(0); }
    const PromptItem& front() const { return at(0); }
    const PromptItem& last() const { return at(m_size - 1); }
    const PromptItem& back() const { return at(m_size - 1); }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, m_size}; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }
    const_iterator constBegin() const { return begin(); }
    const_iterator constEnd() const { return end(); }

    // `length` prompts from `position` on, sharing this selection's lists and positions.
    PromptSelection sliced(qsizetype position, qsizetype length) const;
    // The prompts at the indices of this selection, in the order of the indices; they share its
    // lists.
    PromptSelection picked(const QList<qsizetype>& indices) const;
    // The ids in order.
    QStringList ids() const;
    // A copy of the selected prompts, for a caller that needs a list of its own.
    QList<PromptItem> toList() const;
    operator QList<PromptItem>() const { return toList(); }

    // The same prompts in the same order.
    friend bool operator==(const PromptSelection& a, const PromptSelection& b);

private:
    qsizetype positionAt(qsizetype i) const {
        Q_ASSERT(i >= 0 && i < m_size);
        return m_allInOrder ? m_offset + i : qsizetype(m_positions.at(m_offset + i));
    }

    QList<PromptItem> m_first;
    QList<PromptItem> m_second;
    QList<qint32> m_positions; // unused while m_allInOrder
    qsizetype m_offset = 0;
    qsizetype m_size = 0;
    bool m_allInOrder = true; // position i is m_offset + i
};

// A titled group of prompts as the panel draws it.
struct PromptSection {
    QString id;
    QString title;
    PromptSelection prompts;
};

Q_DECLARE_METATYPE(PromptSelection)
Q_DECLARE_METATYPE(PromptSection)
