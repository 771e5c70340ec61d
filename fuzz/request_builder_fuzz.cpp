// BuildRequest and the number conversions under it, with any texts in the fields.
// Input: eleven bytes of window state, then the field texts (UTF-8) separated by NUL bytes: Text1(0..19),
// Text2(0..19), Text3(0..5), Text5(0..5). The bytes: CurrentCommand (modulo 7: also values no button sets),
// CurrentChannel (signed), the target kind's list index (modulo 3: also a kind the list lacks), the switch button
// Port1(CurrentChannel) (bit 0), the transmit-power byte, the two frequency bytes, then for the new flag boxes
// Check2 (LAN) and Check4 (radio) a byte of the ticked ones (bit k is box k) and a byte of the grey ones (value 2).
// Properties:
// - a frame is the preamble FF AA and a body whose length byte is its length, whose checksum byte is the sum of
//   its other bytes modulo 256, and whose code and length are those of the command; without a frame, nothing is
//   sent because the command or target kind is unknown or a check refused;
// - the programming frames carry what the fields say where the fields say it plainly: the port's two bytes, the
//   T-Diff tenths of a radio device that passed its checks;
// - whole numbers and T-Diff tenths written back as text read as themselves.

#include "FuzzSupport.h"

#include "protocol/Frame.h"
#include "requests/NumberConversions.h"
#include "requests/RequestBuilder.h"

#include <QSet>

#include <map>

using namespace FuzzSupport;
using namespace NumberConversions;
using namespace RequestBuilder;

namespace {

void checkFrame(const RequestSnapshot &s, const BuiltRequest &built)
{
    // Code and body length of each command; radio programming is shorter.
    static const std::map<int, std::pair<int, int>> Frames = {
        {CommandParameterRequest, {200, 12}}, {CommandProgramming, {202, 33}}, {CommandMeasurementRequest, {206, 12}},
        {CommandSwitch, {3, 13}}, {CommandAutoSend, {207, 13}}};
    constexpr int LengthProgrammingRadio = 21;
    const QByteArray &frame = built.requestFrame;
    const bool radio = s.targetKindIndex == TargetRadio;
    const bool known = Frames.contains(s.currentCommand) && (radio || s.targetKindIndex == TargetLan);
    const bool programming = s.currentCommand == CommandProgramming;
    if (frame.isEmpty()) {
        const bool refused = !built.effects.isEmpty()
            && std::holds_alternative<RequestEffects::ShowCheckVerdict>(built.effects.last());
        require(!known || (programming && refused),
                "a known command to a known target is sent unless a check refused it");
        return;
    }
    require(known && !Protocol::checkFrame(frame),
            "a frame of a known command is whole: preamble FF AA, the length byte its body's, the checksum the sum of "
            "the others");
    const auto [code, length] = Frames.at(s.currentCommand);
    const int wanted = radio && programming ? LengthProgrammingRadio : length;
    const Protocol::ParsedRequest parsed = Protocol::parseRequest(frame);
    require(frame.size() == Protocol::PreambleLength + wanted && parsed.message.header.code == code && parsed.complete(),
            "the code is the command's, and the body has the command's length");
    // Both T-Diff values of a radio device passed the check (0.1 to 25.5), so both have a byte of tenths.
    const auto *radioProgramming = std::get_if<Protocol::RadioProgramming>(&parsed.message.payload);
    require(!programming || !radio || (radioProgramming && radioProgramming->tDiffOn && radioProgramming->tDiffOff),
            "T-Diff values that pass the check are sent");
    // Where the port field Text2(16) says a number plainly, the frame carries it.
    const double port = leadingNumber(s.text2[16]);
    const auto *lanProgramming = std::get_if<Protocol::LanProgramming>(&parsed.message.payload);
    if (programming && !radio && port >= 0 && port < 65536 && port == int(port))
        require(lanProgramming && lanProgramming->port == int(port), "the port of the field goes out", s.text2[16]);
}

// What a conversion makes of a text reads the same once written back as text.
void checkConversions(const QString &text)
{
    if (const auto whole = wholeNumber(text))
        require(wholeNumber(QString::number(*whole)) == whole && leadingWholeNumber(QString::number(*whole)) == whole,
                "a whole number reads as itself, also as a leading number", text);
    if (const auto tenths = tDiffByte(text)) {
        const QString written = QString::number(*tenths / 10.0, 'f', 1);
        require(tDiffByte(written) == tenths && tDiffByte(QString(written).replace(u'.', u',')) == tenths,
                "T-Diff tenths read as themselves, with \".\" or \",\"", text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const quint8 *data, std::size_t size)
{
    InputReader input(data, size);
    RequestSnapshot s;
    s.currentCommand = input.byte() % 7;
    s.currentChannel = qint8(input.byte());
    s.targetKindIndex = input.byte() % 3;
    s.port1State = input.byte() & 1;
    s.txPowerByte = input.byte();
    s.frequencyHigh = input.byte();
    s.frequencyLow = input.byte();
    const auto boxes = [&input](auto &values) { // ticked (1), grey (2) or neither
        const int ticked = input.byte(), grey = input.byte();
        for (std::size_t k = 0; k < values.size(); ++k)
            values[k] = (grey >> k & 1) ? 2 : (ticked >> k & 1);
    };
    boxes(s.check2);
    boxes(s.check4);
    const QList<QByteArray> parts = input.rest.toByteArray().split('\0');
    qsizetype next = 0;
    // A conversion depends on the text alone: each text is checked once, not once for each of the fields that hold
    // it (most fields are empty), which took four fifths of the time.
    QSet<QString> checked;
    const auto texts = [&](auto &fields) {
        for (QString &field : fields) {
            field = QString::fromUtf8(parts.value(next++));
            if (!checked.contains(field)) {
                checked.insert(field);
                checkConversions(field);
            }
        }
    };
    texts(s.text1);
    texts(s.text2);
    texts(s.text3);
    texts(s.text5);
    checkFrame(s, BuildRequest(s));
    return 0;
}
