#include "shell/LogLineDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QtMath>

LogLineDelegate::LogLineDelegate(int keptLines, QObject *parent)
    : QStyledItemDelegate(parent), m_keptLines(keptLines)
{
}

const QStaticText &LogLineDelegate::laidOut(const QString &text, const QFont &font) const
{
    // Lines leave the log at the top; a cache twice its size holds every line shown.
    if (font != m_font || m_laidOut.size() > 2 * m_keptLines) {
        m_laidOut.clear();
        m_font = font;
        m_lineHeight = 0;
    }
    auto it = m_laidOut.find(text);
    if (it == m_laidOut.end()) {
        QStaticText line(text);
        line.setTextFormat(Qt::PlainText);
        line.prepare(QTransform(), font);
        it = m_laidOut.insert(text, line);
    }
    return *it;
}

void LogLineDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QWidget *widget = item.widget;
    const QStyle *style = widget ? widget->style() : QApplication::style();
    // Background, selection and focus as the style draws them, then the text.
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QPalette::ColorGroup group = (item.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const QPalette::ColorRole role =
        (item.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text;
    const QStaticText &line = laidOut(text, item.font);
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, role));
    painter->setClipRect(area);
    const qreal top = area.top() + (area.height() - line.size().height()) / 2;
    painter->drawStaticText(QPointF(area.left() + margin, top), line);
    painter->restore();
}

QSize LogLineDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QStaticText &line = laidOut(item.text, item.font);
    // Every line is as high as the style makes one line of text; only widths differ.
    if (m_lineHeight == 0)
        m_lineHeight = QStyledItemDelegate::sizeHint(option, index).height();
    const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, item.widget) + 1;
    return QSize(qCeil(line.size().width()) + 2 * margin, m_lineHeight);
}
