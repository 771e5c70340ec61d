#pragma once

#include <QByteArray>
#include <QStringList>

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

// Parameter request to the LAN adapter with eNum 1, and its 37-byte answer.
inline const QByteArray LanParameterRequest = QByteArray::fromHex("FFAA00C80C011CFFFEFFFE0101ED");
inline const QByteArray LanParameterReply =
    QByteArray::fromHex("FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425");
// What the window logs for that answer, through the return to listening.
inline const QStringList LanParameterLines = {
    "-> Firmware 1.0.2.3",
    "-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP 192.168.28.10, "
    "Port 340, eNum=1",
    "-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1, "
    "supress HighPr. Port=0, M2M Comm=0",
    "-> Device: LAN-Devices, Funktion=Schalt-Devices",
    "Verbindung geschlossen",
    "Listen ON"};
// A measurement reply: outputs 1 and 4 on, input 2 active.
inline const QByteArray MeasurementReply = QByteArray::fromHex("FFAA00CE1201000000FFFE010100090200E1800F");


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
