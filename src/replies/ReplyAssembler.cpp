#include "replies/ReplyAssembler.h"

#include "protocol/Frame.h"
#include "replies/ReplyDecoder.h"

#include <utility>

using ReplyDecoder::MaxDecodedLength;

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
    // The length byte counts the body only; the frame is the preamble and that body.
    const std::optional<int> bodyLength = Protocol::announcedBodyLength(m_bytes);
    if (bodyLength && m_bytes.size() >= Protocol::PreambleLength + *bodyLength)
        return Progress::Complete;
    return Progress::Partial;
}

QByteArray ReplyAssembler::take()
{
    m_ended = false;
    return std::exchange(m_bytes, QByteArray());
}
