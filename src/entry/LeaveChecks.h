#pragma once

#include "entry/CheckVerdict.h"

#include <QString>

// The range tests that run when a field of the LAN parameter frames is left.
namespace LeaveChecks {

// Text1_LostFocus: address octets and eNum (0 to 15, 17) must lie in 0 to 255,
// the port (16) in 1 to 32000, read leniently; 18 and 19 are not tested.
// A failure shows its message (exclamation icon, title "TessraProg"), puts the
// focus back into the field and beeps.
CheckVerdict text1LostFocus(int index, const QString &text);

// Text2_LostFocus: only the new IP address (0 to 3) is tested, strictly. A
// number above 255 or a text that is not a number puts the focus back and
// beeps, without a message; an empty field passes (its byte is sent as 0).
CheckVerdict text2LostFocus(int index, const QString &text);

} // namespace LeaveChecks
