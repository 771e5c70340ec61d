// One parameter exchange on loopback, from the press of "Parameter Abfrage" to
// "Verbindung geschlossen", against the floor of a bare TCP client that does
// connect, 14-byte write, 37-byte read and close with the same device.
//   roundtrip_bench [exchanges]

#include "shell/frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int RequestBytes = 14;
// A LAN adapter's parameter reply: firmware 1.0.2.3, 192.168.28.215, port 340, flags 0x25.
const QByteArray Reply = QByteArray::fromHex("FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425");

// The device: a plain blocking server on its own thread, so that it costs the
// window's thread nothing.
class Device
{
public:
    Device(const char *address, quint16 port)
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
    ~Device()
    {
        m_stop = true;
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        m_thread.join();
    }
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
            while (got < RequestBytes) {
                const ssize_t n = ::read(client, request + got, sizeof request - got);
                if (n <= 0)
                    break;
                got += static_cast<int>(n);
            }
            if (::write(client, Reply.constData(), Reply.size()) != Reply.size())
                std::fprintf(stderr, "short write\n");
            ::close(client);
        }
    }

    int m_fd = -1;
    bool m_ok = false;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

double floorExchangeMs(const char *address, quint16 port)
{
    QElapsedTimer clock;
    clock.start();
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &where.sin_addr);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0)
        return -1;
    const QByteArray request = QByteArray::fromHex("FFAA00C80C011CFFFEFFFE0101C0");
    if (::write(fd, request.constData(), request.size()) != request.size())
        return -1;
    char reply[64];
    int got = 0;
    while (got < Reply.size()) {
        const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
        if (n <= 0)
            break;
        got += static_cast<int>(n);
    }
    ::close(fd);
    return clock.nsecsElapsed() / 1e6;
}

struct Figures
{
    double median, low, high;
};

Figures figures(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[v.size() / 20], v[v.size() - 1 - v.size() / 20]};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(20, std::atoi(argv[1])) : 200;

    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    const char *deviceAddress = "127.0.0.2";
    Device device(deviceAddress, port);
    if (!device.ok()) {
        std::fprintf(stderr, "the device cannot listen on %s:%u\n", deviceAddress, port);
        return 1;
    }
    QTemporaryDir folder;
    QFile ini(folder.filePath(QStringLiteral("TessraPrg.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nPort=" + QByteArray::number(port) + "\r\neNumLan=1\r\n");
    ini.close();

    frmMain window({QHostAddress::LocalHost, folder.path(), QString()});
    window.show();
    auto *log = window.findChild<QListWidget *>(QStringLiteral("List1"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("cmdTest"));
    if (!QTest::qWaitFor([&] { return log->count() > 0; }, 5000)) {
        std::fprintf(stderr, "the tool does not listen\n");
        return 1;
    }
    // The moment the closing line is written, seen as it happens.
    QElapsedTimer clock;
    double closedAtMs = -1;
    QEventLoop exchange;
    QObject::connect(log->model(), &QAbstractItemModel::rowsInserted, &exchange, [&](const QModelIndex &, int, int last) {
        if (log->item(last)->text().endsWith(QLatin1String("Verbindung geschlossen")) && closedAtMs < 0) {
            closedAtMs = clock.nsecsElapsed() / 1e6;
            exchange.quit();
        }
    });
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, &exchange, [&] { exchange.exit(1); });

    std::vector<double> tool, floor;
    for (int i = 0; i < exchanges; ++i) {
        if (!QTest::qWaitFor([&] { return button->isEnabled() && window.Listening; }, 5000)) {
            std::fprintf(stderr, "the tool is not ready for exchange %d\n", i);
            return 1;
        }
        // Keep the log short so that every exchange writes its lines alike.
        log->clear();
        closedAtMs = -1;
        stuck.start(5000);
        clock.start();
        button->click();
        if (closedAtMs < 0 && exchange.exec() != 0) {
            std::fprintf(stderr, "exchange %d did not close\n", i);
            return 1;
        }
        stuck.stop();
        tool.push_back(closedAtMs);
        floor.push_back(floorExchangeMs(deviceAddress, port));
    }
    const Figures t = figures(tool), f = figures(floor);
    std::printf("exchanges: %d\n", exchanges);
    std::printf("tool:  median %.3f ms (5%%..95%% %.3f..%.3f)\n", t.median, t.low, t.high);
    std::printf("floor: median %.3f ms (5%%..95%% %.3f..%.3f)\n", f.median, f.low, f.high);
    std::printf("the tool adds %.3f ms to the floor\n", t.median - f.median);
    return 0;
}
