#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Collects the bytes of one reply from the segments the network delivers, so
// that a reply split on its way is decoded whole. The reply is complete when
// its frame has arrived (2 + the length byte, the 5th byte on the wire), or
// 45 bytes, or the peer closed the connection, or no further byte came for
// IdleTimeoutMs, whichever is first. The window owns the idle timer: it
// restarts it whenever a segment leaves the reply Partial, and on a tick calls
// idleElapsed().
class ReplyAssembler
{
public:
    static constexpr int IdleTimeoutMs = 100;

    enum class Progress {
        Empty, // nothing has arrived: no reply to wait for
        Partial, // some bytes, more may follow
        Complete, // decode take() now
    };

    Progress segmentArrived(QByteArrayView segment);
    Progress peerClosed();
    Progress idleElapsed();
    Progress progress() const;

    // Everything that arrived, also beyond one frame; the next reply starts afresh.
    QByteArray take();
    // Takes back what take() handed over when the decoding waits for the rest of its frame, so that the rest joins
    // it; false, keeping nothing, when the frame has all its bytes or 45 of them.
    bool awaitRest(const QByteArray &begun);
    // How many bytes at the front of what take() hands over next it has handed over before.
    qsizetype takenBefore() const { return m_takenBefore; }

private:
    QByteArray m_bytes;
    bool m_ended = false; // the peer closed, or the idle time passed
    // Bytes at the front of m_bytes that were decoded already; while nothing followed them, they wait for their rest.
    qsizetype m_takenBefore = 0;
};
