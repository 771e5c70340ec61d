#pragma once

#include "entry/CheckVerdict.h"

#include <QString>

// The checks of the new radio parameters before they are programmed into a
// radio device. A failure shows a two-line message (lines joined by one
// carriage return) with a critical-stop icon, titled "Achtung !".
namespace ProgrammingChecks {

// Home address (Text5(0)) not 0, device address high and low (Text5(1),
// Text5(2)) in 0 to 250, read leniently. The focus stays where it is.
CheckVerdict CheckRadioAddresses(const QString &home, const QString &high, const QString &low);

// T-Diff on and off (Text5(4), Text5(5)) in 0.1 to 25.5, "," read as ".".
// Only the first failing value is reported; the focus goes to its field.
CheckVerdict CheckTDiff(const QString &on, const QString &off);

} // namespace ProgrammingChecks
