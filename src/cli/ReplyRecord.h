#pragma once

#include <QByteArrayView>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

// A reply as values for scripts: its kind and every value the protocol layer
// parses from it, named with their units, in the order they travel. JSON and
// CSV are written from the same record.
namespace ReplyRecord {

struct Field
{
    QString key;
    QJsonValue value;
};
using Fields = QList<Field>;

// The names of the flag bits, bit 0 first; a radio device has the first six.
extern const QStringList LanFlagNames;
inline constexpr int RadioFlagNameCount = 6;

// "kind" and the values, from the bytes that arrived as the reply. A reply that
// the window's decoder cannot read has the kind "undecodable" and its bytes.
Fields fromReply(QByteArrayView received, bool decodable);

// One JSON object on one line, its keys in the order given.
QString jsonLine(const Fields &fields);

// The CSV tables: a measurement log, and the parameters of an inventory.
enum class Table { Measurements, Parameters };

// The columns of a table, and the row of a record; a value the record lacks
// leaves its column empty.
QString csvHeader(Table table);
QString csvRow(const Fields &fields, Table table);

} // namespace ReplyRecord
