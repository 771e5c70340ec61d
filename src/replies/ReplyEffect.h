#pragma once

#include "entry/FieldRef.h"
#include "requests/RequestEffect.h"

#include <QtGlobal>
#include <variant>

// What decoding a reply does to the window, applied by the window in the
// order given. Log lines, texts and boxes are the same effects a request
// makes, so the window applies both alike.
namespace ReplyEffects {

using RequestEffects::WriteLog;
// Text1, Text2, Text3 and Text5 take a text; Label12 takes its caption.
using RequestEffects::SetText;
// A box takes 0 or 1; a box whose value changes runs its click handler, which
// is how the labels of the frequency and transmit-power rows follow.
using RequestEffects::SetCheck;

// UpdatingPorts: while it is true, a switch button that changes state
// recolours itself but sends no switch request.
struct SetUpdatingPorts
{
    bool value = false;
    bool operator==(const SetUpdatingPorts &) const = default;
};

// A switch button Port1(n) takes its state (on is written as -1); the change
// runs Port1_Click.
struct SetSwitchState
{
    FieldRef button;
    bool on = false;
    bool operator==(const SetSwitchState &) const = default;
};

// An input indicator Shape1(n) takes its fill colour, 0xRRGGBB.
struct SetFillColour
{
    FieldRef indicator;
    quint32 colour = 0;
    bool operator==(const SetFillColour &) const = default;
};

} // namespace ReplyEffects

using ReplyEffect = std::variant<ReplyEffects::WriteLog, ReplyEffects::SetText, ReplyEffects::SetCheck,
                                 ReplyEffects::SetUpdatingPorts, ReplyEffects::SetSwitchState,
                                 ReplyEffects::SetFillColour>;
