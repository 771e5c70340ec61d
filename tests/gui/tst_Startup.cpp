// Start-up, listening and shut-down of the real window with its settings file, its event log and its status line. Which
// key fills which field is the settings keys' table, not repeated here.

#include "FileFaults.h"
#include "TestMain.h"
#include "WindowHarness.h"

#include <QLabel>
#include <QPixmap>
#include <QProcess>

using namespace WindowHarness;

namespace {
// Settings as a technician left them, with lines of his own.
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
    void startsListensAndKeepsItsSettings()
    {
        const quint16 port = freeLoopbackPort();
        Window w(technicians(port));
        QVERIFY(w.showAndActivate());
        QCOMPARE(w.log(), QStringList{ListenOn});
        // The status line follows the socket, in green and not cut off; after another state was shown the refresh shows
        // the socket's own again.
        auto *status = w.child<QLabel>("Label10");
        QTRY_COMPARE(status->text(), QString("swStatusListen"));
        const auto shownColour = [status] { return status->grab().toImage().pixelColor(0, 0); };
        QCOMPARE(shownColour(), QColor(0, 255, 0));
        QCOMPARE(status->width(), status->sizeHint().width());
        int refreshes = 0;
        connect(w.child<QTimer>("Timer2"), &QTimer::timeout, this, [&refreshes] { ++refreshes; });
        w.window->ShowSocketState(1);
        QCOMPARE(status->text(), QString("swStatusIdle"));
        QCOMPARE(shownColour(), QColor(255, 255, 0));
        QTRY_COMPARE(status->text(), QString("swStatusListen"));
        // Then the refresh rests: nothing wakes the idle window, not even once more to look at what it just showed.
        QTRY_VERIFY(!w.child<QTimer>("Timer2")->isActive());
        QCOMPARE(refreshes, 1);
        // Every control array is filled, and the target kind chosen.
        QCOMPARE((QStringList{w.text("Text1(0)"), w.text("Text1(16)"), w.text("Text2(19)"), w.text("Text3(2)"),
                              w.text("Text4(3)"), w.text("Text5(4)")}),
                 (QStringList{"10", QString::number(port), "0.5", "44", "254", "1.5"}));
        QVERIFY(w.child("Frame7")->isVisible());
        // The system completes the handshake of a listening socket by itself.
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(probe.waitForConnected(2000));
        w.child<QLineEdit>("Text1(3)")->setText("77");
        w.child<QLineEdit>("Text3(2)")->setText("45");
        w.chooseTarget(0);
        w.window->close();
        const QByteArray saved = contentOf(w.iniPath());
        QVERIFY(saved.startsWith("; Keller\r\n"));
        for (const char *line : {"\nIPAdresse=10.0.0.77\r", "\nDAdrL=45\r", "\nSelect=0\r", "\nMeinWert=Heizung\r"})
            QVERIFY2(saved.contains(line), line);
        // The program ends with its window, and its socket with it: the next start listens on the port again.
        w.window.reset();
        w.window = std::make_unique<frmMain>(
            frmMain::Platform{QHostAddress::LocalHost, w.folder.path(), QString(), QString()});
        QVERIFY(w.showAndActivate());
        QCOMPARE(w.text("Text1(3)") + w.text("Text3(2)"), QString("7745"));
        // A fault at the next unload keeps the file as it was, and says so once.
        w.child<QLineEdit>("Text1(3)")->setText("50");
        {
            const FileFaults::Armed armed({FileFaults::Fault::DiskFull, w.folder.path(), QString(), 0});
            w.window->close();
            QVERIFY(FileFaults::injected() > 0);
        }
        QCOMPARE(contentOf(w.iniPath()), saved);
        QCOMPARE(w.boxes.texts(), QStringList{"Die Einstellungen konnten nicht gespeichert werden:\n" + w.iniPath()});
        QVERIFY(w.boxes.seen[0].icon == QMessageBox::Warning && w.boxes.seen[0].title == "TessraProg");
    }
    void storedTextsLongerThanTheirFieldsArriveWhole_data()
    {
        // A value longer than a person may type into its field, of each kind of field.
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("field");
        QTest::newRow("LAN address part") << QByteArray("IPAdresse=10.0.0.0007") << "Text1(3)=0007";
        QTest::newRow("LAN threshold, also the new one") << QByteArray("TDiffOnLan=0002.5") << "Text2(18)=0002.5";
        QTest::newRow("radio threshold, also the new one") << QByteArray("TDiffOnFunk=-12.5") << "Text5(4)=-12.5";
        QTest::newRow("gateway address part") << QByteArray("FLGateway=10.0.0.0254") << "Text4(3)=0254";
    }
    void storedTextsLongerThanTheirFieldsArriveWhole()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, field);
        Window w(Window::settingsWithPort(freeLoopbackPort()) + line + "\r\n");
        QVERIFY(w.showAndActivate());
        QCOMPARE(w.text(field.section('=', 0, 0)), field.section('=', 1));
        w.window->close();
        QVERIFY(contentOf(w.iniPath()).contains(line + "\r\n"));
        QVERIFY(w.boxes.seen.isEmpty());
    }
    // Without a file beside the program the settings are the user's: the user's folder is made at the first unload,
    // and the program's folder, which cannot be written, is never touched. A file beside the program is used instead.
    void settingsAreTheUsersUnlessACopyIsPortable()
    {
        QTemporaryDir home;
        const QString user = home.filePath("TessraProg"), userIni = user + "/TessraPrg.ini";
        {
            Window w(QByteArray(), user);
            QVERIFY(w.showAndActivate());
            w.child<QLineEdit>("Text1(17)")->setText("8");
            const FileFaults::Armed armed({FileFaults::Fault::ReadOnlyFolder, w.folder.path(), QString(), 0});
            w.window->close();
            QCOMPARE(FileFaults::injected(), 0);
            QCOMPARE(w.boxes.texts(), QStringList{"Unable to listen for connections"}); // it had no port
        }
        QVERIFY(contentOf(userIni).contains("\neNumLan=8\n"));
        Window w(Window::settingsWithPort(freeLoopbackPort()), user);
        QVERIFY(w.showAndActivate() && w.text("Text1(17)") != "8");
        w.window->close();
        QVERIFY(contentOf(w.iniPath()).contains("eNumLan=") && contentOf(userIni).contains("\neNumLan=8\n"));
    }
    // The window's command line needs no display: help and version print and end, an unknown option is refused.
    void commandLine_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed"); // its beginning, standard output and error together
        QTest::newRow("version") << "--version" << 0 << "TessraProg " TESSRA_VERSION "\n";
        QTest::newRow("help") << "-h" << 0 << "Aufruf: tessraprog [Optionen]\n";
        QTest::newRow("unknown") << "--frob" << 2 << "tessraprog: unbekannte Option 'frob'\nMehr mit: tessraprog --help";
    }
    void commandLine()
    {
        QFETCH(QString, option);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QProcess program;
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            bare.remove(display);
        program.setProcessEnvironment(bare);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(TESSRAPROG, {option});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), status);
        QVERIFY2(program.readAll().startsWith(printed.toUtf8()), qPrintable(option));
    }
    void noUsablePortIsSaid()
    {
        // At the first start, without a settings file, and on a port another program has taken.
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, 0));
        for (const QByteArray &settings : {QByteArray(), Window::settingsWithPort(other.serverPort())}) {
            Window w(settings);
            QVERIFY(w.showAndActivate());
            QCOMPARE(w.boxes.texts(), QStringList{"Unable to listen for connections"});
            QVERIFY(w.boxes.seen[0].title == "TessraProg" && w.boxes.seen[0].icon == QMessageBox::Warning);
            QVERIFY(w.log().isEmpty() && w.child("cmdTest")->isEnabled());
        }
    }
    void logKeepsTheNewest200LinesStamped()
    {
        Window w;
        auto *list = w.child<QListWidget>("List1");
        const QTime before = QTime::currentTime();
        for (int i = 1; i <= 202; ++i)
            w.window->WriteLog(QString::number(i));
        QCOMPARE(list->count(), 200);
        QCOMPARE(w.log().first() + " " + w.log().last(), QString("3 202"));
        QVERIFY(list->currentRow() == 199 && list->item(199)->isSelected());
        // Led by "HH:MM:SS ", the time of the write (allowing for a run across midnight).
        const QTime logged = QTime::fromString(list->item(199)->text().left(9), "HH:mm:ss "),
                    now = QTime::currentTime();
        QVERIFY(now < before || (logged >= before.addMSecs(-before.msec()) && logged <= now));
    }
};

TESSRA_TEST(TestStartup)
#include "tst_Startup.moc"
