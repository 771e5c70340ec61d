#pragma once

// What a start-up probe tells its runner once its window is up: the monotonic
// clock at that moment, the peak resident memory and the processor time (user and system) so far.

#include <QEvent>
#include <QMap>
#include <QPoint>
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

// Where the window's widgets lie and whether they show, "QLineEdit:8,72,25,17,1;...", in the window's coordinates.
inline QString widgetPlaces(const QWidget &window)
{
    QStringList places;
    for (const QWidget *w : window.findChildren<QWidget *>()) {
        const QPoint at = w->mapTo(&window, QPoint(0, 0));
        places << QStringLiteral("%1:%2,%3,%4,%5,%6")
                      .arg(QString::fromLatin1(w->metaObject()->className()))
                      .arg(at.x())
                      .arg(at.y())
                      .arg(w->width())
                      .arg(w->height())
                      .arg(w->isVisibleTo(&window) ? 1 : 0);
    }
    return places.join(QLatin1Char(';'));
}

// The clock and the resources are taken first, so that describing the window is not part of its start-up. With
// places, a second line tells the window's font and where its widgets lie, for a floor that shows them alike.
inline void reportReady(const QWidget &window, bool withPlaces = false)
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long long cpuUs = (static_cast<long long>(usage.ru_utime.tv_sec) + usage.ru_stime.tv_sec) * 1000000LL
        + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    int widgets = 0;
    const QString kinds = widgetKinds(window, widgets);
    std::printf("READY %lld %ld %d %s %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                usage.ru_maxrss, widgets, qPrintable(kinds), cpuUs);
    if (withPlaces)
        std::printf("FONT %s\nPLACES %s\n", qPrintable(window.font().toString()), qPrintable(widgetPlaces(window)));
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
