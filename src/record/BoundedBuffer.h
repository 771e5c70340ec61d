#pragma once

#include <QtGlobal>

#include <utility>
#include <vector>

// The newest items up to a fixed number: a full buffer drops its oldest item
// for each new one. Storage for all of them is taken with the first item, so
// that a long recording never reallocates.
template <class T>
class BoundedBuffer
{
public:
    explicit BoundedBuffer(qsizetype capacity) : m_capacity(std::max<qsizetype>(capacity, 1)) {}

    qsizetype capacity() const { return m_capacity; }
    qsizetype size() const { return qsizetype(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }

    // True when the oldest item made room for this one.
    bool append(T item)
    {
        if (m_items.empty())
            m_items.reserve(std::size_t(m_capacity));
        if (size() < m_capacity) {
            m_items.push_back(std::move(item));
            return false;
        }
        m_items[std::size_t(m_head)] = std::move(item);
        m_head = (m_head + 1) % m_capacity;
        return true;
    }
    // Index 0 is the oldest item.
    const T &at(qsizetype index) const { return m_items[std::size_t((m_head + index) % size())]; }
    const T &last() const { return at(size() - 1); }

private:
    qsizetype m_capacity;
    qsizetype m_head = 0;
    std::vector<T> m_items;
};
