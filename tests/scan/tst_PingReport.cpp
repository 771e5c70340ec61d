// The addresses a scan pings and the lines that report answers.

#include "scan/PingReport.h"

#include <QTest>

class TestPingReport : public QObject
{
    Q_OBJECT

private slots:
    void rangeKeepsTheFieldsAsTheyStand();
    void stripBlanks_data();
    void stripBlanks();
    void answeredLine_data();
    void answeredLine();
};

void TestPingReport::rangeKeepsTheFieldsAsTheyStand()
{
    const QStringList addresses = PingReport::rangeAddresses(" 10", "73 ", "");
    QCOMPARE(addresses.size(), 256);
    QCOMPARE(addresses.first(), QString(" 10.73 ..0"));
    QCOMPARE(addresses[9], QString(" 10.73 ..9"));
    QCOMPARE(addresses.last(), QString(" 10.73 ..255"));
}

void TestPingReport::stripBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("blanks at both ends go") << "  10.73.91.1 " << "10.73.91.1";
    QTest::newRow("blanks inside stay") << "10. 73.91.1" << "10. 73.91.1";
    QTest::newRow("tabs stay") << "\t10.73.91.1" << "\t10.73.91.1";
    QTest::newRow("only blanks") << "   " << "";
}

void TestPingReport::stripBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, stripped);
    QCOMPARE(PingReport::stripBlanks(text), stripped);
}

void TestPingReport::answeredLine_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("line");
    QTest::newRow("echoed payload, then the zeros of the data area")
        << QByteArray("TestPing") << "Ping to 10.73.91.1 = 0   [ ip success ]= TestPing";
    QTest::newRow("ten characters at most") << QByteArray("TestPingXYZ")
                                            << "Ping to 10.73.91.1 = 0   [ ip success ]= TestPingXY";
    QTest::newRow("a zero ends the line") << QByteArray("Test\0Ping", 9)
                                          << "Ping to 10.73.91.1 = 0   [ ip success ]= Test";
}

void TestPingReport::answeredLine()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, line);
    QCOMPARE(PingReport::answeredLine("10.73.91.1", data), line);
}

QTEST_APPLESS_MAIN(TestPingReport)
#include "tst_PingReport.moc"
