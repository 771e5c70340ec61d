#include "TestMain.h"

#include <QTest>

class TestStatusLine : public QObject
{
    Q_OBJECT
};

TESSRA_TEST(TestStatusLine)
#include "tst_StatusLine.moc"
