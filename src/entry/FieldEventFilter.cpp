#include "entry/FieldEventFilter.h"

#include "entry/FieldKeys.h"
#include "entry/modTasMon.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <optional>

namespace {

constexpr int FirstPrintable = 32;
constexpr int DeleteCharacter = 127;

// The character code a key types, as KeyPress receives it; none for keys that
// type nothing, and for control characters of shortcuts such as Ctrl+A.
std::optional<int> keyAsciiOf(const QKeyEvent &key)
{
    switch (key.key()) {
    case Qt::Key_Backspace:
        return modTasMon::KeyBackspace;
    case Qt::Key_Tab:
        return FieldKeys::KeyTab;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return FieldKeys::KeyEnter;
    case Qt::Key_Escape:
        return FieldKeys::KeyEsc;
    default:
        break;
    }
    // Shortcuts (Ctrl+A, Ctrl+V) type nothing; Ctrl+Alt is AltGr on some keyboards.
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    if (modifiers.testFlag(Qt::MetaModifier) ||
        (modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier)))
        return std::nullopt;
    const QString text = key.text();
    if (text.size() != 1)
        return std::nullopt;
    const int code = text.at(0).unicode();
    if (code < FirstPrintable || code == DeleteCharacter)
        return std::nullopt;
    return code;
}

} // namespace

FieldEventFilter::FieldEventFilter(QWidget *window) : QObject(window), m_window(window)
{
}

void FieldEventFilter::watch(QLineEdit *field, KeyPress keyPress, LostFocus lostFocus)
{
    m_fields.insert(field, Handlers{std::move(keyPress), std::move(lostFocus)});
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] { m_fields.remove(field); });
}

void FieldEventFilter::exempt(QWidget *control)
{
    m_exempt.insert(control);
}

void FieldEventFilter::returnFocus(QWidget *field)
{
    m_pending.clear();
    m_returningFocus = true;
    field->setFocus(Qt::OtherFocusReason);
    m_returningFocus = false;
}

bool FieldEventFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::FocusOut)
        return false;
    // A field in the middle of its destruction is no line edit any more.
    auto *field = qobject_cast<QLineEdit *>(watched);
    const auto handlers = m_fields.constFind(field);
    if (!field || handlers == m_fields.constEnd())
        return false;
    if (event->type() == QEvent::KeyPress)
        return keyPressed(field, *handlers, *static_cast<QKeyEvent *>(event));
    if (!m_returningFocus)
        focusLeft(field);
    return false;
}

bool FieldEventFilter::keyPressed(QLineEdit *field, const Handlers &handlers, const QKeyEvent &key)
{
    const std::optional<int> typed = keyAsciiOf(key);
    if (!typed)
        return false;
    int keyAscii = *typed;
    handlers.keyPress(keyAscii);
    if (keyAscii == *typed)
        return false;
    // Swallowed, or the field takes another character than the one typed.
    if (keyAscii != modTasMon::KeySwallowed)
        field->insert(QString(QChar(keyAscii)));
    return true;
}

void FieldEventFilter::focusLeft(QLineEdit *field)
{
    // The application's focus widget is already the one that takes the focus;
    // there is none while the window loses activation, to a message box or
    // another window.
    QWidget *next = QApplication::focusWidget();
    if (!next || next->window() != m_window || m_exempt.contains(next))
        return;
    if (m_pending.contains(field))
        return;
    m_pending.append(field);
    QMetaObject::invokeMethod(this, &FieldEventFilter::runPendingChecks, Qt::QueuedConnection);
}

void FieldEventFilter::runPendingChecks()
{
    // A check's message box runs a local event loop; what is left behind it
    // is taken by the loop below, never by a second check at the same time.
    if (m_checking)
        return;
    m_checking = true;
    while (!m_pending.isEmpty()) {
        const QPointer<QLineEdit> field = m_pending.takeFirst();
        // A closed window, or a field hidden or disabled meanwhile, is left by nobody.
        if (!field || !m_window->isVisible() || !field->isVisible() || !field->isEnabled())
            continue;
        const LostFocus check = m_fields.value(field.data()).lostFocus;
        if (check)
            check();
    }
    m_checking = false;
}
