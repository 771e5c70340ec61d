// Peers that misbehave towards the real window on loopback, most in a process of their own (hostile_peer). After each,
// the window must have kept answering, listen again, serve the LAN adapter's exchange and a frame it delivers unasked,
// and its peak memory must have stayed within MemoryBoundKiB of what it was before. Figures go to the output as lines
// starting with "figures:".

#include "TestMain.h"
#include "WindowHarness.h"

#include <QProcess>

using namespace WindowHarness;

namespace {

// The tool holds one connection at a time and decodes the first 45 bytes of what it read in one go: what the system
// buffered for the connection, a few MiB at most.
constexpr qint64 MemoryBoundKiB = 8 * 1024;
constexpr int PeerFinishesMs = 120000;
constexpr int SettlesMs = 20000;

// This process's resident memory ("VmRSS") or its peak ("VmHWM") in KiB.
qint64 memoryKiB(const QByteArray &field)
{
    QFile file("/proc/self/status");
    const QByteArray status = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const qsizetype at = status.indexOf('\n' + field + ':');
    return at < 0 ? -1 : status.mid(at + field.size() + 2).trimmed().split(' ').first().toLongLong();
}

// AddressSanitizer's quarantine keeps freed memory on purpose: no bound holds under it.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Bounded = false;
#elif defined(__has_feature)
constexpr bool Bounded = !__has_feature(address_sanitizer);
#else
constexpr bool Bounded = true;
#endif

} // namespace

class TestHostilePeers : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m.emplace().start());
        // A first exchange, so that what it allocates once is part of the baseline.
        m->lan.answerNext({LanParameterReply});
        m->click("cmdTest");
        QTRY_VERIFY_WITH_TIMEOUT(m->log().contains(LanParameterLines[1]) && m->exchangeEnded(), SettlesMs);
        said.clear();
    }
    void cleanup() { QVERIFY(m->boxes.seen.isEmpty()); }
    void burstOfConnections() { attack({"burst", "1000"}); }
    void silentConnectionsThatStayOpen()
    {
        attack({"silent", "20", "8000"});
        // The one taken over is closed at its time-out.
        QVERIFY(m->log().contains("RX-TimeoOut"));
    }
    void aMebibyteOfGarbage()
    {
        attack({"garbage", "1048576"});
        // The first 45 bytes are decoded (their code is none the tool knows); the rest is dropped.
        QVERIFY(m->log().contains(DecodeError));
    }
    void deviceResetsMidReply_data()
    {
        QTest::addColumn<int>("cut");
        QTest::newRow("reset before any byte of the reply") << 0;
        QTest::newRow("reset after 20 bytes of the parameter reply") << 20;
    }
    void deviceResetsMidReply()
    {
        QFETCH(int, cut);
        const int line = int(m->log().size());
        m->lan.answerNext({LanParameterReply.left(cut), 0, false, false, false, true});
        attack({});
        QCOMPARE(m->lan.requests.size(), 3);
        // The exchange ended without waiting for its time-out, whatever arrived of the reply.
        const QStringList during = m->logSince(line).mid(0, m->logSince(line).lastIndexOf("Anfrage Parameter"));
        QVERIFY2(!during.contains(LanParameterLines[1]) && !during.contains("RX-TimeoOut"),
                 qPrintable(during.join('|')));
    }
    void replyArrivesWhileARequestIsBuilt()
    {
        const int line = int(m->log().size());
        m->lan.answerNext({LanParameterReply});
        attack({"call", QString::fromLatin1(MeasurementReply.toHex()), "10000"});
        QCOMPARE(said.value("sent"), said.value("of"));
        // The request's own exchange is not disturbed: its lines, and those of the one that followed.
        QCOMPARE(m->logSince(line).count(LanParameterLines[1]), 2);
    }

private:
    // Runs hostile_peer with mode and arguments against the window's port, or, with none, asks the LAN adapter, and
    // keeps the peer's results in said once it has stopped, the window running meanwhile. The window must have answered
    // throughout, listen again and stay within its memory bound; then it serves the adapter's exchange and a frame it
    // sends unasked.
    void attack(const QStringList &arguments);

    std::optional<Installation> m;
    QMap<QString, QString> said;
};

void TestHostilePeers::attack(const QStringList &arguments)
{
    // A caller whose reply waits at the tool's port is ready before the click; the window does not run meanwhile, so it
    // takes the caller in during the click.
    const bool click = arguments.isEmpty() || arguments[0] == "call";
    QProcess peer;
    QByteArray results = arguments.isEmpty() ? "the LAN adapter, in this process" : "";
    if (!arguments.isEmpty()) {
        peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        peer.start(HOSTILE_PEER, QStringList{arguments[0], "127.0.0.1", QString::number(m->port)} + arguments.mid(1));
        while (click && !results.contains("ready\n") && peer.waitForReadyRead(PeerFinishesMs))
            results += peer.readAllStandardOutput();
    }
    QFile clearRefs("/proc/self/clear_refs");
    QVERIFY2(clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1 && clearRefs.flush(),
             "cannot reset the peak memory");
    const qint64 before = memoryKiB("VmRSS");
    int refreshes = 0;
    const auto counting = connect(m->child<QTimer>("Timer2"), &QTimer::timeout, this, [&] { ++refreshes; });
    if (click)
        m->click("cmdTest");
    if (!arguments.isEmpty()) {
        QVERIFY(QTest::qWaitFor([&] { return peer.state() == QProcess::NotRunning; }, PeerFinishesMs));
        QCOMPARE(peer.exitCode(), 0);
        results = (results + peer.readAllStandardOutput()).trimmed().split('\n').last();
        for (const QByteArray &pair : results.split(' '))
            said.insert(QString::fromLatin1(pair.split('=').first()), QString::fromLatin1(pair.split('=').last()));
        // Each connection was taken or refused in time, and none is held open for good.
        QVERIFY2(said.value("unresolved") == "0" && said.value("still_open") == "0", results.constData());
    }
    const int refreshesDuring = refreshes;
    QTRY_VERIFY_WITH_TIMEOUT(m->exchangeEnded() && m->window->Listening, SettlesMs);
    // The window goes on answering: its status line is refreshed again.
    QTRY_VERIFY_WITH_TIMEOUT(refreshes > refreshesDuring, SettlesMs);
    disconnect(counting);
    const int line = int(m->log().size());
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    QTRY_COMPARE_WITH_TIMEOUT(m->logSince(line), QStringList{"Anfrage Parameter"} + LanParameterLines, SettlesMs);
    m->lan.callTool({MeasurementReply});
    const QString outputs = "-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON";
    QTRY_VERIFY_WITH_TIMEOUT(m->logSince(line).contains(outputs) && m->exchangeEnded(), SettlesMs);
    const qint64 growthKiB = memoryKiB("VmHWM") - before;
    qInfo("figures: %s %s: %s; peak memory +%lld KiB over %lld KiB; status line refreshed %d times meanwhile",
          QTest::currentTestFunction(), QTest::currentDataTag() ? QTest::currentDataTag() : "", results.constData(),
          growthKiB, before, refreshesDuring);
    QVERIFY2(!Bounded || growthKiB <= MemoryBoundKiB, "the peak memory grew past its bound");
}

TESSRA_TEST(TestHostilePeers)
#include "tst_HostilePeers.moc"
