// The settings file on disk, and that a write that cannot be done keeps it as it was.

#include "TestMain.h"
#include "FileFaults.h"
#include "shell/IniSnapshot.h"
#include "shell/modRWIniFile.h"

#include <QDir>
#include <QTemporaryDir>

using namespace modRWIniFile;
using FileFaults::Fault;

Q_DECLARE_METATYPE(Fault)

namespace {

const QString Section = QStringLiteral("TessraProg");

// A temporary folder with the settings file in it, unless its bytes are null.
struct Folder : QTemporaryDir
{
    const QString ini = InitIniPath(path());

    explicit Folder(const QByteArray &bytes)
    {
        QFile file(ini);
        if (!bytes.isNull() && file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }
    QByteArray content() const
    {
        QFile file(ini);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

} // namespace

class TestModRWIniFile : public QObject
{
    Q_OBJECT

private slots:
    void readFitsTheBuffer()
    {
        // The window's buffer holds 255 characters and the terminator; one of a single place only the terminator.
        const Folder folder("[TessraProg]\nPort=" + QByteArray(300, '7'));
        QCOMPARE(ReadIniValue(Section, "Port", "-", folder.ini, IniBufferSize), QString(255, u'7'));
        QCOMPARE(ReadIniValue(Section, "Port", "-", folder.ini, 1), QString());
        // Cut where blanks follow, it has none at its end, as it reads once written back.
        const Folder cutAtBlanks("[TessraProg]\nPort=" + QByteArray(253, '7') + " \t8");
        QCOMPARE(ReadIniValue(Section, "Port", "-", cutAtBlanks.ini, IniBufferSize), QString(253, u'7'));
    }
    void snapshotKeepsTheFileAsItWasRead()
    {
        Folder folder("[TessraProg]\nPort=340\n");
        const IniSnapshot stored(folder.ini);
        QVERIFY(WriteIniValue(Section, "eNumLan", "7", folder.ini));
        QCOMPARE(stored.value(Section, "port", "-", IniBufferSize) + stored.value(Section, "eNumLan", "-", IniBufferSize),
                 QString("340-"));
        QCOMPARE(IniSnapshot(folder.ini + ".missing").value(Section, "Port", "-", IniBufferSize), QString("-"));
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<QString>("value");     // of " Port ", blanks around a name are not part of it
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("a new file holds the value in Latin-1, line breaks as blanks")
            << QByteArray() << QStringLiteral(u"Kälteß\r\n[Evil]\nx=1\0y")
            << QByteArray("[TessraProg]\nPort=K\xe4lte\xdf  [Evil] x=1 y\n");
        QTest::newRow("a key in other case keeps its line and spelling, comments and other keys stay")
            << QByteArray("; von Hand\n\n[tessraprog]\n; Keller\nport=4000\nA=x\n; Ende\n\n;Port=3000\n")
            << "5000" << QByteArray("; von Hand\n\n\n[tessraprog]\n\n; Keller\nport=5000\nA=x\n; Ende\n\n;Port=3000\n");
        // A NUL byte ends its line, not the file.
        QTest::newRow("a section line without \"]\" is left out, its keys stay in the section before")
            << QByteArrayLiteral("[Other]\nA=1\0B=2\n[Tessra\n \t[TessraProg\n; Kommentar\nPort=4000\n") << "5000"
            << QByteArray("[Other]\nA=1\nB=2\n\n; Kommentar\nPort=4000\n\n\n[TessraProg]\nPort=5000\n");
        QTest::newRow("so is one after a byte-order mark")
            << QByteArray("\xEF\xBB\xBF[Tessra\nA=1\n[TessraProg]\nPort=4000\n") << "5000"
            << QByteArray("\xEF\xBB\xBF" "A=1\n\n\n[TessraProg]\nPort=5000\n");
    }

    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const Folder folder(before);
        QVERIFY(WriteIniValue(Section, " Port ", value, folder.ini));
        QCOMPARE(folder.content(), after);
    }

    void writeSeveralAtOnce()
    {
        // The same file as one write after the other, made in one replacement; a key that cannot be written keeps
        // the others from being written too.
        const QByteArray before = "; von Hand\r\n[Other]\r\nA=1\r\n[tessraprog]\r\nport=4000\r\n";
        const IniValues values{{"IPAdresse", "10.0.0.7"}, {"Port", "5000"}, {"eNumLan", "3"}};
        Folder oneByOne(before), atOnce(before);
        for (const auto &[key, value] : values)
            QVERIFY(WriteIniValue(Section, key, value, oneByOne.ini));
        QVERIFY(WriteIniValues(Section, values, atOnce.ini));
        QCOMPARE(atOnce.content(), oneByOne.content());
        QVERIFY(!WriteIniValues(Section, {{"Port", "6000"}, {"Po=rt", "1"}}, atOnce.ini));
        QCOMPARE(atOnce.content(), oneByOne.content());
    }

    void writeThatCannotBeDone_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("file"); // beside the settings file, one beyond 64 MiB
        QTest::addColumn<Fault>("fault");
        QTest::newRow("a key with \"=\"") << "Po=rt" << "TessraPrg.ini" << Fault::None;
        QTest::newRow("a settings file beyond 64 MiB") << "Port" << "large.ini" << Fault::None;
        QTest::newRow("a full disk") << "Port" << "TessraPrg.ini" << Fault::DiskFull;
        QTest::newRow("a folder that cannot be written") << "Port" << "TessraPrg.ini" << Fault::ReadOnlyFolder;
        QTest::newRow("a file that vanishes between read and write is written anew with all that was read")
            << "Port" << "TessraPrg.ini" << Fault::VanishBeforeWrite;
    }

    void writeThatCannotBeDone()
    {
        QFETCH(QString, key);
        QFETCH(QString, file);
        QFETCH(Fault, fault);
        const QByteArray before = "[TessraProg]\r\nPort=4000\r\nMeinWert=Heizung\r\n";
        const Folder folder(before);
        QFile large(folder.filePath("large.ini"));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.write(before) > 0 && large.resize(MaxIniFileSize + 1));
        const bool vanishes = fault == Fault::VanishBeforeWrite;
        {
            FileFaults::Armed armed({fault, folder.path(), folder.ini, 0});
            QCOMPARE(WriteIniValue(Section, key, "5000", folder.filePath(file)), vanishes);
            QCOMPARE(FileFaults::injected() > 0, fault != Fault::None);
        }
        QCOMPARE(folder.content(), vanishes ? QByteArray(before).replace("4000", "5000") : before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"large.ini", "TessraPrg.ini"})); // nothing left behind
    }
};

TESSRA_TEST(TestModRWIniFile)
#include "tst_ModRWIniFile.moc"
