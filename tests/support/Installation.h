#pragma once

// A small installation on loopback around the real window: the tool on
// 127.0.0.1, a LAN adapter on 127.0.0.2 and the radio/LAN gateway on
// 127.0.0.3, all on the tool's own port, and a settings file that names them.

#include "DevicePeer.h"
#include "WindowHarness.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QListWidget>

namespace WindowHarness {

inline const QHostAddress LanDevice("127.0.0.2");
inline const QHostAddress Gateway("127.0.0.3");

class Installation
{
public:
    Installation()
        : port(freeLoopbackPort()),
          w("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nFLGateway=127.0.0.3\r\nPort=" + QByteArray::number(port)
            + "\r\neNumLan=1\r\nDAdrH=1\r\nDAdrL=22\r\neNumFunk=123\r\n"),
          lan(LanDevice, port), gateway(Gateway, port)
    {
        gateway.setToolAddress(QHostAddress::LocalHost, port);
        lan.setToolAddress(QHostAddress::LocalHost, port);
    }

    // The event log without its time stamps.
    QStringList log() const
    {
        QStringList texts;
        auto *list = w.child<QListWidget>("List1");
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text().mid(9);
        return texts;
    }
    QStringList logSince(int line) const { return log().mid(line); }
    bool controlsEnabled() const { return w.child<QGroupBox>("fraControl")->isEnabled(); }
    void click(const QString &name) { QTest::mouseClick(w.child<QAbstractButton>(name), Qt::LeftButton); }
    void chooseFunk()
    {
        auto *combo = w.child<QComboBox>("Combo1");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
    }

    MessageBoxWatcher boxes;
    quint16 port;
    Window w;
    DevicePeer lan;
    DevicePeer gateway;
};

} // namespace WindowHarness
