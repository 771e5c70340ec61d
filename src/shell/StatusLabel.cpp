#include "shell/StatusLabel.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A socket has ten states, each shown in an active or an inactive window; more looks than that come from captions
// set from elsewhere, and are drawn anew.
constexpr qsizetype MaxFaces = 20;

} // namespace

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

void StatusLabel::paintEvent(QPaintEvent *)
{
    const QRgb colour = background().rgba();
    const qreal ratio = devicePixelRatioF();
    const bool active = isActiveWindow();
    auto face = std::find_if(m_faces.cbegin(), m_faces.cend(), [&](const Face &f) {
        return f.colour == colour && f.size == size() && f.ratio == ratio && f.active == active && f.text == text();
    });
    if (face == m_faces.cend()) {
        if (m_faces.size() >= MaxFaces)
            m_faces.clear();
        m_faces.append({text(), colour, size(), ratio, active, drawFace()});
        face = m_faces.cend() - 1;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, face->pixels);
}

// The label as a filled label with this colour in its palette draws itself: the same label, off the screen.
QPixmap StatusLabel::drawFace() const
{
    QLabel model(text());
    model.setAttribute(Qt::WA_DontShowOnScreen);
    // The font and colours as this label has them, every property of them: those it took from its window would
    // otherwise give way to the application's in a label that has no window.
    QFont face = font();
    face.setResolveMask(QFont::AllPropertiesResolved);
    model.setFont(face);
    QPalette colours = palette();
    colours.setResolveMask(~QPalette::ResolveMask(0));
    colours.setColor(backgroundRole(), background());
    // The model is never the active window: it paints in the colours this label has in its window's state.
    if (isActiveWindow()) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = static_cast<QPalette::ColorRole>(role);
            colours.setBrush(QPalette::Inactive, r, colours.brush(QPalette::Active, r));
        }
    }
    model.setPalette(colours);
    model.setBackgroundRole(backgroundRole());
    model.setForegroundRole(foregroundRole());
    model.setAutoFillBackground(true);
    model.setTextFormat(textFormat());
    model.setAlignment(alignment());
    model.setWordWrap(wordWrap());
    model.setMargin(margin());
    model.setIndent(indent());
    model.setContentsMargins(contentsMargins());
    model.setFrameStyle(frameStyle());
    model.setLayoutDirection(layoutDirection());
    model.setEnabled(isEnabled());
    model.setStyle(style());
    model.resize(size());
    QPixmap pixels(size() * devicePixelRatioF());
    pixels.setDevicePixelRatio(devicePixelRatioF());
    pixels.fill(background());
    model.render(&pixels);
    return pixels;
}

void StatusLabel::changeEvent(QEvent *event)
{
    // Whatever else shapes the look is drawn anew.
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
    case QEvent::EnabledChange:
    case QEvent::LayoutDirectionChange:
        m_faces.clear();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}
