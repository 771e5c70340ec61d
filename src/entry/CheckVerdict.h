#pragma once

#include "entry/FieldRef.h"

#include <QString>
#include <optional>

enum class MessageIcon {
    None,
    Exclamation,
    CriticalStop,
};

// What a check of typed input tells the window. When it failed, the window
// shows the message box (if there is a message, with an OK button), then moves
// the focus (if a field is named), then beeps (if asked), in this order.
// A check never changes a field's text.
struct CheckVerdict
{
    bool failed = false;
    QString message;
    MessageIcon icon = MessageIcon::None;
    QString title;
    std::optional<FieldRef> focus;
    bool beep = false;

    bool operator==(const CheckVerdict &) const = default;
};
