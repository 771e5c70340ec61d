#include "TestMain.h"
#include "entry/LeaveChecks.h"
#include "entry/ProgrammingChecks.h"

#include <QTest>

Q_DECLARE_METATYPE(CheckVerdict)

namespace {

const QString Byte = QStringLiteral("Wert muss zwischen 0 und 255 liegen");
const QString Port = QStringLiteral("Wert muss zwischen 1 und 32000 liegen!");
const QString Home = QStringLiteral("Bitte Homeadresse prüfen !\rDie Adresse darf nicht 0 sein !");
const QString Dest = QStringLiteral("Bitte Zieladresse prüfen !\rDie Zieladresse darf nur zwischen 0 und 250 liegen !");
const QString On = QStringLiteral("Bitte T-DiffON-Wert prüfen !\rNur Werte von 0,1 bis 25,5 zulässig !");
const QString Off = QStringLiteral("Bitte T-DiffOFF-Wert prüfen !\rNur Werte von 0,1 bis 25,5 zulässig !");

CheckVerdict text1Refused(int index, const QString &message)
{
    return {true, message, MessageIcon::Exclamation, QStringLiteral("TessraProg"), FieldRef{ControlArray::Text1, index}, true};
}

CheckVerdict text2Refused(int index)
{
    return {true, QString(), MessageIcon::None, QString(), FieldRef{ControlArray::Text2, index}, true};
}

CheckVerdict programmingRefused(const QString &message, std::optional<FieldRef> focus = std::nullopt)
{
    return {true, message, MessageIcon::CriticalStop, QStringLiteral("Achtung !"), focus, false};
}

} // namespace

class TestFieldChecks : public QObject
{
    Q_OBJECT

private slots:
    void leaveText1_data();
    void leaveText1();
    void leaveText2_data();
    void leaveText2();
    void radioAddresses_data();
    void radioAddresses();
    void tDiff_data();
    void tDiff();
};

void TestFieldChecks::leaveText1_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<CheckVerdict>("verdict");
    QTest::newRow("Text1(3) 255 passes") << 3 << "255" << CheckVerdict{};
    QTest::newRow("Text1(3) 256 is refused") << 3 << "256" << text1Refused(3, Byte);
    QTest::newRow("Text1(3) 255.5 is above 255") << 3 << "255.5" << text1Refused(3, Byte);
    QTest::newRow("Text1(0) empty is 0 and passes") << 0 << "" << CheckVerdict{};
    QTest::newRow("Text1(17) eNum -1 is refused") << 17 << "-1" << text1Refused(17, Byte);
    QTest::newRow("Text1(17) eNum 12x is 12") << 17 << "12x" << CheckVerdict{};
    QTest::newRow("Text1(16) port 32000 passes") << 16 << "32000" << CheckVerdict{};
    QTest::newRow("Text1(16) port 32001 is refused") << 16 << "32001" << text1Refused(16, Port);
    QTest::newRow("Text1(16) port 0 is refused") << 16 << "0" << text1Refused(16, Port);
    QTest::newRow("Text1(16) port of letters is 0") << 16 << "abc" << text1Refused(16, Port);
    QTest::newRow("Text1(18) is not tested") << 18 << "999" << CheckVerdict{};
}

void TestFieldChecks::leaveText1()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(CheckVerdict, verdict);
    QCOMPARE(LeaveChecks::text1LostFocus(index, text), verdict);
}

void TestFieldChecks::leaveText2_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<CheckVerdict>("verdict");
    QTest::newRow("Text2(2) 255 passes") << 2 << "255" << CheckVerdict{};
    QTest::newRow("Text2(2) 300 beeps and keeps the focus") << 2 << "300" << text2Refused(2);
    QTest::newRow("Text2(3) 255.5 rounds to 256") << 3 << "255.5" << text2Refused(3);
    QTest::newRow("Text2(5) 300 is not tested") << 5 << "300" << CheckVerdict{};
    QTest::newRow("Text2(0) empty passes") << 0 << "" << CheckVerdict{};
    QTest::newRow("Text2(1) lone point is refused") << 1 << "." << text2Refused(1);
    QTest::newRow("Text2(1) two points are refused") << 1 << "1.." << text2Refused(1);
}

void TestFieldChecks::leaveText2()
{
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(CheckVerdict, verdict);
    QCOMPARE(LeaveChecks::text2LostFocus(index, text), verdict);
}

void TestFieldChecks::radioAddresses_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<CheckVerdict>("verdict");
    QTest::newRow("28/1/250 passes") << QStringList{"28", "1", "250"} << CheckVerdict{};
    QTest::newRow("home 300 is tested only against 0") << QStringList{"300", "0", "0"} << CheckVerdict{};
    QTest::newRow("empty home is 0") << QStringList{"", "1", "2"} << programmingRefused(Home);
    QTest::newRow("home of letters is 0") << QStringList{"abc", "1", "2"} << programmingRefused(Home);
    QTest::newRow("home first: the destination is not looked at") << QStringList{"0", "999", "999"} << programmingRefused(Home);
    QTest::newRow("low 251 is refused") << QStringList{"28", "1", "251"} << programmingRefused(Dest);
    QTest::newRow("low -1 is refused") << QStringList{"28", "1", "-1"} << programmingRefused(Dest);
    QTest::newRow("high 251 is refused") << QStringList{"28", "251", "1"} << programmingRefused(Dest);
}

void TestFieldChecks::radioAddresses()
{
    QFETCH(QStringList, texts);
    QFETCH(CheckVerdict, verdict);
    QCOMPARE(ProgrammingChecks::CheckRadioAddresses(texts[0], texts[1], texts[2]), verdict);
}

void TestFieldChecks::tDiff_data()
{
    const FieldRef onField{ControlArray::Text5, 4};
    const FieldRef offField{ControlArray::Text5, 5};
    QTest::addColumn<QString>("on");
    QTest::addColumn<QString>("off");
    QTest::addColumn<CheckVerdict>("verdict");
    QTest::newRow("25,5 and 0,1 with commas pass") << "25,5" << "0,1" << CheckVerdict{};
    QTest::newRow("0.1 and 25.5 with points pass") << "0.1" << "25.5" << CheckVerdict{};
    QTest::newRow("whole degrees pass") << "4" << "12" << CheckVerdict{};
    QTest::newRow("on 25,6 is refused") << "25,6" << "1" << programmingRefused(On, onField);
    QTest::newRow("on 30 and off 30: only the ON message") << "30" << "30" << programmingRefused(On, onField);
    QTest::newRow("on 0 is refused") << "0" << "1" << programmingRefused(On, onField);
    QTest::newRow("empty on is 0") << "" << "1" << programmingRefused(On, onField);
    QTest::newRow("off 0,05 is refused") << "1" << "0,05" << programmingRefused(Off, offField);
}

void TestFieldChecks::tDiff()
{
    QFETCH(QString, on);
    QFETCH(QString, off);
    QFETCH(CheckVerdict, verdict);
    QCOMPARE(ProgrammingChecks::CheckTDiff(on, off), verdict);
}

TESSRA_TEST(TestFieldChecks)
#include "tst_FieldChecks.moc"
