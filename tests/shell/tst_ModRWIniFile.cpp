#include "TestMain.h"
#include "shell/modRWIniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pwd.h>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

using namespace modRWIniFile;

namespace {

const QString Section = QStringLiteral("TessraProg");
const QString Default = QStringLiteral("-");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Lets writes go through the permissions even when the tests run as root.
class WithoutRootRights
{
public:
    WithoutRootRights()
    {
        if (geteuid() != 0)
            return;
        const passwd *nobody = getpwnam("nobody");
        dropped = nobody && seteuid(nobody->pw_uid) == 0;
    }
    ~WithoutRootRights()
    {
        if (dropped && seteuid(0) != 0)
            qFatal("cannot return to root");
    }
    bool effective() const { return geteuid() != 0; }

private:
    bool dropped = false;
};

// The process may not grow any file beyond a few bytes, as on a full disk.
class FullDisk
{
public:
    explicit FullDisk(rlim_t bytes)
    {
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit = previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit previous{};
    void (*previousHandler)(int) = nullptr;
};

} // namespace

class TestModRWIniFile : public QObject
{
    Q_OBJECT

private slots:
    void initIniPath()
    {
        QCOMPARE(InitIniPath(QStringLiteral("/opt/tessra")), QStringLiteral("/opt/tessra/TessraPrg.ini"));
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray lan = "[TessraProg]\nIPAdresse=192.168.0.10\nPort=5000\n";
        QTest::newRow("key as written") << lan << "Port" << "5000";
        QTest::newRow("key in other case") << lan << "ipadresse" << "192.168.0.10";
        QTest::newRow("section in other case") << QByteArray("[tessraPROG]\nPort=5000\n") << "Port" << "5000";
        QTest::newRow("GateWay line is read as Gateway")
            << QByteArray("[TessraProg]\nGateWay=192.168.0.1\n") << "Gateway" << "192.168.0.1";
        QTest::newRow("CR LF line ends read as LF")
            << QByteArray("[TessraProg]\r\nIPAdresse=192.168.0.10\r\nPort=5000\r\n") << "IPAdresse" << "192.168.0.10";
        QTest::newRow("blanks around key and value are not part of them")
            << QByteArray("[TessraProg]\n  Port =  5000 \t\n") << "Port" << "5000";
        QTest::newRow("empty value is empty, not the default") << QByteArray("[TessraProg]\nPort=\n") << "Port" << "";
        QTest::newRow("missing key reads as default") << lan << "DAdrH" << "-";
        QTest::newRow("missing section reads as default") << QByteArray("[Other]\nPort=1\n") << "Port" << "-";
        QTest::newRow("key of another section is not read")
            << QByteArray("[Other]\nPort=1\n[TessraProg]\nDAdrH=2\n") << "Port" << "-";
        QTest::newRow("commented-out key is not read") << QByteArray("[TessraProg]\n;Port=1\n#Port=2\n") << "Port" << "-";
        QTest::newRow("byte E4 is \"ä\" (Latin-1)") << QByteArray("[TessraProg]\neNumLan=K\xe4lte\xdf\n") << "eNumLan"
                                                    << QStringLiteral(u"Kälteß");
        QTest::newRow("lines after a NUL byte are read")
            << QByteArrayLiteral("[TessraProg]\nPort=5000\0garbage\nDAdrH=7\n") << "DAdrH" << "7";
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        put(path, content);
        QCOMPARE(ReadIniValue(Section, key, Default, path, IniBufferSize), expected);
    }

    void readFitsTheBuffer_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("expectedLength");
        QTest::newRow("value of 255 characters comes back whole") << true << 255 << 256 << 255;
        QTest::newRow("value of 300 characters is cut to 255") << true << 300 << 256 << 255;
        QTest::newRow("default of 300 characters is cut to 255") << false << 300 << 256 << 255;
        QTest::newRow("buffer of one place holds nothing") << true << 10 << 1 << 0;
    }

    void readFitsTheBuffer()
    {
        QFETCH(bool, stored);
        QFETCH(int, length);
        QFETCH(int, size);
        QFETCH(int, expectedLength);
        QString text;
        while (text.size() < length)
            text += QString::number(text.size() % 10);
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        if (stored)
            put(path, "[TessraProg]\nIPAdresse=" + text.toLatin1() + "\n");
        QCOMPARE(ReadIniValue(Section, QStringLiteral("IPAdresse"), stored ? QString() : text, path, size),
                 text.left(expectedLength));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("readBack");

        QTest::newRow("no file: file, section and key are created")
            << QByteArray() << "Port" << "5000" << QByteArray("[TessraProg]\nPort=5000\n") << "5000";
        QTest::newRow("missing section is added after the others")
            << QByteArray("[Other]\nA=1\n") << "Port" << "5000"
            << QByteArray("[Other]\nA=1\n\n\n[TessraProg]\nPort=5000\n") << "5000";
        QTest::newRow("missing key is added at the end of its section")
            << QByteArray("[TessraProg]\nIPAdresse=1.2.3.4\n\n\n[Other]\nA=1\n") << "Port" << "5000"
            << QByteArray("[TessraProg]\nIPAdresse=1.2.3.4\nPort=5000\n\n\n[Other]\nA=1\n") << "5000";
        QTest::newRow("value is replaced in place, the other lines keep their order")
            << QByteArray("[TessraProg]\nIPAdresse=1.2.3.4\nPort=4000\neNumLan=7\n") << "Port" << "5000"
            << QByteArray("[TessraProg]\nIPAdresse=1.2.3.4\nPort=5000\neNumLan=7\n") << "5000";
        QTest::newRow("key in other case keeps its spelling")
            << QByteArray("[tessraprog]\ngateway=1.2.3.4\n") << "GateWay" << "10.0.0.1"
            << QByteArray("[tessraprog]\ngateway=10.0.0.1\n") << "10.0.0.1";
        QTest::newRow("extra keys and comments are kept")
            << QByteArray("; von Hand\n\n[TessraProg]\n; Adapter im Keller\nPort=4000\nMeinWert=x\n; Ende\n\n;Port=3000\n")
            << "Port" << "5000"
            << QByteArray("; von Hand\n\n\n[TessraProg]\n\n; Adapter im Keller\nPort=5000\nMeinWert=x\n; Ende\n\n;Port=3000\n")
            << "5000";
        QTest::newRow("CR LF file keeps CR LF")
            << QByteArray("[TessraProg]\r\nPort=4000\r\nDAdrH=1\r\n") << "Port" << "5000"
            << QByteArray("[TessraProg]\r\nPort=5000\r\nDAdrH=1\r\n") << "5000";
        QTest::newRow("\"ä\" is written as byte E4 (Latin-1)")
            << QByteArray() << "eNumLan" << QStringLiteral(u"Kälteß")
            << QByteArray("[TessraProg]\neNumLan=K\xe4lte\xdf\n") << QStringLiteral(u"Kälteß");
        QTest::newRow("line breaks in a value cannot start lines of their own")
            << QByteArray() << "Port" << "5000\r\n[Evil]\nx=1"
            << QByteArray("[TessraProg]\nPort=5000  [Evil] x=1\n") << "5000  [Evil] x=1";
        QTest::newRow("a section line without \"]\" is left out, its keys stay in the section before")
            << QByteArray("[Other]\nA=1\n[TessraProg\n; Kommentar\nPort=4000\n") << "Port" << "5000"
            << QByteArray("[Other]\nA=1\n\n; Kommentar\nPort=4000\n\n\n[TessraProg]\nPort=5000\n") << "5000";
        QTest::newRow("empty value is written empty")
            << QByteArray("[TessraProg]\nPort=4000\n") << "Port" << "" << QByteArray("[TessraProg]\nPort=\n") << "";
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QFETCH(QString, readBack);
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        if (!before.isNull())
            put(path, before);
        QVERIFY(WriteIniValue(Section, key, value, path));
        QCOMPARE(contentOf(path), after);
        QCOMPARE(ReadIniValue(Section, key, Default, path, IniBufferSize), readBack);
        // Writing the same value again changes nothing: the file never grows by itself.
        QVERIFY(WriteIniValue(Section, key, value, path));
        QCOMPARE(contentOf(path), after);
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("TessraPrg.ini")});
    }

    void unusableNamesAreNotWritten_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("empty key") << Section << "";
        QTest::newRow("key with \"=\"") << Section << "Po=rt";
        QTest::newRow("key that is a comment") << Section << ";Port";
        QTest::newRow("key with a line break") << Section << "Port\n[Evil]";
        QTest::newRow("section with \"]\"") << "Tessra]Prog" << "Port";
    }

    void unusableNamesAreNotWritten()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        QVERIFY(!WriteIniValue(section, key, QStringLiteral("1"), path));
        QVERIFY(!QFile::exists(path));
    }

    void nothingToWriteInto_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("folder does not exist") << "missing";
        QTest::newRow("folder is a file") << "plain";
        QTest::newRow("settings file is a folder") << "";
    }

    void nothingToWriteInto()
    {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        put(dir.filePath(QStringLiteral("plain")), "x");
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("TessraPrg.ini")));
        const QStringList entries = entriesOf(dir.path());
        const QString path = InitIniPath(dir.filePath(folder));
        QCOMPARE(ReadIniValue(Section, QStringLiteral("Port"), Default, path, IniBufferSize), Default);
        QVERIFY(!WriteIniValue(Section, QStringLiteral("Port"), QStringLiteral("5000"), path));
        QCOMPARE(entriesOf(dir.path()), entries);
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("TessraPrg.ini"))).isDir());
    }

    void folderWithoutWriteAccessKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("readonly"));
        const QString path = InitIniPath(folder);
        const QByteArray old = "[TessraProg]\nPort=4000\n";
        QVERIFY(QDir().mkdir(folder));
        put(path, old);
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(dir.path(), readOnly | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(folder, readOnly));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
        bool written = true;
        {
            WithoutRootRights user;
            if (!user.effective())
                QSKIP("no unprivileged user to write as");
            written = WriteIniValue(Section, QStringLiteral("Port"), QStringLiteral("5000"), path);
        }
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::WriteOwner));
        QVERIFY(!written);
        QCOMPARE(contentOf(path), old);
        QCOMPARE(entriesOf(folder), QStringList{QStringLiteral("TessraPrg.ini")});
    }

    void fullDiskKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        const QByteArray old = "[TessraProg]\nPort=4000\n";
        put(path, old);
        bool written = true;
        {
            FullDisk disk(8);
            written = WriteIniValue(Section, QStringLiteral("Port"), QStringLiteral("5000"), path);
        }
        QVERIFY(!written);
        QCOMPARE(contentOf(path), old);
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("TessraPrg.ini")});
    }

    void binaryGarbage()
    {
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        std::mt19937 random(6);
        QByteArray garbage(256 * 1024, Qt::Uninitialized);
        for (char &byte : garbage)
            byte = char(random());
        put(path, garbage);
        QVERIFY(ReadIniValue(Section, QStringLiteral("Port"), Default, path, IniBufferSize).size() < IniBufferSize);
        QVERIFY(WriteIniValue(Section, QStringLiteral("Port"), QStringLiteral("5000"), path));
        QVERIFY(WriteIniValue(Section, QStringLiteral("DAdrH"), QStringLiteral("7"), path));
        QCOMPARE(ReadIniValue(Section, QStringLiteral("Port"), Default, path, IniBufferSize), QStringLiteral("5000"));
        QCOMPARE(ReadIniValue(Section, QStringLiteral("DAdrH"), Default, path, IniBufferSize), QStringLiteral("7"));
    }

    void multiMegabyteFile()
    {
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        QByteArray lines;
        for (int n = 0; n < 100000; ++n)
            lines += "Schluessel" + QByteArray::number(n) + "=" + QByteArray(40, char('a' + n % 26)) + "\n";
        const QByteArray before = "[TessraProg]\nPort=4000\n" + lines + "DAdrH=7\n";
        QVERIFY(before.size() > 5 * 1024 * 1024);
        put(path, before);
        QCOMPARE(ReadIniValue(Section, QStringLiteral("DAdrH"), Default, path, IniBufferSize), QStringLiteral("7"));
        QVERIFY(WriteIniValue(Section, QStringLiteral("Port"), QStringLiteral("5000"), path));
        QCOMPARE(contentOf(path), "[TessraProg]\nPort=5000\n" + lines + "DAdrH=7\n");
    }

    void oversizedFileIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString path = InitIniPath(dir.path());
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.write("[TessraProg]\nPort=4000\n") > 0);
            QVERIFY(file.resize(MaxIniFileSize + 1)); // sparse: costs no space
        }
        QCOMPARE(ReadIniValue(Section, QStringLiteral("Port"), Default, path, IniBufferSize), Default);
        QVERIFY(!WriteIniValue(Section, QStringLiteral("Port"), QStringLiteral("5000"), path));
        QCOMPARE(QFileInfo(path).size(), MaxIniFileSize + 1);
        QCOMPARE(entriesOf(dir.path()), QStringList{QStringLiteral("TessraPrg.ini")});
    }
};

TESSRA_TEST(TestModRWIniFile)
#include "tst_ModRWIniFile.moc"
