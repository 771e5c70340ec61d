#include "replies/ReplyAssembler.h"

#include "requests/FrameFormat.h"

#include <utility>

namespace {

using namespace FrameFormat;

// The length byte counts the body only; the frame is the preamble and that body.
constexpr int LengthOffset = PreambleLength + PosLength - 1;

} // namespace

ReplyAssembler::Progress ReplyAssembler::segmentArrived(QByteArrayView segment)
{
    m_bytes.append(segment);
    return progress();
}

ReplyAssembler::Progress ReplyAssembler::peerClosed()
{
    m_ended = !m_bytes.isEmpty();
    return progress();
}

ReplyAssembler::Progress ReplyAssembler::idleElapsed()
{
    m_ended = !m_bytes.isEmpty();
    return progress();
}

ReplyAssembler::Progress ReplyAssembler::progress() const
{
    if (m_bytes.isEmpty())
        return Progress::Empty;
    if (m_ended || m_bytes.size() >= MaxDecodedLength)
        return Progress::Complete;
    if (m_bytes.size() > LengthOffset
        && m_bytes.size() >= PreambleLength + static_cast<quint8>(m_bytes.at(LengthOffset)))
        return Progress::Complete;
    return Progress::Partial;
}

QByteArray ReplyAssembler::take()
{
    m_ended = false;
    return std::exchange(m_bytes, QByteArray());
}
