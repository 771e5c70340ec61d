#include "requests/TwoStateButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

enum ColourRole { OuterShadow, LightEdge, Face, InnerShadow };

} // namespace

TwoStateButton::TwoStateButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
    setCheckable(true);
}

void TwoStateButton::setColours(const SwitchColours::ColourSet &colours)
{
    m_colours = colours;
    update();
}

void TwoStateButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect();
    const auto colour = [this](ColourRole role) { return SwitchColours::fromBgr(m_colours[role]); };
    const bool sunken = isChecked() || isDown();

    painter.fillRect(r, colour(Face));
    const QColor topLeftOuter = sunken ? colour(OuterShadow) : colour(LightEdge);
    const QColor bottomRightOuter = sunken ? colour(LightEdge) : colour(OuterShadow);
    const QColor bottomRightInner = sunken ? colour(Face) : colour(InnerShadow);
    const QColor topLeftInner = sunken ? colour(InnerShadow) : colour(Face);

    painter.setPen(topLeftOuter);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRightOuter);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    const QRect inner = r.adjusted(1, 1, -1, -1);
    painter.setPen(topLeftInner);
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(bottomRightInner);
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());

    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    const QRect textRect = sunken ? r.translated(1, 1) : r;
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = r.adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
