#pragma once

#include "protocol/Values.h"

#include <QLocale>
#include <QString>
#include <array>
#include <utility>

// The check-box rows that stand for bit fields: box k is bit k. The radio
// frequency is a 12-bit code (860 MHz + code x 5 kHz), the transmit power a
// 3-bit code of 3, 6 and 12 dB of attenuation.
namespace SelectorRows {

inline constexpr int FrequencyBits = Protocol::FrequencyCodeBits;
inline constexpr int TxPowerBits = Protocol::TxPowerCodeBits;
// Both codes travel in bytes whose upper four bits are 1010.
inline constexpr int CodeBytePattern = Protocol::CodeBytePattern;

using FrequencyBoxes = std::array<bool, FrequencyBits>;
using TxPowerBoxes = std::array<bool, TxPowerBits>;

inline const QString InitialFrequencyCaption = QStringLiteral("F=860 Mhz");
inline const QString InitialTxPowerCaption = QStringLiteral("TX-Pwr -0 dB");

// "F=" and the frequency in MHz, computed in single precision and written in
// its shortest form of at most seven significant digits, then " MHz".
QString frequencyCaption(const FrequencyBoxes &boxes, const QLocale &locale);

int txPowerAttenuation(const TxPowerBoxes &boxes);
QString txPowerCaption(const TxPowerBoxes &boxes);

// 0xA0 plus the three power bits: 160 to 167.
int txPowerByte(const TxPowerBoxes &boxes);
// High byte 0xA0 plus bits 8 to 11, low byte bits 0 to 7.
std::pair<int, int> frequencyBytes(const FrequencyBoxes &boxes);

// The boxes for a received code; bits above the row are dropped.
FrequencyBoxes frequencyBoxesFor(qint32 code);
TxPowerBoxes txPowerBoxesFor(int code);

} // namespace SelectorRows
