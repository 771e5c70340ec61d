// How often a refused caller is told in the event log.

#include "TestMain.h"
#include "link/RefusalLog.h"

class TestRefusalLog : public QObject
{
    Q_OBJECT

private slots:
    void oncePerAddressAndMinute()
    {
        RefusalLog refusals;
        const QHostAddress a("10.73.92.5"), b("10.73.92.6");
        QVERIFY(refusals.shouldLog(a, 1000));
        QVERIFY(!refusals.shouldLog(a, 1000));
        QVERIFY(refusals.shouldLog(b, 30000)); // each address has its own minute
        QVERIFY(!refusals.shouldLog(a, 60999));
        QVERIFY(refusals.shouldLog(a, 61000));
        QVERIFY(!refusals.shouldLog(b, 61000));
        QVERIFY(!refusals.shouldLog(a, 120999)); // the minute runs from the line last written
        QVERIFY(refusals.shouldLog(b, 90000));
    }
};

TESSRA_TEST(TestRefusalLog)
#include "tst_RefusalLog.moc"
