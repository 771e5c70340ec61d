// The polling loop of the real window and the switch buttons that interrupt it,
// against the LAN adapter on loopback.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QPushButton>

using namespace WindowHarness;

namespace {
const QByteArray SwitchAcknowledged = QByteArray::fromHex("FFAA00030D01000000FFFE0101000B");
} // namespace

class TestPolling : public QObject
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
    }
    void pollingRunsThroughATimeOutSilentlyAndStops();
    void switchingInterruptsThePollingAndResumesIt();

private:
    std::unique_ptr<Installation> m;
};

void TestPolling::pollingRunsThroughATimeOutSilentlyAndStops()
{
    m->lan.answerNext(Silence);
    m->lan.answerNext({MeasurementReply});
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QCOMPARE(m->child<QPushButton>("MesswerteLoop")->text(), QString("Stop Dauermessung"));
    // The time-out ends the silence of the log but not the polling timer.
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 5000);
    QVERIFY(m->child<QTimer>("Timer3")->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() == 2, 8000);
    QCOMPARE(m->lan.requests[1].toHex().toUpper(), QByteArray("FFAA00CE0C011CFFFEFFFE0101F3"));
    // The exchanges of the polling leave no line; the buttons still show the values.
    QTRY_COMPARE(m->bits("Port1", 4), 0x9);
    QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte", "RX-TimeoOut", ListenOn}));
    m->click("MesswerteLoop");
    QCOMPARE(m->child<QPushButton>("MesswerteLoop")->text(), QString("Daten Dauerabfrage"));
    QTest::qWait(3500);
    QCOMPARE(m->lan.requests.size(), 2);
}

void TestPolling::switchingInterruptsThePollingAndResumesIt()
{
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_VERIFY(m->lan.requests.size() == 1 && m->window->Listening);
    // Channel 2 switched on: the polling stops, the switch request goes out,
    // and its reply resumes the polling at once; an undecodable reply does so too.
    m->lan.answerNext({SwitchAcknowledged});
    m->lan.answerNext({MeasurementReply});
    m->click("Port1(1)");
    QTRY_COMPARE(m->lan.requests.size(), 3);
    QCOMPARE(m->lan.requests[1].toHex().toUpper(), QByteArray("FFAA00030D011CFFFEFFFE01014B22"));
    QCOMPARE(quint8(m->lan.requests[2][3]), quint8(0xCE));
    QTRY_VERIFY(m->window->Listening);
    m->lan.answerNext({QByteArray::fromHex("FFAA00CA0C01000000FFFE010100")});
    m->lan.answerNext({MeasurementReply});
    m->click("Port1(1)");
    QTRY_COMPARE(m->lan.requests.size(), 5);
    QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte", "Sende Schalbefehl ",
                                    "-> Port geschaltet! Status:  Ch 1=1,  Ch 2=1,  Ch 3=0,  Ch 4=1", Closed,
                                    "Sende Schalbefehl ", DecodeError, Closed}));
    // A switch request that gets no answer leaves the polling stopped; the loop
    // button starts it again, and the next decoded reply calls one more pass,
    // as the interrupted polling asked for.
    QTRY_VERIFY(m->window->Listening);
    m->lan.answerNext(Silence);
    m->click("Port1(0)");
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 5000);
    QCOMPARE(m->child<QPushButton>("MesswerteLoop")->text(), QString("Stop Dauermessung"));
    m->lan.answerNext({MeasurementReply});
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_COMPARE(m->lan.requests.size(), 8);
    QVERIFY(m->window->PollingActive && !m->window->ResumePolling);
    m->click("MesswerteLoop");
    QVERIFY(!m->window->PollingActive);
}

TESSRA_TEST(TestPolling)
#include "tst_Polling.moc"
