#pragma once

// A network of its own for the ping tests and the scan benchmark. The calling thread moves into a fresh network
// namespace, the scanner (10.73.91.254/24), whose veth link leads to a second namespace holding the live hosts of
// 10.73.91.0/24. Host .1 routes to 10.73.92.0/24 and reports that network unreachable. Nothing sent there leaves
// the two namespaces, which are removed again at the end. Needs root and the ip tool (iproute2).

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

class TestNetwork
{
public:
    static constexpr const char *Prefix = "10.73.91";
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
        const QString scanner = "-n " + m_scanner, hosts = "-n " + m_hosts;
        QStringList steps = {"netns add " + m_scanner, "netns add " + m_hosts, scanner + " link set lo up",
                             hosts + " link set lo up",
                             scanner + " link add veth0 type veth peer name veth1 netns " + m_hosts,
                             scanner + " address add " + address(ScannerHost) + "/24 dev veth0"};
        for (int host : liveHosts)
            steps << hosts + " address add " + address(host) + "/24 dev veth1";
        steps << scanner + " link set veth0 up" << hosts + " link set veth1 up"
              << hosts + " route add unreachable 10.73.92.0/24"
              << scanner + " route add 10.73.92.0/24 via " + address(liveHosts.value(0, 1));
        for (const QString &step : steps) {
            if (!ip(step.split(' ')))
                return;
        }
        if (!ip({"netns", "exec", m_hosts, "sh", "-c", "echo 1 > /proc/sys/net/ipv4/ip_forward"}))
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
        ip({"netns", "delete", m_scanner});
        ip({"netns", "delete", m_hosts});
    }

    TestNetwork(const TestNetwork &) = delete;
    TestNetwork &operator=(const TestNetwork &) = delete;

    bool isUp() const { return m_inside; }
    QString error() const { return m_error; }
    static QString address(int host) { return QStringLiteral("%1.%2").arg(Prefix).arg(host); }

    // Which groups may open ICMP datagram sockets in the scanner's namespace: "1 0" none, "0 2147483647" all.
    static bool setPingGroupRange(const QByteArray &range)
    {
        QFile setting(QStringLiteral("/proc/sys/net/ipv4/ping_group_range"));
        return setting.open(QIODevice::WriteOnly) && setting.write(range) == range.size();
    }

private:
    bool ip(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("ip"), arguments);
        if (process.waitForFinished() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return true;
        if (m_error.isEmpty())
            m_error = "ip " + arguments.join(' ') + ": " + QString::fromLocal8Bit(process.readAll()).trimmed();
        return false;
    }

    QString m_scanner, m_hosts, m_error;
    int m_home = -1;
    bool m_inside = false;
};
