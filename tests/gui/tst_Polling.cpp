// The polling loop of the real window and the switch buttons that interrupt it,
// against the LAN adapter on loopback, which leaves a request unanswered when
// nothing is queued for it.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QPushButton>

using namespace WindowHarness;

class TestPolling : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m.emplace().start()); }
    void cleanup() { QVERIFY(m->boxes.seen.isEmpty()); }
    void pollingRunsThroughATimeOutSilentlyAndStops();
    void switchingInterruptsThePollingAndResumesIt();

private:
    QString loopButton() const { return m->child<QPushButton>("MesswerteLoop")->text(); }
    std::optional<Installation> m;
};

void TestPolling::pollingRunsThroughATimeOutSilentlyAndStops()
{
    m->click("MesswerteLoop");
    QCOMPARE(loopButton(), QString("Stop Dauermessung"));
    // The time-out of the first request ends the silence of the log but not the polling.
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 5000);
    m->lan.answerNext({MeasurementReply});
    QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() == 2, 8000);
    QCOMPARE(m->lan.requests[1], QByteArray::fromHex("FFAA00CE0C011CFFFEFFFE0101F3"));
    // The exchanges of the polling leave no line; the buttons still show the values.
    QTRY_COMPARE(m->bits("Port1", 4), 0x9);
    QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte", "RX-TimeoOut", ListenOn}));
    m->click("MesswerteLoop");
    QCOMPARE(loopButton(), QString("Daten Dauerabfrage"));
    QTest::qWait(3500);
    QCOMPARE(m->lan.requests.size(), 2);
}

void TestPolling::switchingInterruptsThePollingAndResumesIt()
{
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_VERIFY(m->lan.requests.size() == 1 && m->window->Listening);
    // Channel 2 switched on: the polling stops, the switch request goes out,
    // and its reply resumes the polling at once.
    m->lan.answerNext({QByteArray::fromHex("FFAA00030D01000000FFFE0101000B")});
    m->lan.answerNext({MeasurementReply});
    m->click("Port1(1)");
    QTRY_VERIFY(m->lan.requests.size() == 3 && m->window->Listening);
    QCOMPARE(m->lan.requests[1], QByteArray::fromHex("FFAA00030D011CFFFEFFFE01014B22"));
    QCOMPARE(quint8(m->lan.requests[2][3]), quint8(0xCE));
    QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte", "Sende Schalbefehl ",
                                    "-> Port geschaltet! Status:  Ch 1=1,  Ch 2=1,  Ch 3=0,  Ch 4=1", Closed}));
    // A switch request that gets no answer leaves the polling stopped; the loop
    // button starts it again, and the next decoded reply calls one more pass,
    // as the interrupted polling asked for.
    m->click("Port1(0)");
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 5000);
    QCOMPARE(loopButton(), QString("Stop Dauermessung"));
    m->lan.answerNext({MeasurementReply});
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_COMPARE(m->lan.requests.size(), 6);
    QVERIFY(m->window->PollingActive && !m->window->ResumePolling);
    m->click("MesswerteLoop");
    QVERIFY(!m->window->PollingActive);
}

TESSRA_TEST(TestPolling)
#include "tst_Polling.moc"
