#pragma once

#include "scan/IcmpMessage.h"

#include <QList>

// One ICMP socket for echo requests, non-blocking: an unprivileged ICMP
// datagram socket where the system allows one, otherwise a raw socket.
class IcmpSocket
{
public:
    enum class Kind { Datagram, Raw };

    IcmpSocket();
    ~IcmpSocket();
    IcmpSocket(const IcmpSocket &) = delete;
    IcmpSocket &operator=(const IcmpSocket &) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    // Neither kind could be opened because the system does not allow this program.
    bool permissionRefused() const { return m_permissionRefused; }
    Kind kind() const { return m_kind; }
    int descriptor() const { return m_descriptor; }
    // The identifier that the echo requests of this socket carry.
    quint16 identifier() const { return m_identifier; }

    // Sends an echo request to an IPv4 address in network byte order; 0 on
    // success, otherwise the system's error number.
    int send(quint32 address, const QByteArray &request) const;

    // Every answer to this socket's echo requests with payload that is waiting
    // now, read without waiting for more.
    QList<IcmpMessage::Answer> takeAnswers(const QByteArray &payload) const;

private:
    bool openDatagram();
    bool openRaw();
    void enlargeBuffers() const;
    void takeRefusals(const QByteArray &payload, QList<IcmpMessage::Answer> &answers) const;

    int m_descriptor = -1;
    Kind m_kind = Kind::Datagram;
    quint16 m_identifier = 0;
    bool m_permissionRefused = false;
};
