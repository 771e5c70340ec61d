#pragma once

#include <QColor>
#include <QString>
#include <array>

namespace StatusLine {

inline constexpr int StateTextCount = 21;
using StateTexts = std::array<QString, StateTextCount>;

// Texts of the socket states 0 to 9; 10 to 20 stay empty.
StateTexts stateTexts();

// Background of the status line: magenta while the socket is unused, yellow
// while idle, green for every other state.
QColor colourForState(int state);

// The text shown for a state; states outside the table show nothing.
QString textForState(const StateTexts &texts, int state);

} // namespace StatusLine
