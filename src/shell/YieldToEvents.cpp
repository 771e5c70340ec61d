#include "shell/YieldToEvents.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>

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

    void keepEnabledLook(QWidget *frame)
    {
        QList<QWidget *> widgets = frame->findChildren<QWidget *>();
        widgets.prepend(frame);
        // The application's events pass this filter already. A widget not painted yet is painted whole, as it is, when
        // its window is shown.
        for (QWidget *widget : widgets) {
            m_watched.insert(widget);
            m_shownEnabled.insert(widget, widget->isEnabled());
            connect(widget, &QObject::destroyed, this, [this, widget] {
                m_watched.remove(widget);
                m_shownEnabled.remove(widget);
            });
        }
        watchIdle();
    }

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange && m_watched.contains(receiver))
            return deferEnabledLook(static_cast<QWidget *>(receiver));
        if (event->type() == QEvent::Paint && m_watched.contains(receiver)) {
            m_shownEnabled.insert(receiver, static_cast<QWidget *>(receiver)->isEnabled());
            return false;
        }
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
    // The widget's own handling of the change would repaint it at once. Its look is brought up to date with the
    // next released paint instead, and only if it then differs from what was last painted: a frame disabled for an
    // exchange and enabled again before anything was painted is not painted twice for nothing.
    bool deferEnabledLook(QWidget *widget)
    {
        // A button held down while it is disabled is let go by its own handling, which also repaints it.
        if (auto *button = qobject_cast<QAbstractButton *>(widget); button && button->isDown() && !widget->isEnabled())
            return false;
        QAccessible::State changed;
        changed.disabled = true;
        QAccessibleStateChangeEvent told(widget, changed);
        QAccessible::updateAccessibility(&told);
        if (!m_stale.contains(widget))
            m_stale.append(widget);
        // While a reply is awaited a slow one shows the frame disabled one frame later; otherwise the idle loop does.
        if (holding() && !m_frame.isActive())
            m_frame.start(FrameMs);
        return true;
    }

    // Asks for the paint of each widget whose enabled state is not the one last painted; its window is owed a paint.
    void refreshEnabledLooks()
    {
        const QList<QPointer<QWidget>> stale = std::exchange(m_stale, {});
        for (const QPointer<QWidget> &widget : stale) {
            if (!widget)
                continue;
            const auto shown = m_shownEnabled.constFind(widget.data());
            if (shown != m_shownEnabled.cend() && *shown == widget->isEnabled())
                continue;
            widget->update();
            if (!m_owed.contains(widget->window()))
                m_owed.append(widget->window());
        }
    }

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
            if ((!m_owed.isEmpty() || !m_stale.isEmpty()) && !holding())
                release();
        });
    }

    // The paints held back are asked for again; they pass now.
    void release()
    {
        m_frame.stop();
        refreshEnabledLooks();
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
    // Widgets whose enabled state changed since it was last looked at, and the state each was last painted in.
    QList<QPointer<QWidget>> m_stale;
    QSet<const QObject *> m_watched;
    QHash<const QObject *, bool> m_shownEnabled;
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

void paintEnabledStateWithWindow(QWidget *frame)
{
    if (PaintPacer *p = pacer())
        p->keepEnabledLook(frame);
}

void holdPaintsWhileRunning(const QTimer *replyTimeout)
{
    if (PaintPacer *p = pacer())
        p->holdWhileRunning(replyTimeout);
}
