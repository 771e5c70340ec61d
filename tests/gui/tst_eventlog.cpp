// The event log and the socket status line of the real window.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>

using namespace WindowHarness;

class TestEventLog : public QObject
{
    Q_OBJECT

private slots:
    void lineIsTimeStampBlankAndTextUnchanged_data();
    void lineIsTimeStampBlankAndTextUnchanged();
    void keepsTheNewest200LinesWithTheNewestSelected();
    void silentWhilePollingRuns();
    void statusLineShowsEachStateInItsColour_data();
    void statusLineShowsEachStateInItsColour();
    void firstReportOfUnusedLeavesTheQuestionMarks();
    void sameStateTwiceChangesNothing();
    void refreshShowsTheListeningSocket();
};

void TestEventLog::lineIsTimeStampBlankAndTextUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain text") << "Listen ON";
    QTest::newRow("empty text gives stamp and blank") << "";
    QTest::newRow("blanks and umlauts kept") << "  Anforderung AutoSend für InputKanal 1 ";
}

void TestEventLog::lineIsTimeStampBlankAndTextUnchanged()
{
    QFETCH(QString, text);
    Window w;
    auto *list = w.child<QListWidget>("List1");
    const QTime before = QTime::currentTime();
    w.window->WriteLog(text);
    const QTime after = QTime::currentTime();
    QCOMPARE(list->count(), 1);
    const QString line = list->item(0)->text();
    static const QRegularExpression stamp("^([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9] ");
    QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
    QCOMPARE(line.mid(9), text);
    const QTime logged = QTime::fromString(line.left(8), "HH:mm:ss");
    QVERIFY(logged.isValid());
    // The stamp is the time of the write (allowing for a run across midnight).
    QVERIFY(after < before || (logged >= before.addMSecs(-before.msec()) && logged <= after));
}

void TestEventLog::keepsTheNewest200LinesWithTheNewestSelected()
{
    Window w;
    auto *list = w.child<QListWidget>("List1");
    for (int i = 1; i <= 200; ++i)
        w.window->WriteLog(QString::number(i));
    QCOMPARE(list->count(), 200);
    QCOMPARE(list->item(0)->text().mid(9), QString("1"));
    for (int i = 201; i <= 203; ++i) {
        w.window->WriteLog(QString::number(i));
        QCOMPARE(list->count(), 200);
        QCOMPARE(list->item(0)->text().mid(9), QString::number(i - 199));
        QCOMPARE(list->item(199)->text().mid(9), QString::number(i));
        QCOMPARE(list->currentRow(), 199);
        QVERIFY(list->item(199)->isSelected());
    }
}

void TestEventLog::silentWhilePollingRuns()
{
    Window w;
    auto *list = w.child<QListWidget>("List1");
    w.window->PollingActive = true;
    w.window->WriteLog("Abfrage Messwerte");
    QCOMPARE(list->count(), 0);
    w.window->PollingActive = false;
    w.window->WriteLog("RX-TimeoOut");
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text().mid(9), QString("RX-TimeoOut"));
}

void TestEventLog::statusLineShowsEachStateInItsColour_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    const QColor magenta(255, 0, 255), yellow(255, 255, 0), green(0, 255, 0);
    QTest::newRow("idle is yellow") << 1 << "swStatusIdle" << yellow;
    QTest::newRow("listen is green") << 2 << "swStatusListen" << green;
    QTest::newRow("connect is green") << 3 << "swStatusConnect" << green;
    QTest::newRow("accept is green") << 4 << "swStatusAccept" << green;
    QTest::newRow("read is green") << 5 << "swStatusRead" << green;
    QTest::newRow("write is green") << 6 << "swStatusWrite" << green;
    QTest::newRow("flush is green") << 7 << "swStatusFlush" << green;
    QTest::newRow("disconnect is green") << 8 << "swStatusDisconnect" << green;
    QTest::newRow("error is green") << 9 << "SocketError" << green;
    QTest::newRow("state 12 has no text") << 12 << "" << green;
    QTest::newRow("unused after another state is magenta") << 0 << "swStatusUnused" << magenta;
}

void TestEventLog::statusLineShowsEachStateInItsColour()
{
    QFETCH(int, state);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    Window w;
    auto *label = w.child<QLabel>("Label10");
    // Unused is shown only as a change from another state.
    if (state == 0)
        w.window->ShowSocketState(1);
    w.window->ShowSocketState(state);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->palette().color(QPalette::Window), colour);
    QVERIFY(label->autoFillBackground());
    QCOMPARE(w.window->LastShownState, state);
    // The label fits its text.
    QCOMPARE(label->width(), label->sizeHint().width());
}

void TestEventLog::firstReportOfUnusedLeavesTheQuestionMarks()
{
    Window w;
    w.window->ShowSocketState(0);
    QCOMPARE(w.child<QLabel>("Label10")->text(), QString("??"));
}

void TestEventLog::sameStateTwiceChangesNothing()
{
    Window w;
    auto *label = w.child<QLabel>("Label10");
    w.window->ShowSocketState(2);
    // Whatever was painted over it stays until the state changes.
    label->setText("marker");
    w.window->ShowSocketState(2);
    QCOMPARE(label->text(), QString("marker"));
    w.window->ShowSocketState(1);
    QCOMPARE(label->text(), QString("swStatusIdle"));
}

void TestEventLog::refreshShowsTheListeningSocket()
{
    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    auto *label = w.child<QLabel>("Label10");
    // Spoil what the status line shows; the next tick of the refresh timer mends it.
    w.window->ShowSocketState(1);
    QCOMPARE(label->text(), QString("swStatusIdle"));
    QTRY_COMPARE(label->text(), QString("swStatusListen"));
    QCOMPARE(label->palette().color(QPalette::Window), QColor(0, 255, 0));
    QCOMPARE(w.child<QTimer>("Timer2")->interval(), 200);
    QVERIFY(w.child<QTimer>("Timer2")->isActive());
}

TESSRA_TEST(TestEventLog)
#include "tst_eventlog.moc"
