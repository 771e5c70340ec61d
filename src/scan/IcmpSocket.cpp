#include "scan/IcmpSocket.h"

#include <cerrno>
#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Room for a whole /24 of requests, which the system holds for seconds while
// it waits for absent hosts' link addresses, and for as many answers at once.
// The system caps it at its own limit.
constexpr int SocketBufferBytes = 1 << 20;
// An IPv4 datagram is never larger.
constexpr int DatagramMax = 65535;
constexpr int ControlBytes = 512;

bool refused(int error)
{
    return error == EPERM || error == EACCES;
}

} // namespace

IcmpSocket::IcmpSocket()
{
    if (openDatagram() || openRaw())
        enlargeBuffers();
}

IcmpSocket::~IcmpSocket()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

bool IcmpSocket::openDatagram()
{
    m_descriptor = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (m_descriptor < 0)
        return false;
    m_kind = Kind::Datagram;
    // The system picks the identifier when the socket is bound; errors about
    // the requests come back on the error queue.
    sockaddr_in local{};
    local.sin_family = AF_INET;
    socklen_t length = sizeof local;
    const int on = 1;
    if (::bind(m_descriptor, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0
        || ::getsockname(m_descriptor, reinterpret_cast<sockaddr *>(&local), &length) != 0
        || ::setsockopt(m_descriptor, IPPROTO_IP, IP_RECVERR, &on, sizeof on) != 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
        return false;
    }
    m_identifier = ntohs(local.sin_port);
    return true;
}

bool IcmpSocket::openRaw()
{
    m_descriptor = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (m_descriptor < 0) {
        m_permissionRefused = refused(errno);
        return false;
    }
    m_kind = Kind::Raw;
    // A raw socket sees every ICMP message of the host; the process id tells
    // this program's requests from other programs'.
    m_identifier = static_cast<quint16>(::getpid());
    // Only echo replies and the errors that can concern a request are wanted.
    icmp_filter filter{};
    filter.data = ~((1U << ICMP_ECHOREPLY) | (1U << ICMP_DEST_UNREACH) | (1U << ICMP_SOURCE_QUENCH)
                    | (1U << ICMP_TIME_EXCEEDED) | (1U << ICMP_PARAMETERPROB));
    // Without the filter every message is read and sorted out here.
    (void)::setsockopt(m_descriptor, SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    return true;
}

void IcmpSocket::enlargeBuffers() const
{
    // A smaller buffer than asked for still serves; the system caps the size.
    (void)::setsockopt(m_descriptor, SOL_SOCKET, SO_SNDBUF, &SocketBufferBytes, sizeof SocketBufferBytes);
    (void)::setsockopt(m_descriptor, SOL_SOCKET, SO_RCVBUF, &SocketBufferBytes, sizeof SocketBufferBytes);
}

int IcmpSocket::send(quint32 address, const QByteArray &request) const
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = address;
    const ssize_t sent = ::sendto(m_descriptor, request.constData(), static_cast<size_t>(request.size()), 0,
                                  reinterpret_cast<const sockaddr *>(&destination), sizeof destination);
    return sent < 0 ? errno : 0;
}

QList<IcmpMessage::Answer> IcmpSocket::takeAnswers(const QByteArray &payload) const
{
    QList<IcmpMessage::Answer> answers;
    const IcmpMessage::Framing framing =
        m_kind == Kind::Raw ? IcmpMessage::Framing::WithIpHeader : IcmpMessage::Framing::IcmpOnly;
    QByteArray buffer(DatagramMax, '\0');
    for (;;) {
        const ssize_t received = ::recv(m_descriptor, buffer.data(), static_cast<size_t>(buffer.size()), 0);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            // Nothing more now; a pending socket error is cleared by reading it.
            break;
        }
        if (auto answer = IcmpMessage::readAnswer(buffer.first(received), framing, m_identifier, payload))
            answers << *answer;
    }
    if (m_kind == Kind::Datagram)
        takeRefusals(payload, answers);
    return answers;
}

void IcmpSocket::takeRefusals(const QByteArray &payload, QList<IcmpMessage::Answer> &answers) const
{
    QByteArray request(DatagramMax, '\0');
    char control[ControlBytes];
    for (;;) {
        iovec part{request.data(), static_cast<size_t>(request.size())};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t received = ::recvmsg(m_descriptor, &message, MSG_ERRQUEUE);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (cmsghdr *header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_RECVERR)
                continue;
            const auto *error = reinterpret_cast<const sock_extended_err *>(CMSG_DATA(header));
            // Errors that the system raised itself were already told when sending.
            if (error->ee_origin != SO_EE_ORIGIN_ICMP)
                continue;
            if (auto answer = IcmpMessage::readRefusal(request.first(received), error->ee_type, error->ee_code,
                                                       m_identifier, payload))
                answers << *answer;
        }
    }
}
