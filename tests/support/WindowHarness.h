#pragma once

// What the window tests share: the real window in a program folder of its own, listening on 127.0.0.1; a hand that
// answers its message boxes; and the reading, clicking and typing a technician does. An Installation adds a LAN adapter
// on 127.0.0.2 and the radio/LAN gateway on 127.0.0.3, on the tool's port.

#include "DevicePeer.h"

#include "shell/frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace WindowHarness {

inline const QString ListenOn = QStringLiteral("Listen ON");
inline const QString Closed = QStringLiteral("Verbindung geschlossen");
inline const QString DecodeError = QStringLiteral("-> Error: kann Daten nicht dekodieren!!");

// A port that nothing on loopback listens on right now.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// Answers every modal message box with OK, or a question with Yes, and keeps what it said.
class MessageBoxWatcher : public QObject
{
public:
    struct Seen
    {
        QString text, title;
        QMessageBox::Icon icon;
    };
    MessageBoxWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen.append({box->text(), box->windowTitle(), box->icon()});
                QAbstractButton *answer = box->button(QMessageBox::Ok);
                (answer ? answer : box->button(QMessageBox::Yes))->click();
            }
        });
        m_timer.start(10);
    }
    QStringList texts() const
    {
        QStringList all;
        for (const Seen &box : seen)
            all << box.text;
        return all;
    }
    QList<Seen> seen;

private:
    QTimer m_timer;
};

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
}

inline QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The window in a fresh program folder; with settings, its settings file there; with a user's folder, the settings
// file the window falls back on.
class Window
{
public:
    explicit Window(const QByteArray &settings = QByteArray(), const QString &userFolder = QString(),
                    const QHostAddress &listenAddress = QHostAddress::LocalHost)
    {
        if (!settings.isEmpty())
            writeFile(iniPath(), settings);
        window = std::make_unique<frmMain>(frmMain::Platform{listenAddress, folder.path(), userFolder, QString()});
    }
    static QByteArray settingsWithPort(quint16 port)
    {
        return "[TessraProg]\r\nPort=" + QByteArray::number(port) + "\r\n";
    }
    QString iniPath() const { return folder.filePath(QStringLiteral("TessraPrg.ini")); }

    // Shows the window and waits until its first activation has run.
    bool showAndActivate()
    {
        window->show();
        return QTest::qWaitFor([&] { return child<QTimer>("Timer2")->interval() == 200; });
    }

    template <typename T = QWidget>
    T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    QString text(const QString &name) const { return child<QLineEdit>(name)->text(); }
    QStringList texts(const QString &array, int count) const
    {
        QStringList all;
        for (int k = 0; k < count; ++k)
            all << text(QStringLiteral("%1(%2)").arg(array).arg(k));
        return all;
    }
    // Bit k is the state of box or switch button k of an array.
    int bits(const QString &array, int count) const
    {
        int value = 0;
        for (int k = 0; k < count; ++k)
            value |= int(child<QAbstractButton>(QStringLiteral("%1(%2)").arg(array).arg(k))->isChecked()) << k;
        return value;
    }
    // The event log without its time stamps "HH:MM:SS ".
    QStringList log() const
    {
        QStringList lines;
        auto *list = child<QListWidget>("List1");
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text().mid(9);
        return lines;
    }
    QStringList logSince(int line) const { return log().mid(line); }
    bool controlsEnabled() const { return child<QGroupBox>("fraControl")->isEnabled(); }
    // The controls a screen reader announces otherwise than they are shown, as "name: announced": a button or label
    // is announced with the caption it shows now (its mnemonic aside), and no control that takes the focus is
    // nameless.
    QStringList misannounced() const
    {
        QStringList wrong;
        const QRegularExpression ours("^(?!qt_)[A-Za-z]\\w*(\\(\\d+\\))?$"); // Text1(4), not Qt's own parts
        for (QWidget *control : window->findChildren<QWidget *>(ours)) {
            const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
            // A button's caption without a word ("...", none) says nothing: such a button has a name of its own. A
            // list box says its choice here, the label beside it its caption.
            QString expected = control->accessibleName();
            const auto *button = qobject_cast<QAbstractButton *>(control);
            const auto *label = qobject_cast<QLabel *>(control);
            const QString shown = button ? button->text().remove('&') : label ? label->text() : QString();
            if (label || shown.contains(QRegularExpression("\\w")))
                expected = shown;
            else if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->currentIndex() >= 0)
                expected = combo->currentText();
            if (name != expected || (name.isEmpty() && control->focusPolicy() != Qt::NoFocus))
                wrong << control->objectName() + ": " + name;
        }
        return wrong;
    }

    // A click where a person clicks: near the left edge, where a box's square is.
    void click(const QString &name) const
    {
        QWidget *w = child(name);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
    }
    // Into the field, select what it holds, type over it.
    void type(const QString &name, const QString &keys) const
    {
        auto *field = child<QLineEdit>(name);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, keys);
    }
    // 0 LAN, 1 Funk, chosen with the arrow keys.
    void chooseTarget(int index) const
    {
        auto *combo = child<QComboBox>("Combo1");
        combo->setFocus();
        QTest::keyClick(combo, index > combo->currentIndex() ? Qt::Key_Down : Qt::Key_Up);
    }

    MessageBoxWatcher boxes;
    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;
};

// The window with a LAN adapter (eNum 1) and the gateway with the radio device 28/1/22 (eNum 123) on loopback; the
// settings file names them.
class Installation : public Window
{
public:
    static QByteArray settings(quint16 port)
    {
        return "[TessraProg]\r\nIPAdresse=127.0.0.2\r\nFLGateway=127.0.0.3\r\nPort=" + QByteArray::number(port)
            + "\r\neNumLan=1\r\nDAdrH=1\r\nDAdrL=22\r\neNumFunk=123\r\n";
    }
    explicit Installation(quint16 port = freeLoopbackPort())
        : Window(settings(port)), port(port), lan(QHostAddress("127.0.0.2"), port),
          gateway(QHostAddress("127.0.0.3"), port)
    {
    }
    // Shown, listening, and nothing but "Listen ON" said.
    bool start()
    {
        return lan.isListening() && gateway.isListening() && showAndActivate() && log() == QStringList{ListenOn};
    }
    // An exchange has ended: the command buttons are back and the tool listens.
    bool exchangeEnded() const { return controlsEnabled() && !log().isEmpty() && log().last() == ListenOn; }

    quint16 port;
    DevicePeer lan;
    DevicePeer gateway;
};

// The LAN adapter's 37-byte answer to its parameter request and the lines it gives.
inline const QByteArray LanParameterReply =
    QByteArray::fromHex("FFAA00C92301000000FFFE01010031303233C0A81CD7C0A81CFEFFFFFF00C0A81C0A015425");
inline const QStringList LanParameterLines = {
    "-> Firmware 1.0.2.3",
    "-> connectet: LAN 192.168.28.215,  GateWay 192.168.28.254, NwMask 255.255.255.0, StdDest-IP 192.168.28.10, "
    "Port 340, eNum=1",
    "-> Parameter: OutStateMem=1, InStateMem=0, SysTimeOut=1, AutoTxInChg=0, AutoTxRepeat=0, T-DiffRegler=1, "
    "supress HighPr. Port=0, M2M Comm=0",
    "-> Device: LAN-Devices, Funktion=Schalt-Devices",
    Closed,
    ListenOn};
// A measurement reply: outputs 1 and 4 on, input 2 active, 22.5 and -1.5 degrees.
inline const QByteArray MeasurementReply = QByteArray::fromHex("FFAA00CE1201000000FFFE010100090200E1800F");

} // namespace WindowHarness
