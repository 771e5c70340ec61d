#pragma once

#include <QTcpServer>

// A port on loopback that nobody listens on: the benchmark's device and the window take it after.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
