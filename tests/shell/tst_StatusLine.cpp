// The status line's text and colour for each state of the socket.

#include "TestMain.h"
#include "shell/StatusLine.h"

class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void textAndColourOfState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("unused is magenta") << 0 << "swStatusUnused" << QColor(255, 0, 255);
        QTest::newRow("idle is yellow") << 1 << "swStatusIdle" << QColor(255, 255, 0);
        int state = 2; // every other state is green
        for (const char *text : {"swStatusListen", "swStatusConnect", "swStatusAccept", "swStatusRead", "swStatusWrite",
                                 "swStatusFlush", "swStatusDisconnect", "SocketError"})
            QTest::newRow(text) << state++ << text << QColor(0, 255, 0);
        for (int beyond : {21, -1}) // the table ends at 20
            QTest::addRow("%d has no text", beyond) << beyond << "" << QColor(0, 255, 0);
    }

    void textAndColourOfState()
    {
        QFETCH(int, state);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        QCOMPARE(StatusLine::textForState(StatusLine::stateTexts(), state), text);
        QCOMPARE(StatusLine::colourForState(state), colour);
    }
};

TESSRA_TEST(TestStatusLine)
#include "tst_StatusLine.moc"
