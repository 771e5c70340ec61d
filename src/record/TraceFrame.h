#pragma once

#include <QByteArray>
#include <QHostAddress>

// One frame that crossed the wire, or bytes that arrived and were no frame.
struct TraceFrame
{
    enum class Direction : quint8 { Sent, Received };

    // Bytes kept of what arrived beyond any frame; the length says how many came.
    static constexpr int MaxKeptBytes = 64;

    qint64 time = 0; // milliseconds since the epoch
    QHostAddress peer;
    quint16 port = 0;
    Direction direction = Direction::Sent;
    // Received bytes that the tool dropped without decoding them (a connection given up).
    bool dropped = false;
    qint32 length = 0;
    QByteArray bytes;
};
