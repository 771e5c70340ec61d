// Every kind of reply, crossing a real socket into the real window: the log
// lines in order, the fields, boxes, switch buttons, indicators and the
// temperature display they leave, under a "." and a "," locale where numbers
// are shown.

#include "TestMain.h"
#include "Installation.h"

#include "requests/SwitchColours.h"
#include "requests/TwoStateButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

using namespace WindowHarness;

namespace {

constexpr int HeaderLength = 12;
constexpr int MaxDecoded = 45;
// Bytes of the body, counted from 0.
enum BodyIndex { Code = 1, Length, ENum, SrcHigh = 7, SrcLow, DeviceClass, DeviceFunction, Checksum };
// Flag bits whose boxes enable others in the new frames.
constexpr int AutoTxInChgBit = 0x08;
constexpr int TDiffRegulatorBit = 0x20;

const QString Closed = QStringLiteral("Verbindung geschlossen");
const QString ListenOn = QStringLiteral("Listen ON");
const QString Undecodable = QStringLiteral("-> Error: kann Daten nicht dekodieren!!");
const QColor Yellow(255, 255, 0);
const QColor LightGrey(192, 192, 192);
// Paints an indicator before a reply, so that each one must be written.
const QColor Unpainted(10, 20, 30);

struct Header
{
    quint8 code = 0;
    quint8 eNum = 0;
    quint8 srcHigh = 0xFF;
    quint8 srcLow = 0xFE;
    quint8 deviceClass = 0;
    quint8 function = 0;
};

// A reply as a device sends it: preamble, the twelve header bytes with the
// length of the body and its checksum, then the payload.
QByteArray frame(const Header &h, const char *payloadHex)
{
    const QByteArray payload = QByteArray::fromHex(payloadHex);
    QByteArray body(HeaderLength, '\0');
    body[Code] = char(h.code);
    body[Length] = char(HeaderLength + payload.size());
    body[ENum] = char(h.eNum);
    body[SrcHigh] = char(h.srcHigh);
    body[SrcLow] = char(h.srcLow);
    body[DeviceClass] = char(h.deviceClass);
    body[DeviceFunction] = char(h.function);
    body += payload;
    quint8 sum = 0;
    for (char c : body)
        sum = quint8(sum + quint8(c));
    body[Checksum] = char(sum);
    return QByteArray("\xFF\xAA", 2) + body;
}

// The frame broken off after body byte `last`.
QByteArray cut(const QByteArray &reply, int last)
{
    return reply.left(2 + last);
}

struct NumberForm
{
    const char *name;
    QLocale locale;
};

const NumberForm NumberForms[] = {
    {"'.' locale", QLocale(QLocale::English, QLocale::UnitedStates)},
    {"',' locale", QLocale(QLocale::German, QLocale::Germany)},
};

// A number written with "." as the locale writes it.
QString inForm(const QLocale &locale, QString number)
{
    return number.replace(u'.', locale.decimalPoint());
}

template <typename Box>
int bitsOf(const Window &w, const QString &array, int count)
{
    int bits = 0;
    for (int k = 0; k < count; ++k) {
        if (w.child<Box>(QStringLiteral("%1(%2)").arg(array).arg(k))->isChecked())
            bits |= 1 << k;
    }
    return bits;
}

template <typename Box>
void setBits(const Window &w, const QString &array, int count, int bits)
{
    for (int k = 0; k < count; ++k)
        w.child<Box>(QStringLiteral("%1(%2)").arg(array).arg(k))->setChecked((bits >> k) & 1);
}

QStringList textsOf(const Window &w, const QString &array, int count)
{
    QStringList texts;
    for (int k = 0; k < count; ++k)
        texts << w.child<QLineEdit>(QStringLiteral("%1(%2)").arg(array).arg(k))->text();
    return texts;
}

void setTexts(const Window &w, const QString &array, const QStringList &texts)
{
    for (int k = 0; k < texts.size(); ++k)
        w.child<QLineEdit>(QStringLiteral("%1(%2)").arg(array).arg(k))->setText(texts[k]);
}

QString labelText(const Window &w, const QString &name)
{
    return w.child<QLabel>(name)->text();
}

QColor fillOf(const Window &w, int indicator)
{
    return w.child<QWidget>(QStringLiteral("Shape1(%1)").arg(indicator))->palette().color(QPalette::Window);
}

TwoStateButton *switchButton(const Window &w, int channel)
{
    return w.child<TwoStateButton>(QStringLiteral("Port1(%1)").arg(channel));
}

// LAN adapter with eNum 1: firmware 1.0.2.3, IP 192.168.28.215, gateway
// 192.168.28.254, mask 255.255.255.0, destination 192.168.28.10, port 340.
constexpr Header LanSwitch{0xC9, 1, 0xFF, 0xFE, 1, 1};
constexpr const char *LanPayload = "31303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425";
const QString LanFirmwareLine = QStringLiteral("-> Firmware 1.0.2.3");
const QString LanConnectionLine = QStringLiteral(
    "-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP 192.168.28.10, "
    "Port 340, eNum=1");
const QString LanFlagLine = QStringLiteral(
    "-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1, "
    "supress HighPr. Port=0, M2M Comm=0");
const QString LanDeviceLine = QStringLiteral("-> Device: LAN-Devices, Funktion=Schalt-Devices");
// The LAN flag boxes before a reply: every box the other way round from 0x25.
constexpr int LanFlagsBefore = 0xDA;
constexpr int Unchanged = -1;

// Radio thermostat 1/22 with eNum 3: power A3, frequency A3 52, firmware
// 2.1.0.7, flags 25, T-Diff 12 and 8 tenths.
constexpr Header RadioThermostat{0xC9, 3, 0x01, 0x16, 2, 5};
constexpr const char *RadioPayload = "A3A35232313037250C08";
// The radio boxes before a reply: every box the other way round from the thermostat's.
constexpr int RadioFlagsBefore = 0x1A;
constexpr int FrequencyBefore = 0xCAD;
constexpr int PowerBefore = 0x4;
const QStringList CurrentRadioBefore = {"28", "1", "22", "99", "7.7", "6.6"};
const QStringList NewRadioBefore = {"29", "2", "23", "124", "5.5", "4.4"};

// Measurement reply of a switching device, eNum 1: outputs 1 and 4 on, input
// 2 active, 21.5 and -3.0 degrees.
constexpr Header Measurement{0xCE, 1, 0xFF, 0xFE, 1, 1};
constexpr const char *MeasurementPayload = "090200D7801E";

constexpr Header Weather{0xBF, 1, 0xFF, 0xFE, 2, 150};
constexpr const char *WeatherPayload = "0311000C000000801958";
constexpr const char *ShortWeatherPayload = "0311000C0000008019";
const QString WeatherFirstLine = QStringLiteral("-> empfange Wetterdaten....");
const QString WeatherLine =
    QStringLiteral("außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88");

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void lanParameterReply_data();
    void lanParameterReply();
    void newLanParametersBecomeCurrent();
    void radioParameterReply_data();
    void radioParameterReply();
    void measurementReply_data();
    void measurementReply();
    void measurementDuringPollingIsSilent();
    void brokenMeasurementLeavesSwitchesWorking_data();
    void brokenMeasurementLeavesSwitchesWorking();
    void switchAcknowledgementOnlyLogs();
    void undecodableReplyResumesPolling();
    void weatherReply_data();
    void weatherReply();
    void shortWeatherReplyLeavesTheExchangeOpen_data();
    void shortWeatherReplyLeavesTheExchangeOpen();

private:
    bool exchangeEnded() const { return m->controlsEnabled() && m->w.window->Listening; }

    QLocale m_systemLocale;
    std::unique_ptr<Installation> m;
};

void TestReplies::initTestCase()
{
    m_systemLocale = QLocale();
}

void TestReplies::init()
{
    m = std::make_unique<Installation>();
    QVERIFY(m->lan.isListening() && m->gateway.isListening());
    QVERIFY(m->w.showAndActivate());
    QCOMPARE(m->log(), QStringList{ListenOn});
}

void TestReplies::cleanup()
{
    QVERIFY(m->boxes.seen.isEmpty());
    m.reset();
    QLocale::setDefault(m_systemLocale);
}

void TestReplies::lanParameterReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("hangUp"); // the device closes right after its reply
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("gateway"); // Text1(4) to Text1(7); empty: unchanged
    QTest::addColumn<QString>("stdDest"); // Text1(12) to Text1(15); empty: unchanged
    QTest::addColumn<int>("flags"); // Check1 and Check2

    const QByteArray reply = frame(LanSwitch, LanPayload);
    const QStringList all = {LanFirmwareLine, LanConnectionLine, LanFlagLine, LanDeviceLine};
    const QString gateway = QStringLiteral("192.168.28.254");
    const QString stdDest = QStringLiteral("192.168.28.10");

    QTest::newRow("switching adapter: firmware, connection, flags, device; boxes copied")
        << reply << false << all << gateway << stdDest << 0x25;
    QTest::newRow("a device that hangs up right after its reply is decoded the same")
        << reply << true << all << gateway << stdDest << 0x25;
    QByteArray port50000 = frame(LanSwitch, "31303233C0A81CD7C0A81CFEFFFFFF00C0A81C0AC35025");
    QTest::newRow("port bytes C3 50 are port 50000")
        << port50000 << false
        << QStringList{LanFirmwareLine, QString(LanConnectionLine).replace("Port 340", "Port 50000"), LanFlagLine,
                       LanDeviceLine}
        << gateway << stdDest << 0x25;
    QTest::newRow("heat-pump controller: no parameter line, boxes untouched")
        << frame({0xC9, 1, 0xFF, 0xFE, 1, 14}, LanPayload) << false
        << QStringList{LanFirmwareLine, LanConnectionLine, "-> Device: LAN-Devices, Funktion=WärmepumpenController"}
        << gateway << stdDest << Unchanged;
    QTest::newRow("wired weather station: the device line only")
        << frame({0xC9, 1, 0xFF, 0xFE, 0, 150}, LanPayload) << false
        << QStringList{"-> Device: Kabel-Devices, Funktion=Wetterstation"} << QString() << QString() << Unchanged;
    QTest::newRow("class 7 and function 3 have no texts")
        << frame({0xC9, 1, 0xFF, 0xFE, 7, 3}, LanPayload) << false << QStringList{"-> Device: , Funktion="}
        << QString() << QString() << Unchanged;
    QTest::newRow("reply code 202 cannot be decoded")
        << frame({0xCA, 1, 0xFF, 0xFE, 1, 1}, LanPayload) << false << QStringList{Undecodable} << QString()
        << QString() << Unchanged;
    QTest::newRow("reply broken off after the subnet mask keeps firmware line and gateway")
        << cut(reply, 28) << true << QStringList{LanFirmwareLine, Undecodable} << gateway << QString() << Unchanged;
    QTest::newRow("the preamble is not checked")
        << QByteArray("\x12\x34", 2) + reply.mid(2) << false << all << gateway << stdDest << 0x25;
    // A measurement reply follows in the same delivery, 60 bytes in all.
    QTest::newRow("of 60 bytes only the first 45 are decoded: a second frame is lost")
        << reply + frame(Measurement, MeasurementPayload) + QByteArray(3, '\0') << false << all << gateway << stdDest
        << 0x25;
}

void TestReplies::lanParameterReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, hangUp);
    QFETCH(QStringList, lines);
    QFETCH(QString, gateway);
    QFETCH(QString, stdDest);
    QFETCH(int, flags);
    const Window &w = m->w;
    setBits<QCheckBox>(w, "Check1", 8, LanFlagsBefore);
    setBits<QCheckBox>(w, "Check2", 8, LanFlagsBefore);
    setTexts(w, "Text2", textsOf(w, "Text2", 18) + QStringList{"8.8", "9.9"});
    QStringList text1 = textsOf(w, "Text1", 20);
    QStringList text2 = textsOf(w, "Text2", 20);

    m->lan.answerNext({reply, 0, false, 0, hangUp});
    m->click("cmdTest");
    QVERIFY(!m->controlsEnabled());
    QTRY_VERIFY(exchangeEnded());
    QCOMPARE(m->log(), QStringList({ListenOn, "Anfrage Parameter"}) + lines + QStringList({Closed, ListenOn}));
    QCOMPARE(m->w.window->RxBuffer, reply.left(MaxDecoded).mid(2));

    const auto put = [&text1](int first, const QString &address) {
        const QStringList octets = address.split(u'.', Qt::SkipEmptyParts);
        for (int k = 0; k < octets.size(); ++k)
            text1[first + k] = octets[k];
    };
    put(4, gateway);
    put(12, stdDest);
    QCOMPARE(textsOf(w, "Text1", 20), text1);
    const int shown = flags == Unchanged ? LanFlagsBefore : flags;
    if (flags != Unchanged) {
        text2[18] = text1[18];
        text2[19] = text1[19];
    }
    QCOMPARE(textsOf(w, "Text2", 20), text2);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check1", 8), shown);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check2", 8), shown);
    // The new boxes ran their handlers: AutoTxRepeat follows AutoTxInChg, the
    // T-Diff fields follow the T-Diff regulator.
    QCOMPARE(w.child<QCheckBox>("Check2(4)")->isEnabled(), bool(shown & AutoTxInChgBit));
    QCOMPARE(w.child<QLineEdit>("Text2(18)")->isEnabled(), bool(shown & TDiffRegulatorBit));
    QCOMPARE(w.child<QLineEdit>("Text2(19)")->isEnabled(), bool(shown & TDiffRegulatorBit));
    QCOMPARE(m->lan.requests.size(), 1);
    // No frame of the lost rest reached the switch buttons.
    QCOMPARE(bitsOf<TwoStateButton>(w, "Port1", 4), 0);
}

void TestReplies::newLanParametersBecomeCurrent()
{
    const quint16 newPort = freeLoopbackPort();
    QVERIFY(newPort != 0 && newPort != m->port);
    DevicePeer moved(QHostAddress("127.0.0.4"), newPort);
    QVERIFY(moved.isListening());
    moved.setToolAddress(QHostAddress::LocalHost, newPort);
    const Window &w = m->w;
    const QStringList fresh = {"127", "0", "0", "4", "10", "1", "2", "3", "255", "255", "0", "0",
                               "10", "1", "2", "9", QString::number(newPort), "7"};
    setTexts(w, "Text2", fresh);
    const QStringList tDiff = textsOf(w, "Text1", 20).mid(18);

    m->lan.answerNext({frame({0xF0, 1, 0xFF, 0xFE, 1, 1}, "")});
    m->click("cmdSetParameter");
    QTRY_VERIFY(exchangeEnded());
    QCOMPARE(m->log(), (QStringList{ListenOn, "sende neue Parameter",
                                    "-> Programmierung erfolgreich! Device bootet neu....", Closed, ListenOn}));
    QCOMPARE(textsOf(w, "Text1", 20), fresh + tDiff);

    // The tool listens on the new port, no longer on the old one ...
    QTcpSocket old;
    old.connectToHost(QHostAddress::LocalHost, m->port);
    QVERIFY(!old.waitForConnected(2000));
    moved.callTool({frame({0xCB, 7, 0xFF, 0xFE, 1, 1}, "")});
    QTRY_COMPARE(m->logSince(5), (QStringList{"-> Programmierung erfolgreich. Boote neu........", Closed, ListenOn}));
    // ... and asks the device at its new address.
    moved.answerNext({frame(LanSwitch, LanPayload)});
    m->click("cmdTest");
    QTRY_VERIFY(m->logSince(8).contains(Closed));
    QCOMPARE(moved.requests.size(), 1);
    QCOMPARE(m->lan.requests.size(), 1);
}

void TestReplies::radioParameterReply_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("boxesSet"); // the radio boxes hold the opposite of the thermostat's values
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("current"); // Text3
    QTest::addColumn<QStringList>("fresh"); // Text5
    QTest::addColumn<QList<int>>("boxes"); // Check3, Check4, Check5, Check7, Check6, Check8
    QTest::addColumn<QStringList>("displays"); // Label15(3), (12), (14), (15)

    for (const NumberForm &form : NumberForms) {
        const auto n = [&form](const char *number) { return inForm(form.locale, number); };
        const auto row = [&form](const char *name) -> QTestData & {
            return QTest::addRow("%s, %s", name, form.name) << form.locale;
        };
        const QString f850 = "F=" + n("864.25") + " MHz";
        const QString fBefore = "F=" + n("876.225") + " MHz";
        const QString firmware = "-> Firmware 2.1.0.7";
        const QString address = "-> Deviceadresse 1.22, eNum 3";
        const QString power = "-> Sendeleistung(Dämpfung) =9 dB, " + f850;
        const QString flags = "-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, "
                              "AutoTxRepeat=0, T-DiffRegler=1";
        const QString tDiff = "-> T-Diff EIN=" + n("1.2") + "°C, T-Diff AUS=" + n("0.8") + "°C";
        const QString device = "-> Device: Funk-Devices, Funktion=Thermostat";
        const QStringList shown = {"28", "1", "22", "3", n("1.2"), n("0.8")};
        const QStringList displays = {f850, "TX-Pwr -9 dB", f850, "TX-Pwr -9 dB"};

        row("thermostat: all lines, boxes copied into the new frame")
            << frame(RadioThermostat, RadioPayload) << true
            << QStringList{firmware, address, power, flags, tDiff, device} << shown << shown
            << QList<int>{0x25, 0x25, 0x352, 0x352, 0x3, 0x3} << displays;
        row("flag byte 05: no T-Diff line, thresholds shown all the same")
            << frame(RadioThermostat, "A3A35232313037050C08") << true
            << QStringList{firmware, address, power,
                           "-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, "
                           "AutoTxRepeat=0, T-DiffRegler=0",
                           device}
            << shown << shown << QList<int>{0x05, 0x05, 0x352, 0x352, 0x3, 0x3} << displays;
        row("flag byte C0: every flag cleared, bits 6 and 7 leave no trace")
            << frame(RadioThermostat, "A3A35232313037C00C08") << true
            << QStringList{firmware, address, power,
                           "-> Parameter: OutStateMem=0, InStateMem=0, SystemTimeOut=0, AutoTxInChg=0, "
                           "AutoTxRepeat=0, T-DiffRegler=0",
                           device}
            << shown << shown << QList<int>{0, 0, 0x352, 0x352, 0x3, 0x3} << displays;
        row("heat-pump controller: no flags, thresholds or copies")
            << frame({0xC9, 3, 0x01, 0x16, 2, 14}, RadioPayload) << true
            << QStringList{firmware, address, power, "-> Device: Funk-Devices, Funktion=WärmepumpenController"}
            << QStringList{"28", "1", "22", "3", "7.7", "6.6"} << NewRadioBefore
            << QList<int>{RadioFlagsBefore, RadioFlagsBefore, 0x352, FrequencyBefore, 0x3, PowerBefore}
            << QStringList{f850, "TX-Pwr -9 dB", fBefore, "TX-Pwr -12 dB"};
        row("frequency code as shown, upper bits set: the design caption stays")
            << frame(RadioThermostat, "A0F00032313037250C08") << false
            << QStringList{firmware, address, "-> Sendeleistung(Dämpfung) =0 dB, F=860 Mhz", flags, tDiff, device}
            << shown << shown << QList<int>{0x25, 0x25, 0, 0, 0, 0}
            << QStringList{"F=860 Mhz", "TX-Pwr -0 dB", "F=860 Mhz", "TX-Pwr -0 dB"};
        row("T-Diff bytes 255 and 0 give 25.5 and 0.0")
            << frame(RadioThermostat, "A3A3523231303725FF00") << true
            << QStringList{firmware, address, power, flags,
                           "-> T-Diff EIN=" + n("25.5") + "°C, T-Diff AUS=" + n("0.0") + "°C", device}
            << QStringList{"28", "1", "22", "3", n("25.5"), n("0.0")}
            << QStringList{"28", "1", "22", "3", n("25.5"), n("0.0")}
            << QList<int>{0x25, 0x25, 0x352, 0x352, 0x3, 0x3} << displays;
        row("the reply's address shows in the log only")
            << frame({0xC9, 3, 0x09, 0x63, 2, 5}, RadioPayload) << true
            << QStringList{firmware, "-> Deviceadresse 9.99, eNum 3", power, flags, tDiff, device} << shown
            << shown << QList<int>{0x25, 0x25, 0x352, 0x352, 0x3, 0x3} << displays;
        row("reply broken off after the flag byte keeps what came before")
            << cut(frame(RadioThermostat, RadioPayload), 20) << true
            << QStringList{firmware, address, power, flags, Undecodable}
            << QStringList{"28", "1", "22", "3", "7.7", "6.6"} << NewRadioBefore
            << QList<int>{0x25, RadioFlagsBefore, 0x352, FrequencyBefore, 0x3, PowerBefore}
            << QStringList{f850, "TX-Pwr -9 dB", fBefore, "TX-Pwr -12 dB"};
    }
}

void TestReplies::radioParameterReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, boxesSet);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, current);
    QFETCH(QStringList, fresh);
    QFETCH(QList<int>, boxes);
    QFETCH(QStringList, displays);
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    const Window &w = m->w;
    m->chooseFunk();
    setTexts(w, "Text3", CurrentRadioBefore);
    setTexts(w, "Text5", NewRadioBefore);
    if (boxesSet) {
        for (const char *array : {"Check3", "Check4"})
            setBits<QCheckBox>(w, array, 6, RadioFlagsBefore);
        for (const char *array : {"Check5", "Check7"})
            setBits<QCheckBox>(w, array, 12, FrequencyBefore);
        for (const char *array : {"Check6", "Check8"})
            setBits<QCheckBox>(w, array, 3, PowerBefore);
    }

    m->gateway.answerNext({reply, 200, false, 0, true, true});
    m->click("cmdTest");
    QTRY_VERIFY(exchangeEnded());
    QCOMPARE(m->log(),
             QStringList({ListenOn, "Anfrage Parameter", ListenOn}) + lines + QStringList({Closed, ListenOn}));
    QCOMPARE(textsOf(w, "Text3", 6), current);
    QCOMPARE(textsOf(w, "Text5", 6), fresh);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check3", 6), boxes[0]);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check4", 6), boxes[1]);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check5", 12), boxes[2]);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check7", 12), boxes[3]);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check6", 3), boxes[4]);
    QCOMPARE(bitsOf<QCheckBox>(w, "Check8", 3), boxes[5]);
    QCOMPARE((QStringList{labelText(w, "Label15(3)"), labelText(w, "Label15(12)"), labelText(w, "Label15(14)"),
                          labelText(w, "Label15(15)")}),
             displays);
    // The new T-Diff fields follow the new regulator box.
    QCOMPARE(w.child<QLineEdit>("Text5(4)")->isEnabled(), bool(boxes[1] & TDiffRegulatorBit));
    QCOMPARE(w.child<QLineEdit>("Text5(5)")->isEnabled(), bool(boxes[1] & TDiffRegulatorBit));
}

void TestReplies::measurementReply_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("outputs"); // switch buttons on
    QTest::addColumn<int>("inputs"); // indicators yellow
    QTest::addColumn<QString>("temperatures"); // Label12

    for (const NumberForm &form : NumberForms) {
        const auto n = [&form](const char *number) { return inForm(form.locale, number); };
        const auto row = [&form](const char *name) -> QTestData & {
            return QTest::addRow("%s, %s", name, form.name) << form.locale;
        };
        const QString out = "-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON";
        const QString in = "-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=OFF, Kanal 4=OFF";
        const QString label = "Temperatur 1:  " + n("21.5") + " °C Temperatur 2: -" + n("3.0") + " °C";
        const QString allOff = "Kanal 1=OFF, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=OFF";
        const QString allOn = "Kanal 1=ON, Kanal 2=ON, Kanal 3=ON, Kanal 4=ON";
        const QString both = "-> Temperatur1:  " + n("21.5") + " °C,  Temperatur2: -" + n("3.0") + " °C, eNum=1";

        row("switching device: buttons, indicators, temperatures")
            << frame(Measurement, MeasurementPayload)
            << QStringList{out, in, both}
            << 0x9 << 0x2 << label;
        row("thermostat: measured value and set point")
            << frame({0xCE, 1, 0xFF, 0xFE, 1, 5}, MeasurementPayload)
            << QStringList{out, in, "-> Messwert:  " + n("21.5") + " °C, Sollwert: -" + n("3.0") + " °C, eNum=1"}
            << 0x9 << 0x2 << label;
        row("reply code 106 is a measurement reply too")
            << frame({0x6A, 1, 0xFF, 0xFE, 1, 1}, MeasurementPayload)
            << QStringList{out, in, both}
            << 0x9 << 0x2 << label;
        row("upper channel bits are ignored: F0 is all off")
            << frame(Measurement, "F0F000000000")
            << QStringList{"-> OutPort: " + allOff, "-> InPort: " + allOff,
                           "-> Temperatur1:  " + n("0.0") + " °C,  Temperatur2:  " + n("0.0") + " °C, eNum=1"}
            << 0 << 0 << "Temperatur 1:  " + n("0.0") + " °C Temperatur 2:  " + n("0.0") + " °C";
        row("bytes 80 00 are minus zero")
            << frame(Measurement, "0F0F80000000")
            << QStringList{"-> OutPort: " + allOn, "-> InPort: " + allOn,
                           "-> Temperatur1: -" + n("0.0") + " °C,  Temperatur2:  " + n("0.0") + " °C, eNum=1"}
            << 0xF << 0xF << "Temperatur 1: -" + n("0.0") + " °C Temperatur 2:  " + n("0.0") + " °C";
        row("the extremes -3276.7 and 3276.7 have no group separator")
            << frame(Measurement, "0000FFFF7FFF")
            << QStringList{"-> OutPort: " + allOff, "-> InPort: " + allOff,
                           "-> Temperatur1: -" + n("3276.7") + " °C,  Temperatur2:  " + n("3276.7") + " °C, eNum=1"}
            << 0 << 0 << "Temperatur 1: -" + n("3276.7") + " °C Temperatur 2:  " + n("3276.7") + " °C";
    }
}

void TestReplies::measurementReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, lines);
    QFETCH(int, outputs);
    QFETCH(int, inputs);
    QFETCH(QString, temperatures);
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    const Window &w = m->w;
    // Every button the other way round, every indicator in another colour.
    w.window->UpdatingPorts = true;
    setBits<TwoStateButton>(w, "Port1", 4, ~outputs);
    w.window->UpdatingPorts = false;
    for (int k = 0; k < 4; ++k) {
        auto *indicator = w.child<QWidget>(QStringLiteral("Shape1(%1)").arg(k));
        QPalette fill = indicator->palette();
        fill.setColor(QPalette::Window, Unpainted);
        indicator->setPalette(fill);
    }

    m->lan.answerNext({reply});
    m->click("GetMesswerte");
    QTRY_VERIFY(exchangeEnded());
    // Setting the buttons sent no switch request: no "Sende Schalbefehl".
    QCOMPARE(m->log(), QStringList({ListenOn, "Abfrage Messwerte"}) + lines + QStringList({Closed, ListenOn}));
    for (int k = 0; k < 4; ++k) {
        const bool on = (outputs >> k) & 1;
        QCOMPARE(switchButton(w, k)->isChecked(), on);
        QCOMPARE(switchButton(w, k)->colours(), SwitchColours::forState(on));
        QCOMPARE(fillOf(w, k), (inputs >> k) & 1 ? Yellow : LightGrey);
    }
    QCOMPARE(labelText(w, "Label12"), temperatures);
    QVERIFY(!w.window->UpdatingPorts);
    QCOMPARE(m->lan.requests.size(), 1);
}

void TestReplies::measurementDuringPollingIsSilent()
{
    const Window &w = m->w;
    m->lan.answerNext({frame(Measurement, MeasurementPayload)});
    m->click("MesswerteLoop");
    QTRY_COMPARE(labelText(w, "Label12"), QString("Temperatur 1:  21.5 °C Temperatur 2: -3.0 °C"));
    QTRY_VERIFY(w.window->Listening);
    m->click("MesswerteLoop");
    QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte"}));
    QCOMPARE(bitsOf<TwoStateButton>(w, "Port1", 4), 0x9);
    QCOMPARE(switchButton(w, 3)->colours(), SwitchColours::On);
    QCOMPARE(switchButton(w, 1)->colours(), SwitchColours::Off);
    QCOMPARE(fillOf(w, 1), Yellow);
    QCOMPARE(fillOf(w, 0), LightGrey);
    QCOMPARE(m->lan.requests.size(), 1);
}

void TestReplies::brokenMeasurementLeavesSwitchesWorking_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("outputs");
    QTest::newRow("body ends at position 12") << frame(Measurement, "") << QStringList{Undecodable} << 0;
    QTest::newRow("body ends after the output byte")
        << frame(Measurement, "09")
        << QStringList{"-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON", Undecodable} << 0x9;
}

void TestReplies::brokenMeasurementLeavesSwitchesWorking()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, lines);
    QFETCH(int, outputs);
    m->lan.answerNext({reply});
    m->click("GetMesswerte");
    QTRY_VERIFY(exchangeEnded());
    QCOMPARE(m->log(), QStringList({ListenOn, "Abfrage Messwerte"}) + lines + QStringList({Closed, ListenOn}));
    QCOMPARE(bitsOf<TwoStateButton>(m->w, "Port1", 4), outputs);
    QCOMPARE(labelText(m->w, "Label12"), QString("Temperatur ?"));

    // Channel 2 switched on by hand goes out as a switch request.
    m->lan.answerNext({frame({0x03, 1, 0xFF, 0xFE, 1, 1}, "0B")});
    m->click("Port1(1)");
    QTRY_COMPARE(m->lan.requests.size(), 2);
    QCOMPARE(m->lan.requests[1].mid(2, 2), QByteArray::fromHex("0003"));
    QTRY_COMPARE(m->log().count(Closed), 2);
}

void TestReplies::switchAcknowledgementOnlyLogs()
{
    const Window &w = m->w;
    m->lan.answerNext({frame({0x03, 1, 0xFF, 0xFE, 1, 1}, "08")});
    m->click("Port1(0)");
    QTRY_VERIFY(m->log().contains(Closed) && w.window->Listening);
    QCOMPARE(m->log(), (QStringList{ListenOn, "Sende Schalbefehl ",
                                    "-> Port geschaltet! Status:  Ch 1=0,  Ch 2=0,  Ch 3=0,  Ch 4=1", Closed,
                                    ListenOn}));
    // The buttons keep what the user set, whatever the device reports.
    QCOMPARE(bitsOf<TwoStateButton>(w, "Port1", 4), 0x1);
    QCOMPARE(switchButton(w, 0)->colours(), SwitchColours::On);
    QCOMPARE(switchButton(w, 3)->colours(), SwitchColours::Off);
    QCOMPARE(m->lan.requests.size(), 1);
}

void TestReplies::undecodableReplyResumesPolling()
{
    m->lan.answerNext({frame(Measurement, MeasurementPayload)});
    m->click("MesswerteLoop");
    QTRY_COMPARE(m->lan.requests.size(), 1);
    QTRY_VERIFY(m->w.window->Listening);
    m->lan.answerNext({frame({0xCA, 1, 0xFF, 0xFE, 1, 1}, "0B")});
    m->lan.answerNext({frame(Measurement, MeasurementPayload)});
    m->click("Port1(1)");
    QVERIFY(m->w.window->ResumePolling);
    QTRY_COMPARE(m->lan.requests.size(), 3);
    QCOMPARE(quint8(m->lan.requests[1][3]), quint8(0x03));
    QCOMPARE(quint8(m->lan.requests[2][3]), quint8(0xCE));
    QVERIFY(m->w.window->PollingActive);
    QVERIFY(!m->w.window->ResumePolling);
    QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte", "Sende Schalbefehl ", Undecodable, Closed}));
    QTRY_VERIFY(m->w.window->Listening);
    m->click("MesswerteLoop");
}

void TestReplies::weatherReply_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("line");
    for (const NumberForm &form : NumberForms) {
        QTest::addRow("payload 3, 17, 0, 12, 0, 0, 0, 0x80, 25, 88, %s", form.name) << form.locale
            << frame(Weather, WeatherPayload) << WeatherLine;
        QTest::addRow("outside bytes 0 and 120 are 12 in shortest form, %s", form.name) << form.locale
            << frame(Weather, "0311000C000000007858")
            << QString("außen= 12 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88");
    }
}

void TestReplies::weatherReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, line);
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    // A weather station delivers on its own while the tool listens.
    m->lan.callTool({reply});
    QTRY_COMPARE(m->log(), (QStringList{ListenOn, WeatherFirstLine, line, Closed, ListenOn}));
    QVERIFY(exchangeEnded());
    // The values go to the log only.
    QCOMPARE(labelText(m->w, "Label12"), QString("Temperatur ?"));
    QCOMPARE(fillOf(m->w, 0), LightGrey);
}

void TestReplies::shortWeatherReplyLeavesTheExchangeOpen_data()
{
    QTest::addColumn<bool>("asAnswer"); // else delivered on the station's own
    QTest::addColumn<bool>("hangUp");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("answer, station stays connected: the time-out ends the exchange")
        << true << false << QStringList{ListenOn, "Abfrage Messwerte", WeatherFirstLine, "RX-TimeoOut", ListenOn};
    QTest::newRow("delivered unasked, station hangs up: its close ends the exchange")
        << false << true << QStringList{ListenOn, WeatherFirstLine, ListenOn};
}

void TestReplies::shortWeatherReplyLeavesTheExchangeOpen()
{
    QFETCH(bool, asAnswer);
    QFETCH(bool, hangUp);
    QFETCH(QStringList, lines);
    const DevicePeer::Answer shortReply{frame(Weather, ShortWeatherPayload), 0, false, 0, hangUp};
    if (asAnswer) {
        m->lan.answerNext(shortReply);
        m->click("GetMesswerte");
        QTRY_VERIFY(m->log().contains(WeatherFirstLine));
        // No closing steps: the command buttons stay off until the link ends the exchange.
        QVERIFY(!m->controlsEnabled());
    } else {
        m->lan.callTool(shortReply);
    }
    QTRY_VERIFY_WITH_TIMEOUT(m->log().size() == lines.size() && exchangeEnded(), 6000);
    QCOMPARE(m->log(), lines);

    // The window is not stuck: the next frame is decoded as usual.
    m->lan.callTool({frame(Weather, WeatherPayload)});
    QTRY_COMPARE(m->logSince(lines.size()), (QStringList{WeatherFirstLine, WeatherLine, Closed, ListenOn}));
}

TESSRA_TEST(TestReplies)
#include "tst_replies.moc"
