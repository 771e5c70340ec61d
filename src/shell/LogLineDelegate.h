#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

// Paints the lines of the event log. A line's text never changes, so its
// laid-out glyphs are kept and each repaint only draws them.
class LogLineDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit LogLineDelegate(int keptLines, QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const QStaticText &laidOut(const QString &text, const QFont &font) const;

    const int m_keptLines;
    mutable QHash<QString, QStaticText> m_laidOut;
    mutable QFont m_font;
    mutable int m_lineHeight = 0;
};
