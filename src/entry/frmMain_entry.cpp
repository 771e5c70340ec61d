// Typing into the entry fields, leaving them, and telling what a check refused.
#include "entry/CheckVerdict.h"
#include "entry/FieldEventFilter.h"
#include "entry/FieldKeys.h"
#include "entry/FieldRef.h"
#include "entry/LeaveChecks.h"
#include "requests/TwoStateButton.h"
#include "shell/frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::CriticalStop:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The checks join the lines of a message with a carriage return; a label
// breaks its lines at a line feed.
QString shownLines(QString message)
{
    return message.replace(QChar(u'\r'), QChar(u'\n'));
}

template <typename W, std::size_t N>
QWidget *at(const std::array<W *, N> &controls, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N ? controls[static_cast<std::size_t>(index)] : nullptr;
}

} // namespace

void frmMain::connectEntryHandlers()
{
    m_fieldEvents = new FieldEventFilter(this);
    // Quitting is never held up by a field whose value does not pass.
    m_fieldEvents->exempt(cmdBeenden);
    for (std::size_t k = 0; k < Text1.size(); ++k) {
        const int index = static_cast<int>(k);
        m_fieldEvents->watch(
            Text1[k], [this, index](int &KeyAscii) { Text1_KeyPress(index, KeyAscii); },
            [this, index] { Text1_LostFocus(index); });
    }
    for (std::size_t k = 0; k < Text2.size(); ++k) {
        const int index = static_cast<int>(k);
        m_fieldEvents->watch(
            Text2[k], [this, index](int &KeyAscii) { Text2_KeyPress(index, KeyAscii); },
            [this, index] { Text2_LostFocus(index); });
    }
}

void frmMain::Text1_KeyPress(int Index, int &KeyAscii)
{
    const FieldKeys::KeyDecision decision = FieldKeys::text1KeyPress(Index, KeyAscii);
    if (decision.focusIndex)
        Text1[static_cast<std::size_t>(*decision.focusIndex)]->setFocus();
    KeyAscii = decision.keyAscii;
}

void frmMain::Text2_KeyPress(int Index, int &KeyAscii)
{
    const FieldKeys::KeyDecision decision = FieldKeys::text2KeyPress(Index, KeyAscii);
    if (decision.focusIndex)
        Text2[static_cast<std::size_t>(*decision.focusIndex)]->setFocus();
    KeyAscii = decision.keyAscii;
}

void frmMain::Text1_LostFocus(int Index)
{
    ShowVerdict(LeaveChecks::text1LostFocus(Index, Text1[static_cast<std::size_t>(Index)]->text()));
}

void frmMain::Text2_LostFocus(int Index)
{
    ShowVerdict(LeaveChecks::text2LostFocus(Index, Text2[static_cast<std::size_t>(Index)]->text()));
}

void frmMain::ShowVerdict(const CheckVerdict &verdict)
{
    if (!verdict.failed)
        return;
    if (!verdict.message.isEmpty())
        MsgBox(boxIcon(verdict.icon), shownLines(verdict.message), verdict.title);
    if (verdict.focus) {
        if (QWidget *field = control(*verdict.focus))
            m_fieldEvents->returnFocus(field);
    }
    if (verdict.beep)
        QApplication::beep();
}

QWidget *frmMain::control(const FieldRef &ref) const
{
    switch (ref.array) {
    case ControlArray::Text1:
        return at(Text1, ref.index);
    case ControlArray::Text2:
        return at(Text2, ref.index);
    case ControlArray::Text3:
        return at(Text3, ref.index);
    case ControlArray::Text5:
        return at(Text5, ref.index);
    case ControlArray::Check1:
        return at(Check1, ref.index);
    case ControlArray::Check2:
        return at(Check2, ref.index);
    case ControlArray::Check3:
        return at(Check3, ref.index);
    case ControlArray::Check4:
        return at(Check4, ref.index);
    case ControlArray::Check5:
        return at(Check5, ref.index);
    case ControlArray::Check6:
        return at(Check6, ref.index);
    case ControlArray::Check7:
        return at(Check7, ref.index);
    case ControlArray::Check8:
        return at(Check8, ref.index);
    case ControlArray::Port1:
        return at(Port1, ref.index);
    case ControlArray::Shape1:
        return at(Shape1, ref.index);
    case ControlArray::Label12:
        return ref.index == 0 ? Label12 : nullptr;
    }
    return nullptr;
}
