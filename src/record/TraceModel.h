#pragma once

#include <QAbstractTableModel>

class Recording;

// The frame trace as a table, oldest frame first; it follows the trace while it lives.
class TraceModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Direction, Peer, Bytes, Description, ColumnCount };

    explicit TraceModel(const Recording &recording, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void frameAdded(bool oldestDropped);

    const Recording &m_recording;
    int m_rows = 0;
};
