#include "TestMain.h"
#include "requests/NumberConversions.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace NumberConversions;

namespace {
constexpr int Fails = -1; // the conversion gives no value
int orFails(std::optional<qint32> value) { return value ? *value : Fails; }
int orFails(std::optional<quint8> value) { return value ? *value : Fails; }
} // namespace

class TestNumberConversions : public QObject
{
    Q_OBJECT

private slots:
    void wholeNumbers_data();
    void wholeNumbers();
    void leadingNumbers_data();
    void leadingNumbers();
    void leadingWholeNumbers();
    void bytes();
    void ports_data();
    void ports();
    void tDiffBytes_data();
    void tDiffBytes();
};

void TestNumberConversions::wholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("digits") << "42" << 42;
    QTest::newRow("blanks around are ignored") << " 7 " << 7;
    QTest::newRow("2.5 rounds to even 2") << "2.5" << 2;
    QTest::newRow("3.5 rounds to even 4") << "3.5" << 4;
    QTest::newRow("-2.5 rounds to even -2") << "-2.5" << -2;
    QTest::newRow("2.51 rounds up") << "2.51" << 3;
    QTest::newRow("lowest 32-bit value") << "-2147483648" << std::numeric_limits<int>::min();
    QTest::newRow("empty fails") << "" << Fails;
    QTest::newRow("blanks only fail") << "   " << Fails;
    QTest::newRow("letters fail") << "abc" << Fails;
    QTest::newRow("trailing letter fails") << "12x" << Fails;
    QTest::newRow("lone point fails") << "." << Fails;
    QTest::newRow("two points fail") << "1.2.3" << Fails;
    QTest::newRow("comma is no decimal separator") << "1,5" << Fails;
    QTest::newRow("comma is no group separator either") << "1,000" << Fails;
    QTest::newRow("beyond 32 bits fails") << "2147483648" << Fails;
    QTest::newRow("infinity fails") << "inf" << Fails;
}

void TestNumberConversions::wholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(orFails(wholeNumber(text)), expected);
}

void TestNumberConversions::leadingNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("12x gives 12") << "12x" << 12.0;
    QTest::newRow("empty gives 0") << "" << 0.0;
    QTest::newRow("letters give 0") << "abc" << 0.0;
    QTest::newRow("blanks anywhere are ignored") << " 1 2 .5" << 12.5;
    QTest::newRow("a second point ends the number") << "1.5.3" << 1.5;
    QTest::newRow("a comma ends the number") << "1,5" << 1.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("sign") << "- 3" << -3.0;
    QTest::newRow("a second sign ends the number") << "--5" << 0.0;
    QTest::newRow("a later minus ends the number") << "5-2" << 5.0;
    QTest::newRow("no exponent is read") << "1e3" << 1.0;
    QTest::newRow("0.1 is the same double as the literal") << "0.1" << 0.1;
}

void TestNumberConversions::leadingNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(leadingNumber(text), expected);
}

void TestNumberConversions::leadingWholeNumbers()
{
    QCOMPARE(orFails(leadingWholeNumber("2.5x")), 2);
    QCOMPARE(orFails(leadingWholeNumber("22 ")), 22);
    QCOMPARE(orFails(leadingWholeNumber("")), 0);
    const QString huge = QStringLiteral("1") + QString(400, u'0');
    QVERIFY(std::isinf(leadingNumber(huge)));
    QCOMPARE(orFails(leadingWholeNumber(huge)), Fails);
}

void TestNumberConversions::bytes()
{
    QCOMPARE(orFails(toByte(0)), 0);
    QCOMPARE(orFails(toByte(255)), 255);
    QCOMPARE(orFails(toByte(256)), Fails);
    QCOMPARE(orFails(toByte(-1)), Fails);
}

void TestNumberConversions::ports_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::newRow("port 5000 is 19, 136") << "5000" << 19 << 136;
    QTest::newRow("port 256") << "256" << 1 << 0;
    QTest::newRow("port 65535") << "65535" << 255 << 255;
    QTest::newRow("port 65536: high 256 and low 65536 both fail") << "65536" << Fails << Fails;
    QTest::newRow("negative port fails both") << "-1" << Fails << Fails;
    QTest::newRow("empty port is 0") << "" << 0 << 0;
    QTest::newRow("fraction rounds the low byte") << "5000.7" << 19 << 137;
}

void TestNumberConversions::ports()
{
    QFETCH(QString, text);
    QFETCH(int, high);
    QFETCH(int, low);
    const PortBytes bytes = portBytes(text);
    QCOMPARE(orFails(bytes.high), high);
    QCOMPARE(orFails(bytes.low), low);
}

void TestNumberConversions::tDiffBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    // One decimal place, as the program writes these fields: the same bytes as ever.
    QTest::newRow("2.5 gives 25") << "2.5" << 25;
    QTest::newRow("2,5 gives 25") << "2,5" << 25;
    QTest::newRow("25.5 gives 255") << "25.5" << 255;
    QTest::newRow("0.1 gives 1") << "0.1" << 1;
    QTest::newRow("1,2 gives 12") << "1,2" << 12;
    // Whole degrees are degrees, not tenths.
    QTest::newRow("4 gives 40, not 4") << "4" << 40;
    QTest::newRow("12 gives 120, not 12") << "12" << 120;
    QTest::newRow("25 gives 250") << "25" << 250;
    QTest::newRow("26 is beyond a byte of tenths") << "26" << Fails;
    QTest::newRow("255 was a byte, is now 2550 tenths") << "255" << Fails;
    QTest::newRow("25.6 does not fit") << "25.6" << Fails;
    QTest::newRow("2.54 rounds down") << "2.54" << 25;
    QTest::newRow("0.15 is an exact half and rounds to even 2") << "0.15" << 2;
    QTest::newRow("0.25 rounds to even 2") << "0.25" << 2;
    QTest::newRow("0.251 rounds up") << "0.251" << 3;
    QTest::newRow("empty gives 0") << "" << 0;
    QTest::newRow("negative fails") << "-0.1" << Fails;
    QTest::newRow("read as the check reads it") << "2.5x" << 25;
    QTest::newRow("many digits do not overflow") << "99999999999999999999" << Fails;
}

void TestNumberConversions::tDiffBytes()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(orFails(tDiffByte(text)), expected);
}

TESSRA_TEST(TestNumberConversions)
#include "tst_NumberConversions.moc"
