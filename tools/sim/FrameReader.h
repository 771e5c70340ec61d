#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// Cuts the frames out of what one connection delivers, however the network
// splits it. Bytes that cannot start a frame are handed back as a piece of
// their own, so that a device logs them and finds the next preamble; what is
// held back never exceeds one frame.
class FrameReader
{
public:
    struct Piece
    {
        QByteArray bytes;
        QString fault; // empty: a whole frame (preamble and as many body bytes as its length byte says)
    };

    // The pieces that are complete now, in order of arrival.
    QList<Piece> append(QByteArrayView bytes);
    // The connection ended: a frame begun and not finished.
    QList<Piece> finish();

private:
    QByteArray m_held;
};
