#pragma once

// A network of its own for the ping tests and the scan benchmark. The calling thread moves into a fresh network
// namespace, the scanner (10.73.91.254/24), whose veth link leads to a second namespace holding the live hosts of
// 10.73.91.0/24. Host .1 routes to 10.73.92.0/24 and reports that network unreachable. Nothing sent there leaves
// the two namespaces, which are removed again at the end. Needs root and the ip tool (iproute2).

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

class TestNetwork
{
public:
    static constexpr const char *Prefix = "10.73.91";
    static constexpr const char *RoutedPrefix = "10.73.92";
    static constexpr int ScannerHost = 254;

    // Why no test network can be built here; empty when one can.
    static QString unavailableReason()
    {
        if (::geteuid() != 0)
            return QStringLiteral("building a test network in network namespaces needs root");
        if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
            return QStringLiteral("building a test network needs the ip tool (iproute2)");
        return QString();
    }

    explicit TestNetwork(const QList<int> &liveHosts = {1, 100, 200})
    {
        static int built = 0;
        const QString tag = QStringLiteral("%1-%2").arg(::getpid()).arg(++built);
        m_scanner = "tessra-scan-" + tag;
        m_hosts = "tessra-hosts-" + tag;
        // %1 is the scanner's namespace, %2 the hosts'; the first step that fails ends the script.
        QString script = "set -e; ip netns add %1; ip netns add %2; ip -n %1 link set lo up; ip -n %2 link set lo up; "
                         "ip -n %1 link add veth0 type veth peer name veth1 netns %2; "
                         "ip -n %1 address add %3/24 dev veth0; ";
        for (int host : liveHosts)
            script += "ip -n %2 address add " + address(host) + "/24 dev veth1; ";
        script += "ip -n %1 link set veth0 up; ip -n %2 link set veth1 up; "
                  "ip -n %2 route add unreachable 10.73.92.0/24; ip -n %1 route add 10.73.92.0/24 via %4; "
                  "ip netns exec %2 sh -c 'echo 1 > /proc/sys/net/ipv4/ip_forward'";
        if (!shell(script.arg(m_scanner, m_hosts, address(ScannerHost), address(liveHosts.value(0, 1)))))
            return;
        m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        const int inside = ::open(qPrintable("/run/netns/" + m_scanner), O_RDONLY | O_CLOEXEC);
        m_inside = m_home >= 0 && inside >= 0 && ::setns(inside, CLONE_NEWNET) == 0;
        m_error = m_inside ? QString() : "cannot enter namespace " + m_scanner;
        if (inside >= 0)
            ::close(inside);
    }

    ~TestNetwork()
    {
        if (m_inside)
            ::setns(m_home, CLONE_NEWNET);
        if (m_home >= 0)
            ::close(m_home);
        shell(QStringLiteral("ip netns delete %1; ip netns delete %2").arg(m_scanner, m_hosts));
    }

    TestNetwork(const TestNetwork &) = delete;
    TestNetwork &operator=(const TestNetwork &) = delete;

    bool isUp() const { return m_inside; }
    QString error() const { return m_error; }
    static QString address(int host) { return QStringLiteral("%1.%2").arg(Prefix).arg(host); }
    // The namespace of the live hosts, for "ip netns exec".
    QString hostsNamespace() const { return m_hosts; }
    static QString routedAddress(int host) { return QStringLiteral("%1.%2").arg(RoutedPrefix).arg(host); }

    // Hosts of the routed network after all, behind host .1: callers from a network the scanner is not on.
    bool addRoutedHosts(const QList<int> &hosts)
    {
        QString script = QStringLiteral("set -e; ");
        for (int host : hosts)
            script += "ip -n " + m_hosts + " address add " + routedAddress(host) + "/32 dev lo; ";
        return shell(script);
    }

    // A TCP socket on the hosts' side, bound to one of their addresses, not yet connected; -1 if it cannot be made.
    int hostSocket(const QString &from)
    {
        const int hosts = ::open(qPrintable("/run/netns/" + m_hosts), O_RDONLY | O_CLOEXEC);
        const int scanner = ::open(qPrintable("/run/netns/" + m_scanner), O_RDONLY | O_CLOEXEC);
        int fd = -1;
        // A socket stays in the namespace it was made in.
        if (hosts >= 0 && scanner >= 0 && ::setns(hosts, CLONE_NEWNET) == 0) {
            fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            if (::setns(scanner, CLONE_NEWNET) != 0)
                qFatal("cannot return to namespace %s", qPrintable(m_scanner));
        }
        sockaddr_in source{};
        source.sin_family = AF_INET;
        if (fd >= 0 && (::inet_pton(AF_INET, qPrintable(from), &source.sin_addr) != 1
                        || ::bind(fd, reinterpret_cast<sockaddr *>(&source), sizeof source) != 0)) {
            ::close(fd);
            fd = -1;
        }
        for (int ns : {hosts, scanner}) {
            if (ns >= 0)
                ::close(ns);
        }
        return fd;
    }

    // Which groups may open ICMP datagram sockets in the scanner's namespace: "1 0" none, "0 2147483647" all.
    static bool setPingGroupRange(const QByteArray &range)
    {
        QFile setting(QStringLiteral("/proc/sys/net/ipv4/ping_group_range"));
        return setting.open(QIODevice::WriteOnly) && setting.write(range) == range.size();
    }

private:
    bool shell(const QString &script)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("sh"), {QStringLiteral("-c"), script});
        if (process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return true;
        m_error = QString::fromLocal8Bit(process.readAll()).trimmed();
        return false;
    }

    QString m_scanner, m_hosts, m_error;
    int m_home = -1;
    bool m_inside = false;
};
