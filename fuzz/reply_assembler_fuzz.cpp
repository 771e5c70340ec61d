// The collection of one reply's bytes under any sequence of segments, closes by the peer and idle ticks.
// Input: steps, each a byte whose value modulo 4 says: 0 a segment arrives (the next byte modulo 64 is its length,
// its bytes follow), 1 the peer closes, 2 the idle time passes, 3 the window takes what arrived. A complete reply is
// taken at once, as the window takes and decodes it.
// Properties:
// - the reply taken is exactly the bytes of the segments since the last take: nothing lost, added or carried over;
// - "empty" means nothing arrived; "complete" holds from the first moment its frame is there (2 + its length
//   byte), 45 bytes are there, or the peer closed or went idle after sending something, and not before;
// - what is taken decodes without reading beyond it.

#include "FuzzSupport.h"

#include "replies/ReplyAssembler.h"
#include "replies/ReplyDecoder.h"

using namespace FuzzSupport;
using ReplyDecoder::MaxDecodedLength;
using Progress = ReplyAssembler::Progress;

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    enum Step { Segment, PeerClosed, IdleElapsed, Take };
    constexpr int PreambleLength = 2;
    constexpr int LengthOffset = 4; // the length byte is the fifth on the wire
    InputReader input(data, size);
    ReplyAssembler assembler;
    QByteArray bytes; // what the reply must hold
    bool ended = false; // the peer closed or went idle after some bytes had come
    const auto take = [&] {
        const QByteArray taken = assembler.take();
        require(taken == bytes && assembler.progress() == Progress::Empty,
                "the reply taken is exactly what arrived since the last one, and nothing stays behind");
        ReplyDecoder::DecodeReply(ExactBytes(taken).view(), ReplySnapshot());
        bytes.clear();
        ended = false;
    };
    while (!input.rest.isEmpty()) {
        const int step = input.byte() % 4;
        if (step == Take) {
            take();
            continue;
        }
        Progress reported;
        if (step == Segment) {
            const QByteArrayView segment = input.bytes(input.byte() % 64);
            bytes.append(segment);
            reported = assembler.segmentArrived(ExactBytes(segment).view());
        } else {
            ended = !bytes.isEmpty();
            reported = step == PeerClosed ? assembler.peerClosed() : assembler.idleElapsed();
        }
        const bool complete = ended || bytes.size() >= MaxDecodedLength
            || (bytes.size() > LengthOffset && bytes.size() >= PreambleLength + quint8(bytes[LengthOffset]));
        const Progress wanted = bytes.isEmpty() ? Progress::Empty : complete ? Progress::Complete : Progress::Partial;
        require(reported == wanted && assembler.progress() == wanted,
                "a step reports the progress it leaves, complete exactly when the bytes say so");
        if (reported == Progress::Complete)
            take();
    }
    take();
    return 0;
}
