// Exchanges of the real window with the devices on loopback: every kind of
// request as it reaches the device, the connection cycle and its time-outs.

#include "TestMain.h"
#include "WindowHarness.h"

#include "link/SocketComponent.h"
#include "replies/ReplyAssembler.h"

#include <QSignalSpy>

using namespace WindowHarness;

namespace {
const QString Acknowledged = QStringLiteral("-> Programmierung erfolgreich. Boote neu........");
} // namespace

class TestExchange : public QObject
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
    void requestsReachTheDevice_data();
    void requestsReachTheDevice();
    void lanReplyArrives_data();
    void lanReplyArrives();
    void funkRequestIsAnsweredByTheGatewaysCallBack();
    void exchangeEndsWithTheTimeOut_data();
    void exchangeEndsWithTheTimeOut();
    void partOfAReplyEndsWithItsTimeOut();
    void aClosedCallTakesItsTimeOutAlong_data();
    void aClosedCallTakesItsTimeOutAlong();
    void refusedRadioProgrammingSendsNothing_data();
    void refusedRadioProgrammingSendsNothing();
    void copiedRadioAddressArrivesWhole();

private:
    // Each "Text2(16)=5000" typed into its field.
    void type(const QStringList &entries)
    {
        for (const QString &entry : entries)
            m->type(entry.section('=', 0, 0), entry.section('=', 1));
    }
    std::unique_ptr<Installation> m;
};

void TestExchange::requestsReachTheDevice_data()
{
    QTest::addColumn<bool>("funk");
    QTest::addColumn<QStringList>("clicks"); // boxes, then the button
    QTest::addColumn<QStringList>("typed"); // after the boxes
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("after"); // the fields that show what was sent
    QTest::newRow("measurement request to the LAN adapter with eNum 1")
        << false << QStringList{"GetMesswerte"} << QStringList() << QByteArray("FFAA00CE0C011CFFFEFFFE0101F3")
        << QStringList();
    QTest::newRow("measurement request to the radio device 28/1/22 with eNum 123, to the gateway")
        << true << QStringList{"GetMesswerte"} << QStringList() << QByteArray("FFAA00CE0C7B1C0116FFFE020188")
        << QStringList();
    QTest::newRow("Ch 3 of the LAN adapter switched on is 0x44")
        << false << QStringList{"Port1(2)"} << QStringList() << QByteArray("FFAA00030D011CFFFEFFFE01016D44")
        << QStringList();
    QTest::newRow("LAN programming: typed fields and ticked flags; the header carries the new eNum 7")
        << false << QStringList{"Check2(5)", "Check2(0)", "cmdSetParameter"}
        << QStringList{"Text2(16)=5000", "Text2(17)=7", "Text2(18)=1,5", "Text2(19)=1,2"}
        << QByteArray("FFAA00CA21071CFFFEFFFE010109C0A81C01FFFE1CFEFFFFFF00C0A81C0B1388210F0C")
        << QStringList{"Text1(17)=7"};
    QTest::newRow("radio programming 28/1/22 to 28/1/23: old address in the header, frequency and power from the boxes")
        << true << QStringList{"Check4(5)", "Check7(0)", "Check8(1)", "cmdSetParameter"}
        << QStringList{"Text5(2)=23", "Text5(4)=2,5", "Text5(5)=1.0"}
        << QByteArray("FFAA00CA157B1C0116FFFE0201471C0117A2A00120190A") << QStringList{"Text3(2)=23", "Text3(3)=123"};
}

void TestExchange::requestsReachTheDevice()
{
    QFETCH(bool, funk);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, typed);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, after);
    if (funk)
        m->chooseTarget(1);
    DevicePeer &device = funk ? m->gateway : m->lan;
    device.answerNext({QByteArray::fromHex(funk ? "FFAA00CB0C7B000000011602016C" : "FFAA00CB0C01000000FFFE0101D7"), 0,
                       false, false, funk});
    for (const QString &name : clicks.mid(0, clicks.size() - 1))
        m->click(name);
    type(typed);
    m->click(clicks.last());
    QTRY_VERIFY(m->log().contains(Acknowledged) && m->exchangeEnded());
    QCOMPARE(device.requests.size(), 1);
    QCOMPARE(device.requests[0].toHex().toUpper(), frame);
    for (const QString &field : after)
        QCOMPARE(m->text(field.section('=', 0, 0)), field.section('=', 1));
    if (clicks.first() == "Check2(5)")
        QCOMPARE(m->bits("Check1", 8), 0x21); // the new flags became the current ones
}

void TestExchange::lanReplyArrives_data()
{
    QTest::addColumn<bool>("bytewise");
    QTest::addColumn<bool>("closeAfter");
    QTest::newRow("reply in one segment") << false << false;
    QTest::newRow("reply split into single bytes") << true << false;
    QTest::newRow("device closes right after its reply") << false << true;
}

void TestExchange::lanReplyArrives()
{
    QFETCH(bool, bytewise);
    QFETCH(bool, closeAfter);
    m->lan.answerNext({LanParameterReply, 0, bytewise, closeAfter});
    m->click("cmdTest");
    QVERIFY(!m->controlsEnabled());
    QTRY_COMPARE(m->log(), QStringList({ListenOn, "Anfrage Parameter"}) + LanParameterLines);
    QTest::qWait(100);
    QVERIFY(m->exchangeEnded() && m->log().size() == 8);
    QCOMPARE(m->lan.requests, QList<QByteArray>{LanParameterRequest});
    // The tool calls from the port it listens on.
    QCOMPARE(m->lan.callerPorts, QList<quint16>{m->port});
}

void TestExchange::funkRequestIsAnsweredByTheGatewaysCallBack()
{
    m->chooseTarget(1);
    m->gateway.answerNext({QByteArray::fromHex("FFAA00CB0C7B000000011602016C"), 200, false, false, true});
    m->click("cmdTest");
    // After the write the tool drops the gateway and listens for its call.
    QTRY_COMPARE(m->log(), (QStringList{ListenOn, "Anfrage Parameter", ListenOn}));
    QTRY_COMPARE(m->logSince(3), (QStringList{Acknowledged, Closed, ListenOn}));
    QCOMPARE(m->gateway.requests, QList<QByteArray>{QByteArray::fromHex("FFAA00C80C7B1C0116FFFE020182")});
    QCOMPARE(m->gateway.callBacks, 1);
    QVERIFY(m->controlsEnabled() && m->lan.requests.isEmpty());
}

void TestExchange::exchangeEndsWithTheTimeOut_data()
{
    QTest::addColumn<bool>("funk");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("answer"); // null: none at all
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QStringList>("lines");
    const QByteArray none;
    const QString ask = "Anfrage Parameter", timedOut = "RX-TimeoOut";
    QTest::newRow("LAN waits 1500 ms") << false << "cmdTest" << none << 1500 << QStringList{ask, timedOut, ListenOn};
    QTest::newRow("radio waits 3000 ms, listening for the call-back")
        << true << "cmdTest" << none << 3000 << QStringList{ask, ListenOn, timedOut, ListenOn};
    QTest::newRow("AutoSend of input 3 waits 150 ms")
        << false << "AutoSend(2)" << none << 150 << QStringList{"Anforderung AutoSend für InputKanal 3", timedOut, ListenOn};
    QTest::newRow("blanks are no reply") << false << "cmdTest" << QByteArray("   ") << 1500
                                         << QStringList{ask, "-> Error: keine Daten !", timedOut, ListenOn};
    QTest::newRow("nobody at 127.0.0.9 refuses") << false << "Text1(3)=9" << none << 1500
                                                  << QStringList{ask, "Socket error: Connection refused", timedOut, ListenOn};
}

void TestExchange::exchangeEndsWithTheTimeOut()
{
    QFETCH(bool, funk);
    QFETCH(QString, button);
    QFETCH(QByteArray, answer);
    QFETCH(int, timeout);
    QFETCH(QStringList, lines);
    if (funk)
        m->chooseTarget(1);
    if (button.contains('=')) {
        type({button});
        button = "cmdTest";
    }
    DevicePeer &device = funk ? m->gateway : m->lan;
    device.answerNext({answer, 0, false, false, false, answer.isNull()});
    m->click(button);
    QCOMPARE(m->child<QTimer>("Timer1")->interval(), timeout);
    QTRY_COMPARE_WITH_TIMEOUT(m->logSince(1), lines, timeout + 5000);
    QVERIFY(m->controlsEnabled());
    if (button == "AutoSend(2)")
        QCOMPARE(device.requests, QList<QByteArray>{QByteArray::fromHex("FFAA00CF0D011CFFFEFFFE01013540")});
}

void TestExchange::partOfAReplyEndsWithItsTimeOut()
{
    // The first bytes of a reply arrive, and the time-out comes before the
    // pause after them has told the tool that no more will come.
    m->lan.answerNext({LanParameterReply.left(10)});
    QSignalSpy arrived(m->child<SocketComponent>("SW"), &SocketComponent::dataArrived);
    m->click("cmdTest");
    QVERIFY(arrived.wait(5000));
    QVERIFY(QMetaObject::invokeMethod(m->child<QTimer>("Timer1"), "timeout"));
    // What had come of the reply went with its exchange: nothing is decoded later.
    QTest::qWait(3 * ReplyAssembler::IdleTimeoutMs);
    QCOMPARE(m->logSince(1), (QStringList{"Anfrage Parameter", "RX-TimeoOut", ListenOn}));
    QVERIFY(m->controlsEnabled());
}

void TestExchange::aClosedCallTakesItsTimeOutAlong_data()
{
    QTest::addColumn<bool>("polling");
    QTest::newRow("at rest") << false;
    QTest::newRow("while polling") << true;
}

void TestExchange::aClosedCallTakesItsTimeOutAlong()
{
    // A port check: a peer connects to the tool and closes without a word.
    QFETCH(bool, polling);
    if (polling) {
        for (int k = 0; k < 3; ++k)
            m->lan.answerNext({MeasurementReply});
        m->click("MesswerteLoop");
        QTRY_VERIFY(m->lan.requests.size() == 1 && m->window->Listening);
    }
    const int before = m->log().size();
    QTcpSocket caller;
    caller.connectToHost(QHostAddress::LocalHost, m->port);
    QVERIFY(caller.waitForConnected(5000));
    QTRY_VERIFY(m->child<QTimer>("Timer1")->isActive());
    caller.close();
    // Past the accepted connection's time-out, nothing more was said than the
    // listening again, which the polling keeps out of the log.
    QTest::qWait(2 * m->window->RxTimeout + 500);
    QCOMPARE(m->logSince(before), polling ? QStringList() : QStringList{ListenOn});
    if (polling) {
        QVERIFY(m->window->PollingActive);
        QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() >= 3, 8000);
        m->click("MesswerteLoop");
    }
}

void TestExchange::refusedRadioProgrammingSendsNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus"); // none: not moved by the check
    QTest::newRow("empty home address") << "Text5(0)=" << "Bitte Homeadresse prüfen !\nDie Adresse darf nicht 0 sein !"
                                        << "";
    QTest::newRow("T-Diff on 25,6: the focus goes to the field")
        << "Text5(4)=25,6" << "Bitte T-DiffON-Wert prüfen !\nNur Werte von 0,1 bis 25,5 zulässig !" << "Text5(4)";
}

void TestExchange::refusedRadioProgrammingSendsNothing()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    m->chooseTarget(1);
    m->click("Check4(5)");
    type({typed});
    m->child("Text5(1)")->setFocus();
    m->click("cmdSetParameter");
    QCOMPARE(m->boxes.seen.size(), 1);
    QCOMPARE(m->boxes.seen[0].text, message);
    QCOMPARE(m->boxes.seen[0].title, QString("Achtung !"));
    QCOMPARE(m->boxes.seen[0].icon, QMessageBox::Critical);
    m->boxes.seen.clear();
    if (!focus.isEmpty())
        QCOMPARE(m->window->focusWidget(), m->child(focus));
    QCOMPARE(m->logSince(1), QStringList{"sende neue Parameter"});
    QCOMPARE(m->texts("Text3", 3), (QStringList{"28", "1", "22"}));
    QVERIFY(m->controlsEnabled());
    QTest::qWait(200);
    QVERIFY(m->gateway.requests.isEmpty());
}

void TestExchange::copiedRadioAddressArrivesWhole()
{
    // "0023" passes the address check and programs the device to 23; the current
    // field takes it whole, and so do the next request and the settings file.
    const QByteArray device23 = QByteArray::fromHex("1C0117");
    m->chooseTarget(1);
    m->gateway.answerNext({QByteArray::fromHex("FFAA00CB0C7B000000011602016C"), 0, false, false, true});
    m->click("Check4(5)");
    type({"Text5(2)=0023", "Text5(4)=2,5", "Text5(5)=1.0"});
    m->click("cmdSetParameter");
    QTRY_VERIFY(m->log().contains(Acknowledged) && m->exchangeEnded());
    QCOMPARE(m->gateway.requests[0].mid(14, 3), device23);
    QCOMPARE(m->text("Text3(2)"), QString("0023"));
    m->gateway.answerNext(Silence);
    m->click("GetMesswerte");
    QTRY_COMPARE(m->gateway.requests.size(), 2);
    QCOMPARE(m->gateway.requests[1].mid(6, 3), device23);
    m->window->close();
    QVERIFY(contentOf(m->iniPath()).contains("\r\nDAdrL=0023\r\n"));
    // A person types no more into the field than it holds, and once he has
    // taken a character away, no more than its three.
    auto *field = m->child<QLineEdit>("Text3(2)");
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_1);
    QCOMPARE(field->text(), QString("0023"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_1);
    QCOMPARE(field->text(), QString("002"));
}

TESSRA_TEST(TestExchange)
#include "tst_Exchange.moc"
