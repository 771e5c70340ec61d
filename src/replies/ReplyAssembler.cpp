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
    // A frame taken back for its rest has been decoded as far as it came; a close before the rest adds nothing.
    if (m_takenBefore > 0 && m_bytes.size() == m_takenBefore) {
        m_bytes.clear();
        m_takenBefore = 0;
    }
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
    m_takenBefore = 0;
    return std::exchange(m_bytes, QByteArray());
}

bool ReplyAssembler::awaitRest(const QByteArray &begun)
{
    m_bytes = begun;
    m_ended = false;
    if (progress() != Progress::Partial)
        m_bytes.clear();
    m_takenBefore = m_bytes.size();
    return m_takenBefore > 0;
}
