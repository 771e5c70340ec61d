// Peers that misbehave towards the tool, in a process of their own so that
// their sockets and buffers are not counted as the tool's. Every mode stops by
// itself within its deadline and ends by printing one line of results as
// "key=value" pairs; "ready" on a line of its own says a mode has done what
// must happen before the test goes on.
//
//   hostile_peer burst   HOST PORT COUNT          COUNT connections at once, each closed once it is up
//   hostile_peer silent  HOST PORT COUNT HOLD_MS  COUNT connections that send nothing, held HOLD_MS
//   hostile_peer garbage HOST PORT BYTES          BYTES of pseudo-random bytes, as fast as they go
//   hostile_peer trickle HOST PORT HEX GAP_MS     the bytes of HEX, one every GAP_MS
//   hostile_peer call    HOST PORT HEX WAIT_MS    connects, sends HEX, says "ready", waits for the tool to close
//   hostile_peer reset   HOST PORT HEX CUT        a device at HOST: takes one request, sends the first
//                                                 CUT bytes of HEX as its reply, then resets the connection

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/resource.h>
#include <sys/socket.h>

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

// The results, once: "key=value" pairs and the time since the mode began.
void finish(std::initializer_list<std::pair<const char *, QByteArray>> results)
{
    static bool done = false;
    if (std::exchange(done, true))
        return;
    QByteArray line;
    for (const auto &[key, value] : results)
        line += key + ('=' + value) + ' ';
    say(line + "ms=" + QByteArray::number(Clock.elapsed()));
    QCoreApplication::exit(0);
}

QByteArray n(qint64 number)
{
    return QByteArray::number(number);
}

// How the tool ended a connection: "closed" (end of stream), "reset", or "open".
QByteArray endOf(const QTcpSocket &socket)
{
    if (socket.state() != QAbstractSocket::UnconnectedState)
        return "open";
    return socket.error() == QAbstractSocket::RemoteHostClosedError ? "closed" : "reset";
}

QTcpSocket *connectTo(const QHostAddress &host, quint16 port)
{
    auto *socket = new QTcpSocket(qApp);
    socket->connectToHost(host, port);
    return socket;
}

// COUNT connections at once: each closed once it is up (HOLD_MS 0), or held
// until the tool ends it or HOLD_MS have passed.
void connections(const QHostAddress &host, quint16 port, int count, int holdMs)
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    static int connected = 0, refused = 0, failed = 0, ended = 0, unresolved = count;
    static qint64 lastEndMs = -1;
    const auto report = [count] {
        finish({{"opened", n(count)}, {"connected", n(connected)}, {"refused", n(refused)}, {"failed", n(failed)},
                {"unresolved", n(unresolved)}, {"still_open", n(connected - ended)}, {"last_end_ms", n(lastEndMs)}});
    };
    for (int k = 0; k < count; ++k) {
        QTcpSocket *socket = connectTo(host, port);
        QObject::connect(socket, &QTcpSocket::connected, socket, [socket, holdMs] {
            socket->setProperty("up", true);
            ++connected, --unresolved;
            if (holdMs == 0)
                socket->disconnect(), socket->abort(), ++ended;
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, [] { ++ended, lastEndMs = Clock.elapsed(); });
        // A connection the system completed while the tool's queue of callers was
        // full is reset once the tool stops listening; that is a refusal too.
        QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [socket](QAbstractSocket::SocketError e) {
            if (socket->property("up").toBool())
                return;
            --unresolved;
            ++(e == QAbstractSocket::ConnectionRefusedError || e == QAbstractSocket::RemoteHostClosedError ? refused
                                                                                                             : failed);
        });
    }
    auto *poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [report, holdMs] {
        const bool settled = unresolved == 0 && (holdMs == 0 || ended == connected);
        if (settled || Clock.elapsed() > (holdMs > 0 ? holdMs : DeadlineMs))
            report();
    });
    poll->start(50);
}

// Sends the bytes, all at once or one every gapMs, until the tool ends the connection.
void send(const QHostAddress &host, quint16 port, const QByteArray &bytes, int gapMs, int waitMs)
{
    QTcpSocket *socket = connectTo(host, port);
    if (!socket->waitForConnected(DeadlineMs))
        return finish({{"connected", "0"}});
    static qint64 sent = 0;
    const auto report = [socket, bytes] {
        finish({{"connected", "1"}, {"sent", n(sent)}, {"of", n(bytes.size())}, {"ended", endOf(*socket)}});
    };
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [](qint64 n) { sent += n; });
    QObject::connect(socket, &QTcpSocket::disconnected, qApp, report, Qt::QueuedConnection);
    QObject::connect(socket, &QTcpSocket::errorOccurred, qApp, report, Qt::QueuedConnection);
    if (gapMs == 0) {
        socket->write(bytes);
        socket->waitForBytesWritten(DeadlineMs);
        say("ready");
    } else {
        auto *tick = new QTimer(socket);
        QObject::connect(tick, &QTimer::timeout, socket, [socket, tick, bytes] {
            if (sent < bytes.size() && socket->bytesToWrite() == 0)
                socket->write(bytes.mid(sent, 1));
            else if (sent >= bytes.size())
                tick->stop();
        });
        tick->start(gapMs);
        socket->write(bytes.left(1));
    }
    QTimer::singleShot(waitMs, qApp, report);
}

void reset(const QHostAddress &host, quint16 port, const QByteArray &reply, int cut)
{
    auto *server = new QTcpServer(qApp);
    if (!server->listen(host, port))
        return finish({{"accepted", "0"}});
    say("ready");
    QObject::connect(server, &QTcpServer::newConnection, qApp, [server, reply, cut] {
        QTcpSocket *socket = server->nextPendingConnection();
        server->close();
        // The request: the preamble and as many bytes as its length byte says.
        while (socket->bytesAvailable() < 5 || socket->bytesAvailable() < 2 + quint8(socket->peek(5).at(4)))
            if (!socket->waitForReadyRead(DeadlineMs))
                break;
        const qint64 request = socket->readAll().size();
        socket->write(reply.left(cut));
        socket->waitForBytesWritten(DeadlineMs);
        // Closing with a zero linger time resets the connection instead of ending it.
        const linger abrupt{1, 0};
        setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
        socket->abort();
        finish({{"accepted", "1"}, {"request_bytes", n(request)}, {"sent", n(qMin<qsizetype>(cut, reply.size()))}});
    });
    QTimer::singleShot(DeadlineMs, qApp, [] { finish({{"accepted", "0"}}); });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    const QString mode = a.value(1);
    const QHostAddress host(a.value(2));
    const quint16 port = quint16(a.value(3).toUInt());
    const int number = a.value(5).toInt();
    Clock.start();
    if (mode == "burst" && a.size() == 5)
        connections(host, port, a[4].toInt(), 0);
    else if (mode == "silent" && a.size() == 6)
        connections(host, port, a[4].toInt(), number);
    else if (mode == "garbage" && a.size() == 5)
    {
        // The same bytes every run.
        QByteArray garbage(a[4].toInt() / 4 * 4, Qt::Uninitialized);
        QRandomGenerator(0x2545F491u).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
        send(host, port, garbage, 0, 10000);
    }
    else if (mode == "trickle" && a.size() == 6)
        send(host, port, QByteArray::fromHex(a[4].toLatin1()), number, number * int(a[4].size()) + 10000);
    else if (mode == "call" && a.size() == 6)
        send(host, port, QByteArray::fromHex(a[4].toLatin1()), 0, number);
    else if (mode == "reset" && a.size() == 6)
        reset(host, port, QByteArray::fromHex(a[4].toLatin1()), number);
    else {
        std::fprintf(stderr, "usage: hostile_peer burst|silent|garbage|trickle|call|reset HOST PORT ...\n");
        return 2;
    }
    return app.exec();
}
