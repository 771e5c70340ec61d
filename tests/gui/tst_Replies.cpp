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
// Box arrays, each with its count of boxes and the bits a reply gives them.
using Boxes = QList<std::tuple<QString, int, int>>;
const QColor Grey(192, 192, 192);
} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m.emplace().start()); }
    void cleanup()
    {
        QVERIFY(m->boxes.seen.isEmpty());
        m.reset();
        QLocale::setDefault(QLocale::c());
    }
    void parametersFillTheFramesOfTheirTarget();
    void measurementsSetButtonsIndicatorsAndDisplay();
    void weatherOfNineBytesWaitsForTheTimeOut();

private:
    // An exchange with the reply in hex; each of the boxes starts the other way from what
    // the reply gives it, so that each one must be written.
    void exchange(const QString &button, const char *hex, const Boxes &boxes = {}, bool callBack = false)
    {
        for (const auto &[array, count, bits] : boxes) {
            for (int k = 0; k < count; ++k)
                m->child<QCheckBox>(QString("%1(%2)").arg(array).arg(k))->setChecked(!((bits >> k) & 1));
        }
        const int line = int(m->log().size());
        (callBack ? m->gateway : m->lan).answerNext({QByteArray::fromHex(hex), 100, false, false, callBack});
        m->click(button);
        QTRY_VERIFY(m->logSince(line).contains(Closed) && m->exchangeEnded());
        for (const auto &[array, count, bits] : boxes)
            QVERIFY2(m->bits(array, count) == bits, qPrintable(array));
    }
    QString label(const QString &name) const { return m->child<QLabel>(name)->text(); }
    QColor fill(int k) const { return m->child(QString("Shape1(%1)").arg(k))->palette().color(QPalette::Window); }

    std::optional<Installation> m;
};

void TestReplies::parametersFillTheFramesOfTheirTarget()
{
    m->child<QLineEdit>("Text1(18)")->setText("2.5");
    m->child<QLineEdit>("Text1(19)")->setText("1.0");
    exchange("cmdTest", "FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425",
             {{"Check1", 8, 0x25}, {"Check2", 8, 0x25}});
    QCOMPARE(m->texts("Text1", 20).join('.'),
             QString("127.0.0.2.192.168.28.254.255.255.255.0.192.168.28.10.%1.1.2.5.1.0").arg(m->port));
    QCOMPARE(m->texts("Text2", 20).mid(16), (QStringList{"340", "1", "2.5", "1.0"}));
    // The new boxes ran their handlers: AutoTxRepeat follows AutoTx InChg, the
    // T-Diff fields follow the T-Diff regulator.
    QVERIFY(!m->child("Check2(4)")->isEnabled() && m->child("Text2(18)")->isEnabled());

    // The radio thermostat 1/22, eNum 3: power A3, frequency 0x352, flags 0x25, T-Diff 1.2 and 0.8.
    m->chooseTarget(1);
    exchange("cmdTest", "FFAA00C916030000000116020500A3A35232313037250C08",
             {{"Check3", 6, 0x25}, {"Check4", 6, 0x25}, {"Check5", 12, 0x352}, {"Check7", 12, 0x352},
              {"Check6", 3, 0x3}, {"Check8", 3, 0x3}}, true);
    QCOMPARE(m->texts("Text3", 6) + m->texts("Text5", 6),
             (QStringList{"28", "1", "22", "3", "1.2", "0.8", "28", "1", "22", "3", "1.2", "0.8"}));
    QCOMPARE((QStringList{label("Label15(3)"), label("Label15(14)"), label("Label15(12)"), label("Label15(15)")}),
             (QStringList{"F=864.25 MHz", "F=864.25 MHz", "TX-Pwr -9 dB", "TX-Pwr -9 dB"}));
    QVERIFY(m->child("Text5(4)")->isEnabled() && m->child("Text5(5)")->isEnabled());
}

void TestReplies::measurementsSetButtonsIndicatorsAndDisplay()
{
    // The indicators start grey. Outputs 2 and 3 on, inputs 1, 3 and 4 active, in the window's German locale.
    QCOMPARE(fill(1), Grey);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    exchange("GetMesswerte", "FFAA00CE1201000000FFFE010500060D00D7801E");
    QCOMPARE(label("Label12"), QString("Temperatur 1:  21,5 °C Temperatur 2: -3,0 °C"));
    for (int k = 0; k < 4; ++k) {
        const bool on = (0x6 >> k) & 1;
        QCOMPARE(m->child<TwoStateButton>(QString("Port1(%1)").arg(k))->isChecked(), on);
        QCOMPARE(m->child<TwoStateButton>(QString("Port1(%1)").arg(k))->colours(), SwitchColours::forState(on));
        QCOMPARE(fill(k), (0xD >> k) & 1 ? QColor(255, 255, 0) : Grey);
    }
    // Setting the buttons sent nothing; switching channel 1 on afterwards sends its request.
    QCOMPARE(m->lan.requests.size(), 1);
    exchange("Port1(0)", "FFAA00030D01000000FFFE01010008");
    QCOMPARE(m->lan.requests.value(1), QByteArray::fromHex("FFAA00030D011CFFFEFFFE01013A11"));
}

void TestReplies::weatherOfNineBytesWaitsForTheTimeOut()
{
    // Nine bytes of weather data say no more than the first line; the exchange stays
    // open, the command buttons off, until its time-out ends it.
    m->lan.answerNext({QByteArray::fromHex("FFAA00BF1501000000FFFE029600000000000000000000")});
    m->click("GetMesswerte");
    QTRY_COMPARE(m->logSince(1), (QStringList{"Abfrage Messwerte", "-> empfange Wetterdaten...."}));
    QVERIFY(!m->controlsEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(m->exchangeEnded(), 5000);
    QCOMPARE(m->logSince(3), (QStringList{"RX-TimeoOut", ListenOn}));
}

TESSRA_TEST(TestReplies)
#include "tst_Replies.moc"
