#include "SimServer.h"

#include "SimFrame.h"

#include <QDateTime>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

QHostAddress hostOf(const Ipv4 &address)
{
    return QHostAddress(ipv4Text(address));
}

QString peerOf(const QTcpSocket *socket)
{
    return QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

quint8 codeOf(const QByteArray &frame)
{
    return Protocol::parseReply(frame).message.header.code;
}

} // namespace

SimServer::SimServer(SimInstallation installation, QObject *parent)
    : QObject(parent), m_installation(std::move(installation))
{
    connect(&m_weather, &QTimer::timeout, this, [this] { deliverAll(m_installation.weatherReports()); });
    connect(&m_drift, &QTimer::timeout, this, [this] { m_installation.drift(); });
    connect(&m_inputs, &QTimer::timeout, this, [this] { deliverAll(m_installation.changeScheduledInputs()); });
}

bool SimServer::start(QString &error)
{
    for (int node = 0; node < m_installation.nodes().size(); ++node) {
        QTcpServer *server = listenFor(node, error);
        if (!server)
            return false;
        m_servers << server;
        const LanAdapter &lan = m_installation.nodes()[node].lan;
        m_serving << Serving{lan.address, lan.port};
    }
    const SimTiming &timing = m_installation.timing();
    const auto startIf = [](QTimer &timer, int intervalMs) {
        if (intervalMs > 0)
            timer.start(intervalMs);
    };
    startIf(m_weather, timing.weatherIntervalMs);
    startIf(m_drift, timing.driftIntervalMs);
    startIf(m_inputs, timing.inputChangeIntervalMs);
    // Commands come from a terminal or a pipe; without standard input there are none.
    if (fcntl(STDIN_FILENO, F_GETFD) != -1) {
        m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_stdin, &QSocketNotifier::activated, this, &SimServer::readCommands);
    }
    for (const QString &line : m_installation.describe())
        log(line);
    log(QStringLiteral("ready; \"help\" on standard input lists the commands"));
    return true;
}

QTcpServer *SimServer::listenFor(int node, QString &error)
{
    const LanAdapter &lan = m_installation.nodes()[node].lan;
    auto *server = new QTcpServer(this);
    if (!server->listen(hostOf(lan.address), lan.port)) {
        error = QStringLiteral("%1 cannot serve on %2 port %3: %4")
                    .arg(m_installation.nodeName(node), ipv4Text(lan.address))
                    .arg(lan.port)
                    .arg(server->errorString());
        delete server;
        return nullptr;
    }
    connect(server, &QTcpServer::newConnection, this, [this, server, node] {
        while (QTcpSocket *socket = server->nextPendingConnection())
            serve(node, socket);
    });
    return server;
}

void SimServer::serve(int node, QTcpSocket *socket)
{
    socket->setParent(this); // outlives its server when the device moves
    auto reader = std::make_shared<FrameReader>();
    const QString caller = peerOf(socket); // also for what is logged after the connection ended
    connect(socket, &QTcpSocket::readyRead, this, [this, node, socket, reader, caller] {
        for (const FrameReader::Piece &piece : reader->append(socket->readAll()))
            handle(node, socket, caller, piece);
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, node, socket, reader, caller] {
        for (const FrameReader::Piece &piece : reader->finish())
            handle(node, socket, caller, piece);
        socket->deleteLater();
    });
}

void SimServer::handle(int node, QTcpSocket *socket, const QString &caller, const FrameReader::Piece &piece)
{
    const QString hex = SimFrame::hexDump(piece.bytes);
    if (!piece.fault.isEmpty()) {
        log(QStringLiteral("%1 <- %2  ignored, %3: %4").arg(who(node), caller, piece.fault, hex));
        return;
    }
    const SimInstallation::Handling h = m_installation.receive(node, piece.bytes);
    if (h.ignored) {
        const QString request = h.request.isEmpty() ? QString() : h.request + QStringLiteral(" ");
        log(QStringLiteral("%1 <- %2  %3ignored, %4: %5").arg(who(node), caller, request, h.note, hex));
        return;
    }
    log(QStringLiteral("%1 <- %2  %3: %4").arg(who(node), caller, h.request, hex));
    if (h.relayed) {
        // The gateway relays by radio; the answer comes later on a call of its own.
        const QHostAddress tool = socket->peerAddress();
        const quint16 port = m_installation.nodes()[node].lan.port; // the tool listens where it called
        socket->disconnectFromHost();
        if (h.reply.isEmpty()) {
            log(QStringLiteral("%1  %2; dropped the caller, nothing to call back").arg(who(node), h.note));
            return;
        }
        const int delayMs = m_installation.timing().callBackDelayMs;
        log(QStringLiteral("%1  %2; dropped the caller, calls %3:%4 back in %5 ms")
                .arg(who(node), h.note, tool.toString())
                .arg(port)
                .arg(delayMs));
        const SimInstallation::Outgoing outgoing{node, h.reply, {}, port, QStringLiteral("call-back")};
        QTimer::singleShot(delayMs, this, [this, outgoing, tool, port] {
            deliver(outgoing, tool, port, outgoing.what, DeliveryAttempts);
        });
        return;
    }
    if (h.reply.isEmpty()) {
        log(QStringLiteral("%1  %2, no reply").arg(who(node), h.note));
        return;
    }
    if (socket->state() == QAbstractSocket::ConnectedState)
        socket->write(h.reply);
    log(QStringLiteral("%1 -> %2  %3, reply %4: %5")
            .arg(who(node), caller, h.note)
            .arg(codeOf(h.reply))
            .arg(SimFrame::hexDump(h.reply)));
    if (h.moved)
        move(node);
}

void SimServer::move(int node)
{
    // The adapter boots with its new address; the connection of the exchange stays until the tool closes it.
    QString error;
    QTcpServer *moved = listenFor(node, error);
    if (!moved) {
        const Serving &was = m_serving[node];
        m_installation.restoreAddress(node, was.address, was.port);
        log(QStringLiteral("%1; stays on %2 port %3").arg(error, ipv4Text(was.address)).arg(was.port));
        return;
    }
    delete m_servers[node];
    m_servers[node] = moved;
    const LanAdapter &lan = m_installation.nodes()[node].lan;
    m_serving[node] = {lan.address, lan.port};
    log(QStringLiteral("%1 now serves on %2 port %3")
            .arg(m_installation.nodeName(node), moved->serverAddress().toString())
            .arg(moved->serverPort()));
}

void SimServer::deliverAll(const QList<SimInstallation::Outgoing> &outgoing)
{
    for (const SimInstallation::Outgoing &o : outgoing)
        deliver(o, hostOf(o.destination), o.port, o.what, DeliveryAttempts);
}

void SimServer::deliver(const SimInstallation::Outgoing &outgoing, const QHostAddress &to, quint16 port,
                        const QString &what, int attemptsLeft)
{
    auto *socket = new QTcpSocket(this);
    const QString target = QStringLiteral("%1:%2").arg(to.toString()).arg(port);
    // A device calls from its own address.
    socket->bind(hostOf(m_installation.nodes()[outgoing.node].lan.address));
    auto reached = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::connected, this, [this, socket, outgoing, target, what, reached] {
        *reached = true;
        socket->write(outgoing.frame);
        log(QStringLiteral("%1 -> %2  %3, frame %4: %5")
                .arg(who(outgoing.node), target, what)
                .arg(codeOf(outgoing.frame))
                .arg(SimFrame::hexDump(outgoing.frame)));
        // The tool closes the connection once it has decoded the frame.
        QTimer::singleShot(HoldConnectionMs, socket, [socket] { socket->abort(); });
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::errorOccurred, this,
            [this, socket, outgoing, to, port, target, what, attemptsLeft, reached] {
                if (*reached)
                    return; // the tool closing after the frame
                const QString reason = socket->errorString();
                socket->deleteLater();
                if (attemptsLeft <= 1) {
                    log(QStringLiteral("%1  cannot reach %2 (%3); %4 dropped")
                            .arg(who(outgoing.node), target, reason, what));
                    return;
                }
                log(QStringLiteral("%1  cannot reach %2 (%3); tries again in %4 ms")
                        .arg(who(outgoing.node), target, reason)
                        .arg(RetryDelayMs));
                QTimer::singleShot(RetryDelayMs, this, [this, outgoing, to, port, what, attemptsLeft] {
                    deliver(outgoing, to, port, what, attemptsLeft - 1);
                });
            });
    socket->connectToHost(to, port);
}

void SimServer::readCommands()
{
    constexpr int ChunkSize = 512;
    char chunk[ChunkSize];
    const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {
        m_stdin->setEnabled(false); // the end of the input ends the commands, not the installation
        return;
    }
    m_commandLine.append(chunk, got);
    qsizetype end;
    while ((end = m_commandLine.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_commandLine.left(end));
        m_commandLine.remove(0, end + 1);
        const SimInstallation::CommandResult result = m_installation.runCommand(line);
        for (const QString &text : result.lines)
            log(text);
        deliverAll(result.outgoing);
    }
    constexpr int LongestCommand = 1024;
    if (m_commandLine.size() > LongestCommand)
        m_commandLine.clear();
}

QString SimServer::who(int node) const
{
    const LanAdapter &lan = m_installation.nodes()[node].lan;
    return QStringLiteral("%1 (%2:%3)").arg(m_installation.nodeName(node), ipv4Text(lan.address)).arg(lan.port);
}

void SimServer::log(const QString &line)
{
    const QByteArray text = QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")).toUtf8() + "  "
        + line.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout); // seen at once, also through a pipe
}
