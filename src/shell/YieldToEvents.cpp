#include "shell/YieldToEvents.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

// One frame of a 60 Hz display.
constexpr int FrameMs = 16;

// Holds back the paints of top-level windows while handlers yield and while a
// reply is awaited: each is painted when its frame is due, one frame after the
// first change held back, or when the loop runs dry with no reply awaited.
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
        m_yielding = true;
        watchIdle();
        QCoreApplication::processEvents();
    }

    void holdWhileRunning(const QTimer *timer)
    {
        m_awaited.removeAll(nullptr);
        if (!m_awaited.contains(timer))
            m_awaited.append(timer);
        watchIdle();
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() != QEvent::UpdateRequest || !receiver->isWidgetType())
            return false;
        // A paint released by its frame or by the idle loop goes through.
        if (m_released.removeAll(receiver) > 0 || !holding())
            return false;
        if (!m_owed.contains(receiver))
            m_owed.append(receiver);
        if (!m_frame.isActive())
            m_frame.start(FrameMs);
        return true;
    }

private:
    bool holding() const
    {
        return m_yielding || std::any_of(m_awaited.cbegin(), m_awaited.cend(), [](const QPointer<const QTimer> &t) {
                   return t && t->isActive();
               });
    }

    // The dispatcher of the thread the pacer first works on, looked up once it exists.
    void watchIdle()
    {
        auto *dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher || dispatcher == m_dispatcher)
            return;
        m_dispatcher = dispatcher;
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            m_yielding = false;
            // While a reply is awaited the frame paints what changed; otherwise the rest is shown now.
            if (!m_owed.isEmpty() && !holding())
                release();
        });
    }

    // The paints held back are asked for again; they pass now.
    void release()
    {
        m_frame.stop();
        const QList<QPointer<QObject>> owed = std::exchange(m_owed, {});
        for (const QPointer<QObject> &window : owed) {
            if (!window)
                continue;
            m_released.append(window);
            QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
        }
    }

    bool m_yielding = false;
    QList<QPointer<const QTimer>> m_awaited;
    // The windows whose paint is held back, and those whose next paint passes; they may close meanwhile.
    QList<QPointer<QObject>> m_owed;
    QList<QPointer<QObject>> m_released;
    QTimer m_frame;
    QPointer<QAbstractEventDispatcher> m_dispatcher;
};

PaintPacer *pacer()
{
    static QPointer<PaintPacer> instance;
    if (!instance && QCoreApplication::instance())
        instance = new PaintPacer(QCoreApplication::instance());
    return instance;
}

} // namespace

void yieldToEvents()
{
    if (PaintPacer *p = pacer())
        p->yield();
    else
        QCoreApplication::processEvents();
}

void holdPaintsWhileRunning(const QTimer *replyTimeout)
{
    if (PaintPacer *p = pacer())
        p->holdWhileRunning(replyTimeout);
}
