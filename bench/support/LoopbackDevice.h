#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

// A device for the benchmarks: a plain blocking server on its own thread, so
// that it costs the window's thread nothing. It reads a request of
// requestBytes, answers with reply (read at each answer) and waits for the
// caller to close.
class LoopbackDevice
{
public:
    LoopbackDevice(const char *address, quint16 port, int requestBytes, const QByteArray &reply)
        : m_requestBytes(requestBytes), m_reply(reply)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in where{};
        where.sin_family = AF_INET;
        where.sin_port = htons(port);
        ::inet_pton(AF_INET, address, &where.sin_addr);
        m_ok = ::bind(m_fd, reinterpret_cast<sockaddr *>(&where), sizeof where) == 0 && ::listen(m_fd, 16) == 0;
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackDevice()
    {
        m_stop = true;
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        m_thread.join();
    }
    LoopbackDevice(const LoopbackDevice &) = delete;
    LoopbackDevice &operator=(const LoopbackDevice &) = delete;

    bool ok() const { return m_ok; }

private:
    void serve()
    {
        while (!m_stop) {
            const int client = ::accept(m_fd, nullptr, nullptr);
            if (client < 0)
                return;
            char request[64];
            int got = 0;
            while (got < m_requestBytes) {
                const ssize_t n = ::read(client, request + got, sizeof request - got);
                if (n <= 0)
                    break;
                got += static_cast<int>(n);
            }
            if (::write(client, m_reply.constData(), m_reply.size()) != m_reply.size())
                std::fprintf(stderr, "short write\n");
            // The caller closes first, so that the connection's wait after closing stays with it: the tool calls
            // from its own port every time, and loopback lets a caller reuse its side of a closed connection.
            while (::read(client, request, sizeof request) > 0) {
            }
            ::close(client);
        }
    }

    const int m_requestBytes;
    const QByteArray &m_reply;
    int m_fd = -1;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The window's settings file in folder, naming the device on 127.0.0.2 at port as its LAN adapter.
inline bool writeDeviceSettings(const QString &folder, quint16 port)
{
    QFile ini(folder + QStringLiteral("/TessraPrg.ini"));
    return ini.open(QIODevice::WriteOnly)
        && ini.write("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nPort=" + QByteArray::number(port) + "\r\neNumLan=1\r\n")
        > 0;
}
