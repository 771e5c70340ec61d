#pragma once

#include "record/HistoryRecord.h"

#include <QLocale>
#include <QTimeZone>

// The measurement history as CSV that a spreadsheet program of the user's
// locale reads as it is: its decimal mark, and ';' between the columns where
// that mark is ','. Time stamps are ISO 8601 with the offset from UTC; a
// column per value, empty where a record has no such value.
class HistoryCsv
{
public:
    // Files begin with a UTF-8 byte order mark, by which spreadsheet programs know the encoding.
    static const QByteArray ByteOrderMark;

    explicit HistoryCsv(const QLocale &locale, const QTimeZone &zone = QTimeZone::systemTimeZone());

    QChar separator() const { return m_separator; }
    QString header() const;
    QString row(const HistoryRecord &record) const;

private:
    QString number(double value) const;
    QString field(const QString &text) const;

    QLocale m_locale;
    QTimeZone m_zone;
    QChar m_separator;
};
