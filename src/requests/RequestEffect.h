#pragma once

#include "entry/CheckVerdict.h"
#include "entry/FieldRef.h"

#include <QString>
#include <variant>

// What building a request does to the window besides the frame, applied by
// the window in the order given.
namespace RequestEffects {

struct SetLongReplyTimeout
{
    bool value = true;
    bool operator==(const SetLongReplyTimeout &) const = default;
};

struct WriteLog
{
    QString text;
    bool operator==(const WriteLog &) const = default;
};

// A text field takes a text.
struct SetText
{
    FieldRef field;
    QString text;
    bool operator==(const SetText &) const = default;
};

// A check box takes a value (0, 1 or 2, as the box it is copied from).
struct SetCheck
{
    FieldRef box;
    int value = 0;
    bool operator==(const SetCheck &) const = default;
};

// A programming check refused the new values: the window shows the verdict
// (message box, then the focus); nothing is sent.
struct ShowCheckVerdict
{
    CheckVerdict verdict;
    bool operator==(const ShowCheckVerdict &) const = default;
};

} // namespace RequestEffects

using RequestEffect = std::variant<RequestEffects::SetLongReplyTimeout, RequestEffects::WriteLog,
                                   RequestEffects::SetText, RequestEffects::SetCheck,
                                   RequestEffects::ShowCheckVerdict>;
