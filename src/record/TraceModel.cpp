#include "record/TraceModel.h"

#include "record/FrameDescription.h"
#include "record/Recording.h"

#include <QDateTime>

TraceModel::TraceModel(const Recording &recording, QObject *parent)
    : QAbstractTableModel(parent), m_recording(recording), m_rows(int(recording.trace().size()))
{
    connect(&recording, &Recording::frameAdded, this, &TraceModel::frameAdded);
}

int TraceModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TraceModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TraceModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    // Descriptions are made for the rows shown only, not for every frame that arrives.
    const TraceFrame &frame = m_recording.trace().at(index.row());
    switch (index.column()) {
    case Time:
        return QDateTime::fromMSecsSinceEpoch(frame.time).toString(QStringLiteral("HH:mm:ss.zzz"));
    case Direction:
        return FrameDescription::directionText(frame.direction);
    case Peer:
        return FrameDescription::peerText(frame.peer, frame.port);
    case Bytes:
        return FrameDescription::hex(frame.bytes);
    default: {
        QString text = FrameDescription::describe(frame.direction, frame.bytes, frame.length);
        return frame.dropped ? text + QStringLiteral(", nicht dekodiert") : text;
    }
    }
}

QVariant TraceModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList Titles{QStringLiteral("Zeit"), QStringLiteral("Richtung"), QStringLiteral("Gegenstelle"),
                                    QStringLiteral("Bytes"), QStringLiteral("Beschreibung")};
    return Titles.value(section);
}

void TraceModel::frameAdded(bool oldestDropped)
{
    if (oldestDropped) {
        beginRemoveRows({}, 0, 0);
        --m_rows;
        endRemoveRows();
    }
    beginInsertRows({}, m_rows, m_rows);
    ++m_rows;
    endInsertRows();
}
