#pragma once

// What a start-up probe tells its runner once its window is up: the monotonic
// clock at that moment, the peak resident memory and the processor time (user and system) so far.

#include <QEvent>
#include <QMap>
#include <QStringList>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

// The widgets of a window by kind, "QLineEdit=70,QCheckBox=..." and their number.
inline QString widgetKinds(const QWidget &window, int &count)
{
    QMap<QString, int> kinds;
    const auto children = window.findChildren<QWidget *>();
    for (const QWidget *w : children)
        ++kinds[QString::fromLatin1(w->metaObject()->className())];
    count = static_cast<int>(children.size()) + 1;
    QStringList parts;
    for (auto it = kinds.cbegin(); it != kinds.cend(); ++it)
        parts << it.key() + QLatin1Char('=') + QString::number(it.value());
    return parts.join(QLatin1Char(','));
}

inline void reportReady(const QWidget &window)
{
    int widgets = 0;
    const QString kinds = widgetKinds(window, widgets);
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long long cpuUs = (static_cast<long long>(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000LL
        + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf("READY %lld %ld %d %s %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                usage.ru_maxrss, widgets, qPrintable(kinds), cpuUs);
    std::fflush(stdout);
}

// Notes the first paint of the window it watches.
class PaintSeen : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};
