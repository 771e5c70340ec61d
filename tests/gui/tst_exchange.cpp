// Exchanges of the real window with devices on loopback: a LAN adapter on
// 127.0.0.2 and the radio/LAN gateway on 127.0.0.3, on the tool's own port.

#include "TestMain.h"
#include "Installation.h"

#include "link/SocketComponent.h"
#include "replies/ReplyAssembler.h"
#include "requests/TwoStateButton.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace WindowHarness;

namespace {

// Parameter request to radio device 28/1/22 with eNum 123, through the gateway.
const QByteArray FunkParameterRequest = QByteArray::fromHex("FFAA00C80C7B1C0116FFFE020182");
const QByteArray ProgrammingAcknowledged = QByteArray::fromHex("FFAA00CB0C7B0000000116020100");

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lanParameterExchange_data();
    void lanParameterExchange();
    void funkRequestIsAnsweredByTheGatewaysCallBack();
    void frameWithoutRequestIsDecoded();
    void timeOutOfEachTarget_data();
    void timeOutOfEachTarget();
    void refusedConnection();
    void silentCallerIsClosedAndTheToolListensAgain();
    void blanksAreNoReplyAndTheTimeOutEndsTheExchange();
    void pollingRunsAndStops();
    void switchDuringPollingInterruptsAndResumes();
    void autoSendAsksForItsChannel();
    void measurementReplySetsButtonsWithoutSending();
    void loopButtonRestartsAnInterruptedPolling();
    void pollingGoesOnAfterATimeOut();
    void refusedRadioProgrammingSendsNothing();
    void partOfAReplyEndsWithItsTimeOut();

private:
    std::unique_ptr<Installation> m;
};

void TestExchange::init()
{
    m = std::make_unique<Installation>();
    QVERIFY(m->lan.isListening() && m->gateway.isListening());
    QVERIFY(m->w.showAndActivate());
    QCOMPARE(m->log(), QStringList{"Listen ON"});
}

void TestExchange::cleanup()
{
    QVERIFY(m->boxes.seen.isEmpty());
    m.reset();
}

void TestExchange::lanParameterExchange_data()
{
    QTest::addColumn<bool>("bytewise");
    QTest::addColumn<bool>("closeAfter");
    QTest::newRow("reply in one segment") << false << false;
    QTest::newRow("reply split into single bytes") << true << false;
    QTest::newRow("device closes right after its reply") << false << true;
}

void TestExchange::lanParameterExchange()
{
    QFETCH(bool, bytewise);
    QFETCH(bool, closeAfter);
    m->lan.answerNext({LanParameterReply, 0, bytewise, 20, closeAfter});
    m->click("cmdTest");
    QVERIFY(!m->controlsEnabled());
    QTRY_VERIFY(m->log().size() >= 8);
    QTest::qWait(100);
    QVERIFY2(m->log() == (QStringList{"Listen ON", "Anfrage Parameter"} + LanParameterLines), qPrintable(m->log().join('|')));
    QCOMPARE(m->lan.requests, QList<QByteArray>{LanParameterRequest});
    // The tool calls from the port it listens on.
    QCOMPARE(m->lan.callerPorts, QList<quint16>{m->port});
    QVERIFY(m->controlsEnabled());
    QCOMPARE(m->w.child<QLineEdit>("Text1(7)")->text(), QString("254"));
    QVERIFY(m->w.window->Listening);
}

void TestExchange::funkRequestIsAnsweredByTheGatewaysCallBack()
{
    m->chooseFunk();
    m->w.child<QLineEdit>("Text3(3)")->setText("123");
    m->gateway.answerNext({ProgrammingAcknowledged, 200, false, 0, false, true});
    m->click("cmdTest");
    QTRY_COMPARE(m->gateway.requests, QList<QByteArray>{FunkParameterRequest});
    // After the write the tool drops the gateway and listens for its call.
    QTRY_COMPARE(m->log().mid(0, 3), (QStringList{"Listen ON", "Anfrage Parameter", "Listen ON"}));
    QTRY_VERIFY2(m->log().size() == 6, qPrintable(m->log().join('|')));
    QCOMPARE(m->logSince(3), (QStringList{"-> Programmierung erfolgreich. Boote neu........", "Verbindung geschlossen",
                                          "Listen ON"}));
    QCOMPARE(m->gateway.callBacks, 1);
    QVERIFY(m->controlsEnabled());
    QVERIFY(m->lan.requests.isEmpty());
}

void TestExchange::frameWithoutRequestIsDecoded()
{
    m->lan.callTool({LanParameterReply});
    QTRY_COMPARE(m->log().size(), 7);
    QCOMPARE(m->log(), QStringList{"Listen ON"} + LanParameterLines);
}

void TestExchange::timeOutOfEachTarget_data()
{
    QTest::addColumn<bool>("funk");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("timeout");
    QTest::newRow("LAN waits 1500 ms") << false << "cmdTest" << 1500;
    QTest::newRow("radio waits 3000 ms") << true << "cmdTest" << 3000;
    QTest::newRow("AutoSend waits 150 ms") << false << "AutoSend(0)" << 150;
}

void TestExchange::timeOutOfEachTarget()
{
    QFETCH(bool, funk);
    QFETCH(QString, button);
    QFETCH(int, timeout);
    if (funk)
        m->chooseFunk();
    DevicePeer &target = funk ? m->gateway : m->lan;
    target.answerNext({QByteArray(), 0, false, 0, false, false, true});
    m->click(button);
    auto *timer1 = m->w.child<QTimer>("Timer1");
    QCOMPARE(timer1->interval(), timeout);
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), timeout + 5000);
    QTRY_COMPARE(m->log().last(), QString("Listen ON"));
    QVERIFY(m->controlsEnabled());
    QCOMPARE(target.requests.size(), 1);
}

void TestExchange::refusedConnection()
{
    m->w.child<QLineEdit>("Text1(3)")->setText("9"); // nobody at 127.0.0.9
    m->click("cmdTest");
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 6000);
    const QStringList log = m->log();
    QCOMPARE(log.mid(0, 3), (QStringList{"Listen ON", "Anfrage Parameter", "Socket error: Connection refused"}));
    QCOMPARE(log.mid(3), (QStringList{"RX-TimeoOut", "Listen ON"}));
}

void TestExchange::silentCallerIsClosedAndTheToolListensAgain()
{
    QTcpSocket caller;
    caller.connectToHost(QHostAddress::LocalHost, m->port);
    QVERIFY(caller.waitForConnected(2000));
    // The caller holds the one socket only until its time is up.
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 8000);
    QTRY_COMPARE(m->log().last(), QString("Listen ON"));
    QTRY_COMPARE(caller.state(), QAbstractSocket::UnconnectedState);
    // A real device's exchange follows as usual.
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    QTRY_VERIFY(m->log().contains("Verbindung geschlossen"));
}

void TestExchange::blanksAreNoReplyAndTheTimeOutEndsTheExchange()
{
    m->lan.answerNext({QByteArray("   ")});
    m->click("cmdTest");
    QTRY_VERIFY(m->log().contains("-> Error: keine Daten !"));
    QVERIFY(!m->controlsEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 6000);
    QTRY_COMPARE(m->log().last(), QString("Listen ON"));
    QVERIFY(m->controlsEnabled());
}

void TestExchange::pollingRunsAndStops()
{
    for (int i = 0; i < 3; ++i)
        m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QCOMPARE(m->w.child<QPushButton>("MesswerteLoop")->text(), QString("Stop Dauermessung"));
    QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() == 2, 8000);
    for (const QByteArray &request : m->lan.requests)
        QCOMPARE(quint8(request[3]), quint8(0xCE));
    // The log is silent while polling runs; the buttons still show the values.
    QCOMPARE(m->log(), (QStringList{"Listen ON", "Loop-Abfrage Messwerte"}));
    QVERIFY(m->w.child<TwoStateButton>("Port1(3)")->isChecked());
    QVERIFY(m->controlsEnabled());
    m->click("MesswerteLoop");
    QCOMPARE(m->w.child<QPushButton>("MesswerteLoop")->text(), QString("Daten Dauerabfrage"));
    const int sent = m->lan.requests.size();
    QTest::qWait(3500);
    QCOMPARE(m->lan.requests.size(), sent);
}

void TestExchange::switchDuringPollingInterruptsAndResumes()
{
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_COMPARE(m->lan.requests.size(), 1);
    QTRY_VERIFY(m->w.window->Listening);
    // Channel 2 switched on: the polling stops, the switch request goes out.
    m->lan.answerNext({QByteArray::fromHex("FFAA00030D01000000FFFE0101000B")});
    m->lan.answerNext({MeasurementReply});
    m->click("Port1(1)");
    QVERIFY(!m->w.window->PollingActive);
    QVERIFY(m->w.window->ResumePolling);
    QVERIFY(m->log().contains("Sende Schalbefehl "));
    QTRY_COMPARE(m->lan.requests.size(), 3);
    QCOMPARE(m->lan.requests[1].mid(2, 2), QByteArray::fromHex("0003"));
    QCOMPARE(m->lan.requests[1].right(1), QByteArray::fromHex("22"));
    // The reply to the switch request resumes the polling at once.
    QCOMPARE(quint8(m->lan.requests[2][3]), quint8(0xCE));
    QVERIFY(m->w.window->PollingActive);
    QVERIFY(!m->w.window->ResumePolling);
}

void TestExchange::autoSendAsksForItsChannel()
{
    m->lan.answerNext({QByteArray(), 0, false, 0, false, false, true});
    m->click("AutoSend(2)");
    QCOMPARE(m->logSince(1).first(), QString("Anforderung AutoSend für InputKanal 3"));
    QTRY_COMPARE(m->lan.requests.size(), 1);
    QCOMPARE(m->lan.requests[0].mid(2, 3), QByteArray::fromHex("00CF0D"));
    QCOMPARE(m->lan.requests[0].right(1), QByteArray::fromHex("40"));
    QTRY_VERIFY(m->log().contains("RX-TimeoOut"));
}

void TestExchange::measurementReplySetsButtonsWithoutSending()
{
    m->lan.answerNext({MeasurementReply});
    m->click("GetMesswerte");
    QTRY_VERIFY(m->log().contains("Verbindung geschlossen"));
    QVERIFY(m->w.child<TwoStateButton>("Port1(0)")->isChecked());
    QVERIFY(!m->w.child<TwoStateButton>("Port1(1)")->isChecked());
    QVERIFY(m->w.child<TwoStateButton>("Port1(3)")->isChecked());
    QCOMPARE(m->w.child<QWidget>("Shape1(1)")->palette().color(QPalette::Window), QColor(255, 255, 0));
    QCOMPARE(m->w.child<QWidget>("Shape1(0)")->palette().color(QPalette::Window), QColor(192, 192, 192));
    QTest::qWait(300);
    // Only the measurement request went out: setting the buttons sent nothing.
    QCOMPARE(m->lan.requests.size(), 1);
    QVERIFY(!m->w.window->UpdatingPorts);
}

void TestExchange::loopButtonRestartsAnInterruptedPolling()
{
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_COMPARE(m->lan.requests.size(), 1);
    QTRY_VERIFY(m->w.window->Listening);
    // Interrupted by a switch request that gets no answer.
    m->lan.answerNext({QByteArray(), 0, false, 0, false, false, true});
    m->click("Port1(0)");
    QVERIFY(!m->w.window->PollingActive && m->w.window->ResumePolling);
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 5000);
    QCOMPARE(m->w.child<QPushButton>("MesswerteLoop")->text(), QString("Stop Dauermessung"));
    // The loop button finds the polling stopped and starts it again; the next
    // decoded reply calls one more pass, as the interrupted polling asked for.
    m->lan.answerNext({MeasurementReply});
    m->lan.answerNext({MeasurementReply});
    const int before = m->lan.requests.size();
    m->click("MesswerteLoop");
    QVERIFY(m->w.window->PollingActive);
    QTRY_COMPARE(m->lan.requests.size(), before + 2);
    QVERIFY(!m->w.window->ResumePolling);
    QVERIFY(m->w.window->PollingActive);
    m->click("MesswerteLoop");
    QVERIFY(!m->w.window->PollingActive);
}

void TestExchange::pollingGoesOnAfterATimeOut()
{
    m->lan.answerNext({QByteArray(), 0, false, 0, false, false, true});
    m->lan.answerNext({MeasurementReply});
    m->click("MesswerteLoop");
    QTRY_VERIFY_WITH_TIMEOUT(m->log().contains("RX-TimeoOut"), 5000);
    // The time-out stops the silence of the log but not the polling timer.
    QVERIFY(!m->w.window->PollingActive);
    QVERIFY(m->w.child<QTimer>("Timer3")->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() == 2, 5000);
    QVERIFY(m->w.window->PollingActive);
    m->click("MesswerteLoop");
}

void TestExchange::refusedRadioProgrammingSendsNothing()
{
    m->chooseFunk();
    m->w.child<QLineEdit>("Text5(0)")->setText("");
    m->click("cmdSetParameter");
    QCOMPARE(m->logSince(1), QStringList{"sende neue Parameter"});
    QCOMPARE(m->boxes.seen.size(), 1);
    QCOMPARE(m->boxes.seen[0].title, QString("Achtung !"));
    m->boxes.seen.clear();
    QVERIFY(m->controlsEnabled());
    QTest::qWait(200);
    QVERIFY(m->gateway.requests.isEmpty());
}

void TestExchange::partOfAReplyEndsWithItsTimeOut()
{
    // The first bytes of a reply arrive, and the time-out comes before the
    // pause after them has told the tool that no more will come.
    m->lan.answerNext({LanParameterReply.left(10)});
    QSignalSpy arrived(m->w.child<SocketComponent>("SW"), &SocketComponent::dataArrived);
    m->click("cmdTest");
    QVERIFY(arrived.wait(5000));
    QVERIFY(QMetaObject::invokeMethod(m->w.child<QTimer>("Timer1"), "timeout"));
    QCOMPARE(m->logSince(1), (QStringList{"Anfrage Parameter", "RX-TimeoOut", "Listen ON"}));
    // What had come of the reply went with its exchange: nothing is decoded later.
    QTest::qWait(3 * ReplyAssembler::IdleTimeoutMs);
    QCOMPARE(m->logSince(1), (QStringList{"Anfrage Parameter", "RX-TimeoOut", "Listen ON"}));
    QVERIFY(m->controlsEnabled());
}

TESSRA_TEST(TestExchange)
#include "tst_exchange.moc"
