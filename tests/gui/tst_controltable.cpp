// Walks the window's control table: every control by its name, with its kind,
// container, caption or text, enabled and visible state and place in twips.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace WindowHarness;

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int NoLimit = 32767; // a line edit's own maximum: no limit set
constexpr int Unplaced = -1;

struct Place
{
    int left = Unplaced, top = Unplaced, width = Unplaced, height = Unplaced;
};

// Half a pixel either way is the rounding of twips to pixels.
bool near(int pixels, int twips)
{
    return twips == Unplaced || qAbs(pixels * TwipsPerPixel - twips) <= TwipsPerPixel / 2;
}

QString caption(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    return QString();
}

bool isKind(QWidget *w, const QString &kind)
{
    if (kind == "frame")
        return qobject_cast<QGroupBox *>(w);
    if (kind == "combo")
        return qobject_cast<QComboBox *>(w);
    if (kind == "button")
        return qobject_cast<QPushButton *>(w) && !qobject_cast<QPushButton *>(w)->isCheckable();
    if (kind == "switch")
        return qobject_cast<QPushButton *>(w) && qobject_cast<QPushButton *>(w)->isCheckable();
    if (kind == "field")
        return qobject_cast<QLineEdit *>(w);
    if (kind == "box")
        return qobject_cast<QCheckBox *>(w);
    if (kind == "label")
        return qobject_cast<QLabel *>(w);
    if (kind == "list")
        return qobject_cast<QListWidget *>(w);
    if (kind == "shape")
        return qobject_cast<QFrame *>(w) && !qobject_cast<QLabel *>(w) && !qobject_cast<QListWidget *>(w);
    return false;
}

} // namespace

class TestControlTable : public QObject
{
    Q_OBJECT

private slots:
    void control_data();
    void control();
    void textField_data();
    void textField();
    void windowAndState();
    void radioFramesTakeTheLanPlacesAtActivation();
    void lanCaptionsNameEveryRowOfBothFrames();

private:
    void row(const QString &name, const QString &kind, const QString &container, const QString &text, bool enabled,
             bool visible, Place place = {}, const QString &accessible = QString())
    {
        QTest::newRow(qPrintable(name)) << name << kind << container << text << enabled << visible << place.left
                                        << place.top << place.width << place.height << accessible;
    }
};

void TestControlTable::control_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("accessible");

    const QString win = "frmMain";
    row("Frame5", "frame", win, "Select", true, true, {120, 0, 1335, 975}, "Select");
    row("Combo1", "combo", "Frame5", "", true, true, {120, 320, 1095, 360}, "Select");
    row("fraControl", "frame", win, " Control ", true, true, {1560, 0, 7575, 975}, "Control");
    row("cmdTest", "button", "fraControl", "&Parameter Abfrage", true, true, {120, 240, 1695, 615}, "Parameter Abfrage");
    row("GetMesswerte", "button", "fraControl", "Daten &Einzelabfrage", true, true, {1920, 240, 1815, 615},
        "Daten Einzelabfrage");
    row("MesswerteLoop", "button", "fraControl", "&Daten Daueabfrage", true, true, {3840, 240, 1695, 615},
        "Daten Daueabfrage");
    row("cmdSetParameter", "button", "fraControl", "&Programmiere neue Parameter", true, true, {5640, 240, 1815, 615},
        "Programmiere neue Parameter");
    row("Frame4", "frame", win, "LAN-Funktion", true, true, {9240, 0, 3735, 975}, "LAN-Funktion");
    row("SinglePing", "button", "Frame4", "&Ping", true, true, {120, 240, 1215, 615}, "Ping");
    row("Command1", "button", "Frame4", "&Scann IP-Adressen", true, true, {1440, 240, 2175, 615}, "Scann IP-Adressen");
    row("Frame3", "frame", win, "Exit", true, true, {13080, 0, 1335, 975}, "Exit");
    row("cmdBeenden", "button", "Frame3", "&beenden", true, true, {120, 240, 1095, 615}, "beenden");
    row("Frame1", "frame", win, "aktuelle LAN-Parameter", true, true, {120, 1080, 4455, 2535}, "aktuelle LAN-Parameter");
    row("Frame2", "frame", win, "neue LAN-Parameter", true, true, {4680, 1080, 4455, 2535}, "neue LAN-Parameter");
    row("Frame7", "frame", win, "aktuelle Funk-Parameter", true, false, {3000, 4920, 6375, 2415},
        "aktuelle Funk-Parameter");
    row("Frame8", "frame", win, "neue Funk-Parameter", true, false, {360, 6240, 6375, 2415}, "neue Funk-Parameter");
    row("Frame6", "frame", win, "Funk/LAN-Gateway", true, true, {12120, 8760, 2295, 735}, "Funk/LAN-Gateway");
    row("Label14", "label", "Frame6", "IP-Adr.", true, true);
    row("Label11", "label", win, "bad Ping List", true, true, {9240, 1000, 1815, 255});
    row("List2", "list", win, "", true, true, {9240, 1200, 5175, 2400}, "bad Ping List");
    row("Label9", "label", win, "Socket-Status:", true, true, {120, 3960, 1095, 255});
    row("Label10", "label", win, "??", true, true, {1320, 3960, Unplaced, Unplaced});
    row("Label12", "label", win, "Temperatur ?", true, true, {4680, 3960, Unplaced, Unplaced});
    row("List1", "list", win, "", true, true, {120, 4200, 11895, 5325}, "Ereignisprotokoll");
    const int portTop[] = {4200, 4800, 5400, 6000};
    const int inputTop[] = {6840, 7320, 7800, 8280};
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i);
        const QString channel = QString::number(i + 1);
        row("Port1(" + n + ")", "switch", win, "Ch " + channel, true, true, {12120, portTop[i], 2295, 495},
            "Ch " + channel);
        row("Shape1(" + n + ")", "shape", win, "", true, true, {12120, inputTop[i], 1935, 375});
        row("AutoSend(" + n + ")", "button", win, "...", true, true, {14085, inputTop[i], 350, 375},
            "AutoSend Inp " + channel);
        row("Label13(" + n + ")", "label", win, "Inp " + channel, true, true);
    }
    const QStringList lanFlags = {"OutStateMem",  "InStateMem",    "SysTimeOut",    "AutoTx InChg",
                                  "AutoTxRepeat", "T-Diff-Regler", "supr. HP Port", "M2M Comm"};
    const QStringList funkFlags = {"OutStateMem",  "InStateMem",    "SysTimeOut",
                                   "AutoTx InChg", "AutoTx Repeat", "T-Diff Regler"};
    for (int k = 0; k < 8; ++k) {
        const QString n = QString::number(k);
        row("Check1(" + n + ")", "box", "Frame1", lanFlags[k], false, true, {}, lanFlags[k]);
        const QString newCaption = k == 6 ? QString("supr. HP. Port") : lanFlags[k];
        row("Check2(" + n + ")", "box", "Frame2", newCaption, true, true, {}, newCaption);
    }
    for (int k = 0; k < 6; ++k) {
        const QString n = QString::number(k);
        row("Check3(" + n + ")", "box", "Frame7", funkFlags[k], false, false, {}, funkFlags[k]);
        row("Check4(" + n + ")", "box", "Frame8", funkFlags[k], k != 3 && k != 4, false, {}, funkFlags[k]);
    }
    for (int k = 0; k < 12; ++k) {
        const QString n = QString::number(k);
        row("Check5(" + n + ")", "box", "Frame7", "", true, false, {}, "Frequenz Bit " + n);
        row("Check7(" + n + ")", "box", "Frame8", "", true, false, {}, "Frequenz Bit " + n);
    }
    for (int k = 0; k < 3; ++k) {
        const QString n = QString::number(k);
        row("Check6(" + n + ")", "box", "Frame7", "", false, false, {}, "Sendeleistung Bit " + n);
        row("Check8(" + n + ")", "box", "Frame8", "", true, false, {}, "Sendeleistung Bit " + n);
    }
    row("Label15(3)", "label", "Frame7", "F=860 Mhz", true, false);
    row("Label15(14)", "label", "Frame8", "F=860 Mhz", true, false);
    row("Label15(12)", "label", "Frame7", "TX-Pwr -0 dB", true, false);
    row("Label15(15)", "label", "Frame8", "TX-Pwr -0 dB", true, false);
}

void TestControlTable::control()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, accessible);

    Window w;
    QWidget *control = w.child<QWidget>(name);
    QVERIFY2(control, qPrintable(name + " is missing"));
    QVERIFY2(isKind(control, kind), qPrintable(name + " is not a " + kind));
    QCOMPARE(control->parentWidget()->objectName(), container);
    if (kind != "list" && kind != "shape" && kind != "combo")
        QCOMPARE(caption(control), text);
    QCOMPARE(control->isEnabled(), enabled);
    QCOMPARE(control->isVisibleTo(w.window.get()), visible);
    QVERIFY2(near(control->x(), left), qPrintable(QString::number(control->x())));
    QVERIFY2(near(control->y(), top), qPrintable(QString::number(control->y())));
    QVERIFY2(near(control->width(), width), qPrintable(QString::number(control->width())));
    QVERIFY2(near(control->height(), height), qPrintable(QString::number(control->height())));
    if (!accessible.isEmpty())
        QCOMPARE(control->accessibleName(), accessible);
}

void TestControlTable::textField_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("accessible");

    const QStringList text1 = {"192", "168", "28",  "215", "219", "168", "28",  "254", "255", "255",
                               "255", "0",   "192", "128", "28",  "2",   "340", "1",   "1",   "1"};
    const QStringList text2 = {"192", "168", "28",  "1",   "255", "254", "28",  "254", "255", "255",
                               "255", "0",   "192", "168", "28",  "11",  "340", "1",   "1",   "1"};
    const QStringList rows = {"IPAdresse", "Gateway", "SubnetMask", "StdDestIP"};
    const QStringList singles = {"Port", "eNum", "TDiff Ein", "TDiff Aus"};
    for (int i = 0; i < 20; ++i) {
        const QString access = i < 16 ? rows[i / 4] + " " + QString::number(i % 4 + 1) : singles[i - 16];
        const int max = i < 16 ? 3 : 5;
        const QString n = "(" + QString::number(i) + ")";
        QTest::newRow(qPrintable("Text1" + n)) << "Text1" + n << "Frame1" << text1[i] << (i < 18) << max << access;
        QTest::newRow(qPrintable("Text2" + n)) << "Text2" + n << "Frame2" << text2[i] << true << max << access;
    }
    const QStringList text3 = {"28", "1", "22", "123", "1.2", "1.1"};
    const QStringList text5 = {"28", "1", "22", "2", "4.0", "2.0"};
    const QStringList funk = {"Home-Adresse", "Dev-Adr High", "Dev-Adr Low", "eNum", "TDiff Ein", "TDiff Aus"};
    for (int i = 0; i < 6; ++i) {
        const QString n = "(" + QString::number(i) + ")";
        QTest::newRow(qPrintable("Text3" + n)) << "Text3" + n << "Frame7" << text3[i] << (i < 4) << (i < 3 ? 3 : 4)
                                               << funk[i];
        QTest::newRow(qPrintable("Text5" + n)) << "Text5" + n << "Frame8" << text5[i] << true
                                               << (i < 4 ? NoLimit : 4) << funk[i];
    }
    const QStringList text4 = {"192", "168", "28", "209"};
    for (int i = 0; i < 4; ++i) {
        const QString n = "(" + QString::number(i) + ")";
        QTest::newRow(qPrintable("Text4" + n)) << "Text4" + n << "Frame6" << text4[i] << true << 3
                                               << "IP-Adr. " + QString::number(i + 1);
    }
}

void TestControlTable::textField()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    QFETCH(int, maxLength);
    QFETCH(QString, accessible);

    Window w;
    auto *field = w.child<QLineEdit>(name);
    QVERIFY2(field, qPrintable(name + " is missing"));
    QCOMPARE(field->parentWidget()->objectName(), container);
    QCOMPARE(field->text(), text);
    QCOMPARE(field->isEnabled(), enabled);
    QCOMPARE(field->maxLength(), maxLength);
    QCOMPARE(field->accessibleName(), accessible);
}

void TestControlTable::windowAndState()
{
    Window w;
    frmMain &f = *w.window;
    QCOMPARE(f.windowTitle(), QString("Korvan-Programmer (Lan und Funk), Version 1.000.031"));
    QCOMPARE(f.width() * TwipsPerPixel, 14475);
    QCOMPARE(f.height() * TwipsPerPixel, 9660);
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QCOMPARE(f.FramePreamble, QByteArray::fromHex("FFAA"));
    QCOMPARE(f.StateText[0], QString("swStatusUnused"));
    QCOMPARE(f.StateText[9], QString("SocketError"));
    QVERIFY(f.StateText[10].isEmpty() && f.StateText[20].isEmpty());
    QVERIFY(!f.ResumePolling && !f.UpdatingPorts && !f.PollingActive && !f.Listening);
    QCOMPARE(w.child<QListWidget>("List1")->count(), 0);

    auto *timer1 = w.child<QTimer>("Timer1");
    auto *timer2 = w.child<QTimer>("Timer2");
    auto *timer3 = w.child<QTimer>("Timer3");
    QVERIFY(timer1 && timer2 && timer3);
    QVERIFY(!timer1->isActive() && !timer3->isActive());
    QVERIFY(timer2->isActive());
    QCOMPARE(timer2->interval(), 300);
}

void TestControlTable::radioFramesTakeTheLanPlacesAtActivation()
{
    MessageBoxWatcher boxes;
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    const auto twips = [](QWidget *c) {
        return QList<int>{c->x() * TwipsPerPixel, c->y() * TwipsPerPixel, c->width() * TwipsPerPixel,
                          c->height() * TwipsPerPixel};
    };
    QCOMPARE(twips(w.child<QWidget>("Frame1")), (QList<int>{120, 1080, 4455, 2535}));
    QCOMPARE(twips(w.child<QWidget>("Frame2")), (QList<int>{4680, 1080, 4455, 2535}));
    QCOMPARE(twips(w.child<QWidget>("Frame7")), (QList<int>{120, 1080, 6495, 2535}));
    QCOMPARE(twips(w.child<QWidget>("Frame8")), (QList<int>{6720, 1080, 6495, 2535}));
    QCOMPARE(w.window->RxTimeout, 1500);
    auto *combo = w.child<QComboBox>("Combo1");
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QString("LAN"));
    QCOMPARE(combo->itemText(1), QString("Funk"));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(boxes.seen.isEmpty());
}

void TestControlTable::lanCaptionsNameEveryRowOfBothFrames()
{
    Window w;
    QStringList frame1, frame2;
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 16, 17, 18, 19}) {
        auto *label = w.child<QLabel>("Label" + QString::number(n));
        QVERIFY2(label, qPrintable("Label" + QString::number(n)));
        const QString container = label->parentWidget()->objectName();
        QVERIFY(container == "Frame1" || container == "Frame2");
        (container == "Frame1" ? frame1 : frame2) << label->text();
    }
    const QStringList expected = {"Gateway", "IPAdresse", "Port", "StdDestIP", "SubnetMask", "eNum"};
    frame1.sort();
    frame2.sort();
    QCOMPARE(frame1, expected);
    QCOMPARE(frame2, expected);
}

TESSRA_TEST(TestControlTable)
#include "tst_controltable.moc"
