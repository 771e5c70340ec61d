#pragma once

// A device on loopback that speaks the protocol's framing: it takes one
// request per connection (2 + length byte bytes), keeps it, and answers as it
// is told: at once or late, whole or byte by byte, not at all, with blanks, or,
// like the radio/LAN gateway, by dropping the caller and calling the tool back.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <memory>

class DevicePeer : public QObject
{
public:
    struct Answer
    {
        QByteArray bytes;
        int delayMs = 0;
        // Sends one byte per segment, this far apart.
        bool bytewise = false;
        int gapMs = 20;
        // Closes the connection after the answer.
        bool closeAfter = false;
        // Like the gateway: closes the caller's connection and delivers the
        // answer on a connection of its own to the tool.
        bool callBack = false;
        // Accepts the request but never answers and never closes.
        bool silent = false;
    };

    DevicePeer(const QHostAddress &address, quint16 port)
        : m_address(address)
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
        m_server.listen(address, port);
    }

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }

    // Where a call-back goes: the tool's listening address and port.
    void setToolAddress(const QHostAddress &address, quint16 port)
    {
        m_toolAddress = address;
        m_toolPort = port;
    }

    void answerNext(const Answer &answer) { m_answers.push_back(answer); }

    // Connects to the tool on its own and, once connected, sends bytes as an answer would.
    void callTool(const Answer &answer) { deliver(connectToTool(), answer); }

    QList<QByteArray> requests;
    QList<quint16> callerPorts;
    int callBacks = 0;

private:
    static int requestLength(const QByteArray &bytes)
    {
        constexpr int LengthOffset = 4;
        constexpr int PreambleLength = 2;
        if (bytes.size() <= LengthOffset)
            return -1;
        return PreambleLength + static_cast<quint8>(bytes[LengthOffset]);
    }

    void serve(QTcpSocket *socket)
    {
        socket->setParent(this);
        // Lives as long as the connection: its slot goes when the socket or the peer goes.
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            const int length = requestLength(*buffer);
            if (length < 0 || buffer->size() < length)
                return;
            requests << buffer->left(length);
            callerPorts << socket->peerPort();
            buffer->clear();
            if (m_answers.empty())
                return;
            const Answer answer = m_answers.front();
            m_answers.pop_front();
            if (answer.callBack) {
                // The radio round trip takes its time before the gateway calls.
                socket->disconnectFromHost();
                ++callBacks;
                QTimer::singleShot(answer.delayMs, this, [this, answer] {
                    Answer now = answer;
                    now.delayMs = 0;
                    deliver(connectToTool(), now);
                });
            } else {
                deliver(socket, answer);
            }
        });
    }

    QTcpSocket *connectToTool()
    {
        auto *socket = new QTcpSocket(this);
        socket->connectToHost(m_toolAddress, m_toolPort);
        return socket;
    }

    void deliver(QTcpSocket *socket, const Answer &answer)
    {
        if (answer.silent)
            return;
        QPointer<QTcpSocket> target(socket);
        QTimer::singleShot(answer.delayMs, this, [this, target, answer] {
            if (!target)
                return;
            if (target->state() != QAbstractSocket::ConnectedState) {
                // Not up yet: try again once it is.
                connect(target, &QTcpSocket::connected, this, [this, target, answer] {
                    Answer now = answer;
                    now.delayMs = 0;
                    deliver(target, now);
                }, Qt::SingleShotConnection);
                return;
            }
            if (!answer.bytewise) {
                target->write(answer.bytes);
                if (answer.closeAfter)
                    target->disconnectFromHost();
                return;
            }
            for (int i = 0; i < answer.bytes.size(); ++i) {
                QTimer::singleShot(i * answer.gapMs, this, [target, byte = answer.bytes.mid(i, 1)] {
                    if (target)
                        target->write(byte);
                });
            }
            if (answer.closeAfter)
                QTimer::singleShot(int(answer.bytes.size()) * answer.gapMs, this, [target] {
                    if (target)
                        target->disconnectFromHost();
                });
        });
    }

    QTcpServer m_server;
    QHostAddress m_address;
    QHostAddress m_toolAddress = QHostAddress::LocalHost;
    quint16 m_toolPort = 0;
    std::deque<Answer> m_answers;
};
