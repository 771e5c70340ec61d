// The floor: a bare Qt Widgets program that shows as many widgets as the
// tool's window, of the same kinds, and quits once it has been painted.

#include "ProbeReport.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int widgets = argc > 1 ? std::atoi(argv[1]) : 1;
    QWidget window;
    window.setFixedSize(965, 644);
    constexpr int Columns = 30;
    for (int i = 1; i < widgets; ++i) {
        QWidget *w = nullptr;
        switch (i % 3) {
        case 0: w = new QLineEdit(QStringLiteral("192"), &window); break;
        case 1: w = new QCheckBox(QStringLiteral("Box"), &window); break;
        default: w = new QPushButton(QStringLiteral("Button"), &window); break;
        }
        w->setGeometry((i % Columns) * 32, (i / Columns) * 24, 30, 22);
    }
    bool painted = false;
    struct PaintSeen : QObject
    {
        bool *painted;
        explicit PaintSeen(bool *p) : painted(p) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                *painted = true;
            return false;
        }
    } paintSeen(&painted);
    window.installEventFilter(&paintSeen);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (painted) {
            poll.stop();
            reportReady(static_cast<int>(window.findChildren<QWidget *>().size()) + 1);
            QCoreApplication::quit();
        }
    });
    poll.start(1);
    window.show();
    return QApplication::exec();
}
