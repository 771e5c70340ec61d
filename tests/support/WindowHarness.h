#pragma once

// What the window tests share: a window in a folder of its own, listening on
// loopback, and a hand that answers its message boxes.

#include "shell/frmMain.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace WindowHarness {

inline constexpr int ActiveStatusRefreshMs = 200;

// A port that nothing on loopback listens on right now.
inline quint16 freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

struct SeenMessage
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers every modal message box with OK and keeps what it said.
class MessageBoxWatcher : public QObject
{
public:
    MessageBoxWatcher()
    {
        constexpr int PollMs = 10;
        m_timer.setInterval(PollMs);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.append({box->text(), box->windowTitle(), box->icon()});
            box->button(QMessageBox::Ok)->click();
        });
        m_timer.start();
    }

    QList<SeenMessage> seen;

private:
    QTimer m_timer;
};

inline void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// A window in a fresh program folder. With a port, the settings file names it
// so that start-up listens there.
class Window
{
public:
    explicit Window(const QByteArray &settings = QByteArray())
    {
        if (!settings.isEmpty())
            writeFile(iniPath(), settings);
        window = std::make_unique<frmMain>(frmMain::Platform{QHostAddress::LocalHost, folder.path()});
    }

    static QByteArray settingsWithPort(quint16 port)
    {
        return QByteArray("[TessraProg]\r\nPort=") + QByteArray::number(port) + "\r\n";
    }

    QString iniPath() const { return folder.filePath(QStringLiteral("TessraPrg.ini")); }

    // Shows the window and waits until its first activation has run.
    bool showAndActivate()
    {
        window->show();
        auto *refresh = window->findChild<QTimer *>(QStringLiteral("Timer2"));
        return QTest::qWaitFor([&] { return refresh->interval() == ActiveStatusRefreshMs; });
    }

    template <typename T>
    T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }

    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;
};

} // namespace WindowHarness
