// The real window against tessra-sim as a separate process on loopback: the
// LAN adapter on 127.0.0.2 and the gateway on 127.0.0.3, the tool on
// 127.0.0.1, all on one port. Every request kind for both targets, the
// gateway's call-back, a LAN adapter moved to a new address and port, and
// frames the devices send unasked.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QComboBox>
#include <QGroupBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>

using namespace WindowHarness;

namespace {

constexpr int TimeStampLength = 9; // "HH:MM:SS "
constexpr int FastCallBackMs = 50;
constexpr int FastWeatherMs = 200;

const QColor Active(255, 255, 0);

// The shipped example installation, with time-based behaviour off (or fast)
// so that every value is known.
QByteArray exampleWithTiming(int weatherIntervalMs)
{
    QFile file(EXAMPLE_INSTALLATION);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QJsonObject config = QJsonDocument::fromJson(file.readAll()).object();
    config["timing"] = QJsonObject{{"callBackDelayMs", FastCallBackMs},
                                   {"weatherIntervalMs", weatherIntervalMs},
                                   {"driftIntervalMs", 0},
                                   {"inputChangeIntervalMs", 0}};
    return QJsonDocument(config).toJson();
}

const QString Flags = "-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, "
                      "T-DiffRegler=1, supress HighPr. Port=0, M2M Comm=0";
const QString Closed = "Verbindung geschlossen";
const QString ListenOn = "Listen ON";

// After a radio request the tool listens again on its own, and once more if
// the gateway's drop reaches it first; which comes first is up to the network.
QStringList oneListenInARow(QStringList lines)
{
    for (int i = lines.size() - 1; i > 0; --i) {
        if (lines[i] == ListenOn && lines[i - 1] == ListenOn)
            lines.removeAt(i);
    }
    return lines;
}

class Installation
{
public:
    explicit Installation(int weatherIntervalMs = 0)
        : port(freeLoopbackPort()),
          w("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nFLGateway=127.0.0.3\r\nPort=" + QByteArray::number(port)
            + "\r\neNumLan=1\r\nDAdrH=1\r\nDAdrL=22\r\neNumFunk=123\r\n")
    {
        writeFile(w.folder.filePath("installation.json"), exampleWithTiming(weatherIntervalMs));
        QObject::connect(&sim, &QProcess::readyReadStandardOutput,
                         [this] { simOutput += sim.readAllStandardOutput(); });
        sim.setProcessChannelMode(QProcess::MergedChannels);
        sim.start(TESSRA_SIM, {"--address", "127.0.0.2", "--port", QString::number(port), "--destination",
                               "127.0.0.1", "--config", w.folder.filePath("installation.json")});
    }
    ~Installation()
    {
        sim.terminate();
        if (!sim.waitForFinished(5000))
            sim.kill();
        // A frame under way when the devices went ends before the window goes.
        if (!QTest::qWaitFor([this] { return log().last() == ListenOn; }, 5000))
            qWarning("the window still had a connection open");
    }

    bool ready() { return QTest::qWaitFor([this] { return simOutput.contains("ready;"); }, 10000); }

    QStringList log() const
    {
        QStringList texts;
        auto *list = w.child<QListWidget>("List1");
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text().mid(TimeStampLength);
        return texts;
    }
    // The lines since line first, once an exchange has ended there and the tool listens again.
    QStringList waitForExchange(int first)
    {
        const auto ended = [&] {
            const QStringList lines = log().mid(first);
            const int closed = lines.indexOf(Closed);
            const int timedOut = lines.indexOf("RX-TimeoOut");
            const int end = closed >= 0 ? closed : timedOut;
            return end >= 0 && lines.indexOf(ListenOn, end) > end;
        };
        if (!QTest::qWaitFor(ended, 10000))
            qWarning("no end of the exchange in: %s", qPrintable(log().mid(first).join(" | ")));
        return log().mid(first);
    }
    QStringList click(const QString &name)
    {
        const int first = log().size();
        QTest::mouseClick(w.child<QAbstractButton>(name), Qt::LeftButton);
        return waitForExchange(first);
    }
    void chooseFunk()
    {
        auto *combo = w.child<QComboBox>("Combo1");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
    }
    void type(const QString &field, const QString &text)
    {
        auto *edit = w.child<QLineEdit>(field);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
    }
    QString text(const QString &field) const { return w.child<QLineEdit>(field)->text(); }

    MessageBoxWatcher boxes;
    quint16 port;
    Window w;
    QProcess sim;
    QString simOutput;
};

} // namespace

class TestSimExchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lanRequests_data();
    void lanRequests();
    void funkRequestsAreAnsweredByCallBack_data();
    void funkRequestsAreAnsweredByCallBack();
    void programmingGivesTheRadioDeviceItsNewAddress();
    void programmingMovesTheLanAdapter();
    void autoSendReportArrivesWhileTheToolListens();
    void weatherFramesArriveUnasked();
    void badInputNeverStopsTheSimulator();

private:
    std::unique_ptr<Installation> m;
    void start(int weatherIntervalMs = 0)
    {
        m = std::make_unique<Installation>(weatherIntervalMs);
        QVERIFY2(m->ready(), qPrintable(m->simOutput));
        QVERIFY(m->w.showAndActivate());
        QCOMPARE(m->log(), QStringList{ListenOn});
    }
};

void TestSimExchange::init()
{
    if (QString(QTest::currentTestFunction()) != "weatherFramesArriveUnasked")
        start();
}

void TestSimExchange::cleanup()
{
    if (QTest::currentTestFailed() && m)
        qWarning("tessra-sim wrote:\n%s", qPrintable(m->simOutput));
    QVERIFY(!m || m->boxes.seen.isEmpty());
    QVERIFY(!m || m->sim.state() == QProcess::Running);
    if (m) {
        // Asked to stop, it ends normally (and, sanitized, finds no leak).
        m->sim.terminate();
        QVERIFY(m->sim.waitForFinished(5000));
        QCOMPARE(m->sim.exitStatus(), QProcess::NormalExit);
        QCOMPARE(m->sim.exitCode(), 0);
    }
    m.reset();
}

void TestSimExchange::lanRequests_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("lines");
    // The example LAN adapter: outputs 1 and 4 on, input 2 active, 21.5 and 19.0 °C.
    QTest::newRow("parameter request") << "cmdTest"
                                       << QStringList{"Anfrage Parameter",
                                                      "-> Firmware 1.0.2.3",
                                                      "PORTLINE",
                                                      Flags,
                                                      "-> Device: LAN-Devices, Funktion=Schalt-Devices",
                                                      Closed,
                                                      ListenOn};
    QTest::newRow("measurement request")
        << "GetMesswerte"
        << QStringList{"Abfrage Messwerte", "-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON",
                       "-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=OFF, Kanal 4=OFF",
                       "-> Temperatur1:  21.5 °C,  Temperatur2:  19.0 °C, eNum=1", Closed, ListenOn};
    QTest::newRow("switching channel 2 on")
        << "Port1(1)"
        << QStringList{"Sende Schalbefehl ", "-> Port geschaltet! Status:  Ch 1=1,  Ch 2=1,  Ch 3=0,  Ch 4=1", Closed,
                       ListenOn};
    // AutoSend is taken without an answer, so the short time-out ends it.
    QTest::newRow("AutoSend for input 3")
        << "AutoSend(2)" << QStringList{"Anforderung AutoSend für InputKanal 3", "RX-TimeoOut", ListenOn};
}

void TestSimExchange::lanRequests()
{
    QFETCH(QString, button);
    QFETCH(QStringList, lines);
    lines.replaceInStrings("PORTLINE", QString("-> connectet: LAN 127.0.0.2,  GateWay 192.168.28.254, NwMask "
                                               "255.255.255.0, StdDest-IP 127.0.0.1, Port %1, eNum=1")
                                           .arg(m->port));
    QCOMPARE(m->click(button), lines);
    if (button.startsWith("AutoSend"))
        QTRY_VERIFY(m->simOutput.contains("AutoSend on for input 3, no reply"));
}

void TestSimExchange::funkRequestsAreAnsweredByCallBack_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("lines");
    // The example switching device 28/1/22: output 1 on, 20.5 °C.
    QTest::newRow("parameter request")
        << "cmdTest"
        << QStringList{"Anfrage Parameter", ListenOn, "-> Firmware 2.1.0.7", "-> Deviceadresse 1.22, eNum 123",
                       "-> Sendeleistung(Dämpfung) =9 dB, F=864.25 MHz",
                       "-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, "
                       "T-DiffRegler=1",
                       "-> T-Diff EIN=1.2°C, T-Diff AUS=0.8°C", "-> Device: Funk-Devices, Funktion=Schalt-Devices",
                       Closed, ListenOn};
    QTest::newRow("measurement request")
        << "GetMesswerte"
        << QStringList{"Abfrage Messwerte", ListenOn, "-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=OFF",
                       "-> InPort: Kanal 1=OFF, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=OFF",
                       "-> Temperatur1:  20.5 °C,  Temperatur2:  0.0 °C, eNum=123", Closed, ListenOn};
    QTest::newRow("switching channel 3 on")
        << "Port1(2)"
        << QStringList{"Sende Schalbefehl ", ListenOn, "-> Port geschaltet! Status:  Ch 1=1,  Ch 2=0,  Ch 3=1,  Ch 4=0",
                       Closed, ListenOn};
}

void TestSimExchange::funkRequestsAreAnsweredByCallBack()
{
    QFETCH(QString, button);
    QFETCH(QStringList, lines);
    m->chooseFunk();
    QCOMPARE(oneListenInARow(m->click(button)), lines);
    // The gateway dropped the tool's connection and called back from its own address.
    QVERIFY(
        m->simOutput.contains("dropped the caller, calls 127.0.0.1:" + QString::number(m->port) + " back in 50 ms"));
    QVERIFY(m->simOutput.contains("gateway eNum 2 (127.0.0.3:" + QString::number(m->port) + ") -> 127.0.0.1:"
                                  + QString::number(m->port) + "  call-back"));
}

void TestSimExchange::programmingGivesTheRadioDeviceItsNewAddress()
{
    m->chooseFunk();
    m->click("cmdTest"); // fills the new radio parameters from the device
    QCOMPARE(m->text("Text5(4)"), QString("1.2"));
    m->type("Text5(2)", "24");
    QCOMPARE(oneListenInARow(m->click("cmdSetParameter")),
             (QStringList{"sende neue Parameter", ListenOn, "-> Programmierung erfolgreich. Boote neu........", Closed,
                          ListenOn}));
    QCOMPARE(m->text("Text3(2)"), QString("24"));
    // The next request reaches the device at its new address.
    QVERIFY(m->click("cmdTest").contains("-> Deviceadresse 1.24, eNum 123"));
}

void TestSimExchange::programmingMovesTheLanAdapter()
{
    const quint16 newPort = freeLoopbackPort();
    QVERIFY(newPort != m->port);
    const QStringList newAddress = {"127", "0", "0", "5"};
    for (int i = 0; i < 4; ++i) {
        m->type(QString("Text2(%1)").arg(i), newAddress[i]);
        m->type(QString("Text2(%1)").arg(12 + i), QStringList{"127", "0", "0", "1"}[i]);
    }
    m->type("Text2(16)", QString::number(newPort));
    m->type("Text2(17)", "1");
    QCOMPARE(m->click("cmdSetParameter"), (QStringList{"sende neue Parameter",
                                                      "-> Programmierung erfolgreich! Device bootet neu....", Closed,
                                                      ListenOn}));
    QTRY_VERIFY(m->simOutput.contains("LAN adapter eNum 1 now serves on 127.0.0.5 port " + QString::number(newPort)));
    // The tool follows: it listens on the new port and asks at the new address.
    QCOMPARE(m->text("Text1(3)"), QString("5"));
    QCOMPARE(m->text("Text1(16)"), QString::number(newPort));
    const QStringList lines = m->click("cmdTest");
    QVERIFY2(lines.contains(QString("-> connectet: LAN 127.0.0.5,  GateWay 255.254.28.254, NwMask 255.255.255.0, "
                                    "StdDest-IP 127.0.0.1, Port %1, eNum=1")
                                .arg(newPort)),
             qPrintable(lines.join(" | ")));
}

void TestSimExchange::autoSendReportArrivesWhileTheToolListens()
{
    m->click("AutoSend(2)");
    QTRY_VERIFY(m->simOutput.contains("AutoSend on for input 3"));
    const int first = m->log().size();
    m->sim.write("input 127.0.0.2 3 on\n");
    QCOMPARE(m->waitForExchange(first),
             (QStringList{"-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON",
                          "-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=ON, Kanal 4=OFF",
                          "-> Temperatur1:  21.5 °C,  Temperatur2:  19.0 °C, eNum=1", Closed, ListenOn}));
    QCOMPARE(m->w.child<QWidget>("Shape1(2)")->palette().color(QPalette::Window), Active);
    // An input without AutoSend changes quietly.
    m->sim.write("input 127.0.0.2 4 on\n");
    QTRY_VERIFY(m->simOutput.contains("input 4 on (AutoSend is off, nothing reported)"));
}

void TestSimExchange::weatherFramesArriveUnasked()
{
    start(FastWeatherMs);
    const QStringList lines = m->waitForExchange(1);
    QCOMPARE(lines,
             (QStringList{"-> empfange Wetterdaten....",
                          "außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88", Closed,
                          ListenOn}));
    // They keep coming.
    QTRY_VERIFY(m->log().count("-> empfange Wetterdaten....") >= 2);
}

void TestSimExchange::badInputNeverStopsTheSimulator()
{
    for (const char *address : {"127.0.0.2", "127.0.0.3"}) {
        QTcpSocket raw;
        raw.connectToHost(QHostAddress(address), m->port);
        QVERIFY(raw.waitForConnected(2000));
        raw.write(QByteArray::fromHex("0102FFAA00C80C011CFFFEFFFE0101EE" // wrong checksum
                                      "FFAA00550C011CFFFEFFFE01017A" // unknown command 0x55
                                      "FFAA00C80C031C0163FFFE020157" // radio device nobody has
                                      "FFAA00C8"));
        raw.disconnectFromHost();
        QTRY_COMPARE(raw.state(), QAbstractSocket::UnconnectedState);
    }
    QTRY_VERIFY(m->simOutput.count("incomplete frame, the connection ended") == 2);
    QVERIFY(m->simOutput.contains("ignored, wrong checksum EE, the body sums to ED"));
    QVERIFY(m->simOutput.contains("command 85 ignored, unknown command"));
    QVERIFY(m->simOutput.contains("ignored, no radio device has the address 28/1/99"));
    // Still serving.
    QVERIFY(m->click("cmdTest").contains(Flags));
}

TESSRA_TEST(TestSimExchange)
#include "tst_SimExchange.moc"
