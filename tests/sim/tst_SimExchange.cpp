// The real window against tessra-sim as a process of its own: the LAN adapter
// on 127.0.0.2 and the gateway on 127.0.0.3, the tool on 127.0.0.1, all on one
// port. Requests of both targets, the gateway's call-back, programming that
// moves a device, frames the devices send unasked, and bad input.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace WindowHarness;

namespace {

// The example installation with time-based behaviour off (or the weather fast),
// so that every value is known.
QByteArray example(int weatherIntervalMs)
{
    QFile file(EXAMPLE_INSTALLATION);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QJsonObject config = QJsonDocument::fromJson(file.readAll()).object();
    config["timing"] = QJsonObject{{"callBackDelayMs", 50}, {"weatherIntervalMs", weatherIntervalMs},
                                   {"driftIntervalMs", 0}, {"inputChangeIntervalMs", 0}};
    return QJsonDocument(config).toJson();
}

// The tool listens again on its own after a radio request, and once more if
// the gateway's drop reaches it first; which comes first is up to the network.
QStringList oneListenInARow(QStringList lines)
{
    for (qsizetype i = lines.size() - 1; i > 0; --i) {
        if (lines[i] == ListenOn && lines[i - 1] == ListenOn)
            lines.removeAt(i);
    }
    return lines;
}

} // namespace

class TestSimExchange : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requests_data();
    void requests();
    void programmingMovesTheDevices();
    void unaskedFramesArriveWhileTheToolListens();
    void badInputNeverStopsTheSimulator();

private:
    // The lines of one exchange, once it has ended and the tool listens again.
    QStringList exchange(const QString &button = QString())
    {
        const int first = int(m_w->log().size());
        if (!button.isEmpty())
            m_w->click(button);
        const bool ended = QTest::qWaitFor([&] {
            const QStringList lines = m_w->logSince(first);
            const qsizetype end = std::max(lines.indexOf(Closed), lines.indexOf("RX-TimeoOut"));
            return end >= 0 && lines.indexOf(ListenOn, end) > end;
        }, 10000);
        QStringList lines = oneListenInARow(m_w->logSince(first));
        if (!ended)
            lines << "(the exchange did not end)";
        return lines;
    }

    quint16 m_port = 0;
    std::unique_ptr<Window> m_w;
    QProcess m_sim;
    QString m_output;
};

void TestSimExchange::init()
{
    m_port = freeLoopbackPort();
    m_w = std::make_unique<Window>("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nFLGateway=127.0.0.3\r\nPort="
                                   + QByteArray::number(m_port) + "\r\neNumLan=1\r\nDAdrH=1\r\nDAdrL=22\r\neNumFunk=123\r\n");
    const QString config = m_w->folder.filePath("installation.json");
    writeFile(config, example(QTest::currentTestFunction() == QByteArray("unaskedFramesArriveWhileTheToolListens") ? 300 : 0));
    m_output.clear();
    connect(&m_sim, &QProcess::readyReadStandardOutput, this, [this] { m_output += m_sim.readAllStandardOutput(); });
    m_sim.setProcessChannelMode(QProcess::MergedChannels);
    m_sim.start(TESSRA_SIM, {"--address", "127.0.0.2", "--port", QString::number(m_port), "--destination",
                             "127.0.0.1", "--config", config});
    QTRY_VERIFY2(m_output.contains("ready;"), qPrintable(m_output));
    QVERIFY(m_w->showAndActivate());
}

void TestSimExchange::cleanup()
{
    if (QTest::currentTestFailed())
        qWarning("tessra-sim wrote:\n%s", qPrintable(m_output));
    QVERIFY(m_w->boxes.seen.isEmpty());
    // Asked to stop, it ends normally (and, sanitized, finds no leak).
    m_sim.terminate();
    QVERIFY(m_sim.waitForFinished(5000));
    QCOMPARE(m_sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_sim.exitCode(), 0);
    m_sim.disconnect(this);
    // A frame under way when the devices went ends before the window goes.
    QTRY_COMPARE(m_w->log().last(), ListenOn);
    m_w.reset();
}

void TestSimExchange::requests_data()
{
    QTest::addColumn<bool>("funk");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("lines");
    // The example LAN adapter: outputs 1 and 4 on, input 2 active, 21.5 and 19.0 °C.
    QTest::newRow("LAN measurement request")
        << false << "GetMesswerte"
        << QStringList{"Abfrage Messwerte", MeasurementOutLine, "-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=OFF, Kanal 4=OFF",
                       "-> Temperatur1:  21.5 °C,  Temperatur2:  19.0 °C, eNum=1", Closed, ListenOn};
    // The example switching device 28/1/22 answers through the gateway's call-back.
    QTest::newRow("radio parameter request")
        << true << "cmdTest"
        << QStringList{"Anfrage Parameter", ListenOn, "-> Firmware 2.1.0.7", "-> Deviceadresse 1.22, eNum 123",
                       "-> Sendeleistung(Dämpfung) =9 dB, F=864.25 MHz",
                       "-> Parameter: OutStateMem=1, InStateMem=0, SystemTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, "
                       "T-DiffRegler=1",
                       "-> T-Diff EIN=1.2°C, T-Diff AUS=0.8°C", "-> Device: Funk-Devices, Funktion=Schalt-Devices",
                       Closed, ListenOn};
}

void TestSimExchange::requests()
{
    QFETCH(bool, funk);
    QFETCH(QString, button);
    QFETCH(QStringList, lines);
    if (funk)
        m_w->chooseTarget(1);
    QCOMPARE(exchange(button), lines);
    if (funk) // dropped the caller and called back from its own address
        QVERIFY(m_output.contains(QString("gateway eNum 2 (127.0.0.3:%1) -> 127.0.0.1:%1  call-back").arg(m_port)));
}

void TestSimExchange::programmingMovesTheDevices()
{
    m_w->chooseTarget(1);
    exchange("cmdTest"); // fills the new radio parameters from the device
    m_w->type("Text5(2)", "24");
    QCOMPARE(exchange("cmdSetParameter"),
             (QStringList{"sende neue Parameter", ListenOn, "-> Programmierung erfolgreich. Boote neu........", Closed, ListenOn}));
    QVERIFY(exchange("cmdTest").contains("-> Deviceadresse 1.24, eNum 123"));
    // The LAN adapter moves to 127.0.0.5 and a new port; the tool follows.
    m_w->chooseTarget(0);
    const quint16 newPort = freeLoopbackPort();
    m_w->type("Text2(3)", "5");
    m_w->type("Text2(0)", "127");
    m_w->type("Text2(1)", "0");
    m_w->type("Text2(2)", "0");
    m_w->type("Text2(16)", QString::number(newPort));
    QCOMPARE(exchange("cmdSetParameter"),
             (QStringList{"sende neue Parameter", "-> Programmierung erfolgreich! Device bootet neu....", Closed, ListenOn}));
    QTRY_VERIFY(m_output.contains(QString("LAN adapter eNum 1 now serves on 127.0.0.5 port %1").arg(newPort)));
    QVERIFY(exchange("cmdTest").join('|').contains(QString("-> connectet: LAN 127.0.0.5,  GateWay 255.254.28.254")));
    // The tool listens on the new port, no longer on the old one.
    QTcpSocket old;
    old.connectToHost(QHostAddress::LocalHost, m_port);
    QVERIFY(!old.waitForConnected(2000));
}

void TestSimExchange::unaskedFramesArriveWhileTheToolListens()
{
    // Weather data every 300 ms; an AutoSend report once input 3 changes.
    QCOMPARE(exchange(), (QStringList{"-> empfange Wetterdaten....",
                                      "außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88",
                                      Closed, ListenOn}));
    exchange("AutoSend(2)");
    m_sim.write("input 127.0.0.2 3 on\n");
    QTRY_VERIFY(m_w->log().contains("-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=ON, Kanal 4=OFF"));
    QCOMPARE(m_w->child("Shape1(2)")->palette().color(QPalette::Window), QColor(255, 255, 0));
}

void TestSimExchange::badInputNeverStopsTheSimulator()
{
    QTcpSocket raw;
    raw.connectToHost(QHostAddress("127.0.0.3"), m_port);
    QVERIFY(raw.waitForConnected(2000));
    raw.write(QByteArray::fromHex("0102FFAA00C80C011CFFFEFFFE0101EE" // wrong checksum
                                  "FFAA00550C011CFFFEFFFE01017A" // unknown command 0x55
                                  "FFAA00C80C031C0163FFFE020157" // radio device nobody has
                                  "FFAA00C8"));
    raw.disconnectFromHost();
    QTRY_VERIFY(m_output.contains("incomplete frame, the connection ended"));
    QVERIFY(m_output.contains("ignored, wrong checksum EE, the body sums to ED"));
    QVERIFY(m_output.contains("command 85 ignored, unknown command"));
    QVERIFY(m_output.contains("ignored, no radio device has the address 28/1/99"));
    QVERIFY(exchange("cmdTest").contains("-> Device: LAN-Devices, Funktion=Schalt-Devices"));
}

TESSRA_TEST(TestSimExchange)
#include "tst_SimExchange.moc"
