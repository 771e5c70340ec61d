#include "shell/frmMain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    frmMain window({QHostAddress::Any, QCoreApplication::applicationDirPath()});
    window.show();
    return QApplication::exec();
}
