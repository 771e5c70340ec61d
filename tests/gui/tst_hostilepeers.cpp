// Peers that misbehave towards the real window on loopback: the tool listens on
// 127.0.0.1, a LAN adapter that behaves sits on 127.0.0.2, a device that resets
// its connections on 127.0.0.5, all on the tool's port. The misbehaving peers run
// in a process of their own (hostile_peer). After each of them the window must
// have kept answering, listen again, serve the LAN adapter's exchange and a frame
// it delivers unasked, and its memory must have stayed within MemoryBoundKiB.
//
// Figures (connections, bytes, peak memory, the time until the tool listens
// again) are written to the test's output as lines starting with "figures:".

#include "TestMain.h"
#include "Installation.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>

#include <memory>

using namespace WindowHarness;

namespace {

// The peak resident memory of the tool's process while a peer misbehaves may
// exceed what it was before by at most this much. The tool holds one connection
// at a time, decodes the first 45 bytes of what it read in one go and closes it;
// what it reads in one go is what the system buffered for the connection (a few
// MiB at most on Linux), and the log keeps 200 lines.
constexpr qint64 MemoryBoundKiB = 8 * 1024;
// Generous for a slow machine: a misbehaving peer stops by itself well before.
constexpr int PeerFinishesMs = 120000;
constexpr int ToolSettlesMs = 20000;
constexpr int ExchangeMs = 20000;

constexpr int BurstConnections = 1000;
constexpr int SilentConnections = 20;
constexpr int SilentHoldMs = 8000;
constexpr int GarbageBytes = 1024 * 1024;
constexpr int TrickleGapMs = 1000;

const QString ResettingDevice = QStringLiteral("127.0.0.5");

const QString MeasurementLine = QStringLiteral("-> OutPort: Kanal 1=ON, Kanal 2=OFF, Kanal 3=OFF, Kanal 4=ON");
const QString DecodeError = QStringLiteral("-> Error: kann Daten nicht dekodieren!!");

bool endsWith(const QStringList &log, const QStringList &lines)
{
    return log.size() >= lines.size() && log.mid(log.size() - lines.size()) == lines;
}

struct Memory
{
    qint64 residentKiB = 0;
    qint64 peakKiB = 0;
};

// This process's resident memory now and at its peak since resetPeakMemory().
Memory memory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    Memory m;
    if (!status.open(QIODevice::ReadOnly))
        return m;
    for (const QByteArray &line : status.readAll().split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && parts[0] == "VmRSS:")
            m.residentKiB = parts[1].toLongLong();
        else if (parts.size() >= 2 && parts[0] == "VmHWM:")
            m.peakKiB = parts[1].toLongLong();
    }
    return m;
}

bool resetPeakMemory()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// One run of hostile_peer; its last line of output holds its results.
class HostilePeer
{
public:
    explicit HostilePeer(const QStringList &arguments)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(HOSTILE_PEER), arguments);
    }

    ~HostilePeer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
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

    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // The results once the peer has stopped; the window runs meanwhile.
    QMap<QString, QString> results()
    {
        QMap<QString, QString> values;
        if (!QTest::qWaitFor([this] { return !running(); }, PeerFinishesMs))
            return values;
        m_output += m_process.readAllStandardOutput();
        const QList<QByteArray> lines = m_output.trimmed().split('\n');
        for (const QByteArray &pair : lines.last().split(' ')) {
            const qsizetype equals = pair.indexOf('=');
            if (equals > 0)
                values.insert(QString::fromLatin1(pair.left(equals)), QString::fromLatin1(pair.mid(equals + 1)));
        }
        return values;
    }

    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }

private:
    QProcess m_process;
    QByteArray m_output;
};

// What the window did while a peer misbehaved: the status line's refresh
// ticks (it kept answering) and when it last started listening.
class Watch : public QObject
{
public:
    explicit Watch(Installation &m)
    {
        m_clock.start();
        connect(m.w.child<QTimer>("Timer2"), &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.elapsed();
            longestGapMs = std::max(longestGapMs, now - m_lastTick);
            m_lastTick = now;
            ++ticks;
        });
        connect(m.w.child<QListWidget>("List1")->model(), &QAbstractItemModel::rowsInserted, this,
                [this, list = m.w.child<QListWidget>("List1")](const QModelIndex &, int first, int last) {
                    for (int row = first; row <= last; ++row) {
                        if (list->item(row)->text().endsWith(QStringLiteral("Listen ON"))) {
                            lastListenMs = m_clock.elapsed();
                            ++listens;
                        }
                    }
                });
    }

    qint64 elapsed() const { return m_clock.elapsed(); }

    int ticks = 0;
    qint64 longestGapMs = 0;
    int listens = 0; // each one after a connection the tool took over
    qint64 lastListenMs = -1;

private:
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
};

bool underAddressSanitizer()
{
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
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
    // Starts watching: the memory's peak is reset and the window's ticks counted.
    void beginAttack();
    // The window answered throughout, listens again, serves a real device and
    // stayed within its memory bound; the figures go to the output.
    void afterAttack(const QString &attack, const QString &figures);

    std::unique_ptr<Installation> m;
    std::unique_ptr<Watch> watch;
    Memory before;
};

void TestHostilePeers::init()
{
    m = std::make_unique<Installation>();
    QVERIFY(m->lan.isListening());
    QVERIFY(m->w.showAndActivate());
    QCOMPARE(m->log(), QStringList{"Listen ON"});
    // A first exchange, so that what it allocates once is part of the baseline.
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    QTRY_VERIFY_WITH_TIMEOUT(endsWith(m->log(), LanParameterLines), ExchangeMs);
}

void TestHostilePeers::cleanup()
{
    QVERIFY(m->boxes.seen.isEmpty());
    watch.reset();
    m.reset();
}

void TestHostilePeers::beginAttack()
{
    QVERIFY(resetPeakMemory());
    before = memory();
    QVERIFY(before.residentKiB > 0);
    watch = std::make_unique<Watch>(*m);
}

void TestHostilePeers::afterAttack(const QString &attack, const QString &figures)
{
    const int ticksDuring = watch->ticks;
    const qint64 longestGapMs = watch->longestGapMs;
    // The tool settles: listening, the command buttons usable.
    QTRY_VERIFY2_WITH_TIMEOUT(m->log().last() == "Listen ON" && m->w.window->Listening && m->controlsEnabled(),
                              qPrintable(QStringLiteral("%1 %2 | ").arg(m->w.window->Listening).arg(m->controlsEnabled())
                                         + m->log().join(" | ")),
                              ToolSettlesMs);
    // The window goes on answering: its status line is refreshed again.
    QTRY_VERIFY_WITH_TIMEOUT(watch->ticks > ticksDuring, ToolSettlesMs);
    const Memory after = memory();
    const qint64 growthKiB = after.peakKiB - before.residentKiB;
    qInfo("figures: %s: %s; peak memory +%lld KiB over %lld KiB; listening again %lld ms after it began; "
          "status line refreshed %d times meanwhile, at most %lld ms apart",
          qPrintable(attack), qPrintable(figures), growthKiB, before.residentKiB, watch->lastListenMs, ticksDuring,
          longestGapMs);
    if (!underAddressSanitizer()) // its quarantine keeps freed memory on purpose
        QVERIFY2(growthKiB <= MemoryBoundKiB, qPrintable(QString::number(growthKiB)));

    // A real device's exchange follows, and a frame it sends unasked is decoded.
    const int line = int(m->log().size());
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    QTRY_VERIFY_WITH_TIMEOUT(endsWith(m->log().mid(line), LanParameterLines), ExchangeMs);
    QCOMPARE(m->log().mid(line).first(), QString("Anfrage Parameter"));
    const int unasked = int(m->log().size());
    m->lan.callTool({MeasurementReply});
    QTRY_VERIFY_WITH_TIMEOUT(m->log().mid(unasked).contains(MeasurementLine), ExchangeMs);
    QTRY_COMPARE_WITH_TIMEOUT(m->log().last(), QString("Listen ON"), ExchangeMs);
}

void TestHostilePeers::burstOfConnections()
{
    beginAttack();
    HostilePeer peer({"burst", "127.0.0.1", QString::number(m->port), QString::number(BurstConnections)});
    const QMap<QString, QString> r = peer.results();
    QCOMPARE(peer.exitCode(), 0);
    QCOMPARE(r.value("opened"), QString::number(BurstConnections));
    QCOMPARE(r.value("unresolved"), QString("0"));
    afterAttack("1000 connections in a burst",
                QStringLiteral("%1 completed the handshake, %2 refused, %3 reset, %4 failed otherwise, in %5 ms; "
                               "the tool took over %6 of them one by one")
                    .arg(r.value("connected"), r.value("refused"), r.value("reset"), r.value("failed"), r.value("ms"))
                    .arg(watch->listens));
}

void TestHostilePeers::silentConnectionsThatStayOpen()
{
    beginAttack();
    HostilePeer peer({"silent", "127.0.0.1", QString::number(m->port), QString::number(SilentConnections),
                      QString::number(SilentHoldMs)});
    const QMap<QString, QString> r = peer.results();
    QCOMPARE(peer.exitCode(), 0);
    // None holds the one socket for good: the one taken over is closed at its time-out.
    QCOMPARE(r.value("still_open"), QString("0"));
    QVERIFY(m->log().contains("RX-TimeoOut"));
    afterAttack("silent connections",
                QStringLiteral("%1 opened, %2 connected, all ended by the tool, the last after %3 ms")
                    .arg(r.value("opened"), r.value("connected"), r.value("last_end_ms")));
}

void TestHostilePeers::aMebibyteOfGarbage()
{
    beginAttack();
    HostilePeer peer({"garbage", "127.0.0.1", QString::number(m->port), QString::number(GarbageBytes)});
    const QMap<QString, QString> r = peer.results();
    QCOMPARE(peer.exitCode(), 0);
    QCOMPARE(r.value("connected"), QString("1"));
    // The first 45 bytes are decoded (their code is none the tool knows); the rest is dropped.
    QTRY_VERIFY(m->log().contains(DecodeError));
    QVERIFY(r.value("ended") != "open");
    afterAttack("1 MiB of garbage", QStringLiteral("%1 bytes taken before the tool ended it (%2) after %3 ms")
                                        .arg(r.value("sent"), r.value("ended"), r.value("ms")));
}

void TestHostilePeers::oneByteEverySecond_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("logged");
    QTest::newRow("a reply byte by byte is decoded from what came before the pause")
        << MeasurementReply << DecodeError;
    QTest::newRow("blanks byte by byte are no data until the time-out") << QByteArray(10, ' ') << "RX-TimeoOut";
}

void TestHostilePeers::oneByteEverySecond()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, logged);
    beginAttack();
    HostilePeer peer({"trickle", "127.0.0.1", QString::number(m->port), QString::fromLatin1(bytes.toHex()),
                      QString::number(TrickleGapMs)});
    const QMap<QString, QString> r = peer.results();
    QCOMPARE(peer.exitCode(), 0);
    QCOMPARE(r.value("connected"), QString("1"));
    // The tool does not wait for the rest: it ends the connection long before the last byte.
    QVERIFY2(r.value("sent").toInt() < bytes.size(), qPrintable(r.value("sent")));
    QVERIFY(m->log().contains(logged));
    afterAttack(QStringLiteral("one byte every second (%1)").arg(QString::fromLatin1(QTest::currentDataTag())),
                QStringLiteral("%1 of %2 bytes sent before the tool ended it (%3) after %4 ms")
                    .arg(r.value("sent"), r.value("of"), r.value("ended"), r.value("ms")));
}

void TestHostilePeers::deviceResetsMidReply_data()
{
    QTest::addColumn<int>("cut");
    QTest::newRow("reset after the preamble") << 2;
    QTest::newRow("reset after 20 bytes of the parameter reply") << 20;
    QTest::newRow("reset before any byte of the reply") << 0;
}

void TestHostilePeers::deviceResetsMidReply()
{
    QFETCH(int, cut);
    HostilePeer peer({"reset", ResettingDevice, QString::number(m->port), QString::fromLatin1(LanParameterReply.toHex()),
                      QString::number(cut)});
    QVERIFY(peer.waitReadyBlocking());
    beginAttack();
    auto *lastOctet = m->w.child<QLineEdit>("Text1(3)");
    lastOctet->setText(ResettingDevice.section('.', 3));
    const int line = int(m->log().size());
    m->click("cmdTest");
    const QMap<QString, QString> r = peer.results();
    QCOMPARE(peer.exitCode(), 0);
    QCOMPARE(r.value("accepted"), QString("1"));
    // The exchange ends without waiting for its time-out, whatever arrived of the reply.
    QTRY_VERIFY_WITH_TIMEOUT(m->log().last() == "Listen ON" && m->controlsEnabled(), ToolSettlesMs);
    QVERIFY(!m->log().mid(line).contains(LanParameterLines[1]));
    lastOctet->setText(LanDevice.toString().section('.', 3));
    afterAttack(QStringLiteral("device resets mid-reply (%1)").arg(QString::fromLatin1(QTest::currentDataTag())),
                QStringLiteral("%1 request bytes taken, %2 reply bytes sent; log: %3")
                    .arg(r.value("request_bytes"), r.value("sent"), m->log().mid(line).join(" | ")));
}

void TestHostilePeers::replyArrivesWhileARequestIsBuilt()
{
    // The caller's connection and its reply wait at the tool's port before the
    // click, so they are taken in while the click's handler lets events run.
    HostilePeer peer({"call", "127.0.0.1", QString::number(m->port), QString::fromLatin1(MeasurementReply.toHex()), "10000"});
    QVERIFY(peer.waitReadyBlocking());
    beginAttack();
    const int line = int(m->log().size());
    m->lan.answerNext({LanParameterReply});
    m->click("cmdTest");
    const QMap<QString, QString> r = peer.results();
    QCOMPARE(peer.exitCode(), 0);
    QCOMPARE(r.value("sent"), QString("1"));
    QVERIFY2(r.value("ended") == "closed" || r.value("ended") == "reset", qPrintable(r.value("ended")));
    // The request's own exchange is not disturbed.
    QTRY_VERIFY_WITH_TIMEOUT(endsWith(m->log().mid(line), LanParameterLines), ExchangeMs);
    const QStringList during = m->log().mid(line);
    afterAttack("a reply while a request is built",
                QStringLiteral("the caller's reply was %1; log: %2")
                    .arg(during.contains(MeasurementLine) ? "decoded" : "dropped", during.join(" | ")));
}

TESSRA_TEST(TestHostilePeers)
#include "tst_hostilepeers.moc"
