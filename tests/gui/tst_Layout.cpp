// The window's controls by their names, and how the window lays itself out
// for the two target kinds.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace WindowHarness;

// One control of the window as a technician and a screen reader meet it.
struct Control
{
    QString name, container, caption, accessible; // caption: a field's text
    bool enabled = true, visible = true;
    int maxLength = -1; // fields only
};
Q_DECLARE_METATYPE(Control)

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    // The window as loaded, before its first activation.
    void initTestCase() { m_w = std::make_unique<Window>(); }
    void cleanupTestCase() { m_w.reset(); }
    void controls_data();
    void controls();
    void windowAtLoad();
    void targetKindShowsItsFrames();
    void inputCaptionsSitInTheirIndicators();

private:
    std::unique_ptr<Window> m_w;
};

void TestLayout::controls_data()
{
    QTest::addColumn<Control>("c");
    const auto row = [](const Control &c) { QTest::newRow(qPrintable(c.name)) << c; };
    const QString win = "frmMain";
    row({"Frame5", win, "Select", "Select"});
    row({"Combo1", "Frame5", "", "Select"});
    row({"fraControl", win, " Control ", "Control"});
    row({"cmdTest", "fraControl", "&Parameter Abfrage", "Parameter Abfrage"});
    row({"GetMesswerte", "fraControl", "Daten &Einzelabfrage", "Daten Einzelabfrage"});
    row({"MesswerteLoop", "fraControl", "&Daten Daueabfrage", "Daten Daueabfrage"});
    row({"cmdSetParameter", "fraControl", "&Programmiere neue Parameter", "Programmiere neue Parameter"});
    row({"Frame4", win, "LAN-Funktion", "LAN-Funktion"});
    row({"SinglePing", "Frame4", "&Ping", "Ping"});
    row({"Command1", "Frame4", "&Scann IP-Adressen", "Scann IP-Adressen"});
    row({"Frame3", win, "Exit", "Exit"});
    row({"cmdBeenden", "Frame3", "&beenden", "beenden"});
    row({"Frame1", win, "aktuelle LAN-Parameter", "aktuelle LAN-Parameter"});
    row({"Frame2", win, "neue LAN-Parameter", "neue LAN-Parameter"});
    row({"Frame7", win, "aktuelle Funk-Parameter", "aktuelle Funk-Parameter", true, false});
    row({"Frame8", win, "neue Funk-Parameter", "neue Funk-Parameter", true, false});
    row({"Frame6", win, "Funk/LAN-Gateway", "Funk/LAN-Gateway"});
    row({"Label14", "Frame6", "IP-Adr.", ""});
    row({"Label11", win, "bad Ping List", ""});
    row({"List2", win, "", "bad Ping List"});
    row({"Label9", win, "Socket-Status:", ""});
    row({"Label10", win, "??", ""});
    row({"Label12", win, "Temperatur ?", ""});
    row({"List1", win, "", "Ereignisprotokoll"});
    for (int i = 0; i < 4; ++i) {
        const QString n = QString("(%1)").arg(i), ch = QString::number(i + 1);
        row({"Port1" + n, win, "Ch " + ch, "Ch " + ch});
        row({"Shape1" + n, win, "", ""});
        row({"AutoSend" + n, win, "...", "AutoSend Inp " + ch});
        row({"Label13" + n, win, "Inp " + ch, ""});
        row({"Text4" + n, "Frame6", QStringList{"192", "168", "28", "209"}[i], "IP-Adr. " + ch, true, true, 3});
    }
    const QStringList lanFlags = {"OutStateMem",  "InStateMem",    "SysTimeOut",    "AutoTx InChg",
                                  "AutoTxRepeat", "T-Diff-Regler", "supr. HP Port", "M2M Comm"};
    for (int k = 0; k < 8; ++k) {
        const QString n = QString("(%1)").arg(k), caption = k == 6 ? "supr. HP. Port" : lanFlags[k];
        row({"Check1" + n, "Frame1", lanFlags[k], lanFlags[k], false});
        row({"Check2" + n, "Frame2", caption, caption});
    }
    const QStringList text1 = {"192", "168", "28", "215", "219", "168", "28", "254", "255", "255",
                               "255", "0",   "192", "128", "28", "2",  "340", "1", "1",   "1"};
    const QStringList text2 = {"192", "168", "28", "1", "255", "254", "28", "254", "255", "255",
                               "255", "0",   "192", "168", "28", "11", "340", "1", "1",  "1"};
    const QStringList rows = {"IPAdresse", "Gateway", "SubnetMask", "StdDestIP"};
    const QStringList singles = {"Port", "eNum", "TDiff Ein", "TDiff Aus"};
    // The captions of the rows: Label1 to Label8, Label16 to Label19, Label15(16) to (19).
    const QStringList captions = rows + singles.mid(0, 2);
    for (int k = 0; k < 6; ++k) {
        row({QString("Label%1").arg(k < 4 ? k + 1 : k + 12), "Frame1", captions[k], ""});
        row({QString("Label%1").arg(k < 4 ? k + 5 : k + 14), "Frame2", captions[k], ""});
    }
    for (int k = 16; k < 20; ++k)
        row({QString("Label15(%1)").arg(k), k < 18 ? "Frame1" : "Frame2", singles[2 + k % 2], ""});
    for (int i = 0; i < 20; ++i) {
        const QString access = i < 16 ? rows[i / 4] + " " + QString::number(i % 4 + 1) : singles[i - 16];
        const QString n = QString("(%1)").arg(i);
        row({"Text1" + n, "Frame1", text1[i], access, i < 18, true, i < 16 ? 3 : 5});
        row({"Text2" + n, "Frame2", text2[i], access, true, true, i < 16 ? 3 : 5});
    }
    const QStringList funkFlags = {"OutStateMem", "InStateMem", "SysTimeOut", "AutoTx InChg", "AutoTx Repeat",
                                   "T-Diff Regler"};
    const QStringList funk = {"Home-Adresse", "Dev-Adr High", "Dev-Adr Low", "eNum", "TDiff Ein", "TDiff Aus"};
    const QStringList text3 = {"28", "1", "22", "123", "1.2", "1.1"};
    const QStringList text5 = {"28", "1", "22", "2", "4.0", "2.0"};
    for (int k = 0; k < 6; ++k) {
        const QString n = QString("(%1)").arg(k);
        row({QString("Label15(%1)").arg(QList<int>{0, 1, 2, 4, 5, 6}[k]), "Frame7", funk[k], "", true, false});
        row({QString("Label15(%1)").arg(QList<int>{7, 8, 9, 10, 11, 13}[k]), "Frame8", funk[k], "", true, false});
        row({"Check3" + n, "Frame7", funkFlags[k], funkFlags[k], false, false});
        row({"Check4" + n, "Frame8", funkFlags[k], funkFlags[k], k != 3 && k != 4, false});
        row({"Text3" + n, "Frame7", text3[k], funk[k], k < 4, false, k < 3 ? 3 : 4});
        row({"Text5" + n, "Frame8", text5[k], funk[k], true, false, k < 4 ? 32767 : 4});
    }
    for (int k = 0; k < 12; ++k) {
        row({QString("Check5(%1)").arg(k), "Frame7", "", QString("Frequenz Bit %1").arg(k), true, false});
        row({QString("Check7(%1)").arg(k), "Frame8", "", QString("Frequenz Bit %1").arg(k), true, false});
    }
    for (int k = 0; k < 3; ++k) {
        row({QString("Check6(%1)").arg(k), "Frame7", "", QString("Sendeleistung Bit %1").arg(k), false, false});
        row({QString("Check8(%1)").arg(k), "Frame8", "", QString("Sendeleistung Bit %1").arg(k), true, false});
    }
    row({"Label15(3)", "Frame7", "F=860 Mhz", "", true, false});
    row({"Label15(14)", "Frame8", "F=860 Mhz", "", true, false});
    row({"Label15(12)", "Frame7", "TX-Pwr -0 dB", "", true, false});
    row({"Label15(15)", "Frame8", "TX-Pwr -0 dB", "", true, false});
}

void TestLayout::controls()
{
    QFETCH(Control, c);
    QWidget *control = m_w->child(c.name);
    QVERIFY2(control, qPrintable(c.name + " is missing"));
    QCOMPARE(control->parentWidget()->objectName(), c.container);
    QString caption;
    if (auto *b = qobject_cast<QAbstractButton *>(control))
        caption = b->text();
    else if (auto *l = qobject_cast<QLabel *>(control))
        caption = l->text();
    else if (auto *g = qobject_cast<QGroupBox *>(control))
        caption = g->autoFillBackground() ? g->title() : "(not opaque: would show what lies beneath)";
    else if (auto *e = qobject_cast<QLineEdit *>(control))
        caption = e->text();
    QCOMPARE(caption, c.caption);
    QCOMPARE(control->accessibleName(), c.accessible);
    QCOMPARE(control->isEnabled(), c.enabled);
    QCOMPARE(control->isVisibleTo(m_w->window.get()), c.visible);
    if (auto *e = qobject_cast<QLineEdit *>(control))
        QCOMPARE(e->maxLength(), c.maxLength);
}

void TestLayout::windowAtLoad()
{
    Window w;
    QCOMPARE(w.window->windowTitle(), QString("Korvan-Programmer (Lan und Funk), Version 1.000.031"));
    QCOMPARE(w.window->minimumSize(), w.window->maximumSize());
    QVERIFY(w.log().isEmpty());
    // The status refresh runs from the load on, the other timers only when asked.
    QCOMPARE(w.child<QTimer>("Timer2")->interval(), 300);
    QVERIFY(w.child<QTimer>("Timer2")->isActive());
    QVERIFY(!w.child<QTimer>("Timer1")->isActive() && !w.child<QTimer>("Timer3")->isActive());
}

void TestLayout::targetKindShowsItsFrames()
{
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    auto *combo = w.child<QComboBox>("Combo1");
    QCOMPARE((QStringList{combo->itemText(0), combo->itemText(1)}), (QStringList{"LAN", "Funk"}));
    const auto shown = [&](const QStringList &names) {
        QStringList visible;
        for (const QString &name : names)
            visible << (w.child(name)->isVisible() ? name : "-");
        return visible.join(' ');
    };
    const QStringList frames = {"Frame1", "Frame2", "Frame7", "Frame8", "Label11", "List2", "Frame6", "List1"};
    for (int kind : {1, 0}) {
        w.chooseTarget(kind);
        const bool lan = kind == 0;
        QCOMPARE(shown(frames), lan ? "Frame1 Frame2 - - Label11 List2 Frame6 List1" : "- - Frame7 Frame8 - - Frame6 List1");
        QCOMPARE(w.child("Frame4")->isEnabled(), lan);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(w.child(QString("AutoSend(%1)").arg(i))->isEnabled(), lan);
        QVERIFY(w.controlsEnabled() && w.child("Port1(0)")->isEnabled());
    }
    // The radio frames take the places of the LAN frames, wider.
    QCOMPARE(w.child("Frame7")->pos(), w.child("Frame1")->pos());
    QCOMPARE(w.child("Frame8")->y(), w.child("Frame2")->y());
    QVERIFY(w.child("Frame7")->width() > w.child("Frame1")->width());
    // Each switch matches the fields that follow a box to it: AutoTxRepeat and the
    // new LAN T-Diff fields are locked while their boxes are unticked, and so are
    // the new radio T-Diff fields once Funk has been chosen.
    QVERIFY(!w.child("Check2(4)")->isEnabled() && !w.child("Text2(18)")->isEnabled() && !w.child("Text2(19)")->isEnabled());
    QVERIFY(!w.child("Text5(4)")->isEnabled() && !w.child("Text5(5)")->isEnabled());
}

void TestLayout::inputCaptionsSitInTheirIndicators()
{
    Window w;
    for (int i = 0; i < 4; ++i) {
        const QRect shape = w.child(QString("Shape1(%1)").arg(i))->geometry();
        const QRect label = w.child(QString("Label13(%1)").arg(i))->geometry();
        QVERIFY2(qAbs(shape.center().x() - label.center().x()) <= 1, qPrintable(QString::number(i)));
        // 80 twips below the indicator's top edge.
        QVERIFY(qAbs((label.top() - shape.top()) * 15 - 80) <= 8);
    }
}

TESSRA_TEST(TestLayout)
#include "tst_Layout.moc"
