// Start-up, listening and shut-down of the real window with its settings file,
// its event log and its status line.

#include "FileFaults.h"
#include "TestMain.h"
#include "WindowHarness.h"

#include <QDir>
#include <QLabel>
#include <QRegularExpression>

using namespace WindowHarness;

namespace {
// Settings as a technician left them, with a line of his own.
QByteArray technicians(quint16 port)
{
    return "; Keller\r\n[TessraProg]\r\nIPAdresse=10.0.0.7\r\nPort=" + QByteArray::number(port)
        + "\r\neNumLan=12\r\nSelect=1\r\nDAdrH=3\r\nDAdrL=44\r\neNumFunk=5\r\nTDiffOnFunk=1.5\r\nTDiffOffFunk=0.7\r\n"
          "TDiffOnLan=2.5\r\nTDiffOffLan=0.5\r\nFLGateway=10.0.0.254\r\nMeinWert=Heizung\r\n";
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void listensOnTheStoredPort();
    void noUsablePortIsSaid_data();
    void noUsablePortIsSaid();
    void settingsSurviveARestart_data();
    void settingsSurviveARestart();
    void storedTextsLongerThanTheirFieldsArriveWhole_data();
    void storedTextsLongerThanTheirFieldsArriveWhole();
    void faultAtUnloadKeepsThePreviousFile_data();
    void faultAtUnloadKeepsThePreviousFile();
    void logKeepsTheNewest200LinesStamped();
    void statusLineFollowsTheSocket();
};

void TestStartup::listensOnTheStoredPort()
{
    const quint16 port = freeLoopbackPort();
    Window w(Window::settingsWithPort(port));
    QVERIFY(w.showAndActivate());
    QCOMPARE(w.log(), QStringList{ListenOn});
    QCOMPARE(w.text("Text1(16)"), QString::number(port));
    QVERIFY(w.boxes.seen.isEmpty());
    // The system completes the handshake of a listening socket by itself.
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(probe.waitForConnected(2000));
}

void TestStartup::noUsablePortIsSaid_data()
{
    QTest::addColumn<QByteArray>("port"); // "-": no settings file, the field stays empty
    QTest::newRow("first start without a settings file") << QByteArray("-");
    QTest::newRow("letters") << QByteArray("abc");
    QTest::newRow("zero") << QByteArray("0");
    QTest::newRow("above 65535") << QByteArray("70000");
    QTest::newRow("taken by another program") << QByteArray();
}

void TestStartup::noUsablePortIsSaid()
{
    QFETCH(QByteArray, port);
    QTcpServer other;
    if (port.isEmpty()) {
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        port = QByteArray::number(other.serverPort());
    }
    Window w(port == "-" ? QByteArray() : "[TessraProg]\nPort=" + port + "\n");
    QVERIFY(w.showAndActivate());
    QCOMPARE(w.boxes.texts(), QStringList{"Unable to listen for connections"});
    QVERIFY(w.boxes.seen[0].title == "TessraProg" && w.boxes.seen[0].icon == QMessageBox::Warning);
    QVERIFY(w.log().isEmpty() && w.child("cmdTest")->isEnabled());
    if (port == "-") {
        QCOMPARE(w.texts("Text1", 20).join('.'), QString("192.168.28.215.219.168.28.254.255.255.255.0.192.128.28.2...."));
        QCOMPARE(w.texts("Text3", 6).join('.') + w.text("Text2(18)") + w.text("Text5(4)"), QString("28....."));
        QCOMPARE(w.child<QComboBox>("Combo1")->currentIndex(), 0);
    }
}

void TestStartup::settingsSurviveARestart_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("closed by its close box") << false;
    QTest::newRow("ended with beenden") << true;
}

void TestStartup::settingsSurviveARestart()
{
    QFETCH(bool, byButton);
    const quint16 port = freeLoopbackPort();
    Window w(technicians(port));
    QVERIFY(w.showAndActivate());
    QCOMPARE(w.texts("Text1", 20).join('.'),
             QString("10.0.0.7.219.168.28.254.255.255.255.0.192.128.28.2.%1.12.2.5.0.5").arg(port));
    QCOMPARE(w.texts("Text3", 6).join(' ') + " " + w.text("Text2(19)") + " " + w.text("Text5(4)"),
             QString("28 3 44 5 1.5 0.7 0.5 1.5"));
    QCOMPARE(w.texts("Text4", 4).join('.'), QString("10.0.0.254"));
    QVERIFY(w.child("Frame7")->isVisible());
    w.child<QLineEdit>("Text1(3)")->setText("77");
    w.child<QLineEdit>("Text3(2)")->setText("45");
    w.chooseTarget(0);
    if (byButton)
        w.click("cmdBeenden");
    else
        w.window->close();
    QVERIFY(!w.window->isVisible());
    const QByteArray saved = contentOf(w.iniPath());
    QVERIFY(saved.startsWith("; Keller\r\n"));
    for (const char *line : {"\nIPAdresse=10.0.0.77\r", "\nDAdrL=45\r", "\nSelect=0\r", "\nMeinWert=Heizung\r"})
        QVERIFY2(saved.contains(line), line);
    // The program ends with its window, and its socket with it.
    w.window.reset();
    w.window = std::make_unique<frmMain>(frmMain::Platform{QHostAddress::LocalHost, w.folder.path()});
    QVERIFY(w.showAndActivate());
    QCOMPARE(w.text("Text1(3)") + w.text("Text3(2)"), QString("7745"));
    QCOMPARE(w.child<QComboBox>("Combo1")->currentIndex(), 0);
    QVERIFY(w.boxes.seen.isEmpty());
}

void TestStartup::storedTextsLongerThanTheirFieldsArriveWhole_data()
{
    // A value longer than its field lets a person type, of each kind of field.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("field");
    QTest::newRow("LAN address part") << QByteArray("IPAdresse=10.0.0.0007") << "Text1(3)=0007";
    QTest::newRow("LAN number") << QByteArray("eNumLan=000012") << "Text1(17)=000012";
    QTest::newRow("LAN threshold, also in the new parameters") << QByteArray("TDiffOnLan=0002.5") << "Text2(18)=0002.5";
    QTest::newRow("radio address") << QByteArray("DAdrL=0023") << "Text3(2)=0023";
    QTest::newRow("radio number") << QByteArray("eNumFunk=00123") << "Text3(3)=00123";
    QTest::newRow("radio threshold, also in the new parameters") << QByteArray("TDiffOnFunk=-12.5") << "Text5(4)=-12.5";
    QTest::newRow("gateway address part") << QByteArray("FLGateway=10.0.0.0254") << "Text4(3)=0254";
}

void TestStartup::storedTextsLongerThanTheirFieldsArriveWhole()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, field);
    Window w(Window::settingsWithPort(freeLoopbackPort()) + line + "\r\n");
    QVERIFY(w.showAndActivate());
    auto *edit = w.child<QLineEdit>(field.section('=', 0, 0));
    const QString stored = field.section('=', 1);
    QCOMPARE(edit->text(), stored);
    w.window->close();
    QVERIFY(contentOf(w.iniPath()).contains(line + "\r\n"));
    QVERIFY(w.boxes.seen.isEmpty());
}

void TestStartup::faultAtUnloadKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("the disk is full") << int(FileFaults::Fault::DiskFull);
    QTest::newRow("the folder cannot be written") << int(FileFaults::Fault::ReadOnlyFolder);
    QTest::newRow("the file vanished after start-up") << int(FileFaults::Fault::None);
}

void TestStartup::faultAtUnloadKeepsThePreviousFile()
{
    QFETCH(int, fault);
    const QByteArray previous = technicians(freeLoopbackPort());
    Window w(previous);
    QVERIFY(w.showAndActivate());
    if (fault == int(FileFaults::Fault::None)) {
        // The window still holds every setting it read and writes them anew.
        QVERIFY(QFile::remove(w.iniPath()));
        w.window->close();
        QVERIFY(contentOf(w.iniPath()).contains("IPAdresse=10.0.0.7\nGateWay=219.168.28.254\n"));
        QVERIFY(contentOf(w.iniPath()).contains("TDiffOffFunk=0.7\n"));
        return;
    }
    w.child<QLineEdit>("Text1(3)")->setText("50");
    {
        const FileFaults::Armed armed({FileFaults::Fault(fault), w.folder.path(), QString(), 0});
        w.window->close();
        QVERIFY(FileFaults::injected() > 0);
    }
    QCOMPARE(contentOf(w.iniPath()), previous);
    QCOMPARE(QDir(w.folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"TessraPrg.ini"});
    QVERIFY(w.boxes.seen.isEmpty());
}

void TestStartup::logKeepsTheNewest200LinesStamped()
{
    Window w;
    auto *list = w.child<QListWidget>("List1");
    const QTime before = QTime::currentTime();
    for (int i = 1; i <= 202; ++i)
        w.window->WriteLog(QString::number(i));
    QCOMPARE(list->count(), 200);
    QCOMPARE(w.log().first() + " " + w.log().last(), QString("3 202"));
    QVERIFY(list->currentRow() == 199 && list->item(199)->isSelected());
    // "HH:MM:SS ", the time of the write (allowing for a run across midnight).
    const QString line = list->item(199)->text();
    QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d 202$").match(line).hasMatch(), qPrintable(line));
    const QTime logged = QTime::fromString(line.left(8), "HH:mm:ss");
    QVERIFY(QTime::currentTime() < before || (logged >= before.addMSecs(-before.msec()) && logged <= QTime::currentTime()));
}

void TestStartup::statusLineFollowsTheSocket()
{
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    auto *label = w.child<QLabel>("Label10");
    // Unused is shown only as a change from another state.
    w.window->ShowSocketState(0);
    QCOMPARE(label->text(), QString("??"));
    QVERIFY(w.showAndActivate());
    QTRY_COMPARE(label->text(), QString("swStatusListen"));
    QCOMPARE(label->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(label->width(), label->sizeHint().width());
    // A state shown again changes nothing; the refresh mends what was spoiled.
    label->setText("spoiled");
    w.window->ShowSocketState(2);
    QCOMPARE(label->text(), QString("spoiled"));
    w.window->ShowSocketState(1);
    QCOMPARE(label->text(), QString("swStatusIdle"));
    QTRY_COMPARE(label->text(), QString("swStatusListen"));
}

TESSRA_TEST(TestStartup)
#include "tst_Startup.moc"
