#pragma once

// One control of the window's control arrays, as the functional core names it
// to the window: the array and the index, as in Text5(4).
enum class ControlArray {
    Text1, // current LAN parameters
    Text2, // new LAN parameters
    Text3, // current radio parameters
    Text5, // new radio parameters
    Check1, // current LAN flags
};

struct FieldRef
{
    ControlArray array = ControlArray::Text1;
    int index = 0;
    bool operator==(const FieldRef &) const = default;
};
