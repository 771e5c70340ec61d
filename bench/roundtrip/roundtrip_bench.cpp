// One parameter exchange on loopback, from the press of "Parameter Abfrage" to
// the paint that shows "Verbindung geschlossen", against the floor in the same
// run: a bare Qt program with the same list widget that sends the same request
// to the same device and, on its reply, appends the same lines and paints once.
// A bare TCP client (connect, 14-byte write, 37-byte read, close) shows what
// the socket alone costs.
//   roundtrip_bench [exchanges]

#include "protocol/Frame.h"
#include "shell/EventLog.h"
#include "shell/LogLineDelegate.h"
#include "shell/frmMain.h"

#include "LoopbackDevice.h"
#include "FreePort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpSocket>
#include <QTime>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
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
// A LAN adapter's parameter reply: firmware 1.0.2.3, flags 0x25, with the adapter's own address and port (the reply
// puts them into the tool's fields, which the next request goes to).
QByteArray Reply;

QByteArray replyOf(const char *address, quint16 port)
{
    constexpr int AddressAt = 18, PortAt = 34, ChecksumAt = 13;
    QByteArray reply =
        QByteArray::fromHex("FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425");
    const quint32 ip = QHostAddress(QString::fromLatin1(address)).toIPv4Address();
    for (int k = 0; k < 4; ++k)
        reply[AddressAt + k] = char(ip >> (24 - 8 * k));
    reply[PortAt] = char(port >> 8);
    reply[PortAt + 1] = char(port);
    reply[ChecksumAt] = char(Protocol::checksum(Protocol::frameBody(reply)));
    return reply;
}
// The tool's parameter request to that adapter (eNum 1).
const QByteArray Request = QByteArray::fromHex("FFAA00C80C011CFFFEFFFE0101C0");

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
    if (::write(fd, Request.constData(), Request.size()) != Request.size())
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

// Notes when a paint of the watched list has ended: the moment its lines are drawn.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QListWidget *list) : m_viewport(list->viewport()) { m_viewport->installEventFilter(this); }
    // From now on, the first paint of the list counts.
    void arm(const QElapsedTimer *clock)
    {
        m_clock = clock;
        paintedAtMs = -1;
    }
    double paintedAtMs = -1;
    std::function<void()> onPainted;

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (receiver != m_viewport || event->type() != QEvent::Paint || !m_clock)
            return false;
        // The paint runs here so that its end is what is timed.
        m_viewport->removeEventFilter(this);
        QCoreApplication::sendEvent(m_viewport, event);
        m_viewport->installEventFilter(this);
        paintedAtMs = m_clock->nsecsElapsed() / 1e6;
        m_clock = nullptr;
        if (onPainted)
            onPainted();
        return true;
    }

private:
    QWidget *m_viewport;
    const QElapsedTimer *m_clock = nullptr;
};

// The floor: a window with the tool's event log, nothing else, that asks the
// device and shows its answer as the tool's lines.
class BareClient
{
public:
    BareClient(const QSize &windowSize, const QRect &listGeometry, const QStringList &lines)
        : m_list(new QListWidget(&m_window)), m_lines(lines), m_watch(m_list)
    {
        m_window.resize(windowSize);
        m_list->setGeometry(listGeometry);
        m_list->setItemDelegate(new LogLineDelegate(EventLog::MaxLines, m_list));
        m_window.show();
        QObject::connect(&m_socket, &QTcpSocket::connected, [this] { m_socket.write(Request); });
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] {
            m_reply += m_socket.readAll();
            if (m_reply.size() < Reply.size())
                return;
            m_socket.abort();
            for (const QString &line : m_lines)
                m_list->addItem(EventLog::formatLine(QTime::currentTime(), line));
            m_list->setCurrentRow(m_list->count() - 1);
            m_list->scrollToBottom();
        });
        m_watch.onPainted = [this] { m_done.quit(); };
        m_stuck.setSingleShot(true);
        QObject::connect(&m_stuck, &QTimer::timeout, [this] { m_done.exit(1); });
    }
    bool ready() { return QTest::qWaitForWindowExposed(&m_window); }
    double exchangeMs(const char *address, quint16 port)
    {
        m_list->clear();
        m_reply.clear();
        QCoreApplication::processEvents();
        m_clock.start();
        m_watch.arm(&m_clock);
        m_socket.connectToHost(QString::fromLatin1(address), port);
        m_stuck.start(5000);
        const int status = m_done.exec();
        m_stuck.stop();
        return status == 0 ? m_watch.paintedAtMs : -1;
    }

private:
    QWidget m_window;
    QListWidget *m_list;
    QStringList m_lines;
    PaintWatch m_watch;
    QTcpSocket m_socket;
    QByteArray m_reply;
    QElapsedTimer m_clock;
    QEventLoop m_done;
    QTimer m_stuck;
};

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

    const quint16 port = freeLoopbackPort();
    const char *deviceAddress = "127.0.0.2";
    Reply = replyOf(deviceAddress, port);
    LoopbackDevice device(deviceAddress, port, RequestBytes, Reply);
    if (!device.ok()) {
        std::fprintf(stderr, "the device cannot listen on %s:%u\n", deviceAddress, port);
        return 1;
    }
    QTemporaryDir folder;
    if (!writeDeviceSettings(folder.path(), port))
        return 1;

    frmMain window({QHostAddress::LocalHost, folder.path(), QString(), QString()});
    window.show();
    auto *log = window.findChild<QListWidget *>(QStringLiteral("List1"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("cmdTest"));
    if (!QTest::qWaitFor([&] { return log->count() > 0; }, 5000)) {
        std::fprintf(stderr, "the tool does not listen\n");
        return 1;
    }
    // The moment the closing line is written, and the paint that shows it.
    QElapsedTimer clock;
    double closedAtMs = -1;
    QEventLoop exchange;
    PaintWatch painted(log);
    painted.onPainted = [&] { exchange.quit(); };
    QObject::connect(log->model(), &QAbstractItemModel::rowsInserted, &exchange, [&](const QModelIndex &, int, int last) {
        if (log->item(last)->text().endsWith(QLatin1String("Verbindung geschlossen")) && closedAtMs < 0) {
            closedAtMs = clock.nsecsElapsed() / 1e6;
            painted.arm(&clock);
        }
    });
    QTimer stuck;
    stuck.setSingleShot(true);
    QObject::connect(&stuck, &QTimer::timeout, &exchange, [&] { exchange.exit(1); });

    std::vector<double> tool, written, bare, socketOnly;
    QStringList lines;
    const QStringList deviceOctets = QString::fromLatin1(deviceAddress).split(QLatin1Char('.'));
    for (int i = 0; i < exchanges; ++i) {
        if (!QTest::qWaitFor([&] { return button->isEnabled() && window.Listening; }, 5000)) {
            std::fprintf(stderr, "the tool is not ready for exchange %d\n", i);
            return 1;
        }
        // The reply rewrites the address fields; every exchange goes to the same device.
        for (int k = 0; k < 4; ++k)
            window.findChild<QLineEdit *>(QStringLiteral("Text1(%1)").arg(k))->setText(deviceOctets[k]);
        // Keep the log short so that every exchange writes its lines alike; what
        // that clearing paints is not part of the exchange.
        log->clear();
        closedAtMs = -1;
        painted.arm(nullptr);
        stuck.start(5000);
        clock.start();
        button->click();
        // The whole exchange may run inside the click, where its handlers yield.
        if (painted.paintedAtMs < 0 && exchange.exec() != 0) {
            std::fprintf(stderr, "exchange %d was not painted\n", i);
            return 1;
        }
        stuck.stop();
        tool.push_back(painted.paintedAtMs);
        written.push_back(closedAtMs);
        socketOnly.push_back(floorExchangeMs(deviceAddress, port));
        if (lines.isEmpty()) {
            for (int k = 0; k < log->count(); ++k)
                lines << log->item(k)->text().mid(9); // without "HH:MM:SS "
        }
    }
    BareClient floor(window.size(), log->geometry(), lines.mid(1)); // the request's own line aside
    if (!floor.ready()) {
        std::fprintf(stderr, "the floor's window is not shown\n");
        return 1;
    }
    for (int i = 0; i < exchanges; ++i) {
        QTest::qWait(20);
        const double ms = floor.exchangeMs(deviceAddress, port);
        if (ms < 0) {
            std::fprintf(stderr, "the floor's exchange %d was not painted\n", i);
            return 1;
        }
        bare.push_back(ms);
    }
    const Figures t = figures(tool), w = figures(written), f = figures(bare), s = figures(socketOnly);
    std::printf("exchanges: %d, platform: %s\n", exchanges, qPrintable(QGuiApplication::platformName()));
    std::printf("tool, click to the paint of \"Verbindung geschlossen\": median %.3f ms (5%%..95%% %.3f..%.3f)\n",
                t.median, t.low, t.high);
    std::printf("tool, click to the line written:                    median %.3f ms (5%%..95%% %.3f..%.3f)\n",
                w.median, w.low, w.high);
    std::printf("floor, bare Qt window, request to its one paint:    median %.3f ms (5%%..95%% %.3f..%.3f)\n",
                f.median, f.low, f.high);
    std::printf("bare TCP client, socket alone:                      median %.3f ms (5%%..95%% %.3f..%.3f)\n",
                s.median, s.low, s.high);
    std::printf("the tool adds %.3f ms to the floor (target: at most 0.5 ms)\n", t.median - f.median);
    return 0;
}
