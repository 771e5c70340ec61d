#include "TestMain.h"
#include "requests/NumberConversions.h"

#include <limits>

using namespace NumberConversions;

namespace {
constexpr int Fails = -1; // the conversion gives no value
const QString Huge = QStringLiteral("1") + QString(400, u'0'); // beyond any double
int orFails(std::optional<qint32> value) { return value ? *value : Fails; }
int orFails(std::optional<quint8> value) { return value ? *value : Fails; }
QPair<int, int> bytesOf(const QString &text) { return {orFails(portBytes(text).high), orFails(portBytes(text).low)}; }
} // namespace

class TestNumberConversions : public QObject
{
    Q_OBJECT

private slots:
    // One text as the three readings take it: strictly as a whole number, its leading number, and as a T-Diff byte of
    // tenths.
    void readings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("whole");
        QTest::addColumn<double>("leading");
        QTest::addColumn<int>("tenths");
        QTest::newRow("blanks around; whole degrees are degrees") << " 9 " << 9 << 9.0 << 90;
        QTest::newRow("blanks, tabs and line ends inside") << " 1\t2 .5\n" << Fails << 12.5 << 125;
        QTest::newRow("2.5: a half rounds to the even 2") << "2.5" << 2 << 2.5 << 25;
        QTest::newRow("-2.5 rounds to the even -2; no negative T-Diff") << "-2.5" << -2 << -2.5 << Fails;
        QTest::newRow("2,5: only T-Diff takes the comma") << "2,5" << Fails << 2.0 << 25;
        QTest::newRow("1.5.3x: a second point or a letter ends the number") << "1.5.3x" << Fails << 1.5 << 15;
        QTest::newRow("--5: a second sign ends the number") << "--5" << Fails << 0.0 << 0;
        QTest::newRow("highest 32-bit value") << "2147483647" << std::numeric_limits<int>::max() << 2147483647.0 << Fails;
        QTest::newRow("beyond 32 bits") << "2147483648" << Fails << 2147483648.0 << Fails;
        QTest::newRow("inf is no number") << "inf" << Fails << 0.0 << 0;
        QTest::newRow("too large for a double") << Huge << Fails << std::numeric_limits<double>::infinity() << Fails;
        QTest::newRow("25.5 is the largest T-Diff") << "25.5" << 26 << 25.5 << 255;
        QTest::newRow("25.6 is beyond a byte of tenths") << "25.6" << 26 << 25.6 << Fails;
        QTest::newRow("0.15 is an exact half of a tenth") << "0.15" << 0 << 0.15 << 2;
        QTest::newRow("0.251 rounds up") << "0.251" << 0 << 0.251 << 3;
    }
    void readings()
    {
        QFETCH(QString, text);
        QFETCH(int, whole);
        QFETCH(double, leading);
        QFETCH(int, tenths);
        QCOMPARE(orFails(wholeNumber(text)), whole);
        QCOMPARE(leadingNumber(text), leading);
        QCOMPARE(orFails(tDiffByte(text)), tenths);
    }

    // A port goes high byte first, a fraction rounds its low byte; no byte takes -1.
    void portGoesHighByteFirst()
    {
        QCOMPARE(bytesOf("256"), qMakePair(1, 0));
        QCOMPARE(bytesOf("5000.7"), qMakePair(19, 137));
        QCOMPARE(bytesOf("-1"), qMakePair(Fails, Fails));
    }
};

TESSRA_TEST(TestNumberConversions)
#include "tst_NumberConversions.moc"
