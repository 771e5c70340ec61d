#include "TestMain.h"
#include "shell/SettingsKeys.h"
#include "shell/modRWIniFile.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace SettingsKeys;

namespace {

// Every field holds a text that names it, so a field that changes shows.
SettingsTexts namedTexts()
{
    SettingsTexts texts;
    const auto name = [](auto &fields, const QString &array) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            fields[i] = QStringLiteral("%1(%2)").arg(array).arg(i);
    };
    name(texts.text1, QStringLiteral("Text1"));
    name(texts.text2, QStringLiteral("Text2"));
    name(texts.text3, QStringLiteral("Text3"));
    name(texts.text4, QStringLiteral("Text4"));
    name(texts.text5, QStringLiteral("Text5"));
    texts.select = SelectFunk;
    texts.flPort = QStringLiteral("FLPort");
    texts.flGateway = QStringLiteral("FLGateway");
    return texts;
}

// One line per field, so that a failing comparison names the field.
QStringList described(const SettingsTexts &texts)
{
    QStringList lines;
    const auto describe = [&lines](const auto &fields, const QString &array) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            lines << QStringLiteral("%1(%2)=%3").arg(array).arg(i).arg(fields[i]);
    };
    describe(texts.text1, QStringLiteral("Text1"));
    describe(texts.text2, QStringLiteral("Text2"));
    describe(texts.text3, QStringLiteral("Text3"));
    describe(texts.text4, QStringLiteral("Text4"));
    describe(texts.text5, QStringLiteral("Text5"));
    lines << QStringLiteral("Combo1=%1").arg(texts.select) << QStringLiteral("FLPort=") + texts.flPort
          << QStringLiteral("FLGateway=") + texts.flGateway;
    return lines;
}

ReadValue fileOf(const QMap<QString, QString> &values)
{
    return [values](const QString &key) { return values.value(key); };
}

// What a start without settings file makes of namedTexts().
SettingsTexts withoutFile()
{
    SettingsTexts texts = namedTexts();
    for (int i : {16, 17, 18, 19})
        texts.text1[i].clear();
    texts.text2[18].clear();
    texts.text2[19].clear();
    for (int i : {1, 2, 3, 4, 5})
        texts.text3[i].clear();
    texts.text5[4].clear();
    texts.text5[5].clear();
    texts.select = SelectLan;
    texts.flPort.clear();
    texts.flGateway.clear();
    return texts;
}

} // namespace

class TestSettingsKeys : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryKeyOnceInOrder()
    {
        QStringList asked;
        SettingsTexts texts;
        applyStoredSettings(texts, [&asked](const QString &key) {
            asked << key;
            return QString();
        });
        QCOMPARE(asked, (QStringList{"IPAdresse", "SubnetMask", "Gateway", "StdDestIp", "Port", "eNumLan", "FLPort",
                                     "FLGateway", "DAdrH", "DAdrL", "eNumFunk", "TDiffOnFunk", "TDiffOffFunk",
                                     "TDiffOnLan", "TDiffOffLan", "Select"}));
    }

    void startWithoutFile()
    {
        SettingsTexts texts = namedTexts();
        applyStoredSettings(texts, fileOf({}));
        QCOMPARE(described(texts), described(withoutFile()));
    }

    void everyKeyFillsItsFields()
    {
        SettingsTexts texts = namedTexts();
        applyStoredSettings(texts, fileOf({{"IPAdresse", "192.168.0.10"}, {"SubnetMask", "255.255.255.0"},
                                           {"Gateway", "192.168.0.1"}, {"StdDestIp", "192.168.0.2"},
                                           {"Port", "5000"}, {"eNumLan", "12"}, {"FLPort", "5001"},
                                           {"FLGateway", "10.0.0.254"}, {"DAdrH", "3"}, {"DAdrL", "4"},
                                           {"eNumFunk", "5"}, {"TDiffOnFunk", "0.5"}, {"TDiffOffFunk", "1.5"},
                                           {"TDiffOnLan", "2.5"}, {"TDiffOffLan", "3.5"}, {"Select", "1"}}));
        SettingsTexts expected = namedTexts();
        expected.text1 = {"192", "168", "0",   "10", "192",  "168", "0",  "1",   "255", "255",
                          "255", "0",   "192", "168", "0", "2",   "5000", "12", "2.5", "3.5"};
        expected.text2[18] = "2.5";
        expected.text2[19] = "3.5";
        expected.text3 = {"Text3(0)", "3", "4", "5", "0.5", "1.5"};
        expected.text4 = {"10", "0", "0", "254"};
        expected.text5[4] = "0.5";
        expected.text5[5] = "1.5";
        expected.select = SelectFunk;
        expected.flPort = "5001";
        expected.flGateway = "10.0.0.254";
        QCOMPARE(described(texts), described(expected));
    }

    void addressRows_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("array");
        QTest::addColumn<int>("firstField");
        QTest::addColumn<QStringList>("fields");

        QTest::newRow("FLGateway fills Text4(0) to Text4(3)") << "FLGateway" << "1.2.3.4" << 4 << 0
                                                              << QStringList{"1", "2", "3", "4"};
        QTest::newRow("two parts change only the first two fields")
            << "IPAdresse" << "10.1" << 1 << 0 << QStringList{"10", "1", "Text1(2)", "Text1(3)"};
        QTest::newRow("six parts fill four fields, the rest is ignored")
            << "SubnetMask" << "1.2.3.4.5.6" << 1 << 8 << QStringList{"1", "2", "3", "4"};
        QTest::newRow("empty parts empty their fields") << "StdDestIp" << "10..3." << 1 << 12
                                                        << QStringList{"10", "", "3", ""};
        QTest::newRow("parts are taken as text, unchecked") << "Gateway" << "abc. 7.0x1F.-1" << 1 << 4
                                                            << QStringList{"abc", " 7", "0x1F", "-1"};
        QTest::newRow("empty value changes nothing") << "FLGateway" << "" << 4 << 0
                                                     << QStringList{"Text4(0)", "Text4(1)", "Text4(2)", "Text4(3)"};
    }

    void addressRows()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(int, array);
        QFETCH(int, firstField);
        QFETCH(QStringList, fields);
        SettingsTexts texts = namedTexts();
        applyStoredSettings(texts, fileOf({{key, value}}));
        SettingsTexts expected = withoutFile();
        for (int k = 0; k < fields.size(); ++k)
            (array == 1 ? expected.text1[firstField + k] : expected.text4[firstField + k]) = fields[k];
        if (key == "FLGateway")
            expected.flGateway = value;
        QCOMPARE(described(texts), described(expected));
    }

    void select_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty text selects LAN") << "" << SelectFunk << SelectLan;
        QTest::newRow("0 selects LAN") << "0" << SelectFunk << SelectLan;
        QTest::newRow("1 selects Funk") << "1" << SelectLan << SelectFunk;
        QTest::newRow("1.0 selects Funk") << "1.0" << SelectLan << SelectFunk;
        QTest::newRow("leading number counts") << " 1 Funk" << SelectLan << SelectFunk;
        QTest::newRow("2 falls back to LAN") << "2" << SelectFunk << SelectLan;
        QTest::newRow("-1 falls back to LAN") << "-1" << SelectFunk << SelectLan;
        QTest::newRow("1.5 falls back to LAN") << "1.5" << SelectFunk << SelectLan;
        QTest::newRow("text without number selects LAN") << "Funk" << SelectFunk << SelectLan;
    }

    void select()
    {
        QFETCH(QString, value);
        QFETCH(int, before);
        QFETCH(int, expected);
        SettingsTexts texts;
        texts.select = before;
        applyStoredSettings(texts, fileOf({{"Select", value}}));
        QCOMPARE(texts.select, expected);
    }

    void storesKeysInOrder()
    {
        SettingsTexts texts = namedTexts();
        texts.select = SelectLan;
        const StoredValues expected{
            {"IPAdresse", "Text1(0).Text1(1).Text1(2).Text1(3)"},
            {"GateWay", "Text1(4).Text1(5).Text1(6).Text1(7)"},
            {"SubnetMask", "Text1(8).Text1(9).Text1(10).Text1(11)"},
            {"StdDestIp", "Text1(12).Text1(13).Text1(14).Text1(15)"},
            {"Port", "Text1(16)"},
            {"eNumLan", "Text1(17)"},
            {"Select", "0"},
            {"DAdrH", "Text3(1)"},
            {"DAdrL", "Text3(2)"},
            {"eNumFunk", "Text3(3)"},
            {"TDiffOnFunk", "Text3(4)"},
            {"TDiffOffFunk", "Text3(5)"},
            {"TDiffOnLan", "Text1(18)"},
            {"TDiffOffLan", "Text1(19)"},
        };
        QCOMPARE(settingsToStore(texts), expected);
    }

    void restartRestoresTheFields()
    {
        QTemporaryDir dir;
        const QString path = modRWIniFile::InitIniPath(dir.path());
        SettingsTexts before;
        before.text1 = {"192", "168", "0",   "10", "192",  "168", "0",  "1",   "255", "255",
                        "255", "0",   "192", "168", "0", "2",   "5000", "12", "2,5", "3,5"};
        before.text3 = {"", "3", "4", "5", "0,5", "1,5"};
        before.select = SelectFunk;
        before.text2[18] = before.text1[18]; // the copies made at start
        before.text2[19] = before.text1[19];
        before.text5[4] = before.text3[4];
        before.text5[5] = before.text3[5];
        for (int unload = 0; unload < 2; ++unload) {
            for (const auto &[key, value] : settingsToStore(before))
                QVERIFY(modRWIniFile::WriteIniValue(IniSection, key, value, path));
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[TessraProg]\nIPAdresse=192.168.0.10\nGateWay=192.168.0.1\n"
                                            "SubnetMask=255.255.255.0\nStdDestIp=192.168.0.2\nPort=5000\n"
                                            "eNumLan=12\nSelect=1\nDAdrH=3\nDAdrL=4\neNumFunk=5\n"
                                            "TDiffOnFunk=0,5\nTDiffOffFunk=1,5\nTDiffOnLan=2,5\nTDiffOffLan=3,5\n"));

        SettingsTexts after = before;
        after.text1.fill(QStringLiteral("vorher"));
        after.text3[1] = after.text3[2] = after.text3[3] = after.text3[4] = after.text3[5] = QStringLiteral("vorher");
        after.select = SelectLan;
        applyStoredSettings(after, [&path](const QString &key) {
            return modRWIniFile::ReadIniValue(IniSection, key, QString(), path, modRWIniFile::IniBufferSize);
        });
        QCOMPARE(described(after), described(before));
    }
};

TESSRA_TEST(TestSettingsKeys)
#include "tst_SettingsKeys.moc"
