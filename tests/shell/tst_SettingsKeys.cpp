// Which fields the settings file fills at start and keeps at unload, key by key.

#include "TestMain.h"
#include "shell/SettingsKeys.h"

using namespace SettingsKeys;

class TestSettingsKeys : public QObject
{
    Q_OBJECT

private slots:
    // Every key written at unload comes back at the next start. Edited by hand, an address fills its row part by part,
    // fewer parts leave the rest, more are ignored; "Select" is Funk only for the number 1.
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
        QMap<QString, QString> file; // the settings file compares keys without regard to case
        QStringList written;
        for (const auto &[key, value] : settingsToStore(before)) {
            file[key.toLower()] = value;
            written << key + '=' + value;
        }
        QCOMPARE(written.join(' '), "IPAdresse=192.168.0.10 GateWay=192.168.0.1 SubnetMask=255.255.255.0 "
                                    "StdDestIp=192.168.0.2 Port=5000 eNumLan=12 Select=1 DAdrH= DAdrL=4 eNumFunk=5 "
                                    "TDiffOnFunk=0,5 TDiffOffFunk=1,5 TDiffOnLan=2,5 TDiffOffLan=3,5");
        const auto read = [&file](const QString &key) { return file.value(key.toLower()); };
        SettingsTexts after;
        applyStoredSettings(after, read);
        QVERIFY(after == before);

        file.insert(QMap<QString, QString>{
            {"ipadresse", "10.1"}, {"stddestip", "1.2.3.4.5.6"}, {"flgateway", "1.2.3.4"}, {"select", "-1"}});
        applyStoredSettings(after, read);
        QCOMPARE(QStringList(after.text1.begin(), after.text1.begin() + 17),
                 (QStringList{"10", "1", "0", "10", "192", "168", "0", "1", "255", "255", "255", "0", "1", "2", "3",
                              "4", "5000"}));
        QCOMPARE(QStringList(after.text4.begin(), after.text4.end()), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(after.select, SelectLan);
    }
};

TESSRA_TEST(TestSettingsKeys)
#include "tst_SettingsKeys.moc"
