#include "FrameReader.h"

#include "requests/FrameFormat.h"

using namespace FrameFormat;

namespace {

constexpr int LengthOffset = PreambleLength + PosLength - 1; // the length byte on the wire

// Where a frame might start again after position 0: the next 0xFF followed by
// 0xAA, or a final 0xFF whose partner may still come.
qsizetype nextPreamble(const QByteArray &bytes)
{
    for (qsizetype i = 1; i < bytes.size(); ++i) {
        if (static_cast<quint8>(bytes[i]) != PreambleFirst)
            continue;
        if (i + 1 == bytes.size() || static_cast<quint8>(bytes[i + 1]) == PreambleSecond)
            return i;
    }
    return bytes.size();
}

} // namespace

QList<FrameReader::Piece> FrameReader::append(QByteArrayView bytes)
{
    m_held.append(bytes.data(), bytes.size());
    QList<Piece> pieces;
    const auto discard = [&](const QString &fault) {
        const qsizetype keep = nextPreamble(m_held);
        pieces.append({m_held.left(keep), fault});
        m_held.remove(0, keep);
    };
    while (!m_held.isEmpty()) {
        if (static_cast<quint8>(m_held[0]) != PreambleFirst
            || (m_held.size() > 1 && static_cast<quint8>(m_held[1]) != PreambleSecond)) {
            discard(QStringLiteral("no preamble FF AA"));
            continue;
        }
        if (m_held.size() <= LengthOffset)
            break;
        const int length = static_cast<quint8>(m_held[LengthOffset]);
        if (length < FrameHeaderLength || length > MaxBodyLength) {
            discard(QStringLiteral("length byte %1 outside %2 to %3")
                        .arg(length)
                        .arg(FrameHeaderLength)
                        .arg(MaxBodyLength));
            continue;
        }
        const int frameLength = PreambleLength + length;
        if (m_held.size() < frameLength)
            break;
        pieces.append({m_held.left(frameLength), QString()});
        m_held.remove(0, frameLength);
    }
    return pieces;
}

QList<FrameReader::Piece> FrameReader::finish()
{
    QList<Piece> pieces;
    if (!m_held.isEmpty())
        pieces.append({m_held, QStringLiteral("incomplete frame, the connection ended")});
    m_held.clear();
    return pieces;
}
