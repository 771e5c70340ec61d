// The frame format and the typed requests and replies: a value encodes to its bytes and the bytes parse back to
// it; a frame cut short parses as far as it arrived.

#include "TestMain.h"
#include "protocol/Frame.h"

#include <vector>

using namespace Protocol;
using Message = std::variant<Request, Reply>;
Q_DECLARE_METATYPE(Message)
Q_DECLARE_METATYPE(std::optional<FrameFault>)

namespace {

Header header(quint8 code, quint8 eNum, RadioAddress destination, std::pair<quint8, quint8> source,
              quint8 deviceClass, quint8 function)
{
    return {0, code, eNum, destination, source.first, source.second, deviceClass, function};
}

// What the tool sends, and what comes back to it.
Header fromTool(quint8 code, quint8 eNum, RadioAddress destination, quint8 deviceClass)
{
    return header(code, eNum, destination, {ToolAddressHigh, ToolAddressLow}, deviceClass, ToolDeviceFunction);
}
Header toTool(quint8 code, quint8 eNum, std::pair<quint8, quint8> source, quint8 deviceClass, quint8 function)
{
    return header(code, eNum, {28, 255, 254}, source, deviceClass, function);
}

const RadioAddress Radio{22, 1, 2};
const QByteArray LanParametersHex = "FFAA 00C9 2301 1CFFFE 0000 0101 B0 31303233 C0A81CD7 C0A81CFE FFFFFF00 C0A81C0A 0154 25";

// Parses from a buffer of exactly the bytes' size, so that the sanitizers see any read beyond.
ParsedReply parseExact(const QByteArray &bytes)
{
    const std::vector<char> exact(bytes.begin(), bytes.end());
    return parseReply(QByteArrayView(exact.data(), bytes.size()));
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    // One table for both directions: each value encodes to its hex, and its hex parses back to the value, whole.
    void messages_data()
    {
        QTest::addColumn<Message>("value");
        QTest::addColumn<QByteArray>("hex");
        const auto row = [](const char *name, const Message &value, const QByteArray &hex) {
            QTest::newRow(name) << value << hex;
        };
        row("parameter request to the LAN device with eNum 1",
            Request{fromTool(200, 1, LanDestination, 1), ParameterRequest{}}, "FFAA 00C8 0C01 1CFFFE FFFE 0101 ED");
        row("measurement request to the radio device 22/1/2 with eNum 3",
            Request{fromTool(206, 3, Radio, 2), MeasurementRequest{}}, "FFAA 00CE 0C03 160102 FFFE 0201 F6");
        row("switching: channel 3 addressed in the high four bits, switched on in the low four",
            Request{fromTool(3, 1, LanDestination, 1), SwitchRequest{{0x4, 0x4}}}, "FFAA 0003 0D01 1CFFFE FFFE 0101 6D 44");
        row("AutoSend for input 4", Request{fromTool(207, 3, Radio, 2), AutoSendRequest{{0x8, 0}}},
            "FFAA 00CF 0D03 160102 FFFE 0201 78 80");
        row("LAN programming: addresses first octet first, port 5000 high byte first, flags, T-Diff tenths",
            Request{fromTool(202, 7, LanDestination, 1),
                    LanProgramming{{192, 168, 1, 50}, {192, 168, 1, 1}, {255, 255, 255, 0}, {192, 168, 1, 10}, 5000,
                                   0x8D, 15, 12}},
            "FFAA 00CA 2107 1CFFFE FFFE 0101 C2 C0A80132 C0A80101 FFFFFF00 C0A8010A 1388 8D 0F0C");
        row("radio programming of a device with class 2: the new address in the payload",
            Request{fromTool(202, 5, {28, 1, 22}, 2), RadioProgramming{{28, 1, 23}, 0xA5, 0xA34C, 0x12, 25, 5}},
            "FFAA 00CA 1505 1C0116 FFFE 0201 0F 1C0117 A5 A34C 12 19 05");
        row("a request of an unknown code has its header only", Request{fromTool(201, 1, LanDestination, 1), UnknownRequest{}},
            "FFAA 00C9 0C01 1CFFFE FFFE 0101 EE");
        row("LAN parameters: firmware characters, four addresses, port 340, flags",
            Reply{toTool(201, 1, {0, 0}, 1, 1),
                  LanParameters{{'1', '0', '2', '3'}, {192, 168, 28, 215}, {192, 168, 28, 254}, {255, 255, 255, 0},
                                {192, 168, 28, 10}, 340, 0x25}},
            LanParametersHex);
        row("radio parameters: transmit power, frequency word, firmware between them and the flags",
            Reply{toTool(201, 123, {1, 22}, 2, 1), RadioParameters{0xA3, 0xA352, {'2', '1', '0', '7'}, 0x25, 12, 8}},
            "FFAA 00C9 167B 1CFFFE 0116 0201 28 A3 A352 32313037 25 0C08");
        row("parameters of a device of class 0: the header alone", Reply{toTool(201, 1, {255, 254}, 0, 150), OtherParameters{}},
            "FFAA 00C9 0C01 1CFFFE FFFE 0096 82");
        row("measurement values under 206: channel bytes, 21.5 and 19.0 degrees",
            Reply{toTool(206, 1, {0, 0}, 1, 1), MeasurementValues{0x09, 0x02, {false, 215}, {false, 190}}},
            "FFAA 00CE 1201 1CFFFE 0000 0101 9C 09 02 00D7 00BE");
        row("measurement values under 106: upper channel bits kept, 3276.7 and a minus zero",
            Reply{toTool(106, 1, {0, 0}, 1, 5), MeasurementValues{0xF9, 0x02, {false, 0x7FFF}, {true, 0}}},
            "FFAA 006A 1201 1CFFFE 0000 0105 95 F9 02 7FFF 8000");
        row("switch acknowledgement", Reply{toTool(3, 1, {0, 0}, 1, 1), SwitchAcknowledged{0x03}},
            "FFAA 0003 0D01 1CFFFE 0000 0101 2F 03");
        row("weather data: three unused bytes before -2.5 degrees",
            Reply{toTool(191, 125, {1, 30}, 2, 150), WeatherData{3, 17, 12, {true, 25}, 88}},
            "FFAA 00BF 167D 1CFFFE 011E 0296 33 03 11 000C 000000 8019 58");
        row("programming acknowledged", Reply{toTool(203, 123, {1, 24}, 2, 1), ProgrammingAcknowledged{}},
            "FFAA 00CB 0C7B 1CFFFE 0118 0201 87");
        row("programming acknowledged with the new LAN parameters current",
            Reply{toTool(240, 7, {0, 0}, 1, 1), LanProgrammingAcknowledged{}}, "FFAA 00F0 0C07 1CFFFE 0000 0101 1E");
        row("a reply of the programming request's own code is unknown", Reply{toTool(202, 1, {255, 254}, 1, 1), UnknownReply{}},
            "FFAA 00CA 0C01 1CFFFE FFFE 0101 EF");
    }
    void messages()
    {
        QFETCH(Message, value);
        QFETCH(QByteArray, hex);
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (const Request *request = std::get_if<Request>(&value)) {
            QCOMPARE(encodeRequest(*request).toHex().toUpper(), bytes.toHex().toUpper());
            const ParsedRequest parsed = parseRequest(bytes);
            QVERIFY(parsed.complete());
            QVERIFY(parsed.message == *request);
        } else {
            const Reply &reply = std::get<Reply>(value);
            QCOMPARE(encodeReply(reply).toHex().toUpper(), bytes.toHex().toUpper());
            const ParsedReply parsed = parseExact(bytes);
            QVERIFY(parsed.complete());
            QVERIFY(parsed.message == reply);
        }
    }

    // A reply cut short: the fields that arrived have their values, a field of octets those octets that arrived,
    // the rest is 0, and the parse says which fields arrived.
    void aCutReplySaysHowFarItGot()
    {
        const QByteArray whole = QByteArray::fromHex(LanParametersHex);
        // In the header, after the device class.
        ParsedReply cut = parseExact(whole.left(12));
        QVERIFY(cut.arrived(&Header::deviceClass) && !cut.arrived(&Header::deviceFunction));
        QVERIFY(cut.message.header == toTool(201, 1, {0, 0}, 1, 0));
        QVERIFY(!cut.arrived(&LanParameters::firmware) && !cut.complete());
        // After two octets of the standard destination.
        cut = parseExact(whole.left(32));
        const LanParameters &lan = std::get<LanParameters>(cut.message.payload);
        QVERIFY(cut.arrived(&LanParameters::subnetMask) && !cut.arrived(&LanParameters::standardDestination));
        QCOMPARE(cut.partsArrived(&LanParameters::standardDestination), 2);
        QCOMPARE(cut.partsArrived(&LanParameters::gateway), 4);
        QCOMPARE(cut.partsArrived(&LanParameters::firmware), 4);
        QCOMPARE(lan.standardDestination, (Ipv4{192, 168, 0, 0}));
        QCOMPARE(lan.subnetMask, (Ipv4{255, 255, 255, 0}));
        // The port's high byte alone is no port.
        cut = parseExact(whole.left(whole.size() - 2));
        QVERIFY(!cut.arrived(&LanParameters::port) && std::get<LanParameters>(cut.message.payload).port == 0);
        QCOMPARE(cut.payloadArrived(), 21);
        QCOMPARE(cut.payloadLength(), 23);
        // Nothing but a preamble: no code.
        cut = parseExact(whole.left(2));
        QVERIFY(!cut.arrived(&Header::reserved) && std::holds_alternative<UnknownReply>(cut.message.payload));
    }

    void checkFrame_data()
    {
        QTest::addColumn<QByteArray>("hex");
        QTest::addColumn<std::optional<FrameFault>>("fault");
        using Kind = FrameFault::Kind;
        QTest::newRow("a whole frame") << QByteArray("FFAA 00C8 0C01 1CFFFE FFFE 0101 ED") << std::optional<FrameFault>();
        QTest::newRow("a header without its checksum is too short")
            << QByteArray("FFAA 00C8 0C01 1CFFFE FFFE 0101") << std::optional(FrameFault{Kind::TooShort, 0, 13});
        QTest::newRow("no preamble") << QByteArray("FF00 00C8 0C01 1CFFFE FFFE 0101 ED") << std::optional(FrameFault{Kind::NoPreamble});
        QTest::newRow("the length byte counts the body, the preamble aside")
            << QByteArray("FFAA 00C8 0E01 1CFFFE FFFE 0101 ED") << std::optional(FrameFault{Kind::LengthMismatch, 14, 12});
        QTest::newRow("a checksum one off") << QByteArray("FFAA 00C8 0C01 1CFFFE FFFE 0101 EE")
                                            << std::optional(FrameFault{Kind::WrongChecksum, 0xEE, 0xED});
    }
    void checkFrame()
    {
        QFETCH(QByteArray, hex);
        QFETCH(std::optional<FrameFault>, fault);
        QVERIFY(Protocol::checkFrame(QByteArray::fromHex(hex)) == fault);
    }

    // The frames above hold 0 in their first body byte: here every byte counts but the checksum's own place.
    void checksumSumsTheBodyButItsOwnPlace()
    {
        QCOMPARE(checksum(QByteArray::fromHex("FFFFFFFFFFFFFFFFFFFFFFFF")), 0xF5); // 11 * 0xFF
    }
};

TESSRA_TEST(TestFrame)
#include "tst_Frame.moc"
