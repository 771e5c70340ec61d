#pragma once

#include "record/TraceFrame.h"

#include <QList>
#include <QString>

// What the frame trace says about the bytes of one frame.
namespace FrameDescription {

// The frames in received bytes, in order: each as long as its length byte
// says (or what there is of it); bytes that begin no frame go as one piece.
QList<QByteArray> splitFrames(QByteArray bytes);

// "Messwerte (Code 106), Länge 18, eNum 1, Absender 1/23, Prüfsumme korrekt"
QString describe(TraceFrame::Direction direction, const QByteArray &bytes, qint32 length);

// "FF AA 00 CE ..."
QString hex(const QByteArray &bytes);

QString directionText(TraceFrame::Direction direction);
QString peerText(const QHostAddress &peer, quint16 port);

// One line of the saved trace: local time, direction, peer, bytes and description, tab-separated.
QString traceLine(const TraceFrame &frame);

} // namespace FrameDescription
