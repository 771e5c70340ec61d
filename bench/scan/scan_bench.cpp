// The /24 scan in a test network of its own (three live hosts besides the
// scanning side), measured in one run against fping at its fastest setting
// and at its default interval, and against one address after another.
//   scan_bench [runs] [--sequential]
// Needs root (network namespaces) and fping; the sequential scan, measured
// only with --sequential, takes close to a minute.

#include "TestNetwork.h"
#include "WindowHarness.h"

#include "scan/EchoRound.h"
#include "scan/PingReport.h"
#include "scan/modServerPing.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <set>

using namespace WindowHarness;

namespace {

const QList<int> LiveHosts = {1, 100, 200};
const std::set<int> Answering = {1, 100, 200, TestNetwork::ScannerHost};
constexpr int DefaultRuns = 10;
constexpr int FpingDefaultRuns = 3;
const QString Network = QStringLiteral("%1.0/24").arg(TestNetwork::Prefix);

struct Figures
{
    std::vector<double> ms;
    int incomplete = 0;
    int misreported = 0;

    void print(const char *name, double baseMs) const
    {
        if (ms.empty())
            return;
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        const double median = sorted[sorted.size() / 2];
        std::printf("%-40s median %8.1f ms  min %8.1f  max %8.1f  (%zu runs)  %5.2fx fping -i 0", name, median,
                    sorted.front(), sorted.back(), sorted.size(), baseMs > 0 ? median / baseMs : 0.0);
        std::printf("  live hosts missed in %d runs", incomplete);
        if (misreported >= 0)
            std::printf(", absent hosts misreported in %d runs", misreported);
        std::printf("\n");
    }

    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
};

std::set<int> hostsIn(const QStringList &addresses)
{
    std::set<int> hosts;
    for (const QString &address : addresses)
        hosts.insert(address.section(QLatin1Char('.'), 3, 3).toInt());
    return hosts;
}

// The engine alone: all 256 requests out, answers collected, one time-out.
void measureRound(Figures &figures)
{
    EchoRound round;
    QEventLoop loop;
    QObject::connect(&round, &EchoRound::finished, &loop, &QEventLoop::quit);
    const QStringList addresses = PingReport::rangeAddresses("10", "73", "91");
    QElapsedTimer clock;
    clock.start();
    round.start(addresses);
    loop.exec();
    figures.ms.push_back(clock.nsecsElapsed() / 1e6);
    std::set<int> answered;
    bool misreported = false;
    for (int host = 0; host < addresses.size(); ++host) {
        const qint32 status = round.replies()[host].Status;
        if (status == IpStatus::Success)
            answered.insert(host);
        // Within the time-out an absent host can only time out, and the broadcast address is not sent to.
        const qint32 expected = host == PingReport::RangeSize - 1 ? IpStatus::BadDestination : IpStatus::ReqTimedOut;
        if (!Answering.count(host) && status != expected)
            misreported = true;
    }
    figures.incomplete += answered != Answering;
    figures.misreported += misreported;
}

// Through the window: from the click until the request buttons are back.
class EnabledWatch : public QObject
{
public:
    explicit EnabledWatch(QWidget *widget) : m_widget(widget) { widget->installEventFilter(this); }
    QEventLoop loop;
    qint64 atNs = 0;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (object == m_widget && event->type() == QEvent::EnabledChange && m_widget->isEnabled()) {
            atNs = clock.nsecsElapsed();
            loop.quit();
        }
        return false;
    }

private:
    QWidget *m_widget;
};

void measureWindow(Window &w, Figures &figures)
{
    auto *requests = w.child<QGroupBox>("fraControl");
    EnabledWatch watch(requests);
    watch.clock.start();
    w.child<QPushButton>("Command1")->click();
    watch.loop.exec();
    figures.ms.push_back(watch.atNs / 1e6);
    auto *log = w.child<QListWidget>("List1");
    QStringList answered;
    for (int i = log->count() - 1; i >= 0 && !log->item(i)->text().contains("scann ip-range"); --i) {
        const QString line = log->item(i)->text();
        if (line.contains("Ping to "))
            answered << line.section(' ', 3, 3);
    }
    figures.incomplete += hostsIn(answered) != Answering;
    figures.misreported += w.child<QListWidget>("List2")->count() != PingReport::RangeSize - int(Answering.size());
}

bool measureFping(const QStringList &options, Figures &figures)
{
    QProcess fping;
    QElapsedTimer clock;
    clock.start();
    fping.start(QStringLiteral("fping"), QStringList{"-a", "-q", "-g", Network} + options);
    if (!fping.waitForFinished(120000))
        return false;
    figures.ms.push_back(clock.nsecsElapsed() / 1e6);
    const QStringList alive =
        QString::fromLatin1(fping.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    figures.incomplete += hostsIn(alive) != Answering;
    return true;
}

void measureSequential(Figures &figures)
{
    const QStringList addresses = PingReport::rangeAddresses("10", "73", "91");
    QElapsedTimer clock;
    clock.start();
    std::set<int> answered;
    for (int host = 0; host < addresses.size(); ++host) {
        EchoRound round;
        QEventLoop loop;
        QObject::connect(&round, &EchoRound::finished, &loop, &QEventLoop::quit);
        round.start({addresses[host]});
        loop.exec();
        if (round.replies().first().Status == IpStatus::Success)
            answered.insert(host);
    }
    figures.ms.push_back(clock.nsecsElapsed() / 1e6);
    figures.incomplete += answered != Answering;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const bool sequential = arguments.contains(QStringLiteral("--sequential"));
    int runs = DefaultRuns;
    for (const QString &argument : arguments.mid(1)) {
        if (argument.toInt() > 0)
            runs = argument.toInt();
    }
    if (const QString missing = TestNetwork::unavailableReason(); !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 1;
    }
    TestNetwork network(LiveHosts);
    if (!network.isUp()) {
        std::fprintf(stderr, "no test network: %s\n", qPrintable(network.error()));
        return 1;
    }

    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    if (!w.showAndActivate())
        return 1;
    const QStringList fields = {"10", "73", "91", "7"};
    for (int i = 0; i < fields.size(); ++i)
        w.child<QLineEdit>(QStringLiteral("Text1(%1)").arg(i))->setText(fields[i]);

    const struct
    {
        const char *name;
        QByteArray groups;
    } kinds[] = {{"datagram socket", "0 2147483647"}, {"raw socket", "1 0"}};
    Figures fpingFast, fpingDefault, rounds[2], windows[2], oneAfterAnother;
    for (int run = 0; run < runs; ++run) {
        if (!measureFping({"-t", "200", "-r", "0", "-i", "0"}, fpingFast)) {
            std::fprintf(stderr, "fping did not run\n");
            return 1;
        }
        for (int kind = 0; kind < 2; ++kind) {
            TestNetwork::setPingGroupRange(kinds[kind].groups);
            measureRound(rounds[kind]);
            measureWindow(w, windows[kind]);
        }
    }
    for (int run = 0; run < std::min(runs, FpingDefaultRuns); ++run)
        measureFping({"-t", "200", "-r", "0"}, fpingDefault);
    if (sequential)
        measureSequential(oneAfterAnother);
    if (!boxes.seen.isEmpty())
        std::fprintf(stderr, "a message box appeared: %s\n", qPrintable(boxes.seen.first().text));

    const double base = fpingFast.median();
    std::printf("/24 scan of %s, live hosts .1 .100 .200 and the scanning side .254\n", qPrintable(Network));
    fpingFast.misreported = -1;
    fpingDefault.misreported = -1;
    oneAfterAnother.misreported = -1;
    fpingFast.print("fping -t 200 -r 0 -i 0", base);
    fpingDefault.print("fping -t 200 -r 0 (default -i)", base);
    for (int kind = 0; kind < 2; ++kind) {
        rounds[kind].print(qPrintable(QStringLiteral("echo round, %1").arg(kinds[kind].name)), base);
        windows[kind].print(qPrintable(QStringLiteral("window click to done, %1").arg(kinds[kind].name)), base);
    }
    oneAfterAnother.print("one address after another", base);
    std::printf("%-40s %8.1f ms (256 x %d ms)\n", "sequential model", 256.0 * modServerPing::EchoTimeoutMs,
                modServerPing::EchoTimeoutMs);
    return 0;
}
