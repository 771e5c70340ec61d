// Peers that misbehave towards the tool, in a process of their own so that their sockets and buffers are not counted as
// the tool's. Each mode stops by itself within its deadline and ends with one line of results as "key=value" pairs;
// "ready" on a line of its own says that all its bytes are out.
//
//   hostile_peer burst   HOST PORT COUNT          COUNT connections at once, each closed once it is up
//   hostile_peer silent  HOST PORT COUNT HOLD_MS  COUNT connections that send nothing, held HOLD_MS
//   hostile_peer garbage HOST PORT BYTES          BYTES of pseudo-random bytes, as fast as they go
//   hostile_peer call    HOST PORT HEX HOLD_MS    sends HEX, says "ready", waits for the tool to close

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <utility>

namespace {

constexpr int DeadlineMs = 60000;
QElapsedTimer Clock;

void say(const QByteArray &line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

// The results, once, and the time since the mode began; then the end.
void finish(std::initializer_list<std::pair<const char *, qint64>> results)
{
    static bool done = false;
    if (std::exchange(done, true))
        return;
    QByteArray line;
    for (const auto &[key, value] : results)
        line += key + ('=' + QByteArray::number(value)) + ' ';
    say(line + "ms=" + QByteArray::number(Clock.elapsed()));
    QCoreApplication::exit(0);
}

// Pseudo-random bytes, the same every run.
QByteArray garbage(int size)
{
    QByteArray bytes(size / 4 * 4, Qt::Uninitialized);
    QRandomGenerator(0x2545F491u).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes;
}

// COUNT connections at once. Each sends the bytes and is held until the tool ends it or holdMs have passed; with
// holdMs 0 it is closed once it is up.
void connections(const QHostAddress &host, quint16 port, int count, const QByteArray &bytes, int holdMs)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    static int connected = 0, refused = 0, failed = 0, ended = 0, unresolved = count;
    static qint64 sent = 0;
    for (int k = 0; k < count; ++k) {
        auto *socket = new QTcpSocket(qApp);
        QObject::connect(socket, &QTcpSocket::connected, socket, [socket, bytes, holdMs] {
            socket->setProperty("up", true);
            ++connected, --unresolved;
            if (holdMs == 0) {
                socket->disconnect(), socket->abort(), ++ended;
                return;
            }
            socket->write(bytes);
        });
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [bytes](qint64 n) {
            if ((sent += n) == bytes.size())
                say("ready");
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [] { ++ended; });
        // A connection the system completed while the tool's queue of callers was full is reset once the tool stops
        // listening; that is a refusal too.
        QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [socket](QAbstractSocket::SocketError e) {
            if (socket->property("up").toBool())
                return;
            --unresolved;
            ++(e == QAbstractSocket::ConnectionRefusedError || e == QAbstractSocket::RemoteHostClosedError ? refused
                                                                                                             : failed);
        });
        socket->connectToHost(host, port);
    }
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [count, bytes, holdMs] {
        if ((unresolved == 0 && ended == connected) || Clock.elapsed() > (holdMs > 0 ? holdMs : DeadlineMs))
            finish({{"opened", count}, {"connected", connected}, {"refused", refused}, {"failed", failed},
                    {"unresolved", unresolved}, {"still_open", connected - ended}, {"sent", sent},
                    {"of", count * bytes.size()}});
    });
    poll->start(50);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const QString mode = a.value(1);
    const QHostAddress host(a.value(2));
    const quint16 port = quint16(a.value(3).toUInt());
    const QByteArray hex = QByteArray::fromHex(a.value(4).toLatin1());
    const int number = a.value(5).toInt();
    Clock.start();
    if (mode == "burst" && a.size() == 5)
        connections(host, port, a[4].toInt(), {}, 0);
    else if (mode == "silent" && a.size() == 6)
        connections(host, port, a[4].toInt(), {}, number);
    else if (mode == "garbage" && a.size() == 5)
        connections(host, port, 1, garbage(a[4].toInt()), 10000);
    else if (mode == "call" && a.size() == 6)
        connections(host, port, 1, hex, number);
    else {
        std::fprintf(stderr, "usage: hostile_peer burst|silent|garbage|call HOST PORT ...\n");
        return 2;
    }
    return app.exec();
}
