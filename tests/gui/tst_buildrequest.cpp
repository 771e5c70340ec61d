// Requests built from what was typed and clicked into the real window.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace WindowHarness;

namespace {

constexpr int Lan = 0;
constexpr int Funk = 1;
constexpr int TimeStampLength = 9; // "HH:MM:SS "

// Radio device 28 / 1 / 22 with eNum 5, to be given the address 28 / 1 / 23.
const QStringList RadioDevice = {"Text3(0)=28", "Text3(1)=1", "Text3(2)=22", "Text3(3)=5"};
const QStringList NewRadioParameters = {"Text5(0)=28", "Text5(1)=1",    "Text5(2)=23",
                                        "Text5(3)=2",  "Text5(4)=2,5", "Text5(5)=1.0"};

} // namespace

class TestBuildRequest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void requestsFromTheRealWindow_data();
    void requestsFromTheRealWindow();
    void refusedRadioProgrammingSendsNothing_data();
    void refusedRadioProgrammingSendsNothing();

private:
    template <typename T = QWidget>
    T *control(const QString &name) { return m_w->child<T>(name); }
    void selectTarget(int target)
    {
        auto *combo = control<QComboBox>("Combo1");
        combo->setFocus();
        QTest::keyClick(combo, target == Funk ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(combo->currentIndex(), target);
    }
    // Each entry "Text2(16)=5000": into the field, select what it holds, type over it.
    void type(const QStringList &entries)
    {
        for (const QString &entry : entries) {
            const QString name = entry.section('=', 0, 0);
            const QString keys = entry.section('=', 1);
            auto *field = control<QLineEdit>(name);
            QVERIFY2(field->isEnabled(), qPrintable(name));
            field->setFocus();
            QTRY_VERIFY(field->hasFocus());
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            if (keys.isEmpty())
                QTest::keyClick(field, Qt::Key_Backspace);
            QTest::keyClicks(field, keys);
        }
    }
    void click(const QStringList &names)
    {
        for (const QString &name : names) {
            auto *w = control(name);
            QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2));
        }
    }
    QString text(const QString &name) { return control<QLineEdit>(name)->text(); }

    std::unique_ptr<MessageBoxWatcher> m_boxes;
    std::unique_ptr<Window> m_w;
};

void TestBuildRequest::init()
{
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(m_w->showAndActivate());
    m_w->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
    // Only what building says counts here, not how start-up went.
    m_boxes->seen.clear();
}

void TestBuildRequest::cleanup()
{
    m_w.reset();
    m_boxes.reset();
}

void TestBuildRequest::requestsFromTheRealWindow_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("longReplyTimeout");
    QTest::addColumn<QString>("logLine"); // none: no line is written
    QTest::addColumn<QStringList>("after"); // fields and boxes afterwards: "Text1(17)=7", "Check1(0)=1"

    const QStringList lanENum1 = {"Text1(17)=1"};
    const QStringList radio22 = {"Text3(0)=22", "Text3(1)=1", "Text3(2)=2", "Text3(3)=3"};
    QTest::newRow("parameter request to the LAN device with eNum 1")
        << Lan << 1 << 0 << QStringList() << lanENum1 << QByteArray("FFAA00C80C011CFFFEFFFE0101ED") << true << ""
        << QStringList();
    QTest::newRow("parameter request to the radio device 22/1/2 with eNum 3")
        << Funk << 1 << 0 << QStringList() << radio22 << QByteArray("FFAA00C80C03160102FFFE0201F0") << true << ""
        << QStringList();
    QTest::newRow("measurement request to the LAN device")
        << Lan << 3 << 0 << QStringList() << lanENum1 << QByteArray("FFAA00CE0C011CFFFEFFFE0101F3") << true << ""
        << QStringList();
    QTest::newRow("measurement request to the radio device 22/1/2 with eNum 3")
        << Funk << 3 << 0 << QStringList() << radio22
        << QByteArray("FFAA00CE0C03160102FFFE0201F6") << true << "" << QStringList();
    QTest::newRow("Ch 3 of the LAN device switched on is 0x44")
        << Lan << 4 << 2 << QStringList{"Port1(2)"} << lanENum1 << QByteArray("FFAA00030D011CFFFEFFFE01016D44")
        << true << "Sende Schalbefehl " << QStringList();
    QTest::newRow("Ch 2 of the radio device switched off is 0x20")
        << Funk << 4 << 1 << QStringList() << radio22
        << QByteArray("FFAA00030D03160102FFFE02014C20") << true << "Sende Schalbefehl " << QStringList();
    QTest::newRow("AutoSend of input 1 of the LAN device waits briefly")
        << Lan << 5 << 0 << QStringList() << lanENum1 << QByteArray("FFAA00CF0D011CFFFEFFFE01010510") << false << ""
        << QStringList();
    QTest::newRow("AutoSend of input 4 of the radio device")
        << Funk << 5 << 3 << QStringList() << radio22 << QByteArray("FFAA00CF0D03160102FFFE02017880") << false << ""
        << QStringList();
    QTest::newRow("programming the LAN device: 21 bytes, the header carries the new eNum 7")
        << Lan << 2 << 0 << QStringList{"Check2(5)", "Check2(0)"}
        << QStringList{"Text1(17)=1",  "Text2(0)=192",  "Text2(1)=168",  "Text2(2)=28",   "Text2(3)=1",
                       "Text2(4)=255", "Text2(5)=254",  "Text2(6)=28",   "Text2(7)=254",  "Text2(8)=255",
                       "Text2(9)=255", "Text2(10)=255", "Text2(11)=0",   "Text2(12)=192", "Text2(13)=168",
                       "Text2(14)=28", "Text2(15)=11",  "Text2(16)=5000", "Text2(17)=7",  "Text2(18)=1,5",
                       "Text2(19)=1,2"}
        << QByteArray("FFAA00CA21071CFFFEFFFE010109C0A81C01FFFE1CFEFFFFFF00C0A81C0B1388210F0C") << true << ""
        << QStringList{"Text1(17)=7", "Check1(0)=1", "Check1(1)=0", "Check1(5)=1"};
    QTest::newRow("programming the radio device 28/1/22 to 28/1/23: the header keeps the old address")
        << Funk << 2 << 0 << QStringList{"Check4(5)", "Check7(0)", "Check8(1)"} << RadioDevice + NewRadioParameters
        << QByteArray("FFAA00CA15051C0116FFFE0201D11C0117A2A00120190A") << true << ""
        << QStringList{"Text3(0)=28", "Text3(1)=1", "Text3(2)=23", "Text3(3)=5"};
}

void TestBuildRequest::requestsFromTheRealWindow()
{
    QFETCH(int, target);
    QFETCH(int, command);
    QFETCH(int, channel);
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, typed);
    QFETCH(QByteArray, frame);
    QFETCH(bool, longReplyTimeout);
    QFETCH(QString, logLine);
    QFETCH(QStringList, after);
    selectTarget(target);
    click(clicks);
    type(typed);
    auto *log = control<QListWidget>("List1");
    const int lines = log->count();
    frmMain &window = *m_w->window;
    window.LongReplyTimeout = !longReplyTimeout;
    window.CurrentCommand = qint16(command);
    window.CurrentChannel = qint16(channel);

    window.BuildRequest();

    QCOMPARE(window.RequestFrame.toHex().toUpper(), frame);
    QCOMPARE(window.LongReplyTimeout, longReplyTimeout);
    if (logLine.isEmpty()) {
        QCOMPARE(log->count(), lines);
    } else {
        QCOMPARE(log->count(), lines + 1);
        QCOMPARE(log->item(lines)->text().mid(TimeStampLength), logLine);
    }
    for (const QString &expected : after) {
        const QString name = expected.section('=', 0, 0);
        const QString value = expected.section('=', 1);
        if (auto *box = control<QCheckBox>(name))
            QCOMPARE(box->isChecked(), value == "1");
        else
            QCOMPARE(text(name), value);
    }
    QCOMPARE(m_boxes->seen.size(), 0);
}

void TestBuildRequest::refusedRadioProgrammingSendsNothing_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus"); // none: the focus stays on the button
    const QString tDiffRange = "\nNur Werte von 0,1 bis 25,5 zulässig !";
    QTest::newRow("empty home address") << QStringList{"Text5(0)="}
                                        << "Bitte Homeadresse prüfen !\nDie Adresse darf nicht 0 sein !" << "";
    QTest::newRow("device address low 251")
        << QStringList{"Text5(2)=251"} << "Bitte Zieladresse prüfen !\nDie Zieladresse darf nur zwischen 0 und 250 liegen !"
        << "";
    QTest::newRow("T-Diff on 25,6") << QStringList{"Text5(4)=25,6"} << "Bitte T-DiffON-Wert prüfen !" + tDiffRange
                                    << "Text5(4)";
    QTest::newRow("T-Diff off 0") << QStringList{"Text5(5)=0"} << "Bitte T-DiffOFF-Wert prüfen !" + tDiffRange
                                  << "Text5(5)";
}

void TestBuildRequest::refusedRadioProgrammingSendsNothing()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    selectTarget(Funk);
    click({"Check4(5)"});
    type(RadioDevice + NewRadioParameters + typed);
    frmMain &window = *m_w->window;
    window.CurrentCommand = 1;
    window.BuildRequest();
    QVERIFY(!window.RequestFrame.isEmpty());
    auto *log = control<QListWidget>("List1");
    const int lines = log->count();
    // The technician has just clicked the programming button.
    auto *button = control("cmdSetParameter");
    button->setFocus();
    QTRY_VERIFY(button->hasFocus());

    window.CurrentCommand = 2;
    window.BuildRequest();

    QCOMPARE(window.RequestFrame, QByteArray());
    QCOMPARE(m_boxes->seen.size(), 1);
    QCOMPARE(m_boxes->seen[0].text, message);
    QCOMPARE(m_boxes->seen[0].icon, QMessageBox::Critical);
    QCOMPARE(m_boxes->seen[0].title, QString("Achtung !"));
    QCOMPARE(window.focusWidget(), focus.isEmpty() ? button : control(focus));
    QCOMPARE(log->count(), lines);
    QCOMPARE(text("Text3(0)"), QString("28"));
    QCOMPARE(text("Text3(1)"), QString("1"));
    QCOMPARE(text("Text3(2)"), QString("22"));
}

TESSRA_TEST(TestBuildRequest)
#include "tst_buildrequest.moc"
