// DecodeReply on any bytes, with any state of the window it reads.
//
// Input: three bytes of window state, then the bytes that arrived.
//   byte 0, bits 0-1: the locale (C, German, US English, Arabic of Egypt)
//   byte 0, bits 2-3: the frequency caption (as designed, matching the boxes, or anything)
//   bytes 1 and 2:    the twelve frequency boxes Check5, bit k is box k
//
// Properties:
// - nothing beyond what arrived is read: every decoding gets its bytes in a
//   heap block of exactly their size;
// - for every prefix of what arrived, the effects are the first effects of
//   the whole (the decode-error line aside, which ends a prefix that broke
//   off); a firmware line shows the characters that had arrived and leaves
//   the places of the others empty;
// - only the first 45 bytes count, and RxBuffer is their body;
// - decoding a prefix that is only blanks says "keine Daten" and nothing else.

#include "FuzzSupport.h"

#include "entry/SelectorRows.h"
#include "replies/ReplyDecoder.h"
#include "requests/FrameFormat.h"

#include <QLocale>

using namespace FuzzSupport;
using namespace ReplyDecoder;

namespace {

constexpr int StateBytes = 3;
constexpr int LocaleMask = 0x03;
constexpr int CaptionShift = 2;
constexpr int CaptionMask = 0x03;
constexpr int CaptionAsDesigned = 0;
constexpr int CaptionOfTheBoxes = 1;
constexpr int BitsPerByte = 8;

const QString DecodeErrorLine = QStringLiteral("-> Error: kann Daten nicht dekodieren!!");
const QString NoDataLine = QStringLiteral("-> Error: keine Daten !");
const QString FirmwarePrefix = QStringLiteral("-> Firmware ");
constexpr int FirmwareCharacters = 4;

QLocale localeFor(int choice)
{
    switch (choice) {
    case 0: return QLocale::c();
    case 1: return QLocale(QLocale::German, QLocale::Germany);
    case 2: return QLocale(QLocale::English, QLocale::UnitedStates);
    default: return QLocale(QLocale::Arabic, QLocale::Egypt); // a decimal separator beyond Latin-1
    }
}

ReplySnapshot snapshotFrom(InputReader &input)
{
    const quint8 choices = input.byte();
    const int boxBits = input.byte() | input.byte() << BitsPerByte;
    ReplySnapshot snapshot;
    for (std::size_t k = 0; k < snapshot.text1.size(); ++k)
        snapshot.text1[k] = QStringLiteral("Text1(%1)").arg(k);
    for (std::size_t k = 0; k < snapshot.text2.size(); ++k)
        snapshot.text2[k] = QStringLiteral("Text2(%1)").arg(k);
    for (std::size_t k = 0; k < snapshot.text3.size(); ++k)
        snapshot.text3[k] = QStringLiteral("Text3(%1)").arg(k);
    for (int k = 0; k < SelectorRows::FrequencyBits; ++k)
        snapshot.check5[std::size_t(k)] = (boxBits >> k & 1) != 0;
    snapshot.locale = localeFor(choices & LocaleMask);
    switch (choices >> CaptionShift & CaptionMask) {
    case CaptionAsDesigned:
        snapshot.label15Frequency = SelectorRows::InitialFrequencyCaption;
        break;
    case CaptionOfTheBoxes:
        snapshot.label15Frequency = SelectorRows::frequencyCaption(snapshot.check5, snapshot.locale);
        break;
    default:
        snapshot.label15Frequency = QStringLiteral("F=? MHz");
        break;
    }
    return snapshot;
}

QString describe(const ReplyEffect &effect)
{
    if (const auto *log = std::get_if<ReplyEffects::WriteLog>(&effect))
        return QStringLiteral("log [%1]").arg(log->text);
    if (const auto *text = std::get_if<ReplyEffects::SetText>(&effect))
        return QStringLiteral("text %1(%2) = %3").arg(int(text->field.array)).arg(text->field.index).arg(text->text);
    if (const auto *check = std::get_if<ReplyEffects::SetCheck>(&effect))
        return QStringLiteral("check %1(%2) = %3").arg(int(check->box.array)).arg(check->box.index).arg(check->value);
    return QStringLiteral("effect kind %1").arg(effect.index());
}

QString describe(const QList<ReplyEffect> &effects)
{
    QStringList lines;
    for (const ReplyEffect &effect : effects)
        lines << describe(effect);
    return lines.join(u'\n');
}

bool isLog(const ReplyEffect &effect, const QString &text)
{
    const auto *log = std::get_if<ReplyEffects::WriteLog>(&effect);
    return log && log->text == text;
}

// The firmware line shows its four characters separated by "."; a character
// that did not arrive leaves its place empty. The characters that arrived are
// the first ones, so the line of a prefix is the whole's line with its last
// places emptied.
bool isFirmwareLineCut(const ReplyEffect &ofPrefix, const ReplyEffect &ofWhole)
{
    const auto *cut = std::get_if<ReplyEffects::WriteLog>(&ofPrefix);
    const auto *full = std::get_if<ReplyEffects::WriteLog>(&ofWhole);
    if (!cut || !full || !cut->text.startsWith(FirmwarePrefix) || !full->text.startsWith(FirmwarePrefix))
        return false;
    const qsizetype separators = FirmwareCharacters - 1;
    const qsizetype shownInWhole = full->text.size() - FirmwarePrefix.size() - separators;
    const qsizetype shownInPrefix = cut->text.size() - FirmwarePrefix.size() - separators;
    if (shownInPrefix < 0 || shownInPrefix > shownInWhole || shownInWhole > FirmwareCharacters)
        return false;
    QStringList places;
    for (qsizetype k = 0; k < FirmwareCharacters; ++k)
        places << (k < shownInPrefix ? QString(full->text[FirmwarePrefix.size() + 2 * k]) : QString());
    return cut->text == FirmwarePrefix + places.join(u'.');
}

DecodedReply decodeExactly(QByteArrayView received, const ReplySnapshot &snapshot)
{
    const ExactBytes exact(received);
    return DecodeReply(exact.view(), snapshot);
}

void checkAlone(QByteArrayView received, const DecodedReply &decoded)
{
    if (NothingReadable(received)) {
        require(decoded.end == ReplyEnd::NoData && decoded.effects.size() == 1 && isLog(decoded.effects[0], NoDataLine),
                "blanks only give \"keine Daten\" and nothing else", describe(decoded.effects));
        require(decoded.rxBuffer == received, "RxBuffer holds what arrived when nothing readable did");
        return;
    }
    require(decoded.end != ReplyEnd::NoData, "readable bytes are decoded");
    const QByteArrayView decodedPart = received.first(std::min<qsizetype>(received.size(), FrameFormat::MaxDecodedLength));
    const QByteArrayView body = decodedPart.sliced(std::min<qsizetype>(decodedPart.size(), FrameFormat::PreambleLength));
    require(decoded.rxBuffer == body, "RxBuffer is the body of the first 45 bytes", hex(decoded.rxBuffer));
    require(decoded.effects.isEmpty() || !isLog(decoded.effects.last(), NoDataLine), "readable bytes are data");
    if (decoded.end == ReplyEnd::Undecodable)
        require(!decoded.effects.isEmpty() && isLog(decoded.effects.last(), DecodeErrorLine),
                "an undecodable reply ends with the decode-error line", describe(decoded.effects));
}

void checkPrefix(QByteArrayView prefix, const DecodedReply &ofPrefix, const DecodedReply &ofWhole)
{
    checkAlone(prefix, ofPrefix);
    if (ofPrefix.end == ReplyEnd::NoData)
        return;
    if (prefix.size() >= FrameFormat::MaxDecodedLength) {
        require(ofPrefix.effects == ofWhole.effects && ofPrefix.end == ofWhole.end,
                "bytes beyond the 45th change nothing");
        return;
    }
    QList<ReplyEffect> effects = ofPrefix.effects;
    if (ofPrefix.end == ReplyEnd::Undecodable)
        effects.removeLast();
    const QString detail = QStringLiteral("prefix of %1 bytes:\n%2\n-- whole:\n%3")
                               .arg(prefix.size())
                               .arg(describe(ofPrefix.effects), describe(ofWhole.effects));
    require(effects.size() <= ofWhole.effects.size(), "a prefix has no more effects than the whole", detail);
    for (qsizetype k = 0; k < effects.size(); ++k)
        require(effects[k] == ofWhole.effects[k] || isFirmwareLineCut(effects[k], ofWhole.effects[k]),
                "the effects of a prefix are the first effects of the whole", detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    if (size < StateBytes)
        return -1; // not kept in the corpus
    InputReader input(data, size);
    const ReplySnapshot snapshot = snapshotFrom(input);
    const QByteArrayView received = input.rest();

    const DecodedReply whole = decodeExactly(received, snapshot);
    checkAlone(received, whole);
    // Prefixes longer than 45 bytes are decoded as the 45 bytes are: the last one checked.
    const qsizetype longest = std::min<qsizetype>(received.size() - 1, FrameFormat::MaxDecodedLength);
    for (qsizetype length = 0; length <= longest; ++length) {
        const QByteArrayView prefix = received.first(length);
        checkPrefix(prefix, decodeExactly(prefix, snapshot), whole);
    }
    return 0;
}
