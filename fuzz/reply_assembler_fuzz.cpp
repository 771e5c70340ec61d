// The collection of one reply's bytes, as the window drives it, under any
// sequence of segments, closes by the peer and idle ticks.
//
// Input: a sequence of steps; each starts with one byte whose value modulo 4 is
//   0: a segment arrives; the next byte is its length (0 to 63), its bytes follow
//   1: the peer closes the connection
//   2: no further byte came for the idle time
//   3: the window takes what arrived (as it does once the reply is complete)
// Once the reply is complete the window takes and decodes it at once, as it
// does; step 3 also takes a reply that is not complete yet.
//
// Properties:
// - the reply taken is exactly the bytes of the segments since the last take:
//   nothing lost, nothing added, nothing carried over into the next reply;
// - "empty" means nothing arrived; "complete" holds from the first moment its
//   frame is there (2 + its length byte), 45 bytes are there, or the peer closed
//   or went idle after sending something, and not before;
// - what is taken decodes without reading beyond it.

#include "FuzzSupport.h"

#include "replies/ReplyAssembler.h"
#include "replies/ReplyDecoder.h"
#include "requests/FrameFormat.h"

using namespace FuzzSupport;
using Progress = ReplyAssembler::Progress;

namespace {

constexpr int StepKinds = 4;
constexpr int SegmentLengthLimit = 64;
constexpr int LengthOffset = FrameFormat::PreambleLength + FrameFormat::PosLength - 1;

enum Step { Segment = 0, PeerClosed = 1, IdleElapsed = 2, Take = 3 };

// What the reply must look like, kept beside the real one.
struct Expected
{
    QByteArray bytes;
    bool ended = false; // the peer closed or went idle after some bytes had come

    bool frameIsThere() const
    {
        return bytes.size() > LengthOffset
            && bytes.size() >= FrameFormat::PreambleLength + quint8(bytes.at(LengthOffset));
    }

    Progress progress() const
    {
        if (bytes.isEmpty())
            return Progress::Empty;
        if (ended || bytes.size() >= FrameFormat::MaxDecodedLength || frameIsThere())
            return Progress::Complete;
        return Progress::Partial;
    }
};

QString name(Progress progress)
{
    switch (progress) {
    case Progress::Empty: return QStringLiteral("empty");
    case Progress::Partial: return QStringLiteral("partial");
    case Progress::Complete: return QStringLiteral("complete");
    }
    return QString();
}

void takeAndDecode(ReplyAssembler &assembler, Expected &expected)
{
    const QByteArray taken = assembler.take();
    require(taken == expected.bytes, "the reply taken is exactly what arrived since the last one",
            hex(taken) + QStringLiteral("\n-- expected:\n") + hex(expected.bytes));
    require(assembler.progress() == Progress::Empty, "a reply taken leaves nothing behind");
    expected = Expected();
    if (!taken.isEmpty()) {
        const ExactBytes exact(taken);
        ReplyDecoder::DecodeReply(exact.view(), ReplySnapshot());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    ReplyAssembler assembler;
    Expected expected;
    while (!input.atEnd()) {
        const int step = input.byte() % StepKinds;
        Progress reported = Progress::Empty;
        switch (step) {
        case Segment: {
            const QByteArrayView segment = input.bytes(input.byte() % SegmentLengthLimit);
            expected.bytes.append(segment);
            reported = assembler.segmentArrived(ExactBytes(segment).view());
            break;
        }
        case PeerClosed:
            expected.ended = !expected.bytes.isEmpty();
            reported = assembler.peerClosed();
            break;
        case IdleElapsed:
            expected.ended = !expected.bytes.isEmpty();
            reported = assembler.idleElapsed();
            break;
        case Take:
            takeAndDecode(assembler, expected);
            continue;
        }
        require(reported == assembler.progress(), "a step reports the progress it leaves");
        require(reported == expected.progress(), "the reply is complete exactly when its bytes say so",
                QStringLiteral("reported %1, expected %2 after %3")
                    .arg(name(reported), name(expected.progress()), hex(expected.bytes)));
        if (reported == Progress::Complete)
            takeAndDecode(assembler, expected);
    }
    takeAndDecode(assembler, expected);
    return 0;
}
