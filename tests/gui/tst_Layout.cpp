// The window's controls by their names, and how the window lays itself out
// for the two target kinds.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QLabel>

using namespace WindowHarness;

// One control of the window as a technician and a screen reader meet it.
struct Control
{
    QString name, container, caption, accessible; // a field's or bare box's: the label on its left
    bool enabled = true;
    int maxLength = -1; // fields only: the typing limit and the text
    QString text = QString();
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
    row({"Frame7", win, "aktuelle Funk-Parameter", "aktuelle Funk-Parameter"});
    row({"Frame8", win, "neue Funk-Parameter", "neue Funk-Parameter"});
    row({"Frame6", win, "Funk/LAN-Gateway", "Funk/LAN-Gateway"});
    row({"List2", win, "", "bad Ping List"});
    row({"List1", win, "", "Ereignisprotokoll"});
    for (int i = 0; i < 4; ++i) {
        const QString n = QString("(%1)").arg(i), ch = QString::number(i + 1);
        row({"Port1" + n, win, "Ch " + ch, "Ch " + ch});
        row({"AutoSend" + n, win, "...", "AutoSend Inp " + ch});
        row({"Text4" + n, "Frame6", "IP-Adr.", "IP-Adr. " + ch, true, 3, QString("192.168.28.209").section('.', i, i)});
    }
    // The LAN frames: four addresses of four octets, then port, eNum and the T-Diff values, the
    // flags beside them. The current values are the device's, not to be edited.
    const QStringList lanFlags = {"OutStateMem",  "InStateMem",    "SysTimeOut",    "AutoTx InChg",
                                  "AutoTxRepeat", "T-Diff-Regler", "supr. HP Port", "M2M Comm"};
    for (int k = 0; k < 8; ++k) {
        const QString n = QString("(%1)").arg(k), caption = k == 6 ? "supr. HP. Port" : lanFlags[k];
        row({"Check1" + n, "Frame1", lanFlags[k], lanFlags[k], false});
        row({"Check2" + n, "Frame2", caption, caption});
    }
    const QStringList lanRows = {"IPAdresse", "Gateway", "SubnetMask", "StdDestIP", "Port", "eNum", "TDiff Ein",
                                 "TDiff Aus"};
    const QStringList text1 = QString("192 168 28 215 219 168 28 254 255 255 255 0 192 128 28 2 340 1 1 1").split(' ');
    const QStringList text2 = QString("192 168 28 1 255 254 28 254 255 255 255 0 192 168 28 11 340 1 1 1").split(' ');
    for (int i = 0; i < 20; ++i) {
        const QString n = QString("(%1)").arg(i), caption = lanRows[i < 16 ? i / 4 : i - 12];
        const QString access = i < 16 ? caption + " " + QString::number(i % 4 + 1) : caption;
        row({"Text1" + n, "Frame1", caption, access, i < 18, i < 16 ? 3 : 5, text1[i]});
        row({"Text2" + n, "Frame2", caption, access, true, i < 16 ? 3 : 5, text2[i]});
    }
    // The radio frames: six fields, flags beside them, the frequency and power rows below.
    const QStringList funkFlags = {"OutStateMem", "InStateMem", "SysTimeOut", "AutoTx InChg", "AutoTx Repeat",
                                   "T-Diff Regler"};
    const QStringList funk = {"Home-Adresse", "Dev-Adr High", "Dev-Adr Low", "eNum", "TDiff Ein", "TDiff Aus"};
    const QStringList text3 = QString("28 1 22 123 1.2 1.1").split(' ');
    const QStringList text5 = QString("28 1 22 2 4.0 2.0").split(' ');
    for (int k = 0; k < 6; ++k) {
        const QString n = QString("(%1)").arg(k);
        row({"Check3" + n, "Frame7", funkFlags[k], funkFlags[k], false});
        row({"Check4" + n, "Frame8", funkFlags[k], funkFlags[k], k != 3 && k != 4});
        row({"Text3" + n, "Frame7", funk[k], funk[k], k < 4, k < 3 ? 3 : 4, text3[k]});
        row({"Text5" + n, "Frame8", funk[k], funk[k], true, k < 4 ? 32767 : 4, text5[k]});
    }
    // The bit boxes, highest bit on the left, are captioned by the value they give.
    for (int k = 0; k < 12; ++k) {
        row({QString("Check5(%1)").arg(k), "Frame7", "F=860 Mhz", QString("Frequenz Bit %1").arg(k)});
        row({QString("Check7(%1)").arg(k), "Frame8", "F=860 Mhz", QString("Frequenz Bit %1").arg(k)});
    }
    for (int k = 0; k < 3; ++k) {
        row({QString("Check6(%1)").arg(k), "Frame7", "TX-Pwr -0 dB", QString("Sendeleistung Bit %1").arg(k), false});
        row({QString("Check8(%1)").arg(k), "Frame8", "TX-Pwr -0 dB", QString("Sendeleistung Bit %1").arg(k)});
    }
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
    else if (auto *g = qobject_cast<QGroupBox *>(control))
        caption = g->autoFillBackground() ? g->title() : "(not opaque: would show what lies beneath)";
    if (caption.isEmpty())
        for (auto *label : control->parentWidget()->findChildren<QLabel *>(Qt::FindDirectChildrenOnly))
            if (label->y() == control->y() && label->geometry().right() < control->x())
                caption = label->text();
    if (auto *field = qobject_cast<QLineEdit *>(control)) {
        QCOMPARE(field->text(), c.text);
        QCOMPARE(field->maxLength(), c.maxLength);
    }
    QCOMPARE(caption, c.caption);
    QCOMPARE(control->accessibleName(), c.accessible);
    QCOMPARE(control->isEnabled(), c.enabled);
}

void TestLayout::windowAtLoad()
{
    const frmMain *w = m_w->window.get();
    QCOMPARE(w->windowTitle(), QString("Korvan-Programmer (Lan und Funk), Version 1.000.031"));
    QVERIFY(w->minimumSize() == QSize(965, 644) && w->maximumSize() == QSize(965, 644));
    QVERIFY(w->font().pixelSize() == 11 && w->font().families().value(0) == "Liberation Sans");
    QVERIFY(!m_w->child("Frame7")->isVisibleTo(w) && !m_w->child("Frame8")->isVisibleTo(w));
    // The status refresh runs from the load on, slower until the first activation.
    QVERIFY(m_w->child<QTimer>("Timer2")->isActive() && m_w->child<QTimer>("Timer2")->interval() == 300);
    // The captions Label15(0) to (19) make one control array.
    for (int k = 0; k < 20; ++k)
        QVERIFY2(m_w->child<QLabel>(QString("Label15(%1)").arg(k)), qPrintable(QString::number(k)));
    // The input indicators, each with its caption "Inp 1" to "Inp 4" centred, 80 twips (5 pixels) below its top.
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(m_w->child(QString("Shape1(%1)").arg(i))->geometry(), QRect(808, 456 + 32 * i, 129, 25));
        const auto *label = m_w->child<QLabel>(QString("Label13(%1)").arg(i));
        QCOMPARE(label->text(), QString("Inp %1").arg(i + 1));
        QVERIFY(qAbs(label->geometry().center().x() - 872) <= 1 && label->y() == 461 + 32 * i);
    }
}

void TestLayout::targetKindShowsItsFrames()
{
    Window w(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(w.showAndActivate());
    auto *combo = w.child<QComboBox>("Combo1");
    QCOMPARE((QStringList{combo->itemText(0), combo->itemText(1)}), (QStringList{"LAN", "Funk"}));
    // What a person sees and may use: its name; "(name)" if it is locked, "-" if hidden.
    const auto seen = [&] {
        QStringList all;
        for (const char *name : {"Frame1", "Frame2", "Frame7", "Frame8", "Label11", "List2", "Frame4", "AutoSend(0)",
                                 "Check2(4)", "Text2(18)", "Text2(19)", "Text5(4)", "Text5(5)"}) {
            QWidget *control = w.child(name);
            all << (!control->isVisible() ? "-" : control->isEnabled() ? name : QString("(%1)").arg(name));
        }
        return all.join(' ');
    };
    // Each switch matches the fields that follow a box to it: AutoTxRepeat and the new T-Diff
    // fields are locked while their boxes are unticked.
    w.chooseTarget(1);
    QCOMPARE(seen(), "- - Frame7 Frame8 - - (Frame4) (AutoSend(0)) - - - (Text5(4)) (Text5(5))");
    w.chooseTarget(0);
    QCOMPARE(seen(), "Frame1 Frame2 - - Label11 List2 Frame4 AutoSend(0) (Check2(4)) (Text2(18)) (Text2(19)) - -");
    // The radio frames lie where the LAN frames do, wider.
    QCOMPARE(w.child("Frame7")->geometry(), QRect(8, 72, 433, 169));
    QCOMPARE(w.child("Frame8")->geometry(), QRect(448, 72, 433, 169));
}

TESSRA_TEST(TestLayout)
#include "tst_Layout.moc"
