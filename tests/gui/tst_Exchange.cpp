// Exchanges of the real window with the devices on loopback: the requests as
// they reach the device, the connection cycle and how it ends. The measurement
// and switch requests are checked with the polling and the replies.

#include "TestMain.h"
#include "WindowHarness.h"

#include "link/SocketComponent.h"
#include "replies/ReplyAssembler.h"

#include <QCheckBox>
#include <QSignalSpy>

using namespace WindowHarness;

namespace {
const QString Asked = QStringLiteral("Anfrage Parameter");
const QString TimedOut = QStringLiteral("RX-TimeoOut");
const QString Acknowledged = QStringLiteral("-> Programmierung erfolgreich. Boote neu........");
} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m.emplace().start()); }
    void cleanup() { QVERIFY(m->boxes.seen.isEmpty()); }
    void requestsReachTheDevice_data();
    void requestsReachTheDevice();
    void lanReplyArrives_data();
    void lanReplyArrives();
    void partOfAReplyEndsWithItsTimeOut();
    void refusedRadioProgrammingSendsNothing();
    void copiedRadioAddressArrivesWhole();
    void aClosedCallTakesItsTimeOutAlong_data();
    void aClosedCallTakesItsTimeOutAlong();

private:
    // What a technician does, in order: "Text2(16)=5000" is typed into its field, a name alone is clicked.
    void enter(const QStringList &input)
    {
        for (const QString &entry : input) {
            if (entry.contains('='))
                m->type(entry.section('=', 0, 0), entry.section('=', 1));
            else
                m->click(entry);
        }
    }
    std::optional<Installation> m;
};

void TestExchange::requestsReachTheDevice_data()
{
    QTest::addColumn<bool>("funk");
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QByteArray>("answer"); // in hex; none: the device stays silent
    QTest::addColumn<QByteArray>("sent"); // what the device got, in hex
    QTest::addColumn<int>("timeout");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("after"); // what the window shows then
    const QByteArray none, asked = "FFAA00C80C011CFFFEFFFE0101ED";
    const QStringList test = {"cmdTest"}, send = {"sende neue Parameter"};
    QTest::newRow("LAN programming: typed fields and ticked flags, the new eNum 7 in the header and then current")
        << false
        << QStringList{"Check2(5)", "Check2(0)", "Text2(16)=5000", "Text2(17)=7", "Text2(18)=1,5", "Text2(19)=1,2",
                       "cmdSetParameter"}
        << QByteArray("FFAA00CB0C01000000FFFE0101D7")
        << QByteArray("FFAA00CA21071CFFFEFFFE010109C0A81C01FFFE1CFEFFFFFF00C0A81C0B1388210F0C") << 1500
        << send + QStringList{Acknowledged, Closed, ListenOn}
        << QStringList{"Text1(17)=7", "Check1(0)=2", "Check1(1)=0", "Check1(5)=2"};
    QTest::newRow("radio programming 28/1/22 to 28/1/23: old address in the header, the gateway calls back")
        << true
        << QStringList{"Check4(5)", "Check7(0)", "Check8(1)", "Text5(2)=23", "Text5(4)=2,5", "Text5(5)=1.0",
                       "cmdSetParameter"}
        << QByteArray("FFAA00CB0C7B000000011602016C") << QByteArray("FFAA00CA157B1C0116FFFE0201471C0117A2A00120190A")
        << 3000 << send + QStringList{ListenOn, Acknowledged, Closed, ListenOn} << QStringList{"Text3(2)=23"};
    QTest::newRow("LAN parameter request left unanswered for 1500 ms")
        << false << test << none << asked << 1500 << QStringList{Asked, TimedOut, ListenOn} << QStringList();
    QTest::newRow("radio parameter request left unanswered for 3000 ms, listening for the call-back")
        << true << test << none << QByteArray("FFAA00C80C7B1C0116FFFE020182") << 3000
        << QStringList{Asked, ListenOn, TimedOut, ListenOn} << QStringList();
    QTest::newRow("AutoSend request for input 3 left unanswered for 150 ms")
        << false << QStringList{"AutoSend(2)"} << none << QByteArray("FFAA00CF0D011CFFFEFFFE01013540") << 150
        << QStringList{"Anforderung AutoSend für InputKanal 3", TimedOut, ListenOn} << QStringList();
    QTest::newRow("blanks are no reply") << false << test << QByteArray("202020") << asked << 1500
                                         << QStringList{Asked, "-> Error: keine Daten !", TimedOut, ListenOn}
                                         << QStringList();
    QTest::newRow("nobody at 127.0.0.9: the connection is refused")
        << false << QStringList{"Text1(3)=9", "cmdTest"} << none << none << 1500
        << QStringList{Asked, "Socket error: Connection refused", TimedOut, ListenOn} << QStringList();
}

void TestExchange::requestsReachTheDevice()
{
    QFETCH(bool, funk);
    QFETCH(QStringList, input);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, sent);
    QFETCH(int, timeout);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, after);
    if (funk)
        m->chooseTarget(1);
    // The gateway drops the caller and calls back with its answer.
    DevicePeer &device = funk ? m->gateway : m->lan;
    if (!answer.isEmpty())
        device.answerNext({QByteArray::fromHex(answer), funk ? 200 : 0, false, false, funk});
    enter(input);
    QCOMPARE(m->child<QTimer>("Timer1")->interval(), timeout);
    QTRY_COMPARE_WITH_TIMEOUT(m->logSince(1), lines, timeout + 5000);
    QVERIFY(m->controlsEnabled());
    QCOMPARE(device.requests, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{QByteArray::fromHex(sent)});
    for (const QString &shown : after) {
        const QString name = shown.section('=', 0, 0);
        auto *box = m->child<QCheckBox>(name); // its check state: 0, 1 greyed, 2
        QCOMPARE(box ? QString::number(box->checkState()) : m->text(name), shown.section('=', 1));
    }
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
    QTRY_COMPARE(m->log(), QStringList({ListenOn, Asked}) + LanParameterLines);
    // Nothing more is said of it, however it ended.
    QTest::qWait(100);
    QVERIFY(m->exchangeEnded() && m->log().size() == 8);
    // The tool calls from the port it listens on.
    QCOMPARE(m->lan.callerPorts, QList<quint16>{m->port});
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
    QCOMPARE(m->logSince(1), (QStringList{Asked, TimedOut, ListenOn}));
    QVERIFY(m->controlsEnabled());
}

void TestExchange::refusedRadioProgrammingSendsNothing()
{
    m->chooseTarget(1);
    enter({"Check4(5)", "Text5(4)=25,6"});
    m->child("Text5(1)")->setFocus();
    m->click("cmdSetParameter");
    QCOMPARE(m->boxes.seen.size(), 1);
    QCOMPARE(m->boxes.seen[0].text, QString("Bitte T-DiffON-Wert prüfen !\nNur Werte von 0,1 bis 25,5 zulässig !"));
    QVERIFY(m->boxes.seen[0].title == "Achtung !" && m->boxes.seen[0].icon == QMessageBox::Critical);
    m->boxes.seen.clear();
    // The check sends the focus back to the field; nothing goes out.
    QCOMPARE(m->window->focusWidget(), m->child("Text5(4)"));
    QCOMPARE(m->logSince(1), QStringList{"sende neue Parameter"});
    QVERIFY(m->controlsEnabled());
    QTest::qWait(200);
    QVERIFY(m->gateway.requests.isEmpty());
}

void TestExchange::copiedRadioAddressArrivesWhole()
{
    // "0023" passes the address check and programs the device to 23; the current
    // field takes it whole, and so do the next request and the settings file.
    m->chooseTarget(1);
    m->gateway.answerNext({QByteArray::fromHex("FFAA00CB0C7B000000011602016C"), 0, false, false, true});
    enter({"Check4(5)", "Text5(2)=0023", "Text5(4)=2,5", "Text5(5)=1.0", "cmdSetParameter"});
    QTRY_VERIFY(m->log().contains(Acknowledged) && m->exchangeEnded());
    QCOMPARE(m->text("Text3(2)"), QString("0023"));
    m->click("GetMesswerte");
    QTRY_COMPARE(m->gateway.requests.size(), 2);
    // The new address in the programming frame, then the measurement request's destination.
    QCOMPARE(m->gateway.requests[0].mid(14, 3) + m->gateway.requests[1].mid(6, 3), QByteArray::fromHex("1C01171C0117"));
    m->window->close();
    QVERIFY(contentOf(m->iniPath()).contains("\r\nDAdrL=0023\r\n"));
    // A person types no more into the field than it holds, and once he has taken
    // a character away, no more than its three.
    auto *field = m->child<QLineEdit>("Text3(2)");
    QTest::keyClick(field, Qt::Key_End);
    QTest::keyClick(field, Qt::Key_1);
    QCOMPARE(field->text(), QString("0023"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_1);
    QCOMPARE(field->text(), QString("002"));
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
    // Past the accepted connection's time-out nothing more was said than the
    // listening again, which the polling keeps out of the log.
    QTest::qWait(2 * m->window->RxTimeout + 500);
    QCOMPARE(m->logSince(before), polling ? QStringList() : QStringList{ListenOn});
    if (polling) {
        QVERIFY(m->window->PollingActive);
        QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() >= 3, 8000);
        m->click("MesswerteLoop");
    }
}

TESSRA_TEST(TestExchange)
#include "tst_Exchange.moc"
