#pragma once

#include "entry/SelectorRows.h"

#include <QLocale>
#include <QString>
#include <array>

// What DecodeReply reads from the window, taken just before it decodes.
struct ReplySnapshot
{
    std::array<QString, 20> text1; // current LAN parameters: 18 and 19 are copied into the new ones
    std::array<QString, 20> text2; // new LAN parameters: 0 to 17 become the current ones on reply 240
    std::array<QString, 6> text3; // current radio parameters: 0 to 2 are copied into the new ones
    SelectorRows::FrequencyBoxes check5{}; // current frequency boxes, ticked or not
    QString label15Frequency = SelectorRows::InitialFrequencyCaption; // Label15(3) as it reads
    // "0.0" values and the frequency caption use its decimal separator.
    QLocale locale;
};
