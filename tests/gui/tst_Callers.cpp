// Who may call the real window on its listening socket: in a test network of its own (TestNetwork), the LAN adapter and
// the gateway live on the routed network 10.73.92.0/24, one network further than the tool's 10.73.91.0/24, beside a
// host that is not of the installation.

#include "TestMain.h"
#include "TestNetwork.h"
#include "WindowHarness.h"

#include <cerrno>

using namespace WindowHarness;

namespace {

constexpr int Gateway = 6;
constexpr int LanAdapter = 7;
constexpr int Stranger = 5;

} // namespace

class TestCallers : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (const QString reason = TestNetwork::unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));
        m_network = std::make_unique<TestNetwork>();
        if (!m_network->isUp() || !m_network->addRoutedHosts({Gateway, LanAdapter, Stranger}))
            QSKIP(qPrintable("no test network: " + m_network->error()));
    }
    void cleanupTestCase() { m_network.reset(); }
    void onlyTheInstallationIsServed()
    {
        const quint16 port = freeLoopbackPort();
        const QByteArray settings = "[TessraProg]\r\nIPAdresse=" + TestNetwork::routedAddress(LanAdapter).toLatin1()
            + "\r\nFLGateway=" + TestNetwork::routedAddress(Gateway).toLatin1() + "\r\nPort=" + QByteArray::number(port)
            + "\r\neNumLan=1\r\n";
        Window w(settings, QString(), QHostAddress::AnyIPv4);
        QVERIFY(w.showAndActivate());
        const QStringList fields = w.texts("Text1", 17);

        // A parameter reply would move the tool to 192.168.28.215 and port 340; the stranger is cut off unread, twice,
        // and told once.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const int stranger = call(TestNetwork::routedAddress(Stranger), port, LanParameterReply);
            QVERIFY(stranger >= 0);
            QTRY_VERIFY(closedByTool(stranger));
            ::close(stranger);
        }
        QCOMPARE(w.logSince(1), QStringList{"Verbindung von 10.73.92.5 abgelehnt"});
        QCOMPARE(w.texts("Text1", 17), fields);

        // The LAN adapter and the gateway, each reporting unasked from its own address, on the same port as before.
        for (const int device : {LanAdapter, Gateway}) {
            const int line = int(w.log().size());
            const int caller = call(TestNetwork::routedAddress(device), port, MeasurementReply);
            QVERIFY(caller >= 0);
            QTRY_VERIFY(w.logSince(line).contains(Closed) && w.log().last() == ListenOn);
            ::close(caller);
        }
        QVERIFY(w.boxes.seen.isEmpty());
    }

private:
    // A connection from a host of the test network to the tool, with bytes sent on it at once.
    int call(const QString &from, quint16 port, const QByteArray &bytes)
    {
        const int fd = m_network->hostSocket(from);
        sockaddr_in tool{};
        tool.sin_family = AF_INET;
        tool.sin_port = htons(port);
        ::inet_pton(AF_INET, qPrintable(TestNetwork::address(TestNetwork::ScannerHost)), &tool.sin_addr);
        // The system completes the connection while the window's thread is busy here.
        if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&tool), sizeof tool) != 0
            || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
            if (fd >= 0)
                ::close(fd);
            return -1;
        }
        return fd;
    }
    // The tool has ended the connection: the caller reads its end or a reset.
    static bool closedByTool(int fd)
    {
        char byte;
        const ssize_t n = ::recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
        return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }

    std::unique_ptr<TestNetwork> m_network;
};

TESSRA_TEST(TestCallers)
#include "tst_Callers.moc"
