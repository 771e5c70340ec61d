#pragma once

#include <QChartView>

// A chart whose time axis the user moves: the wheel and "+"/"-" zoom, dragging
// and the arrow keys pan, a double click and "Pos1" show the whole time.
class TimeChartView final : public QChartView
{
    Q_OBJECT

public:
    explicit TimeChartView(QChart *chart, QWidget *parent = nullptr);

signals:
    // Zoom by factor (below 1: in) around the time at the fraction of the plot's width.
    void zoomRequested(double factor, double at);
    // Pan by this fraction of the shown time; positive goes later.
    void panRequested(double fraction);
    void wholeTimeRequested();

protected:
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    double fractionAt(double x) const;

    std::optional<double> m_dragX;
};
