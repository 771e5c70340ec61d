// The floor: a bare Qt Widgets program that shows the same widgets as the
// tool's window, kind for kind, and quits once it has been painted.
//   startup_probe_floor QLineEdit=70,QCheckBox=58,...
// Built as startup_probe_floor_placed, it puts them where the tool's window has
// them, in its font, hides those the window hides, and listens on a socket as
// the window does before it is up:
//   startup_probe_floor_placed <kinds> <font> QLineEdit:8,72,25,17,1;...

#include "ProbeReport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#ifdef TESSRA_FLOOR_PLACED
#include <QTcpServer>
#endif

namespace {

QWidget *make(const QString &kind, QWidget *parent)
{
    if (kind == QLatin1String("QLineEdit"))
        return new QLineEdit(QStringLiteral("192"), parent);
    if (kind == QLatin1String("QCheckBox"))
        return new QCheckBox(QStringLiteral("Box"), parent);
    // The tool's status line is a label that paints its own colour.
    if (kind == QLatin1String("QLabel") || kind == QLatin1String("StatusLabel"))
        return new QLabel(QStringLiteral("Label"), parent);
    if (kind == QLatin1String("QGroupBox"))
        return new QGroupBox(QStringLiteral("Frame"), parent);
    if (kind == QLatin1String("QComboBox"))
        return new QComboBox(parent);
    if (kind == QLatin1String("QListWidget"))
        return new QListWidget(parent);
    if (kind == QLatin1String("QFrame"))
        return new QFrame(parent);
    // Buttons of every kind, and the parts list views and combo boxes make of themselves.
    if (kind.contains(QLatin1String("Button")))
        return new QPushButton(QStringLiteral("Button"), parent);
    return nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(965, 644);
#ifdef TESSRA_FLOOR_PLACED
    // The font first, so that every widget is made in it as the tool's are.
    if (argc > 3) {
        QFont font;
        font.fromString(QString::fromLatin1(argv[2]));
        QApplication::setFont(font);
        window.setFont(font);
    }
    for (const QString &entry : argc > 3 ? QString::fromLatin1(argv[3]).split(QLatin1Char(';')) : QStringList()) {
        const QStringList place = entry.section(QLatin1Char(':'), 1).split(QLatin1Char(','));
        QWidget *w = place.size() == 5 ? make(entry.section(QLatin1Char(':'), 0, 0), &window) : nullptr;
        if (!w)
            continue;
        w->setGeometry(place[0].toInt(), place[1].toInt(), place[2].toInt(), place[3].toInt());
        if (place[4] == QLatin1String("0"))
            w->hide();
    }
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
#else
    constexpr int Columns = 30;
    int placed = 0;
    const QStringList kinds = argc > 1 ? QString::fromLatin1(argv[1]).split(QLatin1Char(',')) : QStringList();
    for (const QString &entry : kinds) {
        const QString kind = entry.section(QLatin1Char('='), 0, 0);
        const int count = entry.section(QLatin1Char('='), 1, 1).toInt();
        for (int i = 0; i < count; ++i) {
            if (QWidget *w = make(kind, &window)) {
                w->setGeometry((placed % Columns) * 32, (placed / Columns) * 24, 30, 22);
                ++placed;
            }
        }
    }
#endif
    PaintSeen paintSeen;
    window.installEventFilter(&paintSeen);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (paintSeen.painted) {
            poll.stop();
            reportReady(window);
            QCoreApplication::quit();
        }
    });
    poll.start(1);
    window.show();
    return QApplication::exec();
}
