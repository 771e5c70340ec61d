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
    void parametersFillTheFramesOfTheirTarget();
    void measurementsSetButtonsIndicatorsAndDisplay();
    void weatherGoesToTheLogOnly();

private:
    // Sets every box of an array, so that each one must be written by the reply.
    void setBits(const QString &array, int count, int bits)
    {
        for (int k = 0; k < count; ++k)
            m->child<QCheckBox>(QString("%1(%2)").arg(array).arg(k))->setChecked((bits >> k) & 1);
    }
    QString label(const QString &name) const { return m->child<QLabel>(name)->text(); }
    QColor fill(int k) const { return m->child(QString("Shape1(%1)").arg(k))->palette().color(QPalette::Window); }
    void exchange(const QString &button, const char *hex, bool callBack = false)
    {
        const int line = int(m->log().size());
        (callBack ? m->gateway : m->lan).answerNext({QByteArray::fromHex(hex), 100, false, false, callBack});
        m->click(button);
        QTRY_VERIFY(m->logSince(line).contains(Closed) && m->exchangeEnded());
    }

    std::unique_ptr<Installation> m;
};

void TestReplies::parametersFillTheFramesOfTheirTarget()
{
    setBits("Check1", 8, 0xDA);
    setBits("Check2", 8, 0xDA);
    m->child<QLineEdit>("Text1(18)")->setText("2.5");
    m->child<QLineEdit>("Text1(19)")->setText("1.0");
    exchange("cmdTest", "FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425");
    QCOMPARE(m->texts("Text1", 20).join('.'), QString("127.0.0.2.192.168.28.254.255.255.255.0.192.168.28.10.%1.1.2.5.1.0")
                                                  .arg(m->port));
    QCOMPARE(m->bits("Check1", 8), 0x25);
    QCOMPARE(m->bits("Check2", 8), 0x25);
    QCOMPARE(m->texts("Text2", 20).mid(16), (QStringList{"340", "1", "2.5", "1.0"}));
    // The new boxes ran their handlers: AutoTxRepeat follows AutoTx InChg, the
    // T-Diff fields follow the T-Diff regulator.
    QVERIFY(!m->child("Check2(4)")->isEnabled() && m->child("Text2(18)")->isEnabled());

    // The radio thermostat 1/22, eNum 3: power A3, frequency 0x352, flags 0x25, T-Diff 1.2 and 0.8.
    m->chooseTarget(1);
    for (const char *array : {"Check3", "Check4"})
        setBits(array, 6, 0x1A);
    for (const char *array : {"Check5", "Check7"})
        setBits(array, 12, 0xCAD);
    for (const char *array : {"Check6", "Check8"})
        setBits(array, 3, 0x4);
    exchange("cmdTest", "FFAA00C916030000000116020500A3A35232313037250C08", true);
    QCOMPARE(m->texts("Text3", 6) + m->texts("Text5", 6),
             (QStringList{"28", "1", "22", "3", "1.2", "0.8", "28", "1", "22", "3", "1.2", "0.8"}));
    QCOMPARE((QList<int>{m->bits("Check3", 6), m->bits("Check4", 6), m->bits("Check5", 12), m->bits("Check7", 12),
                         m->bits("Check6", 3), m->bits("Check8", 3)}),
             (QList<int>{0x25, 0x25, 0x352, 0x352, 0x3, 0x3}));
    QCOMPARE((QStringList{label("Label15(3)"), label("Label15(14)"), label("Label15(12)"), label("Label15(15)")}),
             (QStringList{"F=864.25 MHz", "F=864.25 MHz", "TX-Pwr -9 dB", "TX-Pwr -9 dB"}));
    QVERIFY(m->child("Text5(4)")->isEnabled() && m->child("Text5(5)")->isEnabled());
}

void TestReplies::measurementsSetButtonsIndicatorsAndDisplay()
{
    // Outputs 1 and 4 on and input 2 active, then every one the other way round.
    exchange("GetMesswerte", "FFAA00CE1201000000FFFE010100090200E1800F");
    QCOMPARE(m->bits("Port1", 4), 0x9);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    exchange("GetMesswerte", "FFAA00CE1201000000FFFE010500060D00D7801E");
    QCOMPARE(m->logSince(10), (QStringList{"-> Messwert:  21,5 °C, Sollwert: -3,0 °C, eNum=1", Closed, ListenOn}));
    for (int k = 0; k < 4; ++k) {
        const bool on = (0x6 >> k) & 1;
        QCOMPARE(m->child<TwoStateButton>(QString("Port1(%1)").arg(k))->isChecked(), on);
        QCOMPARE(m->child<TwoStateButton>(QString("Port1(%1)").arg(k))->colours(), SwitchColours::forState(on));
        QCOMPARE(fill(k), (0xD >> k) & 1 ? QColor(255, 255, 0) : QColor(192, 192, 192));
    }
    const QString temperatures = "Temperatur 1:  21,5 °C Temperatur 2: -3,0 °C";
    QCOMPARE(label("Label12"), temperatures);
    // A reply that breaks off after its output byte sets the buttons and leaves them working.
    exchange("GetMesswerte", "FFAA00CE0D01000000FFFE01010009");
    QCOMPARE(m->logSince(14), (QStringList{MeasurementOutLine, DecodeError, Closed, ListenOn}));
    QCOMPARE(m->bits("Port1", 4), 0x9);
    QCOMPARE(label("Label12"), temperatures);
    // Setting the buttons sent nothing; switching channel 2 on sends its request, and the
    // buttons keep what the user set, whatever the device reports.
    QCOMPARE(m->lan.requests.size(), 3);
    exchange("Port1(1)", "FFAA00030D01000000FFFE01010008");
    QCOMPARE(m->lan.requests[3].toHex().toUpper(), QByteArray("FFAA00030D011CFFFEFFFE01014B22"));
    QCOMPARE(m->logSince(18).mid(0, 2), (QStringList{"Sende Schalbefehl ",
                                                     "-> Port geschaltet! Status:  Ch 1=0,  Ch 2=0,  Ch 3=0,  Ch 4=1"}));
    QCOMPARE(m->bits("Port1", 4), 0xB);
}

void TestReplies::weatherGoesToTheLogOnly()
{
    // A weather station delivers on its own while the tool listens.
    m->lan.callTool({QByteArray::fromHex("FFAA00BF1601000000FFFE0296000311000C000000801958")});
    QTRY_COMPARE(m->logSince(1), (QStringList{"-> empfange Wetterdaten....",
                                              "außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, "
                                              "Licht=88",
                                              Closed, ListenOn}));
    QCOMPARE(label("Label12"), QString("Temperatur ?"));
    QCOMPARE(fill(0), QColor(192, 192, 192));
    // Nine bytes of weather data say no more than the first line; the exchange stays
    // open, the command buttons off, until its time-out ends it.
    m->lan.answerNext({QByteArray::fromHex("FFAA00BF1501000000FFFE029600000000000000000000")});
    m->click("GetMesswerte");
    QTRY_COMPARE(m->logSince(5), (QStringList{"Abfrage Messwerte", "-> empfange Wetterdaten...."}));
    QVERIFY(!m->controlsEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(m->exchangeEnded(), 5000);
    QCOMPARE(m->logSince(7), (QStringList{"RX-TimeoOut", ListenOn}));
}

TESSRA_TEST(TestReplies)
#include "tst_Replies.moc"
