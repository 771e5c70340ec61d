// What continuous polling costs at rest: the CPU time of this process while a
// bare Qt window stands idle (the floor), while the tool's window stands idle
// against the simulated installation, and while it polls every 3 s, each over
// the same span (60 s unless told).
//   polling_bench [seconds]

#include "shell/frmMain.h"
#include "FreePort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <sys/resource.h>

namespace {

// The process's processor time so far, in user space and in the kernel.
struct CpuMs {
    double user = 0;
    double system = 0;
    double total() const { return user + system; }
    CpuMs operator-(const CpuMs &earlier) const { return {user - earlier.user, system - earlier.system}; }
};

CpuMs cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

struct Span {
    double share = 0; // of one core, in per cent
    CpuMs used;
};

// What the process used while events ran for the span.
Span spanOf(int seconds)
{
    const CpuMs before = cpuMs();
    QElapsedTimer wall;
    wall.start();
    // An event loop that sleeps until the span is over: waiting costs nothing of its own.
    QEventLoop span;
    QTimer::singleShot(seconds * 1000, &span, &QEventLoop::quit);
    span.exec();
    const CpuMs used = cpuMs() - before;
    return {100.0 * used.total() / static_cast<double>(wall.elapsed()), used};
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;

    const quint16 port = freeLoopbackPort();
    QTemporaryDir folder;
    // The example installation without the reports that come by themselves: only polling crosses the wire.
    QFile example(QStringLiteral(EXAMPLE_INSTALLATION));
    if (!example.open(QIODevice::ReadOnly))
        return 1;
    QJsonObject config = QJsonDocument::fromJson(example.readAll()).object();
    config["timing"] = QJsonObject{{"callBackDelayMs", 50}, {"weatherIntervalMs", 0}, {"driftIntervalMs", 0},
                                   {"inputChangeIntervalMs", 0}};
    const QString configPath = folder.filePath(QStringLiteral("installation.json"));
    QFile configFile(configPath);
    if (!configFile.open(QIODevice::WriteOnly) || configFile.write(QJsonDocument(config).toJson()) <= 0)
        return 1;
    configFile.close();
    // The simulator's frame dumps go to a file, so that reading them costs this process nothing.
    const QString simLog = folder.filePath(QStringLiteral("sim.log"));
    const auto simOutput = [&] {
        QFile file(simLog);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QProcess sim;
    sim.setProcessChannelMode(QProcess::MergedChannels);
    sim.setStandardOutputFile(simLog);
    sim.start(QStringLiteral(TESSRA_SIM), {"--address", "127.0.0.2", "--port", QString::number(port),
                                           "--destination", "127.0.0.1", "--config", configPath});
    if (!QTest::qWaitFor([&] { return simOutput().contains("ready;"); }, 10000)) {
        std::fprintf(stderr, "tessra-sim did not start: %s\n", simOutput().constData());
        return 1;
    }

    Span floor;
    {
        QWidget bare;
        bare.resize(965, 644);
        auto *list = new QListWidget(&bare);
        list->setGeometry(8, 280, 793, 355);
        bare.show();
        QTest::qWait(500);
        floor = spanOf(seconds);
    }

    QFile ini(folder.filePath(QStringLiteral("TessraPrg.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nFLGateway=127.0.0.3\r\nPort=" + QByteArray::number(port)
              + "\r\neNumLan=1\r\n");
    ini.close();
    frmMain window({QHostAddress::LocalHost, folder.path(), QString(), QString()});
    window.show();
    auto *log = window.findChild<QListWidget *>(QStringLiteral("List1"));
    if (!QTest::qWaitFor([&] { return log->count() > 0 && window.Listening; }, 5000)) {
        std::fprintf(stderr, "the tool does not listen\n");
        return 1;
    }
    QTest::qWait(500);
    const Span idle = spanOf(seconds);

    window.findChild<QPushButton *>(QStringLiteral("MesswerteLoop"))->click();
    QTest::qWait(100);
    const qsizetype asked = simOutput().count("measurement request");
    const Span polling = spanOf(seconds);
    const qsizetype polls = simOutput().count("measurement request") - asked;
    window.findChild<QPushButton *>(QStringLiteral("MesswerteLoop"))->click();

    sim.terminate();
    sim.waitForFinished(5000);
    std::printf("span: %d s each, platform: %s, measurement requests answered while polling: %lld\n", seconds,
                qPrintable(QGuiApplication::platformName()), static_cast<long long>(polls));
    std::printf("bare Qt window, idle:  %.4f %% of a core\n", floor.share);
    std::printf("tool window, idle:     %.4f %% of a core (%+.4f over the bare window)\n", idle.share,
                idle.share - floor.share);
    std::printf("tool window, polling:  %.4f %% of a core (%+.4f over the idle window; target: at most +0.05)\n",
                polling.share, polling.share - idle.share);
    // The same excess as CPU time per poll: +0.05 % over 60 s with 20 polls is 1.5 ms each. The split shows how much
    // of it the kernel spent (the loopback connections, listening again).
    if (polls > 0) {
        const CpuMs excess = polling.used - idle.used;
        const double perPoll = 1.0 / static_cast<double>(polls);
        std::printf("per poll over the idle window: %.3f ms of CPU (user %.3f ms, kernel %.3f ms)\n",
                    (polling.share - idle.share) / 100.0 * seconds * 1000.0 * perPoll, excess.user * perPoll,
                    excess.system * perPoll);
    }
    return 0;
}
