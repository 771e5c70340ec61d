#include "shell/StatusLabel.h"

#include <QPaintEvent>
#include <QPainter>

StatusLabel::StatusLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    // Every pixel is painted here, as a filled label's are: the window need not paint what lies beneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor StatusLabel::background() const
{
    return m_background.isValid() ? m_background : palette().color(backgroundRole());
}

void StatusLabel::setBackground(const QColor &colour)
{
    if (colour == m_background)
        return;
    m_background = colour;
    update();
}

void StatusLabel::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), background());
    }
    QLabel::paintEvent(event);
}
