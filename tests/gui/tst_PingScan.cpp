// The ping and the range scan through the real window: on loopback, and, as root, in a test network of its own in
// network namespaces.

#include "TestMain.h"
#include "TestNetwork.h"
#include "WindowHarness.h"

#include "scan/IcmpSocket.h"

#include <QScopeGuard>

#include <sys/syscall.h>

using namespace WindowHarness;

namespace {
const QByteArray NoGroupMayPing = "1 0", AllGroupsMayPing = "0 2147483647";
} // namespace

class TestPingScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if ((m_noNetwork = TestNetwork::unavailableReason()).isEmpty()) {
            m_network = std::make_unique<TestNetwork>();
            if (!m_network->isUp())
                m_noNetwork = "no test network: " + m_network->error(), m_network.reset();
        }
    }
    void cleanupTestCase() { m_network.reset(); }
    void init()
    {
        m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
        QVERIFY(m_w->showAndActivate());
    }
    void cleanup() { m_w.reset(); }
    void singlePing()
    {
        if (!IcmpSocket().isOpen())
            QSKIP(
                "this user may open no ICMP socket here (neither CAP_NET_RAW nor net.ipv4.ping_group_range allows it)");
        // Blanks stay in the line, not in the echo.
        run("SinglePing", "127.0.0.1 ");
        QCOMPARE(m_w->logSince(1), (QStringList{"send ping", "Ping to 127.0.0.1  = 0   [ ip success ]", "pass...."}));
        if (!m_network)
            QSKIP(qPrintable(m_noNetwork));
        // An unreachable network, through a datagram socket; a broadcast address, not sent to, through a raw one.
        QVERIFY(TestNetwork::setPingGroupRange(AllGroupsMayPing));
        run("SinglePing", "10.73.92.5");
        QVERIFY(TestNetwork::setPingGroupRange(NoGroupMayPing));
        run("SinglePing", "10.73.91.255");
        QCOMPARE(m_w->logSince(4),
                 (QStringList{"send ping", "Ping to 10.73.92.5 = 11003   [ ip dest host unreachable ]", "pass....",
                              "send ping", "Ping to 10.73.91.255 = 11018   [ ip bad destination ]", "pass...."}));
        QVERIFY(badPings().isEmpty() && m_w->boxes.seen.isEmpty());
    }
    void scanReportsLikeOneAddressAfterAnother()
    {
        if (!m_network)
            QSKIP(qPrintable(m_noNetwork));
        QStringList log = {"scann ip-range ...000 to 255"}, missed;
        for (int host = 0; host < 256; ++host) {
            const QString address = TestNetwork::address(host);
            if (QList<int>{1, 100, 200, TestNetwork::ScannerHost}.contains(host))
                log << "Ping to " + address + " = 0   [ ip success ]= TestPing";
            else
                missed << "scann IP " + address + " req timed out";
        }
        log << "sacnn pass.....";
        // Through a datagram socket, then a raw one; each twice at once: the answers and late errors of one scan must
        // not count for the next.
        for (const QByteArray &pingGroups : {AllGroupsMayPing, AllGroupsMayPing, NoGroupMayPing, NoGroupMayPing}) {
            QVERIFY(TestNetwork::setPingGroupRange(pingGroups));
            const int before = int(m_w->log().size());
            run("Command1", "10.73.91.7");
            QCOMPARE(m_w->logSince(before), log);
            QCOMPARE(badPings(), missed);
            QCOMPARE(m_w->child<QListWidget>("List2")->currentRow(), missed.size() - 1);
        }
        QVERIFY(m_w->boxes.seen.isEmpty());
        // A range that names no host is told once for the whole scan (in the test network no name lookup can leave the
        // machine).
        run("Command1", "10.73..1");
        QCOMPARE(m_w->boxes.texts(), QStringList{"GetHostByName lieferte ungültiges Ergebnis!"});
        QVERIFY(m_w->boxes.seen[0].title == "TessraProg" && m_w->boxes.seen[0].icon == QMessageBox::NoIcon);
    }
    void missingPermissionIsExplainedOnce()
    {
        // Either the system refuses this user already, or in the test network this thread acts as "nobody" for a while:
        // no group may open datagram sockets, and raw ones need root.
        bool asNobody = false;
        const auto restore = qScopeGuard([&] {
            if (asNobody)
                ::syscall(SYS_setresuid, -1, 0, -1);
        });
        if (!IcmpSocket().permissionRefused()) {
            if (!m_network)
                QSKIP(qPrintable(m_noNetwork));
            QVERIFY(TestNetwork::setPingGroupRange(NoGroupMayPing));
            // Only this thread: the raw system call, not the C library's call that changes every thread.
            asNobody = ::syscall(SYS_setresuid, -1, 65534, -1) == 0;
            QVERIFY(asNobody && IcmpSocket().permissionRefused());
        }
        run("SinglePing", "127.0.0.1");
        QCOMPARE(m_w->logSince(1), (QStringList{"send ping", "Ping to 127.0.0.1 = 11050   [ ip general failure ]",
                                                "pass...."}));
        QCOMPARE(m_w->boxes.seen.size(), 1);
        QVERIFY(m_w->boxes.seen[0].icon == QMessageBox::Warning && m_w->boxes.seen[0].title == "TessraProg");
        QVERIFY(m_w->boxes.seen[0].text.contains("setcap cap_net_raw+ep " + QCoreApplication::applicationFilePath())
                && m_w->boxes.seen[0].text.contains("sysctl -w net.ipv4.ping_group_range=\"0 2147483647\""));
        // The next refused round is told in the log only.
        run("Command1", "127.0.0.1");
        QCOMPARE(badPings().size(), 256);
        QCOMPARE(m_w->logSince(4), (QStringList{"scann ip-range ...000 to 255", "sacnn pass....."}));
        QCOMPARE(m_w->boxes.seen.size(), 1);
    }

private:
    // Runs a ping or a scan from the address fields and waits for its end.
    void run(const QString &button, const QString &address)
    {
        for (int i = 0; i < 4; ++i)
            m_w->child<QLineEdit>(QString("Text1(%1)").arg(i))->setText(address.section('.', i, i));
        m_w->click(button);
        // The click has returned while the echoes are still out: the window serves its events meanwhile.
        QVERIFY(!m_w->controlsEnabled());
        QTRY_VERIFY(m_w->controlsEnabled());
    }
    QStringList badPings() const
    {
        QStringList lines;
        for (const QListWidgetItem *item : m_w->child<QListWidget>("List2")->findItems("*", Qt::MatchWildcard))
            lines << item->text();
        return lines;
    }

    std::unique_ptr<TestNetwork> m_network;
    QString m_noNetwork;
    std::unique_ptr<Window> m_w;
};

TESSRA_TEST(TestPingScan)
#include "tst_PingScan.moc"
