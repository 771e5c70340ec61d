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

// One run of hostile_peer; its last line of output holds its results.
class HostilePeer
{
public:
    explicit HostilePeer(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(HOSTILE_PEER, arguments);
    }
    ~HostilePeer()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    // Waits, without letting the window run, until the peer says "ready".
    bool waitReadyBlocking()
    {
        while (!m_output.contains("ready\n")) {
            if (!m_process.waitForReadyRead(PeerFinishesMs))
                return false;
            m_output += m_process.readAllStandardOutput();
        }
        return true;
    }
    // The results once the peer has stopped; the window runs meanwhile.
    QMap<QString, QString> results()
    {
        QMap<QString, QString> values;
        if (!QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, PeerFinishesMs)
            || m_process.exitCode() != 0)
            return values;
        m_output += m_process.readAllStandardOutput();
        for (const QString &pair : QString::fromLatin1(m_output.trimmed().split('\n').last()).split(' '))
            values.insert(pair.section('=', 0, 0), pair.section('=', 1));
        return values;
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

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
    // The peak memory is reset and the window's status refreshes counted.
    void beginAttack();
    // The window answered throughout, listens again, serves a real device and
    // stayed within its memory bound.
    void afterAttack(const QString &figures);
    QStringList peer(const QString &mode, const QString &host = "127.0.0.1") const
    {
        return {mode, host, QString::number(m->port)};
    }

    std::unique_ptr<Installation> m;
    qint64 m_residentBefore = 0;
    int m_refreshes = 0;
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

void TestHostilePeers::beginAttack()
{
    QFile clearRefs("/proc/self/clear_refs");
    QVERIFY(clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1);
    clearRefs.close();
    m_residentBefore = memoryKiB("VmRSS");
    QVERIFY(m_residentBefore > 0);
    m_refreshes = 0;
    connect(m->child<QTimer>("Timer2"), &QTimer::timeout, this, [this] { ++m_refreshes; });
}

void TestHostilePeers::afterAttack(const QString &figures)
{
    const int refreshesDuring = m_refreshes;
    QTRY_VERIFY_WITH_TIMEOUT(m->exchangeEnded() && m->window->Listening, SettlesMs);
    // The window goes on answering: its status line is refreshed again.
    QTRY_VERIFY_WITH_TIMEOUT(m_refreshes > refreshesDuring, SettlesMs);
    const qint64 growthKiB = memoryKiB("VmHWM") - m_residentBefore;
    qInfo("figures: %s: %s; peak memory +%lld KiB over %lld KiB; status line refreshed %d times meanwhile",
          QTest::currentTestFunction(), qPrintable(figures), growthKiB, m_residentBefore, refreshesDuring);
    if (!underAddressSanitizer()) // its quarantine keeps freed memory on purpose
        QVERIFY2(growthKiB <= MemoryBoundKiB, qPrintable(QString::number(growthKiB)));
    // A real device's exchange follows, and a frame it sends unasked is decoded.
    const int line = int(m->log().size());
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    QTRY_COMPARE_WITH_TIMEOUT(m->logSince(line), QStringList{"Anfrage Parameter"} + LanParameterLines, SettlesMs);
    m->lan.callTool({MeasurementReply});
    QTRY_VERIFY_WITH_TIMEOUT(m->logSince(line).contains(MeasurementOutLine) && m->exchangeEnded(), SettlesMs);
}

void TestHostilePeers::burstOfConnections()
{
    beginAttack();
    const QMap<QString, QString> r = HostilePeer(peer("burst") << "1000").results();
    QCOMPARE(r.value("opened"), QString("1000"));
    QCOMPARE(r.value("unresolved"), QString("0"));
    afterAttack(QString("%1 completed the handshake, %2 refused, %3 failed otherwise, in %4 ms")
                    .arg(r.value("connected"), r.value("refused"), r.value("failed"), r.value("ms")));
}

void TestHostilePeers::silentConnectionsThatStayOpen()
{
    beginAttack();
    const QMap<QString, QString> r = HostilePeer(peer("silent") << "20" << "8000").results();
    // None holds the one socket for good: the one taken over is closed at its time-out.
    QCOMPARE(r.value("still_open"), QString("0"));
    QVERIFY(m->log().contains("RX-TimeoOut"));
    afterAttack(QString("%1 connected, the last ended by the tool after %2 ms").arg(r.value("connected"), r.value("last_end_ms")));
}

void TestHostilePeers::aMebibyteOfGarbage()
{
    beginAttack();
    const QMap<QString, QString> r = HostilePeer(peer("garbage") << "1048576").results();
    QCOMPARE(r.value("connected"), QString("1"));
    QVERIFY(r.value("ended") != "open");
    // The first 45 bytes are decoded (their code is none the tool knows); the rest is dropped.
    QTRY_VERIFY(m->log().contains(DecodeError));
    afterAttack(QString("%1 bytes taken before the tool ended it (%2)").arg(r.value("sent"), r.value("ended")));
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
    beginAttack();
    const QMap<QString, QString> r = HostilePeer(peer("trickle") << QString::fromLatin1(bytes.toHex()) << "1000").results();
    QCOMPARE(r.value("connected"), QString("1"));
    // The tool does not wait for the rest: it ends the connection long before the last byte.
    QVERIFY2(r.value("sent").toInt() < bytes.size(), qPrintable(r.value("sent")));
    QVERIFY(m->log().contains(logged));
    afterAttack(QString("%1 of %2 bytes sent before the tool ended it (%3)").arg(r.value("sent"), r.value("of"), r.value("ended")));
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
    HostilePeer device(peer("reset", "127.0.0.5") << QString::fromLatin1(LanParameterReply.toHex()) << QString::number(cut));
    QVERIFY(device.waitReadyBlocking());
    beginAttack();
    m->child<QLineEdit>("Text1(3)")->setText("5");
    const int line = int(m->log().size());
    m->click("cmdTest");
    const QMap<QString, QString> r = device.results();
    QCOMPARE(r.value("accepted"), QString("1"));
    // The exchange ends without waiting for its time-out, whatever arrived of the reply.
    QTRY_VERIFY_WITH_TIMEOUT(m->exchangeEnded(), SettlesMs);
    QVERIFY(!m->logSince(line).contains(LanParameterLines[1]));
    m->child<QLineEdit>("Text1(3)")->setText("2");
    afterAttack(QString("%1 request bytes taken, %2 reply bytes sent; log: %3")
                    .arg(r.value("request_bytes"), r.value("sent"), m->logSince(line).join(" | ")));
}

void TestHostilePeers::replyArrivesWhileARequestIsBuilt()
{
    // The caller's connection and its reply wait at the tool's port before the
    // click, so they are taken in while the click's handler lets events run.
    HostilePeer caller(peer("call") << QString::fromLatin1(MeasurementReply.toHex()) << "10000");
    QVERIFY(caller.waitReadyBlocking());
    beginAttack();
    const int line = int(m->log().size());
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    const QMap<QString, QString> r = caller.results();
    QCOMPARE(r.value("sent"), r.value("of"));
    QVERIFY2(r.value("ended") == "closed" || r.value("ended") == "reset", qPrintable(r.value("ended")));
    // The request's own exchange is not disturbed.
    QTRY_VERIFY_WITH_TIMEOUT(endsWith(m->logSince(line), LanParameterLines), SettlesMs);
    afterAttack(QString("the caller's reply was %1").arg(m->logSince(line).contains(MeasurementOutLine) ? "decoded" : "dropped"));
}

TESSRA_TEST(TestHostilePeers)
#include "tst_HostilePeers.moc"
