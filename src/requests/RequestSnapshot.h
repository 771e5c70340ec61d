#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// What BuildRequest reads from the window, taken just before it runs. The new
// parameters (text2, text5, check2, check4, txPowerByte, frequency) are read by
// programming alone; the window leaves them empty for the other commands.
struct RequestSnapshot
{
    int currentCommand = 0; // CurrentCommand, 1 to 5
    int currentChannel = 0; // CurrentChannel, 0 to 3
    int targetKindIndex = 0; // list index of Combo1: 0 LAN device, 1 radio device
    std::array<QString, 20> text1; // current LAN parameters
    std::array<QString, 20> text2; // new LAN parameters
    std::array<QString, 6> text3; // current radio parameters
    std::array<QString, 6> text5; // new radio parameters
    std::array<int, 8> check2{}; // values of the new LAN flag boxes; 1 is checked
    std::array<int, 6> check4{}; // values of the new radio flag boxes; 1 is checked
    int port1State = 0; // state of the switch button Port1(CurrentChannel); 1 is on
    quint8 txPowerByte = 0; // GetTxPowerByte()
    quint8 frequencyHigh = 0; // GetFrequencyBytes, high byte
    quint8 frequencyLow = 0; // GetFrequencyBytes, low byte
};
