// Each kind of reply crossing a real socket into the real window: the fields,
// boxes, switch buttons, indicators and displays it reaches. Its log lines and
// every variant of its bytes are the reply decoder's own tests.

#include "TestMain.h"
#include "WindowHarness.h"

#include "requests/SwitchColours.h"
#include "requests/TwoStateButton.h"

#include <QCheckBox>
#include <QLabel>

using namespace WindowHarness;

namespace {

const QColor Yellow(255, 255, 0);
const QColor LightGrey(192, 192, 192);
// LAN adapter, flags 0x25: gateway 192.168.28.254, destination 192.168.28.10.
const QByteArray LanReply = LanParameterReply;
// Radio thermostat 1/22, eNum 3: power A3, frequency code 0x352, flags 0x25, T-Diff 1.2 and 0.8.
const QByteArray RadioReply = QByteArray::fromHex("FFAA00C916030000000116020500A3A35232313037250C08");
const QString WeatherFirstLine = QStringLiteral("-> empfange Wetterdaten....");
const QByteArray ShortWeather = QByteArray::fromHex("FFAA00BF1501000000FFFE029600000000000000000000");

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m = std::make_unique<Installation>();
        QVERIFY(m->start());
    }
    void cleanup()
    {
        QVERIFY(m->boxes.seen.isEmpty());
        m.reset();
        QLocale::setDefault(QLocale::c());
    }
    void lanParametersFillTheCurrentFrame();
    void radioParametersFillBothRadioFrames();
    void measurementSetsButtonsIndicatorsAndDisplay();
    void brokenMeasurementLeavesTheSwitchesWorking();
    void switchAcknowledgementLeavesTheButtons();
    void weatherGoesToTheLogOnly();
    void shortWeatherLeavesTheExchangeOpen_data();
    void shortWeatherLeavesTheExchangeOpen();

private:
    // Sets every box of an array, so that each one must be written by the reply.
    void setBits(const QString &array, int count, int bits)
    {
        for (int k = 0; k < count; ++k)
            m->child<QCheckBox>(QString("%1(%2)").arg(array).arg(k))->setChecked((bits >> k) & 1);
    }
    QString label(const QString &name) const { return m->child<QLabel>(name)->text(); }
    QColor fill(int k) const { return m->child(QString("Shape1(%1)").arg(k))->palette().color(QPalette::Window); }
    void exchange(const QString &button, const DevicePeer::Answer &answer, DevicePeer &device)
    {
        const int line = int(m->log().size());
        device.answerNext(answer);
        m->click(button);
        QTRY_VERIFY(m->logSince(line).contains(Closed) && m->exchangeEnded());
    }

    std::unique_ptr<Installation> m;
};

void TestReplies::lanParametersFillTheCurrentFrame()
{
    setBits("Check1", 8, 0xDA);
    setBits("Check2", 8, 0xDA);
    m->child<QLineEdit>("Text1(18)")->setText("2.5");
    m->child<QLineEdit>("Text1(19)")->setText("1.0");
    exchange("cmdTest", {LanReply}, m->lan);
    QCOMPARE(m->texts("Text1", 20), (QStringList{"127", "0", "0", "2", "192", "168", "28", "254", "255", "255", "255",
                                                 "0", "192", "168", "28", "10", QString::number(m->port), "1", "2.5", "1.0"}));
    QCOMPARE(m->bits("Check1", 8), 0x25);
    QCOMPARE(m->bits("Check2", 8), 0x25);
    QCOMPARE(m->texts("Text2", 20).mid(16), (QStringList{"340", "1", "2.5", "1.0"}));
    // The new boxes ran their handlers: AutoTxRepeat follows AutoTx InChg, the
    // T-Diff fields follow the T-Diff regulator.
    QVERIFY(!m->child("Check2(4)")->isEnabled());
    QVERIFY(m->child("Text2(18)")->isEnabled() && m->child("Text2(19)")->isEnabled());
}

void TestReplies::radioParametersFillBothRadioFrames()
{
    m->chooseTarget(1);
    for (const char *array : {"Check3", "Check4"})
        setBits(array, 6, 0x1A);
    setBits("Check5", 12, 0xCAD);
    setBits("Check7", 12, 0xCAD);
    setBits("Check6", 3, 0x4);
    setBits("Check8", 3, 0x4);
    exchange("cmdTest", {RadioReply, 100, false, false, true}, m->gateway);
    QVERIFY(m->log().contains("-> Device: Funk-Devices, Funktion=Thermostat"));
    QCOMPARE(m->texts("Text3", 6), (QStringList{"28", "1", "22", "3", "1.2", "0.8"}));
    QCOMPARE(m->texts("Text5", 6), (QStringList{"28", "1", "22", "3", "1.2", "0.8"}));
    QCOMPARE((QList<int>{m->bits("Check3", 6), m->bits("Check4", 6), m->bits("Check5", 12), m->bits("Check7", 12),
                         m->bits("Check6", 3), m->bits("Check8", 3)}),
             (QList<int>{0x25, 0x25, 0x352, 0x352, 0x3, 0x3}));
    QCOMPARE((QStringList{label("Label15(3)"), label("Label15(14)"), label("Label15(12)"), label("Label15(15)")}),
             (QStringList{"F=864.25 MHz", "F=864.25 MHz", "TX-Pwr -9 dB", "TX-Pwr -9 dB"}));
    // The new T-Diff fields follow the new regulator box.
    QVERIFY(m->child("Text5(4)")->isEnabled() && m->child("Text5(5)")->isEnabled());
}

void TestReplies::measurementSetsButtonsIndicatorsAndDisplay()
{
    // Outputs 1 and 4 on and input 2 active, then every one the other way round.
    exchange("GetMesswerte", {MeasurementReply}, m->lan);
    QCOMPARE(m->bits("Port1", 4), 0x9);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    exchange("GetMesswerte", {QByteArray::fromHex("FFAA00CE1201000000FFFE010500060D00D7801E")}, m->lan);
    QCOMPARE(m->logSince(8).mid(0, 3),
             (QStringList{"-> OutPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=ON, Kanal 4=OFF",
                          "-> InPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=ON, Kanal 4=ON",
                          "-> Messwert:  21,5 °C, Sollwert: -3,0 °C, eNum=1"}));
    for (int k = 0; k < 4; ++k) {
        const bool on = (0x6 >> k) & 1;
        QCOMPARE(m->child<TwoStateButton>(QString("Port1(%1)").arg(k))->isChecked(), on);
        QCOMPARE(m->child<TwoStateButton>(QString("Port1(%1)").arg(k))->colours(), SwitchColours::forState(on));
        QCOMPARE(fill(k), (0xD >> k) & 1 ? Yellow : LightGrey);
    }
    QCOMPARE(label("Label12"), QString("Temperatur 1:  21,5 °C Temperatur 2: -3,0 °C"));
    // Setting the buttons sent no switch request.
    QCOMPARE(m->lan.requests.size(), 2);
}

void TestReplies::brokenMeasurementLeavesTheSwitchesWorking()
{
    exchange("GetMesswerte", {QByteArray::fromHex("FFAA00CE0D01000000FFFE01010009")}, m->lan);
    QCOMPARE(m->logSince(2), (QStringList{MeasurementOutLine, DecodeError, Closed, ListenOn}));
    QCOMPARE(m->bits("Port1", 4), 0x9);
    QCOMPARE(label("Label12"), QString("Temperatur ?"));
    // Channel 2 switched on by hand goes out as a switch request.
    exchange("Port1(1)", {QByteArray::fromHex("FFAA00030D01000000FFFE0101000B")}, m->lan);
    QCOMPARE(m->lan.requests[1].toHex().toUpper(), QByteArray("FFAA00030D011CFFFEFFFE01014B22"));
}

void TestReplies::switchAcknowledgementLeavesTheButtons()
{
    exchange("Port1(0)", {QByteArray::fromHex("FFAA00030D01000000FFFE01010008")}, m->lan);
    QCOMPARE(m->logSince(1), (QStringList{"Sende Schalbefehl ",
                                          "-> Port geschaltet! Status:  Ch 1=0,  Ch 2=0,  Ch 3=0,  Ch 4=1", Closed,
                                          ListenOn}));
    // The buttons keep what the user set, whatever the device reports.
    QCOMPARE(m->bits("Port1", 4), 0x1);
    QCOMPARE(m->lan.requests[0].toHex().toUpper(), QByteArray("FFAA00030D011CFFFEFFFE01013A11"));
}

void TestReplies::weatherGoesToTheLogOnly()
{
    // A weather station delivers on its own while the tool listens.
    m->lan.callTool({QByteArray::fromHex("FFAA00BF1601000000FFFE0296000311000C000000801958")});
    QTRY_COMPARE(m->logSince(1), (QStringList{WeatherFirstLine,
                                              "außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, "
                                              "Licht=88",
                                              Closed, ListenOn}));
    QCOMPARE(label("Label12"), QString("Temperatur ?"));
    QCOMPARE(fill(0), LightGrey);
}

void TestReplies::shortWeatherLeavesTheExchangeOpen_data()
{
    QTest::addColumn<bool>("asAnswer"); // else delivered on the station's own
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("answer, station stays connected: the time-out ends the exchange")
        << true << QStringList{ListenOn, "Abfrage Messwerte", WeatherFirstLine, "RX-TimeoOut", ListenOn};
    QTest::newRow("delivered unasked, station hangs up: its close ends the exchange")
        << false << QStringList{ListenOn, WeatherFirstLine, ListenOn};
}

void TestReplies::shortWeatherLeavesTheExchangeOpen()
{
    QFETCH(bool, asAnswer);
    QFETCH(QStringList, lines);
    if (asAnswer) {
        m->lan.answerNext({ShortWeather});
        m->click("GetMesswerte");
        QTRY_VERIFY(m->log().contains(WeatherFirstLine));
        // No closing steps: the command buttons stay off until the link ends the exchange.
        QVERIFY(!m->controlsEnabled());
    } else {
        m->lan.callTool({ShortWeather, 0, false, true});
    }
    QTRY_VERIFY_WITH_TIMEOUT(m->log().size() == lines.size() && m->exchangeEnded(), 6000);
    QCOMPARE(m->log(), lines);
}

TESSRA_TEST(TestReplies)
#include "tst_Replies.moc"
