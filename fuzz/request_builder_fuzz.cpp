// BuildRequest and the number conversions under it, with any texts in the fields.
//
// Input: eleven bytes of window state, then the field texts (UTF-8), separated
// by NUL bytes, in the order Text1(0..19), Text2(0..19), Text3(0..5), Text5(0..5).
//   byte 0: CurrentCommand (value modulo 7: also the values no button sets)
//   byte 1: CurrentChannel (signed)
//   byte 2: the target kind's list index (value modulo 3: also a kind the list does not have)
//   byte 3: the state of the switch button Port1(CurrentChannel), bit 0
//   byte 4: the transmit-power byte; bytes 5 and 6: the frequency bytes
//   byte 7: the new LAN flag boxes Check2, bit k is box k (ticked or not)
//   byte 8: which of them is grey (value 2) instead
//   byte 9: the new radio flag boxes Check4; byte 10: which of them is grey
//
// Properties:
// - a frame is the preamble FF AA and a body whose length byte is its length,
//   whose checksum byte is the sum of its other bytes modulo 256, and whose
//   code and length are those of the command; without a frame, nothing is sent
//   because the command or target kind is unknown or a check refused;
// - the programming frames carry what the fields say where the fields say it
//   plainly: the port's two bytes, the T-Diff tenths of a radio device that
//   passed its checks;
// - whole numbers and T-Diff tenths written back as text read as themselves.

#include "FuzzSupport.h"

#include "requests/FrameFormat.h"
#include "requests/NumberConversions.h"
#include "requests/RequestBuilder.h"

#include <cmath>

using namespace FuzzSupport;
using namespace FrameFormat;

namespace {

constexpr int CommandChoices = 7;
constexpr int TargetChoices = 3;
constexpr int GreyBox = 2;
constexpr int TickedBox = 1;
constexpr int ByteBase = 256;
constexpr int PortLimit = 65536;
constexpr int TenthsPerUnit = 10;
constexpr int LanPortField = 16;
constexpr int RadioTDiffOnField = 4;
constexpr int RadioTDiffOffField = 5;

// Payload byte k (from 1) sits at body position PosData + k - 1, wire offset + 2.
constexpr int wireOffsetOfPayload(int byteNumber)
{
    return PreambleLength + PosData + byteNumber - 2;
}
constexpr int LanPortHigh = wireOffsetOfPayload(17);
constexpr int LanPortLow = wireOffsetOfPayload(18);
constexpr int RadioTDiffOn = wireOffsetOfPayload(8);
constexpr int RadioTDiffOff = wireOffsetOfPayload(9);

struct Expectation
{
    quint8 code;
    int length;
};

std::optional<Expectation> expectationFor(int command, int target)
{
    const bool radio = target == RequestBuilder::TargetRadio;
    if (target != RequestBuilder::TargetLan && !radio)
        return std::nullopt;
    switch (command) {
    case CommandParameterRequest: return Expectation{CodeParameterRequest, LengthParameterRequest};
    case CommandProgramming:
        return Expectation{CodeProgramming, radio ? LengthProgrammingRadio : LengthProgrammingLan};
    case CommandMeasurementRequest: return Expectation{CodeMeasurementRequest, LengthMeasurementRequest};
    case CommandSwitch: return Expectation{CodeSwitch, LengthSwitch};
    case CommandAutoSend: return Expectation{CodeAutoSend, LengthAutoSend};
    default: return std::nullopt;
    }
}

template<std::size_t N>
void fillBoxes(std::array<int, N> &boxes, quint8 ticked, quint8 grey)
{
    for (std::size_t k = 0; k < N; ++k)
        boxes[k] = (grey >> k & 1) ? GreyBox : (ticked >> k & 1) ? TickedBox : 0;
}

template<std::size_t N>
void fillTexts(std::array<QString, N> &texts, InputReader &input)
{
    for (QString &text : texts)
        text = QString::fromUtf8(input.upTo('\0'));
}

RequestSnapshot snapshotFrom(InputReader &input)
{
    RequestSnapshot s;
    s.currentCommand = input.byte() % CommandChoices;
    s.currentChannel = qint8(input.byte());
    s.targetKindIndex = input.byte() % TargetChoices;
    s.port1State = input.byte() & 1;
    s.txPowerByte = input.byte();
    s.frequencyHigh = input.byte();
    s.frequencyLow = input.byte();
    const quint8 lanTicked = input.byte();
    fillBoxes(s.check2, lanTicked, input.byte());
    const quint8 radioTicked = input.byte();
    fillBoxes(s.check4, radioTicked, input.byte());
    fillTexts(s.text1, input);
    fillTexts(s.text2, input);
    fillTexts(s.text3, input);
    fillTexts(s.text5, input);
    return s;
}

void checkFrame(const RequestSnapshot &snapshot, const RequestBuilder::BuiltRequest &built)
{
    require(!built.effects.isEmpty() && built.effects.first() == RequestEffect(RequestEffects::SetLongReplyTimeout{true}),
            "every request starts with the long reply time-out");
    const std::optional<Expectation> expected = expectationFor(snapshot.currentCommand, snapshot.targetKindIndex);
    const QByteArray &frame = built.requestFrame;
    if (frame.isEmpty()) {
        const bool refused = !built.effects.isEmpty()
            && std::holds_alternative<RequestEffects::ShowCheckVerdict>(built.effects.last());
        require(!expected || (refused && snapshot.currentCommand == CommandProgramming),
                "a known command to a known target is sent unless a check refused it");
        return;
    }
    require(expected.has_value(), "no frame for an unknown command or target kind");
    require(frame.size() >= PreambleLength && quint8(frame[0]) == PreambleFirst && quint8(frame[1]) == PreambleSecond,
            "a frame starts with the preamble FF AA", hex(frame));
    const QByteArray body = frame.sliced(PreambleLength);
    require(body.size() == expected->length && body.size() <= MaxBodyLength, "the body has the command's length",
            hex(frame));
    require(quint8(body[PosLength - 1]) == body.size(), "the length byte is the body's length", hex(frame));
    require(quint8(body[PosCommand - 1]) == expected->code, "the code byte is the command's", hex(frame));
    quint32 sum = 0;
    for (qsizetype k = 0; k < body.size(); ++k) {
        if (k != PosChecksum - 1)
            sum += quint8(body[k]);
    }
    require(quint8(body[PosChecksum - 1]) == sum % ByteBase, "the checksum byte is the sum of the others", hex(frame));
}

// Where a field says a number plainly, the frame carries it.
void checkProgrammingPayload(const RequestSnapshot &snapshot, const QByteArray &frame)
{
    if (frame.isEmpty() || snapshot.currentCommand != CommandProgramming)
        return;
    if (snapshot.targetKindIndex == RequestBuilder::TargetLan) {
        const double port = NumberConversions::leadingNumber(snapshot.text2[LanPortField]);
        if (port >= 0 && port < PortLimit && port == std::floor(port)) {
            const int whole = int(port);
            require(quint8(frame[LanPortHigh]) == whole / ByteBase && quint8(frame[LanPortLow]) == whole % ByteBase,
                    "the port of the field goes out high byte first", snapshot.text2[LanPortField] + u' ' + hex(frame));
        }
    } else {
        // Both T-Diff values passed the check (0.1 to 25.5), so both have a byte of tenths.
        require(quint8(frame[RadioTDiffOn]) > 0 && quint8(frame[RadioTDiffOff]) > 0,
                "T-Diff values that pass the check are sent",
                snapshot.text5[RadioTDiffOnField] + u'|' + snapshot.text5[RadioTDiffOffField] + u' ' + hex(frame));
    }
}

// What a conversion makes of a text reads the same once written back as text.
void checkConversions(const QString &text)
{
    if (const std::optional<qint32> whole = NumberConversions::wholeNumber(text)) {
        require(NumberConversions::wholeNumber(QString::number(*whole)) == whole, "a whole number reads as itself",
                text);
        require(NumberConversions::leadingWholeNumber(QString::number(*whole)) == whole,
                "a whole number's leading number is itself", text);
    }
    if (const std::optional<qint32> leading = NumberConversions::leadingWholeNumber(text))
        require(NumberConversions::leadingWholeNumber(QString::number(*leading) + QStringLiteral("x")) == leading,
                "a leading whole number reads as itself", text);
    if (const std::optional<quint8> tenths = NumberConversions::tDiffByte(text)) {
        const QString written = QStringLiteral("%1.%2").arg(*tenths / TenthsPerUnit).arg(*tenths % TenthsPerUnit);
        require(NumberConversions::tDiffByte(written) == tenths, "T-Diff tenths read as themselves", text);
        require(NumberConversions::tDiffByte(QString(written).replace(u'.', u',')) == tenths,
                "\",\" reads as \".\" in a T-Diff", text);
    }
    const NumberConversions::PortBytes port = NumberConversions::portBytes(text);
    if (port.high && port.low) {
        const int whole = *port.high * ByteBase + *port.low;
        require(NumberConversions::portBytes(QString::number(whole)) == port, "a port's bytes read as themselves",
                text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    const RequestSnapshot snapshot = snapshotFrom(input);
    const RequestBuilder::BuiltRequest built = RequestBuilder::BuildRequest(snapshot);
    checkFrame(snapshot, built);
    checkProgrammingPayload(snapshot, built.requestFrame);
    for (const auto *texts : {&snapshot.text1, &snapshot.text2}) {
        for (const QString &text : *texts)
            checkConversions(text);
    }
    for (const auto *texts : {&snapshot.text3, &snapshot.text5}) {
        for (const QString &text : *texts)
            checkConversions(text);
    }
    return 0;
}
