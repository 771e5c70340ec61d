#pragma once

#include <QColor>
#include <QLabel>

// The socket status line: a caption on the colour of the socket's state. The
// colour is painted by the label itself rather than kept in its palette: every
// exchange passes through several states, and each palette change resolves the
// palette anew and makes the whole window work out again which controls cover
// which, all for one small box of colour.
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

private:
    QColor m_background;
};
