#pragma once

// A device on loopback that speaks the protocol's framing: it takes one request per connection (2 + length byte bytes),
// keeps it, and answers with what was queued for it: at once or late, whole or byte by byte, closing or resetting the
// connection after it, or, like the radio/LAN gateway, by dropping the caller and calling the tool back. With nothing
// queued it stays silent.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <deque>
#include <memory>

class DevicePeer : public QObject
{
public:
    struct Answer
    {
        QByteArray bytes;
        int delayMs = 0;
        bool bytewise = false; // one byte per segment, GapMs apart
        bool closeAfter = false;
        bool callBack = false; // drops the caller, answers on a connection of its own to the tool
        bool resetAfter = false; // resets the connection instead of closing it
        int splitAt = 0; // the bytes from here on follow SplitPauseMs later
    };

    // The tool listens on 127.0.0.1, on the same port.
    DevicePeer(const QHostAddress &address, quint16 port) : m_port(port)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
        m_server.listen(address, port);
    }

    bool isListening() const { return m_server.isListening(); }
    void answerNext(const Answer &answer) { m_answers.push_back(answer); }
    // Connects to the tool unasked and sends as an answer would once connected.
    void callTool(const Answer &answer)
    {
        auto *socket = new QTcpSocket(this);
        connect(socket, &QTcpSocket::connected, this, [this, socket, answer] { write(socket, answer); });
        socket->connectToHost(QHostAddress::LocalHost, m_port);
    }

    QList<QByteArray> requests;
    QList<quint16> callerPorts;

private:
    static constexpr int GapMs = 20;
    // Longer than the tool waits for the rest of a reply.
    static constexpr int SplitPauseMs = 250;

    void serve(QTcpSocket *socket)
    {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            constexpr int LengthOffset = 4;
            buffer->append(socket->readAll());
            if (buffer->size() <= LengthOffset || buffer->size() < 2 + quint8(buffer->at(LengthOffset)))
                return;
            requests << buffer->left(2 + quint8(buffer->at(LengthOffset)));
            callerPorts << socket->peerPort();
            buffer->clear();
            if (m_answers.empty())
                return;
            const Answer answer = m_answers.front();
            m_answers.pop_front();
            if (!answer.callBack)
                return write(socket, answer);
            socket->disconnectFromHost();
            // The radio round trip takes its time before the gateway calls.
            QTimer::singleShot(answer.delayMs, this, [this, answer] { callTool({answer.bytes}); });
        });
    }

    void write(QTcpSocket *socket, const Answer &answer)
    {
        QPointer<QTcpSocket> target(socket);
        // Each piece with the time it leaves at.
        QList<std::pair<int, QByteArray>> pieces;
        if (answer.bytewise) {
            for (int i = 0; i < answer.bytes.size(); ++i)
                pieces.append({answer.delayMs + i * GapMs, answer.bytes.mid(i, 1)});
        } else if (answer.splitAt > 0) {
            pieces = {{answer.delayMs, answer.bytes.left(answer.splitAt)},
                      {answer.delayMs + SplitPauseMs, answer.bytes.mid(answer.splitAt)}};
        } else {
            pieces = {{answer.delayMs, answer.bytes}};
        }
        for (const auto &timed : pieces) {
            const QByteArray piece = timed.second;
            QTimer::singleShot(timed.first, this, [target, piece] {
                if (target)
                    target->write(piece);
            });
        }
        if (answer.closeAfter || answer.resetAfter)
            QTimer::singleShot(pieces.last().first, this, [target, answer] {
                // With a zero linger time, closing resets the connection instead of ending it.
                const linger abrupt{1, 0};
                if (target && answer.resetAfter)
                    setsockopt(int(target->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
                if (target)
                    target->disconnectFromHost();
            });
    }

    QTcpServer m_server;
    quint16 m_port;
    std::deque<Answer> m_answers;
};
