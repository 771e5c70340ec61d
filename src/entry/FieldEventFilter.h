#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <functional>

class QKeyEvent;
class QLineEdit;
class QWidget;

// Sees the keys typed into the window's entry fields and the focus leaving
// them, and hands both to the window's handlers as KeyPress and LostFocus.
//
// A typed character reaches KeyPress as its character code (Backspace 8,
// Tab 9, Enter 13, Esc 27); the handler may change it, or set it to 0 to
// swallow the key. Keys that type nothing (arrows, Delete, shortcuts) are not
// shown to it.
//
// LostFocus runs only when the focus really moved to another control of the
// same window: not when the window loses activation, not when the focus goes
// to an exempt control (the quit button: closing is never held up by a
// check), and not when a check itself puts the focus back, so that two
// refused fields cannot throw the focus back and forth between them. It runs after the focus change is complete, one check at a time; a
// check that puts the focus back drops the checks still waiting, because the
// moves behind them started from a field that was not left after all.
class FieldEventFilter final : public QObject
{
public:
    using KeyPress = std::function<void(int &KeyAscii)>;
    using LostFocus = std::function<void()>;

    explicit FieldEventFilter(QWidget *window);

    void watch(QLineEdit *field, KeyPress keyPress, LostFocus lostFocus);
    void exempt(QWidget *control);

    // Puts the focus into a field for a refused check: the control that loses
    // the focus now is not checked.
    void returnFocus(QWidget *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Handlers
    {
        KeyPress keyPress;
        LostFocus lostFocus;
    };

    bool keyPressed(QLineEdit *field, const Handlers &handlers, const QKeyEvent &key);
    void focusLeft(QLineEdit *field);
    void runPendingChecks();

    QWidget *const m_window;
    QHash<QObject *, Handlers> m_fields;
    QSet<QObject *> m_exempt;
    QList<QPointer<QLineEdit>> m_pending;
    bool m_returningFocus = false;
    bool m_checking = false;
};
