#pragma once

// What the fuzz targets share: properties that abort with their name when they
// do not hold (libFuzzer then keeps the input as a crash), byte blocks of
// exactly the size of what arrived, and a reader that takes the input apart
// from its front.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace FuzzSupport {

[[noreturn]] inline void fail(const char *property, const QString &detail = QString())
{
    std::fprintf(stderr, "\n*** property does not hold: %s\n%s\n", property, detail.toLocal8Bit().constData());
    std::abort();
}

inline void require(bool holds, const char *property, const QString &detail = QString())
{
    if (!holds)
        fail(property, detail);
}

// A copy of some bytes in a heap block of exactly their size, so that the
// address sanitizer stops a read of even one byte beyond them.
class ExactBytes
{
public:
    explicit ExactBytes(QByteArrayView bytes)
        : m_size(bytes.size()), m_data(new char[std::size_t(bytes.size())])
    {
        if (m_size > 0)
            std::memcpy(m_data.get(), bytes.data(), std::size_t(m_size));
    }

    QByteArrayView view() const { return QByteArrayView(m_data.get(), m_size); }

private:
    qsizetype m_size;
    std::unique_ptr<char[]> m_data;
};

// Takes the fuzz input apart from its front; past its end every byte is 0.
class InputReader
{
public:
    InputReader(const quint8 *data, std::size_t size)
        : m_bytes(reinterpret_cast<const char *>(data), qsizetype(size))
    {
    }

    bool atEnd() const { return m_position >= m_bytes.size(); }

    quint8 byte()
    {
        return atEnd() ? 0 : quint8(m_bytes[m_position++]);
    }

    // Up to count bytes, fewer at the end of the input.
    QByteArrayView bytes(qsizetype count)
    {
        const qsizetype taken = std::min(count, m_bytes.size() - m_position);
        const QByteArrayView part = m_bytes.sliced(m_position, std::max<qsizetype>(taken, 0));
        m_position += part.size();
        return part;
    }

    // The bytes up to the next separator (which is skipped) or the end.
    QByteArrayView upTo(char separator)
    {
        const QByteArrayView rest = m_bytes.sliced(std::min(m_position, m_bytes.size()));
        const qsizetype end = rest.indexOf(separator);
        const QByteArrayView part = end < 0 ? rest : rest.first(end);
        m_position += part.size() + (end < 0 ? 0 : 1);
        return part;
    }

    QByteArrayView rest() { return bytes(m_bytes.size()); }

private:
    QByteArrayView m_bytes;
    qsizetype m_position = 0;
};

// Bytes as hex, for the detail of a failed property.
inline QString hex(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' '));
}

} // namespace FuzzSupport
