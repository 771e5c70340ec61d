#include "shell/CaptionButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace {

constexpr int TextMargin = 3;

} // namespace

CaptionButton::CaptionButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent)
{
}

void CaptionButton::paintEvent(QPaintEvent *event)
{
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    // A caption that fits on one line is drawn as every button draws it.
    if (option.fontMetrics.horizontalAdvance(QString(option.text).remove(QLatin1Char('&')))
        <= contents.width() - 2 * TextMargin) {
        QPushButton::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect area = contents.adjusted(TextMargin, 0, -TextMargin, 0);
    if (isDown() || isChecked())
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(), isEnabled(),
                         caption, QPalette::ButtonText);
}
