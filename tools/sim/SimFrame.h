#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// One frame as a simulated device reads and writes it. The positions, codes
// and checksum are the tool's own (requests/FrameFormat.h).
namespace SimFrame {

struct Frame
{
    quint8 code = 0;
    quint8 eNum = 0;
    quint8 destHome = 0;
    quint8 destHigh = 0;
    quint8 destLow = 0;
    quint8 srcHigh = 0;
    quint8 srcLow = 0;
    quint8 deviceClass = 0;
    quint8 deviceFunction = 0;
    QByteArray payload;

    bool operator==(const Frame &) const = default;
};

// Preamble and body, with the length byte and checksum worked out; at most
// the longest payload a body can carry.
QByteArray encode(const Frame &frame);

struct Parsed
{
    std::optional<Frame> frame;
    QString fault; // why the bytes are no frame; empty when frame is set
};

// One whole frame as FrameReader cuts it from the stream: preamble, a length
// byte that matches what arrived, and the checksum are checked.
Parsed parse(QByteArrayView wire);

// "FF AA 00 C8": every byte as two upper-case hex digits, blank-separated.
QString hexDump(QByteArrayView bytes);

// Temperatures travel in tenths of a degree as sign and magnitude, high byte
// first; magnitudes beyond what 15 bits hold are clamped.
QByteArray encodeTemperature(int tenths);

} // namespace SimFrame
