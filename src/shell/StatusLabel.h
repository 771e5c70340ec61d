#pragma once

#include <QColor>
#include <QLabel>
#include <QList>
#include <QPixmap>

// The socket status line: a caption on the colour of the socket's state, as a
// filled label shows it. Every exchange passes through the same few states, and
// polling repeats one every 3 s, so the label keeps how it looked in each:
// - its colour is painted here rather than kept in its palette, since each
//   palette change resolves the palette anew and makes the whole window work out
//   again which controls cover which;
// - each state's look is drawn once and then copied, since laying out and
//   drawing the caption anew was most of what a poll cost at rest.
class StatusLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit StatusLabel(const QString &caption, QWidget *parent = nullptr);

    // The colour behind the caption; until one is set, the palette's, as any filled label.
    QColor background() const;
    void setBackground(const QColor &colour);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Face
    {
        QString text;
        QRgb colour;
        QSize size;
        qreal ratio;
        bool active;
        QPixmap pixels;
    };
    QPixmap drawFace() const;

    QColor m_background;
    QList<Face> m_faces;
};
