#include "shell/YieldToEvents.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QList>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// One frame of a 60 Hz display.
constexpr int FrameMs = 16;

// Holds back the paints of top-level windows while handlers yield: each is
// painted again when its frame is due or when the event loop runs dry.
class PaintPacer final : public QObject
{
public:
    explicit PaintPacer(QCoreApplication *app) : QObject(app)
    {
        app->installEventFilter(this);
        m_frame.setSingleShot(true);
        m_frame.setTimerType(Qt::PreciseTimer);
        connect(&m_frame, &QTimer::timeout, this, &PaintPacer::release);
    }

    void yield()
    {
        if (!m_busy) {
            m_busy = true;
            m_sincePaint.start();
            watchIdle();
        }
        QCoreApplication::processEvents();
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest || !receiver->isWidgetType())
            return false;
        if (!m_busy || m_sincePaint.elapsed() >= FrameMs) {
            m_sincePaint.start();
            m_owed.removeAll(receiver);
            return false;
        }
        if (!m_owed.contains(receiver))
            m_owed.append(receiver);
        if (!m_frame.isActive())
            m_frame.start(std::max<qint64>(0, FrameMs - m_sincePaint.elapsed()));
        return true;
    }

private:
    // The dispatcher of the thread the pacer first yields on, looked up once it exists.
    void watchIdle()
    {
        auto *dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher || dispatcher == m_dispatcher)
            return;
        m_dispatcher = dispatcher;
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (!m_busy)
                return;
            m_busy = false;
            release();
        });
    }

    // The paints held back are asked for again; they pass now.
    void release()
    {
        m_frame.stop();
        const QList<QPointer<QObject>> owed = std::exchange(m_owed, {});
        for (const QPointer<QObject> &window : owed) {
            if (window)
                QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
        }
    }

    bool m_busy = false;
    QElapsedTimer m_sincePaint;
    // The windows whose paint is held back; they may close meanwhile.
    QList<QPointer<QObject>> m_owed;
    QTimer m_frame;
    QPointer<QAbstractEventDispatcher> m_dispatcher;
};

} // namespace

void yieldToEvents()
{
    static QPointer<PaintPacer> pacer;
    if (!pacer && QCoreApplication::instance())
        pacer = new PaintPacer(QCoreApplication::instance());
    if (pacer)
        pacer->yield();
    else
        QCoreApplication::processEvents();
}
