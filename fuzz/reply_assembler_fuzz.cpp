// The collection of one reply's bytes, as the window drives it, under any sequence of segments, closes by the
// peer and idle ticks.
//
// Input: a sequence of steps, each a byte whose value modulo 4 says: 0 a segment arrives (the next byte is its
// length, 0 to 63, its bytes follow); 1 the peer closes the connection; 2 no further byte came for the idle time;
// 3 the window takes what arrived. Once the reply is complete the window takes and decodes it at once, as it does;
// step 3 also takes a reply that is not complete yet.
//
// Properties:
// - the reply taken is exactly the bytes of the segments since the last take: nothing lost, nothing added,
//   nothing carried over into the next reply;
// - "empty" means nothing arrived; "complete" holds from the first moment its frame is there (2 + its length
//   byte), 45 bytes are there, or the peer closed or went idle after sending something, and not before;
// - what is taken decodes without reading beyond it.

#include "FuzzSupport.h"

#include "replies/ReplyAssembler.h"
#include "replies/ReplyDecoder.h"
#include "requests/FrameFormat.h"

using namespace FuzzSupport;
using namespace FrameFormat;
using Progress = ReplyAssembler::Progress;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    enum Step { Segment, PeerClosed, IdleElapsed, Take, StepKinds };
    constexpr int SegmentLengthLimit = 64;
    constexpr int LengthOffset = PreambleLength + PosLength - 1; // of the length byte on the wire
    InputReader input(data, size);
    ReplyAssembler assembler;
    QByteArray bytes; // what the reply must hold
    bool ended = false; // the peer closed or went idle after some bytes had come
    const auto take = [&] {
        const QByteArray taken = assembler.take();
        require(taken == bytes, "the reply taken is exactly what arrived since the last one");
        require(assembler.progress() == Progress::Empty, "a reply taken leaves nothing behind");
        ReplyDecoder::DecodeReply(ExactBytes(taken).view(), ReplySnapshot());
        bytes.clear();
        ended = false;
    };
    while (!input.rest.isEmpty()) {
        const int step = input.byte() % StepKinds;
        Progress reported = Progress::Empty;
        if (step == Segment) {
            const QByteArrayView segment = input.bytes(input.byte() % SegmentLengthLimit);
            bytes.append(segment);
            reported = assembler.segmentArrived(ExactBytes(segment).view());
        } else if (step == Take) {
            take();
            continue;
        } else {
            ended = !bytes.isEmpty();
            reported = step == PeerClosed ? assembler.peerClosed() : assembler.idleElapsed();
        }
        const bool complete = ended || bytes.size() >= MaxDecodedLength
            || (bytes.size() > LengthOffset && bytes.size() >= PreambleLength + quint8(bytes[LengthOffset]));
        require(reported == assembler.progress(), "a step reports the progress it leaves");
        require(reported == (bytes.isEmpty() ? Progress::Empty : complete ? Progress::Complete : Progress::Partial),
                "the reply is complete exactly when its bytes say so");
        if (reported == Progress::Complete)
            take();
    }
    take();
    return 0;
}
