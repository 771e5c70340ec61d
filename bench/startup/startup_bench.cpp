// Runs the tool's start-up probe and the floor probes in turn and compares time
// from process start until the window is up, processor time until then, and
// peak memory. The floor is a bare Qt program with the tool's widgets, kind for
// kind, in a grid of small cells; the placed floor shows them where the tool
// has them, in its font, and listens on a socket as the tool does.
//   startup_bench [runs]

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

struct Sample
{
    double ms = 0;
    double cpuMs = 0;
    long kib = 0;
    int widgets = 0;
    QString kinds;
    // Only the tool's probe tells these.
    QString font;
    QString places;
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
    bool ready = false;
    for (const QString &line : QString::fromLatin1(process.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("FONT ")))
            sample.font = line.mid(5);
        if (line.startsWith(QLatin1String("PLACES ")))
            sample.places = line.mid(7);
        const QStringList words = line.split(QLatin1Char(' '));
        if (words.size() < 6 || words[0] != QLatin1String("READY"))
            continue;
        ready = true;
        sample.ms = (words[1].toLongLong() - started) / 1e6;
        sample.kib = words[2].toLong();
        sample.widgets = words[3].toInt();
        sample.kinds = words[4];
        sample.cpuMs = words[5].toLongLong() / 1e3;
    }
    return ready;
}

struct Series
{
    std::vector<double> ms, cpuMs, kib;

    void add(const Sample &sample)
    {
        ms.push_back(sample.ms);
        cpuMs.push_back(sample.cpuMs);
        kib.push_back(double(sample.kib));
    }
};

struct Spread
{
    double median, low, high;
};

Spread spreadOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

void compare(const char *what, const char *unit, int decimals, const std::vector<double> &tool,
             const std::vector<double> &floor)
{
    const Spread t = spreadOf(tool), f = spreadOf(floor);
    std::printf("  %-12s tool %.*f %s (%.*f..%.*f), floor %.*f %s (%.*f..%.*f), ratio %.2f\n", what, decimals, t.median,
                unit, decimals, t.low, decimals, t.high, decimals, f.median, unit, decimals, f.low, decimals, f.high,
                t.median / f.median);
}

void compare(const char *title, const Series &tool, const Series &floor)
{
    std::printf("%s\n", title);
    compare("until up:", "ms", 1, tool.ms, floor.ms);
    // Processor time tells work from waiting, and varies less on a busy machine than the clock.
    compare("processor:", "ms", 1, tool.cpuMs, floor.cpuMs);
    compare("peak memory:", "KiB", 0, tool.kib, floor.kib);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    Sample first;
    if (!run(QStringLiteral(PROBE_TOOL), {}, first) || first.places.isEmpty()) {
        std::fprintf(stderr, "the tool's probe did not report\n");
        return 1;
    }
    Series tool, floor, placed;
    for (int i = 0; i < runs; ++i) {
        Sample t, f, p;
        if (!run(QStringLiteral(PROBE_TOOL), {}, t) || !run(QStringLiteral(PROBE_FLOOR), {first.kinds}, f)
            || !run(QStringLiteral(PROBE_FLOOR_PLACED), {first.kinds, first.font, first.places}, p)) {
            std::fprintf(stderr, "a probe did not report\n");
            return 1;
        }
        for (const Sample *s : {&f, &p}) {
            if (s->widgets != first.widgets)
                std::fprintf(stderr, "note: a floor shows %d widgets, the tool %d\n", s->widgets, first.widgets);
        }
        tool.add(t);
        floor.add(f);
        placed.add(p);
    }
    std::printf("widgets: %d (%s), runs: %d each, platform: %s\n", first.widgets, qPrintable(first.kinds), runs,
                qgetenv("QT_QPA_PLATFORM").isEmpty() ? "display" : qgetenv("QT_QPA_PLATFORM").constData());
    compare("start-up until shown and listening, against the floor (a grid of small cells):", tool, floor);
    compare("against the placed floor (the tool's places and font, a socket listening):", tool, placed);
    return 0;
}
