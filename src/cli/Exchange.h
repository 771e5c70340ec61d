#pragma once

#include "replies/ReplyAssembler.h"
#include "replies/ReplySnapshot.h"

#include <QHostAddress>
#include <QObject>
#include <QTimer>

class SocketComponent;

// One request and its reply on the socket component, in the window's connection
// cycle: call the target from the port, write the request once, and wait for the
// reply under the window's time-out. A radio device's gateway drops the call and
// calls back on the port, so the port is listened on meanwhile. A caller's
// connection has a time-out of its own, and the request's goes on for the time
// it had left once the caller has gone. Every exchange ends in finished(): a
// reply, the time-out, or a socket error.
class Exchange : public QObject
{
    Q_OBJECT

public:
    enum class End {
        Answered, // a reply was decoded
        Undecodable, // a reply came that the decoder cannot read
        TimedOut,
        Failed, // the target could not be reached, or the port not listened on
    };

    struct Request
    {
        QString host;
        quint16 port = 0;
        bool radio = false;
        bool longTimeout = true; // false: a request that expects no reply
        QByteArray frame;
    };

    Exchange(SocketComponent &socket, const ReplySnapshot &snapshot, QObject *parent = nullptr);

    void start(const Request &request);
    // Ends the exchange under way without a reply.
    void abort();
    bool running() const { return m_running; }
    // Whether the request went out in this exchange.
    bool sent() const { return m_sent; }

signals:
    // The lines the window writes to its event log, in order.
    void logged(const QString &line);
    void frameSent(const QByteArray &frame);
    void replyReceived(const QByteArray &reply);
    // A reply that ended the exchange, as it arrived.
    void replied(const QByteArray &reply);
    void finished(Exchange::End end);
    // A caller that is not of the installation was turned away unread.
    void refused(const QHostAddress &caller);

private:
    void socketWritable();
    void callerConnecting(qintptr handle);
    void dataArrived();
    void peerClosed();
    void socketError(int code, const QString &description);
    void timedOut();
    bool decodeReply();
    void listen();
    void endCallTimeout();
    void finish(End end);

    SocketComponent &m_socket;
    const ReplySnapshot m_snapshot;
    Request m_request;
    ReplyAssembler m_reply;
    QTimer m_timeout;
    QTimer m_replyIdle;
    bool m_running = false;
    bool m_sent = false;
    bool m_callTimeout = false;
    int m_requestTimeoutLeft = -1;
};
