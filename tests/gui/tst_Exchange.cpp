// Exchanges of the real window with the devices on loopback: the requests as they reach the device, the connection
// cycle and how it ends, the polling loop and the switch buttons that interrupt it, and each kind of reply reaching the
// fields, boxes, buttons, indicators and displays it sets. The reply decoder's and request builder's own tests hold
// every variant of the bytes and lines.

#include "TestMain.h"
#include "WindowHarness.h"

#include "link/SocketComponent.h"
#include "replies/ReplyAssembler.h"
#include "requests/SwitchColours.h"
#include "requests/TwoStateButton.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include <functional>

using namespace WindowHarness;

namespace {
const QString Asked = QStringLiteral("Anfrage Parameter");
const QString TimedOut = QStringLiteral("RX-TimeoOut");
const QString Acknowledged = QStringLiteral("-> Programmierung erfolgreich. Boote neu........");
// Box arrays, each with its count of boxes and the bits a reply gives them.
using Boxes = QList<std::tuple<QString, int, int>>;
const QColor Grey(192, 192, 192);
} // namespace

class TestExchange : public QObject
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
    void requestsReachTheDevice_data()
    {
        QTest::addColumn<bool>("funk");
        QTest::addColumn<QStringList>("input");
        // In hex, then "bytewise" (one byte a segment) or "close" (closing right after it); none: the device stays silent
        QTest::addColumn<QByteArray>("answer");
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
            << true << QStringList{"Check4(5)",    "Check7(0)",    "Check8(1)",      "Text5(2)=23",
                                   "Text5(4)=2,5", "Text5(5)=1.0", "cmdSetParameter"}
            << QByteArray("FFAA00CB0C7B000000011602016C")
            << QByteArray("FFAA00CA157B1C0116FFFE0201471C0117A2A00120190A") << 3000
            << send + QStringList{ListenOn, Acknowledged, Closed, ListenOn} << QStringList{"Text3(2)=23"};
        QTest::newRow("LAN parameter request left unanswered for 1500 ms")
            << false << test << none << asked << 1500 << QStringList{Asked, TimedOut, ListenOn} << QStringList();
        QTest::newRow("radio parameter request left unanswered for 3000 ms, listening for the call-back")
            << true << test << none << QByteArray("FFAA00C80C7B1C0116FFFE020182") << 3000
            << QStringList{Asked, ListenOn, TimedOut, ListenOn} << QStringList();
        QTest::newRow("AutoSend request for input 3 left unanswered for 150 ms")
            << false << QStringList{"AutoSend(2)"} << none << QByteArray("FFAA00CF0D011CFFFEFFFE01013540") << 150
            << QStringList{"Anforderung AutoSend für InputKanal 3", TimedOut, ListenOn} << QStringList();
        QTest::newRow("nine bytes of weather data say no more than the first line: the exchange waits for its time-out")
            << false << QStringList{"GetMesswerte"} << QByteArray("FFAA00BF1501000000FFFE029600000000000000000000")
            << QByteArray("FFAA00CE0C011CFFFEFFFE0101F3") << 1500
            << QStringList{"Abfrage Messwerte", "-> empfange Wetterdaten....", TimedOut, ListenOn} << QStringList();
        QTest::newRow("weather data whose rest follows a pause: the first part is told, then the whole")
            << false << QStringList{"GetMesswerte"} << QByteArray("FFAA00BF167B1CFFFE011E0296310311000C000000801958 split")
            << QByteArray("FFAA00CE0C011CFFFEFFFE0101F3") << 1500
            << QStringList{"Abfrage Messwerte", "-> empfange Wetterdaten....", "-> empfange Wetterdaten....",
                           "außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88", Closed,
                           ListenOn}
            << QStringList();
        QTest::newRow("the LAN adapter's parameters, a byte a segment")
            << false << test << LanParameterReply.toHex() + " bytewise" << asked << 1500
            << QStringList{Asked} + LanParameterLines << QStringList();
        QTest::newRow("the LAN adapter's parameters, and it closes right after them")
            << false << test << LanParameterReply.toHex() + " close" << asked << 1500
            << QStringList{Asked} + LanParameterLines << QStringList();
        QTest::newRow("the first 20 bytes of the reply, then a pause: what came is decoded, the tool does not wait")
            << false << test << LanParameterReply.left(20).toHex() << asked << 1500
            << QStringList{Asked, "-> Firmware 1.0.2.3", DecodeError, Closed, ListenOn} << QStringList();
        QTest::newRow("blanks are no reply") << false << test << QByteArray("202020") << asked << 1500
                                             << QStringList{Asked, "-> Error: keine Daten !", TimedOut, ListenOn}
                                             << QStringList();
        QTest::newRow("nobody at 127.0.0.9: the connection is refused")
            << false << QStringList{"Text1(3)=9", "cmdTest"} << none << none << 1500
            << QStringList{Asked, "Socket error: Connection refused", TimedOut, ListenOn} << QStringList();
    }
    void requestsReachTheDevice()
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
        const QList<QByteArray> how = answer.split(' ');
        if (!answer.isEmpty())
            device.answerNext({QByteArray::fromHex(how[0]), funk ? 200 : 0, how.contains("bytewise"),
                               how.contains("close"), funk, false, how.contains("split") ? 16 : 0});
        enter(input);
        QVERIFY(!m->controlsEnabled());
        QCOMPARE(m->child<QTimer>("Timer1")->interval(), timeout);
        QTRY_COMPARE_WITH_TIMEOUT(m->logSince(1), lines, timeout + 5000);
        QTest::qWait(100); // and nothing more is said of it
        QVERIFY(m->controlsEnabled() && m->logSince(1) == lines);
        QCOMPARE(device.requests, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{QByteArray::fromHex(sent)});
        // The tool calls from the port it listens on.
        QCOMPARE(device.callerPorts, QList<quint16>(device.requests.size(), m->port));
        for (const QString &shown : after) {
            const QString name = shown.section('=', 0, 0);
            auto *box = m->child<QCheckBox>(name); // its check state: 0, 1 greyed, 2
            QCOMPARE(box ? QString::number(box->checkState()) : m->text(name), shown.section('=', 1));
        }
    }
    void partOfAReplyEndsWithItsTimeOut()
    {
        // The first bytes of a reply arrive, and the time-out comes before the pause after them has told the tool that
        // no more will come.
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
    void refusedRadioProgrammingSendsNothing()
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
    void copiedRadioAddressArrivesWhole()
    {
        // "0023" passes the address check and programs the device to 23; the current field takes it whole, and so do
        // the next request and the settings file.
        m->chooseTarget(1);
        m->gateway.answerNext({QByteArray::fromHex("FFAA00CB0C7B000000011602016C"), 0, false, false, true});
        enter({"Check4(5)", "Text5(2)=0023", "Text5(4)=2,5", "Text5(5)=1.0", "cmdSetParameter"});
        QTRY_VERIFY(m->log().contains(Acknowledged) && m->exchangeEnded());
        QCOMPARE(m->text("Text3(2)"), QString("0023"));
        m->click("GetMesswerte");
        QTRY_COMPARE(m->gateway.requests.size(), 2);
        // The new address in the programming frame, then the measurement request's destination.
        QCOMPARE(m->gateway.requests[0].mid(14, 3) + m->gateway.requests[1].mid(6, 3),
                 QByteArray::fromHex("1C01171C0117"));
        m->window->close();
        QVERIFY(contentOf(m->iniPath()).contains("\r\nDAdrL=0023\r\n"));
        // A person types no more into the field than it holds, and once he has taken a character away, no more than its
        // three.
        auto *field = m->child<QLineEdit>("Text3(2)");
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_1);
        QCOMPARE(field->text(), QString("0023"));
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_1);
        QCOMPARE(field->text(), QString("002"));
    }
    void aClosedCallTakesItsTimeOutAlong_data()
    {
        QTest::addColumn<bool>("polling");
        QTest::newRow("at rest") << false;
        QTest::newRow("while polling") << true;
    }
    void aClosedCallTakesItsTimeOutAlong()
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
        // Past the accepted connection's time-out nothing more was said than the listening again, which the polling
        // keeps out of the log.
        QTest::qWait(2 * m->window->RxTimeout + 500);
        QCOMPARE(m->logSince(before), polling ? QStringList() : QStringList{ListenOn});
        if (polling) {
            QVERIFY(m->window->PollingActive);
            QTRY_VERIFY_WITH_TIMEOUT(m->lan.requests.size() >= 3, 8000);
            m->click("MesswerteLoop");
        }
    }

    void pollingRunsThroughATimeOutSilentlyAndStops()
    {
        m->click("MesswerteLoop");
        QCOMPARE(loopButton(), QString("Stop Dauermessung"));
        QCOMPARE(m->misannounced(), QStringList()); // the loop button is announced as it is shown now
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
    void switchingInterruptsThePollingAndResumesIt()
    {
        m->lan.answerNext({MeasurementReply});
        m->click("MesswerteLoop");
        QTRY_VERIFY(m->lan.requests.size() == 1 && m->window->Listening);
        // Channel 2 switched on: the polling stops, the switch request goes out, and its reply resumes the polling at
        // once.
        m->lan.answerNext({QByteArray::fromHex("FFAA00030D01000000FFFE0101000B")});
        m->lan.answerNext({MeasurementReply});
        m->click("Port1(1)");
        QTRY_VERIFY(m->lan.requests.size() == 3 && m->window->Listening);
        QCOMPARE(m->lan.requests[1], QByteArray::fromHex("FFAA00030D011CFFFEFFFE01014B22"));
        QCOMPARE(quint8(m->lan.requests[2][3]), quint8(0xCE));
        QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte", "Sende Schalbefehl ",
                                        "-> Port geschaltet! Status:  Ch 1=1,  Ch 2=1,  Ch 3=0,  Ch 4=1", Closed}));
        // A switch request that gets no answer leaves the polling stopped; the loop button starts it again, and the
        // next decoded reply calls one more pass, as the interrupted polling asked for.
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

    void parametersFillTheFramesOfTheirTarget()
    {
        m->child<QLineEdit>("Text1(18)")->setText("2.5");
        m->child<QLineEdit>("Text1(19)")->setText("1.0");
        exchange("cmdTest", "FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425",
                 {{"Check1", 8, 0x25}, {"Check2", 8, 0x25}});
        QCOMPARE(m->texts("Text1", 20).join('.'),
                 QString("127.0.0.2.192.168.28.254.255.255.255.0.192.168.28.10.%1.1.2.5.1.0").arg(m->port));
        QCOMPARE(m->texts("Text2", 20).mid(16), (QStringList{"340", "1", "2.5", "1.0"}));
        // The new boxes ran their handlers: AutoTxRepeat follows AutoTx InChg, the T-Diff fields follow the T-Diff
        // regulator.
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
    void measurementsSetButtonsIndicatorsAndDisplay()
    {
        // The indicators start grey. Outputs 2 and 3 on, inputs 1, 3 and 4 active, in the window's German locale.
        QCOMPARE(fill(1), Grey);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        exchange("GetMesswerte", "FFAA00CE1201000000FFFE010500060D00D7801E");
        QCOMPARE(label("Label12"), QString("Temperatur 1:  21,5 °C Temperatur 2: -3,0 °C"));
        // The line grows with its text, so that none of it is cut off.
        QCOMPARE(m->child("Label12")->size(), m->child("Label12")->sizeHint());
        QCOMPARE(m->misannounced(), QStringList());
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

    void anExchangeIsPaintedOncePerFrameAndAtRest()
    {
        // Counts the log's paints, and calls back at each.
        struct Paints : QObject
        {
            int count = 0;
            std::function<void()> painted;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && (++count, painted))
                    painted();
                return false;
            }
        } paints;
        auto *list = m->child<QListWidget>("List1");
        QTRY_VERIFY(m->exchangeEnded());
        list->viewport()->installEventFilter(&paints);
        // Runs a real event loop, which goes idle as the application's does, until a paint shows what is asked for.
        const auto paintedWhen = [&](const std::function<bool()> &shown) {
            QTestEventLoop loop;
            paints.painted = [&] {
                if (shown())
                    loop.exitLoop();
            };
            loop.enterLoopMSecs(5000);
            paints.painted = nullptr;
            return !loop.timeout();
        };
        // What was held back before the exchange is painted before it.
        list->viewport()->update();
        QVERIFY(paintedWhen([] { return true; }));

        QElapsedTimer clock;
        qint64 lastLineMs = -1;
        int paintsBefore = -1;
        connect(list->model(), &QAbstractItemModel::rowsInserted, &paints, [&] {
            lastLineMs = clock.elapsed();
            paintsBefore = paints.count;
        });
        paints.count = 0;
        m->lan.answerNext({LanParameterReply});
        clock.start();
        m->click("cmdTest");
        // At rest the log shows every line of the exchange.
        QVERIFY(paintedWhen([&] { return m->exchangeEnded(); }));
        // Up to its last line at most one paint a frame: none in an exchange that is over within one, however often
        // the loop waited for the device meanwhile.
        QVERIFY2(paintsBefore <= lastLineMs / 16,
                 qPrintable(QString("%1 paints in %2 ms").arg(paintsBefore).arg(lastLineMs)));
    }

    void theCommandFrameIsPaintedDisabledOnlyWhileAnExchangeIsSeen_data()
    {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QList<bool>>("painted");
        QTest::newRow("a reply within a frame leaves the others unpainted") << 0 << QList<bool>{};
        QTest::newRow("a slow reply shows them disabled, then enabled") << 300 << QList<bool>{false, true};
    }
    void theCommandFrameIsPaintedDisabledOnlyWhileAnExchangeIsSeen()
    {
        QFETCH(int, delayMs);
        QFETCH(QList<bool>, painted);
        // The enabled state of each paint of a button beside the one clicked (whose press is painted), until the log
        // is painted at rest.
        struct Paints : QObject
        {
            QObject *button = nullptr;
            std::function<bool()> atRest;
            QList<bool> enabled;
            bool restShown = false;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && watched == button)
                    enabled << button->property("enabled").toBool();
                else if (event->type() == QEvent::Paint)
                    restShown = atRest();
                return false;
            }
        } paints;
        paints.button = m->child("GetMesswerte");
        paints.atRest = [&] { return m->exchangeEnded(); };
        paints.button->installEventFilter(&paints);
        m->child<QListWidget>("List1")->viewport()->installEventFilter(&paints);
        QTRY_VERIFY(m->exchangeEnded());
        m->child<QListWidget>("List1")->viewport()->update(); // what the start left to paint
        QTRY_VERIFY(paints.restShown);
        paints.enabled.clear();
        paints.restShown = false;
        m->lan.answerNext({LanParameterReply, delayMs});
        m->click("cmdTest");
        QTRY_VERIFY_WITH_TIMEOUT(paints.restShown, 5000);
        QCOMPARE(paints.enabled, painted);
    }

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
    QString loopButton() const { return m->child<QPushButton>("MesswerteLoop")->text(); }
    // An exchange with the reply in hex; each of the boxes starts the other way from what the reply gives it, so that
    // each one must be written.
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

TESSRA_TEST(TestExchange)
#include "tst_Exchange.moc"
