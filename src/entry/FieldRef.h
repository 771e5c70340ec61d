#pragma once

// One control of the window's control arrays, as the functional core names it
// to the window: the array and the index, as in Text5(4).
enum class ControlArray {
    Text1, // current LAN parameters
    Text2, // new LAN parameters
    Text3, // current radio parameters
    Text5, // new radio parameters
    Check1, // current LAN flags
    Check2, // new LAN flags
    Check3, // current radio flags
    Check4, // new radio flags
    Check5, // current frequency bits
    Check6, // current transmit-power bits
    Check7, // new frequency bits
    Check8, // new transmit-power bits
    Port1, // switch buttons "Ch 1" to "Ch 4"
    Shape1, // input indicators
    Label12, // temperature display, a single control: index 0
};

struct FieldRef
{
    ControlArray array = ControlArray::Text1;
    int index = 0;
    bool operator==(const FieldRef &) const = default;
};
