#pragma once

// The key filter of the numeric fields.
namespace modTasMon {

inline constexpr int KeyBackspace = 8;
inline constexpr int KeyComma = 44;
inline constexpr int KeyPoint = 46;
inline constexpr int KeyDigitZero = 48;
inline constexpr int KeyDigitNine = 57;
inline constexpr int KeySwallowed = 0;

// Filters one typed character (KeyAscii) of a numeric field with a decimal
// point: digits, Backspace and "." pass, "," becomes ".", everything else
// becomes 0, i.e. is swallowed.
int FilterKey(int keyAscii);

} // namespace modTasMon
