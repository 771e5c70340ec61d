#pragma once

class QTimer;
class QWidget;

// Lets the events that are waiting run in the middle of a handler, so that the
// window shows each step and clicks, timers and socket events are not held up.
// Every event runs as before, but while handlers yield the window is painted at
// most once per display frame: steps a fraction of a millisecond apart cannot
// be seen anyway, and painting each of them cost an exchange most of its time.
// Once nothing is left to run, the window is painted with all that changed.
void yieldToEvents();

// While this timer runs the window waits for a device's reply: what changed is
// painted one frame after the first change rather than whenever the loop waits,
// so that an exchange that is over within a frame is painted once, when its
// handler is done, and a slow one shows that it waits a frame later.
void holdPaintsWhileRunning(const QTimer *replyTimeout);

// The enabled state of this frame and of the controls in it is painted with the
// window's next paint (at the latest one frame, or an idle loop, later) rather
// than at once, and not at all where it is back to what was last painted: the
// command frame is disabled for each exchange, which is mostly over long before.
void paintEnabledStateWithWindow(QWidget *frame);
