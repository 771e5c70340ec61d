#include "cli/Exchange.h"

#include "link/ConnectionCycle.h"
#include "link/PeerFilter.h"
#include "link/SocketComponent.h"
#include "replies/ReplyDecoder.h"

using namespace ConnectionCycle;

namespace {

constexpr int CallTimeoutMs = FunkTimeoutFactor * RxTimeoutMs;

} // namespace

Exchange::Exchange(SocketComponent &socket, const ReplySnapshot &snapshot, QObject *parent)
    : QObject(parent), m_socket(socket), m_snapshot(snapshot)
{
    m_timeout.setSingleShot(true);
    m_replyIdle.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &Exchange::timedOut);
    connect(&m_replyIdle, &QTimer::timeout, this, [this] {
        if (m_reply.idleElapsed() == ReplyAssembler::Progress::Complete)
            decodeReply();
    });
    connect(&m_socket, &SocketComponent::readyToWrite, this, &Exchange::socketWritable);
    connect(&m_socket, &SocketComponent::accepting, this, &Exchange::callerConnecting);
    connect(&m_socket, &SocketComponent::dataArrived, this, &Exchange::dataArrived);
    connect(&m_socket, &SocketComponent::disconnected, this, &Exchange::peerClosed);
    connect(&m_socket, &SocketComponent::errorOccurred, this, &Exchange::socketError);
}

void Exchange::start(const Request &request)
{
    m_request = request;
    m_running = true;
    m_sent = false;
    m_callTimeout = false;
    m_requestTimeoutLeft = -1;
    m_socket.disconnectSocket();
    m_socket.setBlocking(false);
    m_socket.setProtocol(SocketComponent::ProtocolTcp);
    m_socket.setLocalPort(request.port);
    m_socket.setRemotePort(request.port);
    int timeout = request.radio ? FunkTimeoutFactor * RxTimeoutMs : RxTimeoutMs;
    if (!request.longTimeout)
        timeout = ShortReplyTimeoutMs;
    m_timeout.start(timeout);
    m_replyIdle.stop();
    m_reply.take();
    m_socket.connectToHost(request.host);
}

void Exchange::abort()
{
    if (m_running)
        finish(End::Failed);
}

void Exchange::socketWritable()
{
    if (!m_running || m_sent)
        return;
    if (!m_socket.write(m_request.frame)) {
        emit logged(ServerUnreachable);
        finish(End::Failed);
        return;
    }
    m_sent = true;
    emit frameSent(m_request.frame);
    // The gateway relays the request by radio and calls back with the reply.
    if (m_request.radio) {
        m_socket.disconnectSocket();
        listen();
    }
}

void Exchange::listen()
{
    if (m_socket.listen() != SocketComponent::ListenOk) {
        emit logged(ListenFailed);
        finish(End::Failed);
        return;
    }
    emit logged(ListenOn);
}

void Exchange::callerConnecting(qintptr handle)
{
    if (!m_running)
        return;
    // Served as the window serves: the target itself (the device, or the gateway calling back), loopback and hosts
    // on a local network. Anyone else could put a reply of its own in the device's place.
    const QHostAddress caller = m_socket.callerOf(handle);
    if (!PeerFilter::accepts(caller, m_request.host, m_request.host, PeerFilter::localNetworks())) {
        m_socket.reject(handle);
        emit refused(PeerFilter::plain(caller));
        return;
    }
    // A caller that connects and then says nothing cannot hold the port for good.
    if (!m_callTimeout)
        m_requestTimeoutLeft = m_timeout.isActive() ? m_timeout.remainingTime() : -1;
    m_callTimeout = true;
    m_timeout.start(CallTimeoutMs);
    m_replyIdle.stop();
    m_reply.take();
    m_socket.accept(handle);
}

void Exchange::dataArrived()
{
    const QByteArray segment = m_socket.read();
    if (!m_running)
        return;
    switch (m_reply.segmentArrived(segment)) {
    case ReplyAssembler::Progress::Complete:
        m_replyIdle.stop();
        decodeReply();
        break;
    case ReplyAssembler::Progress::Partial:
        m_replyIdle.start(ReplyAssembler::IdleTimeoutMs);
        break;
    case ReplyAssembler::Progress::Empty:
        break;
    }
}

bool Exchange::decodeReply()
{
    m_replyIdle.stop();
    // The time-out goes on for a reply that does not end the exchange.
    const int remaining = m_timeout.isActive() ? m_timeout.remainingTime() : -1;
    m_timeout.stop();
    const auto resumeTimeout = [this, remaining] {
        if (remaining >= 0)
            m_timeout.start(remaining);
    };
    // Each byte is told once, also where a frame is decoded again with its rest.
    const qsizetype told = m_reply.takenBefore();
    const QByteArray received = m_reply.take();
    emit replyReceived(received.mid(told));
    const ReplyDecoder::DecodedReply decoded = ReplyDecoder::DecodeReply(received, m_snapshot);
    for (const ReplyEffect &effect : decoded.effects) {
        if (const auto *line = std::get_if<ReplyEffects::WriteLog>(&effect))
            emit logged(line->text);
    }
    if (!decoded.closingStepsFollow()) {
        resumeTimeout();
        // Weather data that came without their rest: the rest, when it comes, joins them.
        m_reply.awaitRest(received);
        return false;
    }
    emit replied(received);
    m_socket.disconnectSocket();
    emit logged(ExchangeClosed);
    finish(decoded.end == ReplyDecoder::ReplyEnd::Decoded ? End::Answered : End::Undecodable);
    return true;
}

void Exchange::peerClosed()
{
    if (!m_running)
        return;
    // A peer that closes right after its reply has said all it will say.
    if (m_reply.peerClosed() == ReplyAssembler::Progress::Complete && decodeReply())
        return;
    endCallTimeout();
    m_socket.disconnectSocket();
    m_reply.take();
    listen();
}

// A caller that has closed takes its connection's time-out along.
void Exchange::endCallTimeout()
{
    if (!m_callTimeout)
        return;
    m_callTimeout = false;
    m_timeout.stop();
    if (m_requestTimeoutLeft >= 0)
        m_timeout.start(m_requestTimeoutLeft);
}

void Exchange::socketError(int, const QString &description)
{
    if (!m_running)
        return;
    emit logged(SocketError + description);
    finish(End::Failed);
}

void Exchange::timedOut()
{
    emit logged(ReplyTimedOut);
    finish(End::TimedOut);
}

void Exchange::finish(End end)
{
    m_running = false;
    m_timeout.stop();
    m_replyIdle.stop();
    m_reply.take();
    m_socket.disconnectSocket();
    m_socket.closeSocket();
    emit finished(end);
}
