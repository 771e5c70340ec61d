// The ping and the range scan through the real window: on loopback, and, as
// root, in a test network of its own in network namespaces.

#include "TestMain.h"
#include "TestNetwork.h"
#include "WindowHarness.h"

#include "scan/IcmpSocket.h"

#include <QScopeGuard>

#include <linux/capability.h>
#include <sys/syscall.h>

using namespace WindowHarness;

namespace {
const QByteArray NoGroupMayPing = "1 0";
const QByteArray AllGroupsMayPing = "0 2147483647";
} // namespace

class TestPingScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_network.reset(); }
    void init()
    {
        m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
        QVERIFY(m_w->showAndActivate());
    }
    void cleanup() { m_w.reset(); }
    void singlePing_data();
    void singlePing();
    void scanReportsLikeOneAddressAfterAnother_data();
    void scanReportsLikeOneAddressAfterAnother();
    void unresolvableRangeIsToldOnce();
    void missingPermissionIsExplainedOnce();

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
        for (int i = 0; i < m_w->child<QListWidget>("List2")->count(); ++i)
            lines << m_w->child<QListWidget>("List2")->item(i)->text();
        return lines;
    }

    std::unique_ptr<TestNetwork> m_network;
    QString m_noNetwork;
    std::unique_ptr<Window> m_w;
};

void TestPingScan::initTestCase()
{
    m_noNetwork = TestNetwork::unavailableReason();
    if (m_noNetwork.isEmpty()) {
        m_network = std::make_unique<TestNetwork>();
        if (!m_network->isUp())
            m_noNetwork = "no test network: " + m_network->error(), m_network.reset();
    }
}

void TestPingScan::singlePing_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QByteArray>("pingGroups"); // empty: loopback, outside the test network
    QTest::addColumn<QString>("line");
    QTest::newRow("loopback answers; blanks stay in the line, not in the echo")
        << "127.0.0.1 " << QByteArray() << "Ping to 127.0.0.1  = 0   [ ip success ]";
    QTest::newRow("unreachable network, datagram socket") << "10.73.92.5" << AllGroupsMayPing
                                                          << "Ping to 10.73.92.5 = 11003   [ ip dest host unreachable ]";
    QTest::newRow("broadcast address is not sent to, raw socket")
        << "10.73.91.255" << NoGroupMayPing << "Ping to 10.73.91.255 = 11018   [ ip bad destination ]";
}

void TestPingScan::singlePing()
{
    QFETCH(QString, address);
    QFETCH(QByteArray, pingGroups);
    QFETCH(QString, line);
    if (!pingGroups.isEmpty() && !m_network)
        QSKIP(qPrintable(m_noNetwork));
    if (!pingGroups.isEmpty())
        QVERIFY(TestNetwork::setPingGroupRange(pingGroups));
    if (!IcmpSocket().isOpen())
        QSKIP("this user may open no ICMP socket here (neither CAP_NET_RAW nor net.ipv4.ping_group_range allows it)");
    run("SinglePing", address);
    QCOMPARE(m_w->log(), (QStringList{ListenOn, "send ping", line, "pass...."}));
    QVERIFY(badPings().isEmpty() && m_w->boxes.seen.isEmpty());
}

void TestPingScan::scanReportsLikeOneAddressAfterAnother_data()
{
    QTest::addColumn<QByteArray>("pingGroups");
    QTest::newRow("datagram socket") << AllGroupsMayPing;
    QTest::newRow("raw socket") << NoGroupMayPing;
}

void TestPingScan::scanReportsLikeOneAddressAfterAnother()
{
    QFETCH(QByteArray, pingGroups);
    if (!m_network)
        QSKIP(qPrintable(m_noNetwork));
    QVERIFY(TestNetwork::setPingGroupRange(pingGroups));
    QStringList log = {"scann ip-range ...000 to 255"};
    QStringList missed;
    for (int host = 0; host < 256; ++host) {
        const QString address = TestNetwork::address(host);
        if (QList<int>{1, 100, 200, TestNetwork::ScannerHost}.contains(host))
            log << "Ping to " + address + " = 0   [ ip success ]= TestPing";
        else
            missed << "scann IP " + address + " req timed out";
    }
    log << "sacnn pass.....";
    // Again at once: the answers and late errors of the first scan must not count for the second.
    for (int scan = 0; scan < 2; ++scan) {
        const int before = int(m_w->log().size());
        run("Command1", "10.73.91.7");
        QCOMPARE(m_w->logSince(before), log);
        QCOMPARE(badPings(), missed);
        QCOMPARE(m_w->child<QListWidget>("List2")->currentRow(), missed.size() - 1);
    }
    QVERIFY(m_w->boxes.seen.isEmpty());
}

void TestPingScan::unresolvableRangeIsToldOnce()
{
    // In the test network no name lookup can leave the machine.
    if (!m_network)
        QSKIP(qPrintable(m_noNetwork));
    run("Command1", "10.73..1");
    QCOMPARE(m_w->boxes.seen.size(), 1);
    QCOMPARE(m_w->boxes.seen[0].text, QString("GetHostByName lieferte ungültiges Ergebnis!"));
    QVERIFY(m_w->boxes.seen[0].title == "TessraProg" && m_w->boxes.seen[0].icon == QMessageBox::NoIcon);
    QCOMPARE(badPings().size(), 256);
    QCOMPARE(badPings().last(), QString("scann IP 10.73..255 req timed out"));
    QCOMPARE(m_w->logSince(1), (QStringList{"scann ip-range ...000 to 255", "sacnn pass....."}));
}

void TestPingScan::missingPermissionIsExplainedOnce()
{
    // Either the system refuses this user already, or the test network lets the
    // test take the permission away: no datagram sockets, no raw sockets for this thread.
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2]{}, reduced[2]{};
    bool dropped = false;
    if (!IcmpSocket().permissionRefused()) {
        if (!m_network)
            QSKIP(qPrintable(m_noNetwork));
        QVERIFY(TestNetwork::setPingGroupRange(NoGroupMayPing));
        QVERIFY(::syscall(SYS_capget, &header, saved) == 0);
        std::copy(saved, saved + 2, reduced);
        reduced[CAP_NET_RAW / 32].effective &= ~(1U << (CAP_NET_RAW % 32));
        dropped = ::syscall(SYS_capset, &header, reduced) == 0;
        QVERIFY(dropped && IcmpSocket().permissionRefused());
    }
    const auto restore = qScopeGuard([&] {
        if (dropped)
            ::syscall(SYS_capset, &header, saved);
    });
    run("SinglePing", "127.0.0.1");
    QCOMPARE(m_w->logSince(1), (QStringList{"send ping", "Ping to 127.0.0.1 = 11050   [ ip general failure ]", "pass...."}));
    QCOMPARE(m_w->boxes.seen.size(), 1);
    QVERIFY(m_w->boxes.seen[0].icon == QMessageBox::Warning && m_w->boxes.seen[0].title == "TessraProg");
    QVERIFY(m_w->boxes.seen[0].text.contains("setcap cap_net_raw+ep " + QCoreApplication::applicationFilePath()));
    QVERIFY(m_w->boxes.seen[0].text.contains("sysctl -w net.ipv4.ping_group_range=\"0 2147483647\""));
    run("Command1", "127.0.0.1");
    QCOMPARE(badPings().size(), 256);
    QCOMPARE(m_w->logSince(4), (QStringList{"scann ip-range ...000 to 255", "sacnn pass....."}));
    QCOMPARE(m_w->boxes.seen.size(), 1);
}

TESSRA_TEST(TestPingScan)
#include "tst_PingScan.moc"
