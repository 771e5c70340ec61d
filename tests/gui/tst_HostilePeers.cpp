// Peers that misbehave towards the real window on loopback, in a process of
// their own (hostile_peer). After each, the window must have kept answering,
// listen again, serve the LAN adapter's exchange and a frame it delivers
// unasked, and its peak memory must have stayed within MemoryBoundKiB of what
// it was before. Figures go to the output as lines starting with "figures:".

#include "TestMain.h"
#include "WindowHarness.h"

#include <QProcess>

using namespace WindowHarness;

namespace {

// The tool holds one connection at a time and decodes the first 45 bytes of what
// it read in one go: what the system buffered for the connection, a few MiB at most.
constexpr qint64 MemoryBoundKiB = 8 * 1024;
constexpr int PeerFinishesMs = 120000;
constexpr int SettlesMs = 20000;

// This process's resident memory ("VmRSS") or its peak ("VmHWM") in KiB.
qint64 memoryKiB(const QByteArray &field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

bool endsWith(const QStringList &log, const QStringList &lines)
{
    return log.size() >= lines.size() && log.mid(log.size() - lines.size()) == lines;
}

bool underAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
    return __has_feature(address_sanitizer);
#else
    return false;
#endif
}

} // namespace

class TestHostilePeers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void burstOfConnections();
    void silentConnectionsThatStayOpen();
    void aMebibyteOfGarbage();
    void oneByteEverySecond_data();
    void oneByteEverySecond();
    void deviceResetsMidReply_data();
    void deviceResetsMidReply();
    void replyArrivesWhileARequestIsBuilt();

private:
    // Runs hostile_peer with mode and arguments against the window's port (at host, for a
    // device, whose "ready" the window's click awaits), and returns its results once it has
    // stopped, the window running meanwhile. The window must have answered throughout, listen
    // again and stay within its memory bound; then it serves a real device's exchange and a
    // frame the device sends unasked.
    QMap<QString, QString> attack(const QStringList &arguments, const QString &host = "127.0.0.1");

    std::unique_ptr<Installation> m;
};

void TestHostilePeers::init()
{
    m = std::make_unique<Installation>();
    QVERIFY(m->start());
    // A first exchange, so that what it allocates once is part of the baseline.
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    QTRY_VERIFY_WITH_TIMEOUT(endsWith(m->log(), LanParameterLines), SettlesMs);
}

void TestHostilePeers::cleanup()
{
    QVERIFY(m->boxes.seen.isEmpty());
    m.reset();
}

QMap<QString, QString> TestHostilePeers::attack(const QStringList &arguments, const QString &host)
{
    QProcess peer;
    peer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peer.start(HOSTILE_PEER, QStringList{arguments[0], host, QString::number(m->port)} + arguments.mid(1));
    QByteArray output;
    // A device, or a caller whose reply waits at the tool's port, is ready before the
    // click; the window does not run meanwhile, so it takes them in during the click.
    const bool device = arguments[0] == "reset" || arguments[0] == "call";
    while (device && !output.contains("ready\n") && peer.waitForReadyRead(PeerFinishesMs))
        output += peer.readAllStandardOutput();
    QFile clearRefs("/proc/self/clear_refs");
    if (!clearRefs.open(QIODevice::WriteOnly) || clearRefs.write("5") != 1)
        qFatal("cannot reset the peak memory");
    clearRefs.close();
    const qint64 before = memoryKiB("VmRSS");
    int refreshes = 0;
    const auto counting = connect(m->child<QTimer>("Timer2"), &QTimer::timeout, this, [&] { ++refreshes; });
    auto *lastOctet = m->child<QLineEdit>("Text1(3)");
    if (device) {
        lastOctet->setText(arguments[0] == "reset" ? host.section('.', 3) : "2");
        m->click("cmdTest");
    }
    QMap<QString, QString> results;
    if (!QTest::qWaitFor([&] { return peer.state() == QProcess::NotRunning; }, PeerFinishesMs) || peer.exitCode())
        return results;
    output += peer.readAllStandardOutput();
    for (const QString &pair : QString::fromLatin1(output.trimmed().split('\n').last()).split(' '))
        results.insert(pair.section('=', 0, 0), pair.section('=', 1));
    const int refreshesDuring = refreshes;
    [&] {
        QTRY_VERIFY_WITH_TIMEOUT(m->exchangeEnded() && m->window->Listening, SettlesMs);
        // The window goes on answering: its status line is refreshed again.
        QTRY_VERIFY_WITH_TIMEOUT(refreshes > refreshesDuring, SettlesMs);
        lastOctet->setText("2");
        const int line = int(m->log().size());
        m->lan.answerNext({LanParameterReply});
        m->click("cmdTest");
        QTRY_COMPARE_WITH_TIMEOUT(m->logSince(line), QStringList{"Anfrage Parameter"} + LanParameterLines, SettlesMs);
        m->lan.callTool({MeasurementReply});
        QTRY_VERIFY_WITH_TIMEOUT(m->logSince(line).contains(MeasurementOutLine) && m->exchangeEnded(), SettlesMs);
    }();
    disconnect(counting);
    const qint64 growthKiB = memoryKiB("VmHWM") - before;
    qInfo("figures: %s %s: %s; peak memory +%lld KiB over %lld KiB; status line refreshed %d times meanwhile",
          QTest::currentTestFunction(), QTest::currentDataTag() ? QTest::currentDataTag() : "",
          qPrintable(QString::fromLatin1(output.trimmed().split('\n').last())), growthKiB, before, refreshesDuring);
    if (!underAddressSanitizer() && growthKiB > MemoryBoundKiB) // its quarantine keeps freed memory on purpose
        results["memory"] = QString("+%1 KiB").arg(growthKiB);
    return results;
}

void TestHostilePeers::burstOfConnections()
{
    const QMap<QString, QString> r = attack({"burst", "1000"});
    QCOMPARE(r.value("opened") + r.value("unresolved") + r.value("memory"), QString("10000"));
}

void TestHostilePeers::silentConnectionsThatStayOpen()
{
    const QMap<QString, QString> r = attack({"silent", "20", "8000"});
    // None holds the one socket for good: the one taken over is closed at its time-out.
    QCOMPARE(r.value("still_open") + r.value("memory"), QString("0"));
    QVERIFY(m->log().contains("RX-TimeoOut"));
}

void TestHostilePeers::aMebibyteOfGarbage()
{
    const QMap<QString, QString> r = attack({"garbage", "1048576"});
    QVERIFY(r.value("connected") == "1" && r.value("ended") != "open" && !r.contains("memory"));
    // The first 45 bytes are decoded (their code is none the tool knows); the rest is dropped.
    QVERIFY(m->log().contains(DecodeError));
}

void TestHostilePeers::oneByteEverySecond_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("logged");
    QTest::newRow("a reply byte by byte is decoded from what came before the pause") << MeasurementReply << DecodeError;
    QTest::newRow("blanks byte by byte are no data until the time-out") << QByteArray(10, ' ') << "RX-TimeoOut";
}

void TestHostilePeers::oneByteEverySecond()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, logged);
    const QMap<QString, QString> r = attack({"trickle", QString::fromLatin1(bytes.toHex()), "1000"});
    // The tool does not wait for the rest: it ends the connection long before the last byte.
    QVERIFY2(r.value("connected") == "1" && r.value("sent").toInt() < bytes.size() && !r.contains("memory"),
             qPrintable(r.value("sent") + r.value("memory")));
    QVERIFY(m->log().contains(logged));
}

void TestHostilePeers::deviceResetsMidReply_data()
{
    QTest::addColumn<int>("cut");
    QTest::newRow("reset before any byte of the reply") << 0;
    QTest::newRow("reset after 20 bytes of the parameter reply") << 20;
}

void TestHostilePeers::deviceResetsMidReply()
{
    QFETCH(int, cut);
    const int line = int(m->log().size());
    // The exchange ends without waiting for its time-out, whatever arrived of the reply.
    const QMap<QString, QString> r = attack({"reset", QString::fromLatin1(LanParameterReply.toHex()), QString::number(cut)}, "127.0.0.5");
    QCOMPARE(r.value("accepted") + r.value("memory"), QString("1"));
    const QStringList during = m->logSince(line).mid(0, m->logSince(line).lastIndexOf("Anfrage Parameter"));
    QVERIFY2(!during.contains(LanParameterLines[1]) && !during.contains("RX-TimeoOut"), qPrintable(during.join('|')));
}

void TestHostilePeers::replyArrivesWhileARequestIsBuilt()
{
    // The caller's connection and its reply wait at the tool's port before the click.
    const int line = int(m->log().size());
    m->lan.answerNext({LanParameterReply});
    const QMap<QString, QString> r = attack({"call", QString::fromLatin1(MeasurementReply.toHex()), "10000"});
    QVERIFY2(r.value("sent") == r.value("of") && (r.value("ended") == "closed" || r.value("ended") == "reset"),
             qPrintable(r.value("ended") + r.value("memory")));
    // The request's own exchange is not disturbed: its lines, and those of the one that followed.
    QCOMPARE(m->logSince(line).count(LanParameterLines[1]), 2);
}

TESSRA_TEST(TestHostilePeers)
#include "tst_HostilePeers.moc"
