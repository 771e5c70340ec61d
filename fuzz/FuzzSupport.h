#pragma once

// What the fuzz targets share: a property that aborts with its name when it does not hold (libFuzzer keeps the input as
// a crash), bytes in a block of exactly their size, and a reader that takes the input apart from its front.

#include <QString>

#include <vector>

namespace FuzzSupport {

inline void require(bool holds, const char *property, const QString &detail = QString())
{
    if (!holds)
        qFatal("\n*** property does not hold: %s\n%s", property, qPrintable(detail));
}

// A copy on the heap of exactly its size: the address sanitizer stops a read of even one byte beyond it.
struct ExactBytes
{
    explicit ExactBytes(QByteArrayView bytes) : copy(bytes.begin(), bytes.end()) {}
    QByteArrayView view() const { return QByteArrayView(copy.data(), qsizetype(copy.size())); }
    std::vector<char> copy;
};

// Past the end of the input every byte is 0, and a run of bytes comes out shorter.
struct InputReader
{
    InputReader(const quint8 *data, std::size_t size) : rest(reinterpret_cast<const char *>(data), qsizetype(size)) {}
    quint8 byte() { return rest.isEmpty() ? 0 : quint8(bytes(1)[0]); }
    QByteArrayView bytes(qsizetype count)
    {
        const QByteArrayView part = rest.first(std::min(count, rest.size()));
        rest = rest.sliced(part.size());
        return part;
    }
    QByteArrayView rest;
};

} // namespace FuzzSupport
