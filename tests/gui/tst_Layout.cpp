// The window's controls by their names, and how the window lays itself out
// for the two target kinds.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using namespace WindowHarness;

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_w = std::make_unique<Window>(); }
    void cleanupTestCase() { m_w.reset(); }
    void controls_data();
    void controls();
    void windowAtLoad();
    void targetKindShowsItsFrames();
    void inputCaptionsSitInTheirIndicators();

private:
    // caption: a button's, label's, box's or frame's caption, a field's text.
    // flags: "e" enabled, "v" visible; maxLength only for fields.
    void row(const QString &name, const char *container, const QString &caption, const QString &accessible,
             const char *flags, int maxLength = -1)
    {
        QTest::newRow(qPrintable(name)) << name << QString(container) << caption << accessible
                                        << QString(flags).contains('e') << QString(flags).contains('v') << maxLength;
    }

    // The window as loaded, before its first activation.
    std::unique_ptr<Window> m_w;
};

void TestLayout::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("accessible");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("maxLength");
    const char *win = "frmMain";
    row("Frame5", win, "Select", "Select", "ev");
    row("Combo1", "Frame5", "", "Select", "ev");
    row("fraControl", win, " Control ", "Control", "ev");
    row("cmdTest", "fraControl", "&Parameter Abfrage", "Parameter Abfrage", "ev");
    row("GetMesswerte", "fraControl", "Daten &Einzelabfrage", "Daten Einzelabfrage", "ev");
    row("MesswerteLoop", "fraControl", "&Daten Daueabfrage", "Daten Daueabfrage", "ev");
    row("cmdSetParameter", "fraControl", "&Programmiere neue Parameter", "Programmiere neue Parameter", "ev");
    row("Frame4", win, "LAN-Funktion", "LAN-Funktion", "ev");
    row("SinglePing", "Frame4", "&Ping", "Ping", "ev");
    row("Command1", "Frame4", "&Scann IP-Adressen", "Scann IP-Adressen", "ev");
    row("Frame3", win, "Exit", "Exit", "ev");
    row("cmdBeenden", "Frame3", "&beenden", "beenden", "ev");
    row("Frame1", win, "aktuelle LAN-Parameter", "aktuelle LAN-Parameter", "ev");
    row("Frame2", win, "neue LAN-Parameter", "neue LAN-Parameter", "ev");
    row("Frame7", win, "aktuelle Funk-Parameter", "aktuelle Funk-Parameter", "e");
    row("Frame8", win, "neue Funk-Parameter", "neue Funk-Parameter", "e");
    row("Frame6", win, "Funk/LAN-Gateway", "Funk/LAN-Gateway", "ev");
    row("Label14", "Frame6", "IP-Adr.", "", "ev");
    row("Label11", win, "bad Ping List", "", "ev");
    row("List2", win, "", "bad Ping List", "ev");
    row("Label9", win, "Socket-Status:", "", "ev");
    row("Label10", win, "??", "", "ev");
    row("Label12", win, "Temperatur ?", "", "ev");
    row("List1", win, "", "Ereignisprotokoll", "ev");
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i), ch = QString::number(i + 1);
        row("Port1(" + n + ")", win, "Ch " + ch, "Ch " + ch, "ev");
        row("Shape1(" + n + ")", win, "", "", "ev");
        row("AutoSend(" + n + ")", win, "...", "AutoSend Inp " + ch, "ev");
        row("Label13(" + n + ")", win, "Inp " + ch, "", "ev");
        row("Text4(" + n + ")", "Frame6", QStringList{"192", "168", "28", "209"}[i], "IP-Adr. " + ch, "ev", 3);
    }
    const QStringList lanFlags = {"OutStateMem",  "InStateMem",    "SysTimeOut",    "AutoTx InChg",
                                  "AutoTxRepeat", "T-Diff-Regler", "supr. HP Port", "M2M Comm"};
    for (int k = 0; k < 8; ++k) {
        const QString n = QString::number(k);
        row("Check1(" + n + ")", "Frame1", lanFlags[k], lanFlags[k], "v");
        const QString caption = k == 6 ? QString("supr. HP. Port") : lanFlags[k];
        row("Check2(" + n + ")", "Frame2", caption, caption, "ev");
    }
    const QStringList text1 = {"192", "168", "28", "215", "219", "168", "28", "254", "255", "255",
                               "255", "0",   "192", "128", "28", "2",  "340", "1", "1",   "1"};
    const QStringList text2 = {"192", "168", "28", "1", "255", "254", "28", "254", "255", "255",
                               "255", "0",   "192", "168", "28", "11", "340", "1", "1",  "1"};
    const QStringList rows = {"IPAdresse", "Gateway", "SubnetMask", "StdDestIP"};
    const QStringList singles = {"Port", "eNum", "TDiff Ein", "TDiff Aus"};
    for (int i = 0; i < 20; ++i) {
        const QString access = i < 16 ? rows[i / 4] + " " + QString::number(i % 4 + 1) : singles[i - 16];
        const QString n = "(" + QString::number(i) + ")";
        row("Text1" + n, "Frame1", text1[i], access, i < 18 ? "ev" : "v", i < 16 ? 3 : 5);
        row("Text2" + n, "Frame2", text2[i], access, "ev", i < 16 ? 3 : 5);
    }
    const QStringList funkFlags = {"OutStateMem", "InStateMem", "SysTimeOut", "AutoTx InChg", "AutoTx Repeat",
                                   "T-Diff Regler"};
    const QStringList funk = {"Home-Adresse", "Dev-Adr High", "Dev-Adr Low", "eNum", "TDiff Ein", "TDiff Aus"};
    const QStringList text3 = {"28", "1", "22", "123", "1.2", "1.1"};
    const QStringList text5 = {"28", "1", "22", "2", "4.0", "2.0"};
    for (int k = 0; k < 6; ++k) {
        const QString n = "(" + QString::number(k) + ")";
        row("Check3" + n, "Frame7", funkFlags[k], funkFlags[k], "");
        row("Check4" + n, "Frame8", funkFlags[k], funkFlags[k], k == 3 || k == 4 ? "" : "e");
        row("Text3" + n, "Frame7", text3[k], funk[k], k < 4 ? "e" : "", k < 3 ? 3 : 4);
        row("Text5" + n, "Frame8", text5[k], funk[k], "e", k < 4 ? 32767 : 4);
    }
    for (int k = 0; k < 12; ++k) {
        row(QString("Check5(%1)").arg(k), "Frame7", "", QString("Frequenz Bit %1").arg(k), "e");
        row(QString("Check7(%1)").arg(k), "Frame8", "", QString("Frequenz Bit %1").arg(k), "e");
    }
    for (int k = 0; k < 3; ++k) {
        row(QString("Check6(%1)").arg(k), "Frame7", "", QString("Sendeleistung Bit %1").arg(k), "");
        row(QString("Check8(%1)").arg(k), "Frame8", "", QString("Sendeleistung Bit %1").arg(k), "e");
    }
    row("Label15(3)", "Frame7", "F=860 Mhz", "", "e");
    row("Label15(14)", "Frame8", "F=860 Mhz", "", "e");
    row("Label15(12)", "Frame7", "TX-Pwr -0 dB", "", "e");
    row("Label15(15)", "Frame8", "TX-Pwr -0 dB", "", "e");
}

void TestLayout::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QString, accessible);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    QFETCH(int, maxLength);
    const Window &w = *m_w;
    QWidget *control = w.child(name);
    QVERIFY2(control, qPrintable(name + " is missing"));
    QCOMPARE(control->parentWidget()->objectName(), container);
    QString seen;
    if (auto *b = qobject_cast<QAbstractButton *>(control))
        seen = b->text();
    else if (auto *l = qobject_cast<QLabel *>(control))
        seen = l->text();
    else if (auto *g = qobject_cast<QGroupBox *>(control))
        seen = g->title();
    else if (auto *e = qobject_cast<QLineEdit *>(control))
        seen = e->text();
    QCOMPARE(seen, caption);
    QCOMPARE(control->accessibleName(), accessible);
    QCOMPARE(control->isEnabled(), enabled);
    QCOMPARE(control->isVisibleTo(w.window.get()), visible);
    if (auto *e = qobject_cast<QLineEdit *>(control))
        QCOMPARE(e->maxLength(), maxLength);
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
