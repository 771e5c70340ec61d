// tessra inventory of a /24 in a test network of its own, with 3 and with 50 simulated LAN adapters (tessra-sim in
// the hosts' namespace), measured in one run against tessra scan of the same range, and against the scan followed by
// one tessra params per adapter, one after another, as a script would ask them today.
//   inventory_bench [runs]
// Needs root (network namespaces). Every figure is the wall time of whole tessra processes.

#include "TestNetwork.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int DefaultRuns = 7;
constexpr int ProcessTimeoutMs = 60000;
constexpr int PollMs = 20;
// The adapters report nothing unasked: a report to the scanning side's port would meet the calls from it.
const QJsonObject Quiet{{"weatherIntervalMs", 0}, {"driftIntervalMs", 0}, {"inputChangeIntervalMs", 0}};

struct Figures
{
    std::vector<double> ms;
    int incomplete = 0; // runs that missed an adapter

    double median() const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    void print(const char *name, double scanMs) const
    {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        std::printf("  %-34s median %8.1f ms  min %8.1f  max %8.1f  %5.2fx the scan  (%zu runs, %d incomplete)\n", name,
                    median(), sorted.front(), sorted.back(), median() / scanMs, sorted.size(), incomplete);
    }
};

QProcessEnvironment environment(const QTemporaryDir &folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No user's settings file: the port and eNum come from the options.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
    return environment;
}

// Runs tessra to its end; its standard output, or nothing when it failed to run.
QStringList tessra(const QStringList &arguments, const QTemporaryDir &folder)
{
    QProcess process;
    process.setProcessEnvironment(environment(folder));
    process.start(QStringLiteral(TESSRA_CLI), arguments);
    if (!process.waitForFinished(ProcessTimeoutMs))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

void measure(int adapters, int runs, const QTemporaryDir &folder)
{
    QList<int> hosts;
    for (int host = 1; host <= adapters; ++host)
        hosts << host;
    TestNetwork network(hosts);
    if (!network.isUp()) {
        std::fprintf(stderr, "no test network: %s\n", qPrintable(network.error()));
        return;
    }
    QJsonArray devices;
    for (int host = 1; host <= adapters; ++host)
        devices.append(QJsonObject{{"type", "lanAdapter"}, {"eNum", host}, {"firmware", "1023"}, {"function", 1}});
    const QString config = folder.filePath(QStringLiteral("adapters-%1.json").arg(adapters));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(QJsonObject{{"port", 5000}, {"timing", Quiet}, {"devices", devices}}).toJson()) < 0)
        return;
    file.close();

    // The simulator writes every frame; into a file, so that it never waits for a reader while tessra runs.
    QProcess sim;
    const QString simLog = folder.filePath(QStringLiteral("sim-%1.log").arg(adapters));
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.setStandardOutputFile(simLog);
    sim.start(QStringLiteral("ip"), {"netns", "exec", network.hostsNamespace(), QStringLiteral(TESSRA_SIM), "--address",
                                     TestNetwork::address(1), "--destination",
                                     TestNetwork::address(TestNetwork::ScannerHost), "--config", config});
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    while (!said.contains("ready;") && sim.state() != QProcess::NotRunning && waited.elapsed() < ProcessTimeoutMs) {
        sim.waitForFinished(PollMs);
        QFile log(simLog);
        said = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }
    if (!said.contains("ready;")) {
        std::fprintf(stderr, "tessra-sim did not start:\n%s\n", said.constData());
        return;
    }

    const QString range = QString::fromLatin1(TestNetwork::Prefix);
    Figures scan, inventory, oneByOne;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        const QStringList scanned = tessra({"scan", range}, folder);
        scan.ms.push_back(clock.nsecsElapsed() / 1e6);
        // The adapters and the scanning side answer the ping.
        scan.incomplete += scanned.filter(QStringLiteral("Ping to ")).size() != adapters + 1;

        clock.restart();
        const QStringList records = tessra({"inventory", range, "--port", "5000", "--json"}, folder);
        inventory.ms.push_back(clock.nsecsElapsed() / 1e6);
        inventory.incomplete += records.filter(QStringLiteral("\"kind\":\"parameters\"")).size() != adapters;

        clock.restart();
        int read = 0;
        for (const QString &line : tessra({"scan", range}, folder)) {
            const QString address = line.section(u' ', 2, 2);
            if (!line.startsWith(QStringLiteral("Ping to ")) || address == TestNetwork::address(TestNetwork::ScannerHost))
                continue;
            read += tessra({"params", "--lan", address, "--port", "5000", "--json"}, folder).size();
        }
        oneByOne.ms.push_back(clock.nsecsElapsed() / 1e6);
        oneByOne.incomplete += read != adapters;
    }
    sim.terminate();
    sim.waitForFinished();

    std::printf("%d adapters in %s.0/24:\n", adapters, TestNetwork::Prefix);
    scan.print("tessra scan", scan.median());
    inventory.print("tessra inventory", scan.median());
    oneByOne.print("scan, then params one by one", scan.median());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 && QByteArray(argv[1]).toInt() > 0 ? QByteArray(argv[1]).toInt() : DefaultRuns;
    if (const QString missing = TestNetwork::unavailableReason(); !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 1;
    }
    QTemporaryDir folder;
    for (int adapters : {3, 50})
        measure(adapters, runs, folder);
    return 0;
}
