// Starts the real window in a folder whose settings name a free port, and
// reports as soon as the window has been painted and the socket listens.

#include "ProbeReport.h"
#include "shell/frmMain.h"
#include "FreePort.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const quint16 port = freeLoopbackPort();
    QFile ini(folder.filePath(QStringLiteral("TessraPrg.ini")));
    if (!ini.open(QIODevice::WriteOnly))
        return 2;
    ini.write("[TessraProg]\r\nPort=" + QByteArray::number(port) + "\r\n");
    ini.close();

    frmMain window({QHostAddress::LocalHost, folder.path(), QString(), QString()});
    PaintSeen paintSeen;
    window.installEventFilter(&paintSeen);
    auto *log = window.findChild<QListWidget *>(QStringLiteral("List1"));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (paintSeen.painted && window.Listening && log->count() > 0 && log->item(0)->text().endsWith(QLatin1String("Listen ON"))) {
            poll.stop();
            reportReady(window, true);
            QCoreApplication::quit();
        }
    });
    poll.start(1);
    window.show();
    return QApplication::exec();
}
