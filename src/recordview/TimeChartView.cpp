#include "recordview/TimeChartView.h"

#include <QWheelEvent>

namespace {

constexpr double ZoomStep = 0.8;
constexpr double PanStep = 0.1;
constexpr int WheelNotch = 120;

} // namespace

TimeChartView::TimeChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setRubberBand(QChartView::NoRubberBand);
}

double TimeChartView::fractionAt(double x) const
{
    const QRectF plot = chart()->plotArea();
    return plot.width() > 0 ? std::clamp((mapToScene(QPoint(int(x), 0)).x() - plot.left()) / plot.width(), 0.0, 1.0)
                            : 0.5;
}

void TimeChartView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / double(WheelNotch);
    if (notches != 0)
        emit zoomRequested(std::pow(ZoomStep, notches), fractionAt(event->position().x()));
    event->accept();
}

void TimeChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragX = event->position().x();
    event->accept();
}

void TimeChartView::mouseMoveEvent(QMouseEvent *event)
{
    const double width = chart()->plotArea().width();
    if (!m_dragX || width <= 0)
        return;
    emit panRequested((*m_dragX - event->position().x()) / width);
    m_dragX = event->position().x();
}

void TimeChartView::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragX.reset();
    event->accept();
}

void TimeChartView::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit wholeTimeRequested();
    event->accept();
}

void TimeChartView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
        emit zoomRequested(ZoomStep, 0.5);
        break;
    case Qt::Key_Minus:
        emit zoomRequested(1 / ZoomStep, 0.5);
        break;
    case Qt::Key_Left:
        emit panRequested(-PanStep);
        break;
    case Qt::Key_Right:
        emit panRequested(PanStep);
        break;
    case Qt::Key_Home:
        emit wholeTimeRequested();
        break;
    default:
        QChartView::keyPressEvent(event);
    }
}
