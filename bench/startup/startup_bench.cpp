// Runs the tool's start-up probe and the floor probe in turn and compares
// time from process start until the window is up, and peak memory.
//   startup_bench [runs]

#include <QCoreApplication>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

struct Sample
{
    double ms = 0;
    double cpuMs = 0;
    long kib = 0;
    int widgets = 0;
    QString kinds;
};

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

bool run(const QString &program, const QStringList &arguments, Sample &sample)
{
    QProcess process;
    const long long started = monotonicNs();
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return false;
    const QStringList words = QString::fromLatin1(process.readAllStandardOutput()).split(' ');
    if (words.size() < 6 || words[0] != QLatin1String("READY"))
        return false;
    sample.kinds = words[4].trimmed();
    sample.cpuMs = words[5].trimmed().toLongLong() / 1e3;
    sample.ms = (words[1].toLongLong() - started) / 1e6;
    sample.kib = words[2].toLong();
    sample.widgets = words[3].trimmed().toInt();
    return true;
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    Sample first;
    if (!run(QStringLiteral(PROBE_TOOL), {}, first)) {
        std::fprintf(stderr, "the tool's probe did not report\n");
        return 1;
    }
    std::vector<double> toolMs, floorMs, toolCpuMs, floorCpuMs;
    std::vector<long> toolKib, floorKib;
    for (int i = 0; i < runs; ++i) {
        Sample tool, floor;
        if (!run(QStringLiteral(PROBE_TOOL), {}, tool)
            || !run(QStringLiteral(PROBE_FLOOR), {first.kinds}, floor)) {
            std::fprintf(stderr, "a probe did not report\n");
            return 1;
        }
        if (floor.widgets != first.widgets)
            std::fprintf(stderr, "note: the floor shows %d widgets, the tool %d\n", floor.widgets, first.widgets);
        toolMs.push_back(tool.ms);
        floorMs.push_back(floor.ms);
        toolCpuMs.push_back(tool.cpuMs);
        floorCpuMs.push_back(floor.cpuMs);
        toolKib.push_back(tool.kib);
        floorKib.push_back(floor.kib);
    }
    const auto spread = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return std::make_pair(v.front(), v.back());
    };
    const double tm = median(toolMs), fm = median(floorMs);
    const long tk = median(toolKib), fk = median(floorKib);
    std::printf("widgets: %d (%s), runs: %d each, platform: %s\n", first.widgets, qPrintable(first.kinds), runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "display" : qgetenv("QT_QPA_PLATFORM").constData());
    std::printf("start-up until shown and listening: tool %.1f ms (%.1f..%.1f), floor %.1f ms (%.1f..%.1f), ratio %.2f\n",
                tm, spread(toolMs).first, spread(toolMs).second, fm, spread(floorMs).first, spread(floorMs).second,
                tm / fm);
    // Processor time tells work from waiting, and varies less on a busy machine than the clock.
    const double tc = median(toolCpuMs), fc = median(floorCpuMs);
    std::printf("processor time until then: tool %.1f ms (%.1f..%.1f), floor %.1f ms (%.1f..%.1f), ratio %.2f\n", tc,
                spread(toolCpuMs).first, spread(toolCpuMs).second, fc, spread(floorCpuMs).first,
                spread(floorCpuMs).second, tc / fc);
    std::printf("peak memory: tool %ld KiB, floor %ld KiB, ratio %.2f\n", tk, fk, double(tk) / double(fk));
    return 0;
}
