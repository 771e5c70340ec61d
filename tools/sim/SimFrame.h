#pragma once

#include "protocol/Frame.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// One frame as a simulated device reads it: a whole frame, checked, then
// typed by the protocol layer.
namespace SimFrame {

struct Parsed
{
    std::optional<Protocol::ParsedRequest> request;
    QString fault; // why the bytes are no frame; empty when request is set
};

// One whole frame as FrameReader cuts it from the stream: preamble, a length
// byte that matches what arrived, and the checksum are checked.
Parsed parse(QByteArrayView wire);

// "FF AA 00 C8": every byte as two upper-case hex digits, blank-separated.
QString hexDump(QByteArrayView bytes);

} // namespace SimFrame
