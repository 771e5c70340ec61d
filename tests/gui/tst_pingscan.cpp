// The ping and the range scan through the real window: on loopback, and, as
// root, in a test network of its own in network namespaces.

#include "TestMain.h"
#include "TestNetwork.h"
#include "WindowHarness.h"

#include "scan/IcmpSocket.h"
#include "scan/PingReport.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <optional>

#include <linux/capability.h>
#include <sys/syscall.h>

using namespace WindowHarness;

namespace {

const QByteArray NoGroupMayPing = "1 0";
const QByteArray AllGroupsMayPing = "0 2147483647";
constexpr int LogTimeChars = 9;
const char *const NoIcmpSocket =
    "this user may open no ICMP socket here (neither CAP_NET_RAW nor net.ipv4.ping_group_range allows it)";

QStringList texts(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QStringList logTexts(const Window &w)
{
    QStringList lines = texts(w.child<QListWidget>("List1"));
    for (QString &line : lines)
        line.remove(0, LogTimeChars);
    return lines;
}

void setAddress(const Window &w, const QStringList &fields)
{
    for (int i = 0; i < fields.size(); ++i)
        w.child<QLineEdit>(QStringLiteral("Text1(%1)").arg(i))->setText(fields[i]);
}

// Takes the right to open raw sockets from this thread while it lives.
class WithoutRawSockets
{
public:
    WithoutRawSockets()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[CAP_NET_RAW / 32].effective &= ~(1U << (CAP_NET_RAW % 32));
        m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~WithoutRawSockets()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool dropped() const { return m_dropped; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

} // namespace

class TestPingScan : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void singlePing_data();
    void singlePing();
    void scanReportsLikeOneAddressAfterAnother_data();
    void scanReportsLikeOneAddressAfterAnother();
    void unresolvableRangeIsToldOnce();
    void missingPermissionIsExplainedOnce();

private:
    std::unique_ptr<TestNetwork> m_network;
    QString m_noNetwork;
};

void TestPingScan::initTestCase()
{
    m_noNetwork = TestNetwork::unavailableReason();
    if (!m_noNetwork.isEmpty())
        return;
    m_network = std::make_unique<TestNetwork>();
    if (!m_network->isUp()) {
        m_noNetwork = QStringLiteral("no test network: ") + m_network->error();
        m_network.reset();
    }
}

void TestPingScan::cleanupTestCase()
{
    m_network.reset();
}

void TestPingScan::singlePing_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("inTestNetwork");
    QTest::addColumn<QByteArray>("pingGroups");
    QTest::addColumn<QString>("line");
    QTest::newRow("loopback answers") << QStringList{"127", "0", "0", "1"} << false << QByteArray()
                                      << "Ping to 127.0.0.1 = 0   [ ip success ]";
    QTest::newRow("blanks stay in the line, not in the echo")
        << QStringList{"127", "0", "0", "1 "} << false << QByteArray() << "Ping to 127.0.0.1  = 0   [ ip success ]";
    QTest::newRow("absent host times out") << QStringList{"10", "73", "91", "9"} << true << NoGroupMayPing
                                           << "Ping to 10.73.91.9 = 11010   [ ip req timed out ]";
    QTest::newRow("unreachable network, datagram socket")
        << QStringList{"10", "73", "92", "5"} << true << AllGroupsMayPing
        << "Ping to 10.73.92.5 = 11003   [ ip dest host unreachable ]";
    QTest::newRow("unreachable network, raw socket") << QStringList{"10", "73", "92", "5"} << true << NoGroupMayPing
                                                     << "Ping to 10.73.92.5 = 11003   [ ip dest host unreachable ]";
    QTest::newRow("broadcast address is not sent to") << QStringList{"10", "73", "91", "255"} << true
                                                      << AllGroupsMayPing
                                                      << "Ping to 10.73.91.255 = 11018   [ ip bad destination ]";
}

void TestPingScan::singlePing()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, inTestNetwork);
    QFETCH(QByteArray, pingGroups);
    QFETCH(QString, line);
    if (inTestNetwork && !m_network)
        QSKIP(qPrintable(m_noNetwork));
    if (!pingGroups.isEmpty())
        QVERIFY(TestNetwork::setPingGroupRange(pingGroups));
    if (!IcmpSocket().isOpen())
        QSKIP(NoIcmpSocket);

    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    setAddress(w, fields);
    auto *requests = w.child<QGroupBox>("fraControl");
    QTest::mouseClick(w.child<QPushButton>("SinglePing"), Qt::LeftButton);
    QVERIFY(!requests->isEnabled());
    QTRY_VERIFY(requests->isEnabled());
    QCOMPARE(logTexts(w), (QStringList{"Listen ON", "send ping", line, "pass...."}));
    QCOMPARE(w.child<QListWidget>("List2")->count(), 0);
    QVERIFY(boxes.seen.isEmpty());
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

    const QList<int> live = {1, 100, 200, TestNetwork::ScannerHost};
    QStringList log = {"scann ip-range ...000 to 255"};
    QStringList missed;
    for (int host = 0; host < PingReport::RangeSize; ++host) {
        const QString address = TestNetwork::address(host);
        if (live.contains(host))
            log << "Ping to " + address + " = 0   [ ip success ]= TestPing";
        else
            missed << "scann IP " + address + " req timed out";
    }
    log << "sacnn pass.....";

    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    setAddress(w, {"10", "73", "91", "7"});
    auto *requests = w.child<QGroupBox>("fraControl");
    auto *badPings = w.child<QListWidget>("List2");
    // Again at once: the answers and late errors of the first scan must not count for the second.
    for (int scan = 0; scan < 2; ++scan) {
        const int before = static_cast<int>(logTexts(w).size());
        QTest::mouseClick(w.child<QPushButton>("Command1"), Qt::LeftButton);
        // The click has returned while the echoes are still out: the window serves its events meanwhile.
        QVERIFY(!requests->isEnabled());
        QCOMPARE(badPings->count(), 0);
        QCOMPARE(logTexts(w).mid(before), log.mid(0, 1));
        QTRY_VERIFY(requests->isEnabled());
        QCOMPARE(logTexts(w).mid(before), log);
        QCOMPARE(texts(badPings), missed);
        QCOMPARE(badPings->currentRow(), missed.size() - 1);
    }
    QVERIFY(boxes.seen.isEmpty());
}

void TestPingScan::unresolvableRangeIsToldOnce()
{
    // In the test network no name lookup can leave the machine.
    if (!m_network)
        QSKIP(qPrintable(m_noNetwork));
    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    setAddress(w, {"10", "73", "", "1"});
    QTest::mouseClick(w.child<QPushButton>("Command1"), Qt::LeftButton);
    QTRY_VERIFY(w.child<QGroupBox>("fraControl")->isEnabled());
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QString("GetHostByName lieferte ungültiges Ergebnis!"));
    QCOMPARE(boxes.seen[0].title, QString("TessraProg"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::NoIcon);
    const QStringList missed = texts(w.child<QListWidget>("List2"));
    QCOMPARE(missed.size(), PingReport::RangeSize);
    QCOMPARE(missed.first(), QString("scann IP 10.73..0 req timed out"));
    QCOMPARE(missed.last(), QString("scann IP 10.73..255 req timed out"));
    QCOMPARE(logTexts(w).mid(1), (QStringList{"scann ip-range ...000 to 255", "sacnn pass....."}));
}

void TestPingScan::missingPermissionIsExplainedOnce()
{
    // Either the system refuses this user already, or the test network lets
    // the test take the permission away.
    std::optional<WithoutRawSockets> withoutRaw;
    if (!IcmpSocket().permissionRefused()) {
        if (!m_network)
            QSKIP(qPrintable(m_noNetwork));
        QVERIFY(TestNetwork::setPingGroupRange(NoGroupMayPing));
        withoutRaw.emplace();
        QVERIFY(withoutRaw->dropped());
        QVERIFY(IcmpSocket().permissionRefused());
    }

    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    setAddress(w, {"127", "0", "0", "1"});
    auto *requests = w.child<QGroupBox>("fraControl");
    QTest::mouseClick(w.child<QPushButton>("SinglePing"), Qt::LeftButton);
    QTRY_VERIFY(requests->isEnabled());
    QCOMPARE(logTexts(w), (QStringList{"Listen ON", "send ping", "Ping to 127.0.0.1 = 11050   [ ip general failure ]",
                                       "pass...."}));
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    QCOMPARE(boxes.seen[0].title, QString("TessraProg"));
    QVERIFY(boxes.seen[0].text.contains("setcap cap_net_raw+ep " + QCoreApplication::applicationFilePath()));
    QVERIFY(boxes.seen[0].text.contains("sysctl -w net.ipv4.ping_group_range=\"0 2147483647\""));

    QTest::mouseClick(w.child<QPushButton>("Command1"), Qt::LeftButton);
    QTRY_VERIFY(requests->isEnabled());
    QCOMPARE(w.child<QListWidget>("List2")->count(), PingReport::RangeSize);
    QCOMPARE(logTexts(w).mid(4), (QStringList{"scann ip-range ...000 to 255", "sacnn pass....."}));
    QCOMPARE(boxes.seen.size(), 1);
}

TESSRA_TEST(TestPingScan)
#include "tst_pingscan.moc"
