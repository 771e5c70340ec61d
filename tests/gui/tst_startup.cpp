// Start-up, listening and shut-down of the real window, with its settings file.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTcpSocket>

using namespace WindowHarness;

namespace {

QStringList logTexts(const Window &w)
{
    QStringList texts;
    auto *list = w.child<QListWidget>("List1");
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text().mid(9);
    return texts;
}

bool accepts(quint16 port)
{
    // The system completes the handshake of a listening socket by itself.
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    return probe.waitForConnected(2000);
}

QString text(const Window &w, const QString &name)
{
    return w.child<QLineEdit>(name)->text();
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWithoutSettings();
    void startUpListensOnTheStoredPort();
    void listenWithoutAUsablePortFails_data();
    void listenWithoutAUsablePortFails();
    void listensAgainOnTheFieldsPortAfterClosing();
    void closeBoxAndExitButtonSaveTheSame();
    void entriesSurviveARestart();
};

void TestStartup::firstStartWithoutSettings()
{
    MessageBoxWatcher boxes;
    Window w;
    QVERIFY(w.showAndActivate());
    const QStringList kept = {"192", "168", "28", "215", "219", "168", "28", "254",
                              "255", "255", "255", "0",  "192", "128", "28", "2"};
    for (int i = 0; i < 16; ++i)
        QCOMPARE(text(w, QString("Text1(%1)").arg(i)), kept[i]);
    for (const QString name : {"Text1(16)", "Text1(17)", "Text1(18)", "Text1(19)", "Text2(18)", "Text2(19)",
                               "Text3(1)", "Text3(2)", "Text3(3)", "Text3(4)", "Text3(5)", "Text5(4)", "Text5(5)"})
        QVERIFY2(text(w, name).isEmpty(), qPrintable(name));
    QCOMPARE(text(w, "Text3(0)"), QString("28"));
    QCOMPARE(text(w, "Text4(3)"), QString("209"));
    QCOMPARE(w.child<QComboBox>("Combo1")->currentIndex(), 0);
    // An empty port field is no port to listen on: said, not logged as success.
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QString("Unable to listen for connections"));
    QCOMPARE(boxes.seen[0].title, QString("TessraProg"));
    QCOMPARE(boxes.seen[0].icon, QMessageBox::Warning);
    QVERIFY(logTexts(w).isEmpty());
    QVERIFY(w.window->Listening);
    // The window stays usable.
    QVERIFY(w.child<QPushButton>("cmdTest")->isEnabled());
}

void TestStartup::startUpListensOnTheStoredPort()
{
    MessageBoxWatcher boxes;
    const quint16 port = freeLoopbackPort();
    Window w(Window::settingsWithPort(port));
    QVERIFY(w.showAndActivate());
    QCOMPARE(logTexts(w), QStringList{"Listen ON"});
    QCOMPARE(text(w, "Text1(16)"), QString::number(port));
    QVERIFY(boxes.seen.isEmpty());
    QVERIFY(w.window->Listening);
    QTRY_COMPARE(w.child<QLabel>("Label10")->text(), QString("swStatusListen"));
    QVERIFY(accepts(port));
}

void TestStartup::listenWithoutAUsablePortFails_data()
{
    QTest::addColumn<QByteArray>("portValue");
    QTest::newRow("letters") << QByteArray("abc");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("above 65535") << QByteArray("70000");
    QTest::newRow("taken by another program") << QByteArray("taken");
}

void TestStartup::listenWithoutAUsablePortFails()
{
    QFETCH(QByteArray, portValue);
    QTcpServer other;
    if (portValue == "taken") {
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        portValue = QByteArray::number(other.serverPort());
    }
    MessageBoxWatcher boxes;
    Window w("[TessraProg]\nPort=" + portValue + "\n");
    QVERIFY(w.showAndActivate());
    QCOMPARE(boxes.seen.size(), 1);
    QCOMPARE(boxes.seen[0].text, QString("Unable to listen for connections"));
    QVERIFY(logTexts(w).isEmpty());
}

void TestStartup::listensAgainOnTheFieldsPortAfterClosing()
{
    MessageBoxWatcher boxes;
    const quint16 first = freeLoopbackPort();
    Window w(Window::settingsWithPort(first));
    QVERIFY(w.showAndActivate());
    w.window->CloseSocket();
    QVERIFY(!w.window->Listening);
    QCOMPARE(w.child<QLabel>("Label10")->text(), QString("swStatusIdle"));
    QVERIFY(!accepts(first));

    const quint16 second = freeLoopbackPort();
    w.child<QLineEdit>("Text1(16)")->setText(QString::number(second));
    w.window->StartListening();
    QCOMPARE(logTexts(w), (QStringList{"Listen ON", "Listen ON"}));
    QVERIFY(accepts(second));
    QVERIFY(!accepts(first));
    QVERIFY(boxes.seen.isEmpty());
}

void TestStartup::closeBoxAndExitButtonSaveTheSame()
{
    MessageBoxWatcher boxes;
    const QByteArray settings = Window::settingsWithPort(freeLoopbackPort());
    QByteArray saved[2];
    for (int way = 0; way < 2; ++way) {
        Window w(settings);
        QVERIFY(w.showAndActivate());
        w.child<QLineEdit>("Text1(3)")->setText("77");
        if (way == 0)
            w.window->close();
        else
            QTest::mouseClick(w.child<QPushButton>("cmdBeenden"), Qt::LeftButton);
        QVERIFY(!w.window->isVisible());
        QFile file(w.iniPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        saved[way] = file.readAll();
    }
    QVERIFY(saved[0].contains("IPAdresse=192.168.28.77"));
    QCOMPARE(saved[1], saved[0]);
}

void TestStartup::entriesSurviveARestart()
{
    MessageBoxWatcher boxes;
    const quint16 port = freeLoopbackPort();
    Window w(Window::settingsWithPort(port));
    QVERIFY(w.showAndActivate());
    const QStringList typed = {"10", "0", "0", "7", "10", "0", "0", "1", "255", "255", "0", "0",
                               "10", "0", "0", "9", QString::number(port), "12", "2.5", "0.5"};
    for (int i = 0; i < 20; ++i)
        w.child<QLineEdit>(QString("Text1(%1)").arg(i))->setText(typed[i]);
    const QStringList funk = {"28", "3", "44", "5", "1.5", "0.7"};
    for (int i = 1; i < 6; ++i)
        w.child<QLineEdit>(QString("Text3(%1)").arg(i))->setText(funk[i]);
    auto *combo = w.child<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    w.window->close();
    // The program ends with its window, and its socket with it.
    w.window.reset();

    frmMain again({QHostAddress::LocalHost, w.folder.path()});
    again.show();
    QTRY_COMPARE(again.findChild<QTimer *>("Timer2")->interval(), ActiveStatusRefreshMs);
    for (int i = 0; i < 20; ++i)
        QCOMPARE(again.findChild<QLineEdit *>(QString("Text1(%1)").arg(i))->text(), typed[i]);
    for (int i = 1; i < 6; ++i)
        QCOMPARE(again.findChild<QLineEdit *>(QString("Text3(%1)").arg(i))->text(), funk[i]);
    QCOMPARE(again.findChild<QLineEdit *>("Text2(18)")->text(), QString("2.5"));
    QCOMPARE(again.findChild<QLineEdit *>("Text5(5)")->text(), QString("0.7"));
    QCOMPARE(again.findChild<QComboBox *>("Combo1")->currentIndex(), 1);
    QVERIFY(again.findChild<QWidget *>("Frame7")->isVisible());
    QVERIFY(boxes.seen.isEmpty());
}

TESSRA_TEST(TestStartup)
#include "tst_startup.moc"
