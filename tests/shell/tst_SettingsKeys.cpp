// Which fields the settings file fills at start and keeps at unload, key by key.

#include "TestMain.h"
#include "shell/SettingsKeys.h"
#include "shell/modRWIniFile.h"

#include <QFile>
#include <QTemporaryDir>

using namespace SettingsKeys;

class TestSettingsKeys : public QObject
{
    Q_OBJECT

private slots:
    // Every key written at unload comes back at the next start. Edited by hand, an address fills its row
    // part by part, fewer parts leave the rest, more are ignored; "Select" is Funk only for the number 1.
    void restartRestoresTheFields()
    {
        SettingsTexts before;
        before.text1 = {"192", "168", "0",   "10", "192", "168", "0", "1",    "255", "255",
                        "255", "0",   "192", "168", "0",  "2",   "5000", "12", "2,5", "3,5"};
        before.text2[18] = "2,5"; // the copies made at start
        before.text2[19] = "3,5";
        before.text3 = {"", "", "4", "5", "0,5", "1,5"}; // an empty DAdrH is written as "DAdrH="
        before.text5[4] = "0,5";
        before.text5[5] = "1,5";
        before.select = SelectFunk;
        QTemporaryDir dir;
        const QString path = modRWIniFile::InitIniPath(dir.path());
        for (const auto &[key, value] : settingsToStore(before))
            QVERIFY(modRWIniFile::WriteIniValue(IniSection, key, value, path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[TessraProg]\nIPAdresse=192.168.0.10\nGateWay=192.168.0.1\n"
                                            "SubnetMask=255.255.255.0\nStdDestIp=192.168.0.2\nPort=5000\n"
                                            "eNumLan=12\nSelect=1\nDAdrH=\nDAdrL=4\neNumFunk=5\n"
                                            "TDiffOnFunk=0,5\nTDiffOffFunk=1,5\nTDiffOnLan=2,5\nTDiffOffLan=3,5\n"));
        const auto read = [&path](const QString &key) {
            return modRWIniFile::ReadIniValue(IniSection, key, QString(), path, modRWIniFile::IniBufferSize);
        };
        SettingsTexts after;
        applyStoredSettings(after, read);
        QVERIFY(after == before);

        const StoredValues edits{
            {"IPAdresse", "10.1"}, {"StdDestIp", "1.2.3.4.5.6"}, {"FLGateway", "1.2.3.4"}, {"Select", "-1"}};
        for (const auto &[key, value] : edits)
            QVERIFY(modRWIniFile::WriteIniValue(IniSection, key, value, path));
        applyStoredSettings(after, read);
        QCOMPARE(QStringList(after.text1.begin(), after.text1.begin() + 17),
                 (QStringList{"10", "1", "0", "10", "192", "168", "0", "1", "255", "255", "255", "0", "1", "2", "3", "4",
                              "5000"}));
        QCOMPARE(QStringList(after.text4.begin(), after.text4.end()), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(after.select, SelectLan);
    }
};

TESSRA_TEST(TestSettingsKeys)
#include "tst_SettingsKeys.moc"
