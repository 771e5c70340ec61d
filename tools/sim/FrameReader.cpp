#include "FrameReader.h"

#include "protocol/Frame.h"

using namespace Protocol;

namespace {

// Where a frame might start again after position 0: the next preamble, or a
// first preamble byte at the end whose partner may still come.
qsizetype nextPreamble(const QByteArray &bytes)
{
    for (qsizetype i = 1; i < bytes.size(); ++i) {
        if (mayBeginFrame(QByteArrayView(bytes).sliced(i)))
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
        if (!mayBeginFrame(m_held)) {
            discard(QStringLiteral("no preamble FF AA"));
            continue;
        }
        const std::optional<int> length = announcedBodyLength(m_held);
        if (!length)
            break;
        if (*length < HeaderLength || *length > MaxBodyLength) {
            discard(QStringLiteral("length byte %1 outside %2 to %3").arg(*length).arg(HeaderLength).arg(MaxBodyLength));
            continue;
        }
        const int frameLength = PreambleLength + *length;
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
