// The real window against tessra-sim as a process of its own: the LAN adapter on 127.0.0.2 and the gateway on
// 127.0.0.3, the tool on 127.0.0.1, all on one port. What each device answers is the simulated devices' own test; here
// the exchanges cross real sockets between the two processes.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

using namespace WindowHarness;

class TestSimExchange : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // The example installation with time-based behaviour off (or the weather fast), so that every value is known.
        QFile example(EXAMPLE_INSTALLATION);
        QVERIFY(example.open(QIODevice::ReadOnly));
        QJsonObject config = QJsonDocument::fromJson(example.readAll()).object();
        const bool weather = QTest::currentTestFunction() == QByteArray("unaskedFramesArriveWhileTheToolListens");
        config["timing"] = QJsonObject{{"callBackDelayMs", 50}, {"weatherIntervalMs", weather ? 300 : 0},
                                       {"driftIntervalMs", 0}, {"inputChangeIntervalMs", 0}};
        m_port = freeLoopbackPort();
        m_w = std::make_unique<Window>(Installation::settings(m_port));
        const QString path = m_w->folder.filePath("installation.json");
        writeFile(path, QJsonDocument(config).toJson());
        m_output.clear();
        connect(&m_sim, &QProcess::readyReadStandardOutput, this,
                [this] { m_output += m_sim.readAllStandardOutput(); });
        m_sim.setProcessChannelMode(QProcess::MergedChannels);
        m_sim.start(TESSRA_SIM, {"--address", "127.0.0.2", "--port", QString::number(m_port), "--destination",
                                 "127.0.0.1", "--config", path});
        QTRY_VERIFY2(m_output.contains("ready;"), qPrintable(m_output));
        QVERIFY(m_w->showAndActivate());
    }
    void cleanup()
    {
        if (QTest::currentTestFailed())
            qWarning("tessra-sim wrote:\n%s", qPrintable(m_output));
        QVERIFY(m_w->boxes.seen.isEmpty());
        // Asked to stop, it ends normally (and, sanitized, finds no leak).
        m_sim.terminate();
        QVERIFY(m_sim.waitForFinished(5000));
        QVERIFY(m_sim.exitStatus() == QProcess::NormalExit && m_sim.exitCode() == 0);
        m_sim.disconnect(this);
        // A frame under way when the devices went ends before the window goes.
        QTRY_COMPARE(m_w->log().last(), ListenOn);
        m_w.reset();
    }
    void bothTargetsAnswerAfterBadInput()
    {
        // A frame with a wrong checksum, then the start of one that the connection's end cuts off.
        QTcpSocket raw;
        raw.connectToHost(QHostAddress("127.0.0.2"), m_port);
        QVERIFY(raw.waitForConnected(2000));
        raw.write(QByteArray::fromHex("FFAA00C80C011CFFFEFFFE0101EEFFAA00C8"));
        raw.disconnectFromHost();
        QTRY_VERIFY(m_output.contains("incomplete frame, the connection ended"));
        QVERIFY(m_output.contains("ignored, wrong checksum EE, the body sums to ED"));
        QVERIFY(exchange("GetMesswerte", "-> Temperatur1:  21.5 °C,  Temperatur2:  19.0 °C, eNum=1"));
        // The switching device 28/1/22 answers through the gateway, which calls back from its own address.
        m_w->chooseTarget(1);
        QVERIFY(exchange("cmdTest", "-> Deviceadresse 1.22, eNum 123"));
        QVERIFY(m_output.contains(QString("gateway eNum 2 (127.0.0.3:%1) -> 127.0.0.1:%1  call-back").arg(m_port)));
    }
    void programmingMovesTheLanAdapter()
    {
        // To 127.0.0.5 and a new port; the tool follows.
        const quint16 newPort = freeLoopbackPort();
        for (const QString &entry : QStringList{"Text2(3)=5", "Text2(0)=127", "Text2(1)=0", "Text2(2)=0"})
            m_w->type(entry.section('=', 0, 0), entry.section('=', 1));
        m_w->type("Text2(16)", QString::number(newPort));
        QVERIFY(exchange("cmdSetParameter", "-> Programmierung erfolgreich! Device bootet neu...."));
        QTRY_VERIFY(m_output.contains(QString("LAN adapter eNum 1 now serves on 127.0.0.5 port %1").arg(newPort)));
        QVERIFY(exchange("cmdTest", "-> connectet: LAN 127.0.0.5,  GateWay 255.254.28.254"));
        // The tool listens on the new port, no longer on the old one.
        QTcpSocket old;
        old.connectToHost(QHostAddress::LocalHost, m_port);
        QVERIFY(!old.waitForConnected(2000));
    }
    void unaskedFramesArriveWhileTheToolListens()
    {
        // Weather data every 300 ms; an AutoSend report once input 3 changes.
        QTRY_VERIFY(
            m_w->log().contains("außen= -2.5 °C, Regen=1.2 Lt/m², Wind akt.=3 Km/h, Wind max=17 Km/h, Licht=88"));
        QVERIFY(exchange("AutoSend(2)", "RX-TimeoOut"));
        m_sim.write("input 127.0.0.2 3 on\n");
        QTRY_VERIFY(m_w->log().contains("-> InPort: Kanal 1=OFF, Kanal 2=ON, Kanal 3=ON, Kanal 4=OFF"));
    }

private:
    // Clicks the button and waits until the log has said text and the exchange has ended: the command buttons are back
    // and the tool listens.
    bool exchange(const QString &button, const QString &text)
    {
        m_w->click(button);
        const bool ended = QTest::qWaitFor([&] {
            const QStringList log = m_w->log();
            return log.join('\n').contains(text) && m_w->controlsEnabled() && log.last() == ListenOn;
        }, 10000);
        // The simulator answers fast enough that the reply may end the exchange while the request is still being
        // written; no time-out may outlive it.
        return ended && !m_w->child<QTimer>("Timer1")->isActive();
    }

    quint16 m_port = 0;
    std::unique_ptr<Window> m_w;
    QProcess m_sim;
    QString m_output;
};

TESSRA_TEST(TestSimExchange)
#include "tst_SimExchange.moc"
