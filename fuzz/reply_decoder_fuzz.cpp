// DecodeReply on any bytes, with any state of the window it reads.
// Input: three bytes of window state, then the bytes that arrived. Byte 0, bits 0-1: the locale (C, German, US
// English, or Arabic of Egypt with a decimal separator beyond Latin-1); bits 2-3: the frequency caption (as designed,
// matching the boxes, or anything). Bytes 1 and 2: the twelve frequency boxes Check5, bit k is box k.
// Properties:
// - nothing beyond what arrived is read: every decoding gets its bytes in a heap block of exactly their size;
// - for every prefix of what arrived, the effects are the first effects of the whole (the decode-error line
//   aside, which ends a prefix that broke off); a firmware line shows the characters that had arrived and leaves
//   the places of the others empty;
// - only the first 45 bytes count, and RxBuffer is their body;
// - UpdatingPorts, once raised, is lowered again however the decoding ended;
// - decoding a prefix that is only blanks says "keine Daten" and nothing else.

#include "FuzzSupport.h"

#include "entry/SelectorRows.h"
#include "protocol/Frame.h"
#include "replies/ReplyDecoder.h"

using namespace FuzzSupport;
using namespace ReplyDecoder;

namespace {

const QString FirmwarePrefix = QStringLiteral("-> Firmware ");

QString logText(const ReplyEffect *effect)
{
    const auto *log = effect ? std::get_if<ReplyEffects::WriteLog>(effect) : nullptr;
    return log ? log->text : QString();
}

// The firmware line shows its four characters separated by "."; those that arrived are the first, so a prefix's line is
// the whole's with its last places emptied.
bool isFirmwareLineCut(const ReplyEffect &ofPrefix, const ReplyEffect &ofWhole)
{
    const QString cut = logText(&ofPrefix), full = logText(&ofWhole);
    QStringList places(4);
    for (qsizetype k = 0; k < 4 && k < cut.size() - FirmwarePrefix.size() - 3; ++k)
        places[k] = full.mid(FirmwarePrefix.size() + 2 * k, 1);
    return full.startsWith(FirmwarePrefix) && cut == FirmwarePrefix + places.join(u'.');
}

DecodedReply decodeAlone(QByteArrayView received, const ReplySnapshot &snapshot)
{
    const DecodedReply decoded = DecodeReply(ExactBytes(received).view(), snapshot);
    const QString last = logText(decoded.effects.isEmpty() ? nullptr : &decoded.effects.last());
    if (NothingReadable(received)) {
        require(decoded.end == ReplyEnd::NoData && decoded.effects.size() == 1 && last == "-> Error: keine Daten !"
                    && decoded.rxBuffer == received,
                "blanks only give \"keine Daten\" and nothing else, and RxBuffer holds them");
        return decoded;
    }
    const QByteArrayView counted = received.first(std::min<qsizetype>(received.size(), MaxDecodedLength));
    require(decoded.rxBuffer == counted.sliced(std::min<qsizetype>(counted.size(), Protocol::PreambleLength)),
            "RxBuffer is the body of the first 45 bytes");
    require(decoded.end != ReplyEnd::NoData
                && (decoded.end != ReplyEnd::Undecodable || last == "-> Error: kann Daten nicht dekodieren!!"),
            "readable bytes are data; an undecodable reply ends with the decode-error line");
    const auto ports = std::find_if(decoded.effects.rbegin(), decoded.effects.rend(), [](const ReplyEffect &e) {
        return std::holds_alternative<ReplyEffects::SetUpdatingPorts>(e);
    });
    require(ports == decoded.effects.rend() || !std::get<ReplyEffects::SetUpdatingPorts>(*ports).value,
            "the switch buttons take their states without sending: UpdatingPorts is lowered again");
    return decoded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    ReplySnapshot snapshot;
    const quint8 choices = input.byte(), low = input.byte(); // in this order
    const int boxes = low | input.byte() << 8;
    snapshot.check5 = SelectorRows::frequencyBoxesFor(boxes);
    const QLocale locales[] = {QLocale::c(), QLocale("de_DE"), QLocale("en_US"), QLocale("ar_EG")};
    snapshot.locale = locales[choices & 3];
    const QString captions[] = {SelectorRows::InitialFrequencyCaption,
                                SelectorRows::frequencyCaption(snapshot.check5, snapshot.locale), "F=? MHz"};
    snapshot.label15Frequency = captions[std::min(choices >> 2 & 3, 2)];

    const DecodedReply whole = decodeAlone(input.rest, snapshot);
    // Prefixes longer than 45 bytes are decoded as the 45 bytes are: the last one checked.
    for (qsizetype length = 0; length <= std::min<qsizetype>(input.rest.size() - 1, MaxDecodedLength); ++length) {
        const DecodedReply part = decodeAlone(input.rest.first(length), snapshot);
        if (part.end == ReplyEnd::NoData)
            continue;
        require(length < MaxDecodedLength || (part.effects == whole.effects && part.end == whole.end),
                "bytes beyond the 45th change nothing");
        const qsizetype compared = part.effects.size() - (part.end == ReplyEnd::Undecodable ? 1 : 0);
        require(compared <= whole.effects.size(), "a prefix has no more effects than the whole");
        for (qsizetype k = 0; k < compared; ++k)
            require(part.effects[k] == whole.effects[k] || isFirmwareLineCut(part.effects[k], whole.effects[k]),
                    "the effects of a prefix are the first effects of the whole", QString::number(length));
    }
    return 0;
}
