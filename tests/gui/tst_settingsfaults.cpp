// The settings file when the file system fails the window at unload: a full
// disk, a folder that cannot be written, a file that vanishes between its read
// and its write. The faults are injected by FileFaults under the real window
// and the real settings file; the previous settings must survive each of them.

#include "TestMain.h"
#include "FileFaults.h"
#include "WindowHarness.h"

#include "shell/modRWIniFile.h"

#include <QDir>
#include <QLineEdit>

using namespace WindowHarness;
using FileFaults::Fault;

namespace {

const QString Section = QStringLiteral("TessraProg");
constexpr int KeysWritten = 14;

// The settings as a technician left them, with a line of his own.
QByteArray previousSettings(quint16 port)
{
    return "; Keller, Verteiler 2\r\n[TessraProg]\r\nIPAdresse=192.168.28.215\r\nGateWay=192.168.28.254\r\n"
           "SubnetMask=255.255.255.0\r\nStdDestIp=192.168.28.10\r\nPort="
        + QByteArray::number(port)
        + "\r\neNumLan=1\r\nSelect=0\r\nDAdrH=1\r\nDAdrL=22\r\neNumFunk=7\r\nTDiffOnFunk=2.5\r\n"
          "TDiffOffFunk=1.0\r\nTDiffOnLan=2.5\r\nTDiffOffLan=1.0\r\nFLGateway=192.168.28.1\r\nMeinWert=Heizung\r\n";
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString stored(const QString &path, const QString &key)
{
    return modRWIniFile::ReadIniValue(Section, key, QStringLiteral("<missing>"), path, modRWIniFile::IniBufferSize);
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The technician's changes before he closes the window.
void changeFields(Window &w)
{
    w.child<QLineEdit>("Text1(3)")->setText("50");
    w.child<QLineEdit>("Text3(3)")->setText("9");
    w.child<QLineEdit>("Text1(18)")->setText("3.5");
}

} // namespace

class TestSettingsFaults : public QObject
{
    Q_OBJECT

private slots:
    void faultAtUnloadKeepsThePreviousFile_data();
    void faultAtUnloadKeepsThePreviousFile();
    void diskFullHalfwayLeavesEachKeyOldOrNew();
    void fileVanishingBetweenStartUpAndUnload();
    void fileVanishingBeforeEachWrite();
};

void TestSettingsFaults::faultAtUnloadKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("the disk is full") << int(Fault::DiskFull);
    QTest::newRow("the folder cannot be written") << int(Fault::ReadOnlyFolder);
}

void TestSettingsFaults::faultAtUnloadKeepsThePreviousFile()
{
    QFETCH(int, fault);
    MessageBoxWatcher boxes;
    const QByteArray previous = previousSettings(freeLoopbackPort());
    Window w(previous);
    QVERIFY(w.showAndActivate());
    changeFields(w);
    {
        FileFaults::Armed armed({Fault(fault), w.folder.path(), QString(), 0});
        w.window->close();
        // Every one of the keys met the fault; none got through.
        QVERIFY2(FileFaults::injected() >= KeysWritten, qPrintable(QString::number(FileFaults::injected())));
    }
    QCOMPARE(contentOf(w.iniPath()), previous);
    QCOMPARE(entriesOf(w.folder.path()), QStringList{"TessraPrg.ini"});

    // The next start finds the previous settings.
    w.window.reset();
    frmMain again({QHostAddress::LocalHost, w.folder.path()});
    again.show();
    QTRY_COMPARE(again.findChild<QTimer *>("Timer2")->interval(), ActiveStatusRefreshMs);
    QCOMPARE(again.findChild<QLineEdit *>("Text1(3)")->text(), QString("215"));
    QCOMPARE(again.findChild<QLineEdit *>("Text3(3)")->text(), QString("7"));
    QCOMPARE(again.findChild<QLineEdit *>("Text1(18)")->text(), QString("2.5"));
    QVERIFY(boxes.seen.isEmpty());
}

void TestSettingsFaults::diskFullHalfwayLeavesEachKeyOldOrNew()
{
    MessageBoxWatcher boxes;
    const QByteArray previous = previousSettings(freeLoopbackPort());
    Window w(previous);
    QVERIFY(w.showAndActivate());
    changeFields(w);
    // IPAdresse is the first key written, eNumFunk the tenth, TDiffOnLan the thirteenth.
    constexpr int KeysThatFit = 5;
    {
        FileFaults::Armed armed({Fault::DiskFull, w.folder.path(), QString(), KeysThatFit});
        w.window->close();
        QVERIFY(FileFaults::injected() >= KeysWritten - KeysThatFit);
    }
    const QString path = w.iniPath();
    QCOMPARE(stored(path, "IPAdresse"), QString("192.168.28.50"));
    QCOMPARE(stored(path, "eNumFunk"), QString("7"));
    QCOMPARE(stored(path, "TDiffOnLan"), QString("2.5"));
    // Every key of the file is still there, and nothing of the technician's is lost.
    for (const QByteArray &line : previous.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            QVERIFY2(stored(path, QString::fromLatin1(line.left(equals))) != "<missing>", line.constData());
    }
    QCOMPARE(stored(path, "MeinWert"), QString("Heizung"));
    QVERIFY(contentOf(path).startsWith("; Keller, Verteiler 2\r\n"));
    QCOMPARE(entriesOf(w.folder.path()), QStringList{"TessraPrg.ini"});
    QVERIFY(boxes.seen.isEmpty());
}

void TestSettingsFaults::fileVanishingBetweenStartUpAndUnload()
{
    MessageBoxWatcher boxes;
    const quint16 port = freeLoopbackPort();
    Window w(previousSettings(port));
    QVERIFY(w.showAndActivate());
    QVERIFY(QFile::remove(w.iniPath()));
    w.window->close();
    // The window still held every setting it had read and writes them anew.
    const QString path = w.iniPath();
    QCOMPARE(stored(path, "IPAdresse"), QString("192.168.28.215"));
    QCOMPARE(stored(path, "GateWay"), QString("192.168.28.254"));
    QCOMPARE(stored(path, "Port"), QString::number(port));
    QCOMPARE(stored(path, "eNumFunk"), QString("7"));
    QCOMPARE(stored(path, "TDiffOffLan"), QString("1.0"));
    QCOMPARE(entriesOf(w.folder.path()), QStringList{"TessraPrg.ini"});
    QVERIFY(boxes.seen.isEmpty());
}

void TestSettingsFaults::fileVanishingBeforeEachWrite()
{
    MessageBoxWatcher boxes;
    Window w(previousSettings(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    changeFields(w);
    {
        FileFaults::Armed armed({Fault::VanishBeforeWrite, w.folder.path(), w.iniPath(), 0});
        w.window->close();
        // The file was gone after each of the reads, just before its write.
        QCOMPARE(FileFaults::injected(), KeysWritten);
    }
    // Each write had read the file before it vanished, so nothing was lost.
    const QString path = w.iniPath();
    QCOMPARE(stored(path, "IPAdresse"), QString("192.168.28.50"));
    QCOMPARE(stored(path, "eNumFunk"), QString("9"));
    QCOMPARE(stored(path, "TDiffOnLan"), QString("3.5"));
    QCOMPARE(stored(path, "FLGateway"), QString("192.168.28.1"));
    QCOMPARE(stored(path, "MeinWert"), QString("Heizung"));
    QVERIFY(contentOf(path).startsWith("; Keller, Verteiler 2\r\n"));
    QCOMPARE(entriesOf(w.folder.path()), QStringList{"TessraPrg.ini"});
    QVERIFY(boxes.seen.isEmpty());
}

TESSRA_TEST(TestSettingsFaults)
#include "tst_settingsfaults.moc"
