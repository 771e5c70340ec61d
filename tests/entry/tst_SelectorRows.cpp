#include "TestMain.h"

#include <QTest>

class TestSelectorRows : public QObject
{
    Q_OBJECT
};

TESSRA_TEST(TestSelectorRows)
#include "tst_SelectorRows.moc"
