// The window's controls by their names, how the window lays itself out for the two target kinds, and what clicked boxes
// and switch buttons change in it.

#include "TestMain.h"
#include "WindowHarness.h"

#include "requests/TwoStateButton.h"

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
    void controls_data()
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
            row({"Text4" + n, "Frame6", "IP-Adr.", "IP-Adr. " + ch, true, 3,
                 QString("192.168.28.209").section('.', i, i)});
        }
        // The LAN frames: four addresses of four octets, then port, eNum and the T-Diff values, the flags beside them.
        // The current values are the device's, not to be edited.
        const QStringList lanFlags = {"OutStateMem",  "InStateMem",    "SysTimeOut",    "AutoTx InChg",
                                      "AutoTxRepeat", "T-Diff-Regler", "supr. HP Port", "M2M Comm"};
        for (int k = 0; k < 8; ++k) {
            const QString n = QString("(%1)").arg(k), caption = k == 6 ? "supr. HP. Port" : lanFlags[k];
            row({"Check1" + n, "Frame1", lanFlags[k], lanFlags[k], false});
            row({"Check2" + n, "Frame2", caption, caption});
        }
        const QStringList lanRows = {"IPAdresse", "Gateway", "SubnetMask", "StdDestIP", "Port", "eNum", "TDiff Ein",
                                     "TDiff Aus"};
        const QStringList text1 =
            QString("192 168 28 215 219 168 28 254 255 255 255 0 192 128 28 2 340 1 1 1").split(' ');
        const QStringList text2 =
            QString("192 168 28 1 255 254 28 254 255 255 255 0 192 168 28 11 340 1 1 1").split(' ');
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
            row({QString("Check6(%1)").arg(k), "Frame7", "TX-Pwr -0 dB", QString("Sendeleistung Bit %1").arg(k),
                 false});
            row({QString("Check8(%1)").arg(k), "Frame8", "TX-Pwr -0 dB", QString("Sendeleistung Bit %1").arg(k)});
        }
    }
    void controls()
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
        QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), c.accessible);
        QCOMPARE(control->isEnabled(), c.enabled);
    }
    void windowAtLoad()
    {
        const frmMain *w = m_w->window.get();
        QCOMPARE(m_w->misannounced(), QStringList());
        QCOMPARE(w->windowTitle(), QString("Korvan-Programmer (Lan und Funk), Version 1.000.031"));
        QVERIFY(w->minimumSize() == QSize(965, 644) && w->maximumSize() == QSize(965, 644));
        QVERIFY(w->font().pixelSize() == 11 && w->font().families().value(0) == "Liberation Sans");
        // Only the window is dense; message boxes keep the application's font.
        QVERIFY(QApplication::font() != w->font());
        QVERIFY(!m_w->child("Frame7")->isVisibleTo(w) && !m_w->child("Frame8")->isVisibleTo(w));
        // The status refresh runs from the load on, slower until the first activation.
        QVERIFY(m_w->child<QTimer>("Timer2")->isActive() && m_w->child<QTimer>("Timer2")->interval() == 300);
        // The captions Label15(0) to (19) make one control array, each placed by its index.
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
    // The target kind shows its frames, and each box the fields that follow it; the captions follow the clicked boxes,
    // and a switch button recolours with its state (its request goes to loopback, where nothing answers).
    void clickedControlsGovernWhatFollows()
    {
        Window w("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nPort=" + QByteArray::number(freeLoopbackPort()) + "\r\n");
        QVERIFY(w.showAndActivate());
        auto *combo = w.child<QComboBox>("Combo1");
        QCOMPARE((QStringList{combo->itemText(0), combo->itemText(1)}), (QStringList{"LAN", "Funk"}));
        // What a person sees and may use: its name; "(name)" if it is locked, "-" if hidden.
        const auto seen = [&] {
            QStringList all;
            for (const char *name : {"Frame1", "Frame2", "Frame7", "Frame8", "Label11", "List2", "Frame4",
                                     "AutoSend(0)", "Check2(4)", "Text2(18)", "Text2(19)", "Text5(4)", "Text5(5)"}) {
                QWidget *control = w.child(name);
                all << (!control->isVisible() ? "-" : control->isEnabled() ? name : QString("(%1)").arg(name));
            }
            return all.join(' ');
        };
        // Each switch matches the fields that follow a box to it: AutoTxRepeat and the new T-Diff fields are locked
        // while their boxes are unticked.
        w.chooseTarget(1);
        QCOMPARE(seen(), "- - Frame7 Frame8 - - (Frame4) (AutoSend(0)) - - - (Text5(4)) (Text5(5))");
        // The radio frames lie where the LAN frames do, wider.
        QCOMPARE(w.child("Frame7")->geometry(), QRect(8, 72, 433, 169));
        QCOMPARE(w.child("Frame8")->geometry(), QRect(448, 72, 433, 169));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const char *box : {"Check7(0)", "Check7(11)", "Check8(0)", "Check8(2)"})
            w.click(box);
        QLocale::setDefault(QLocale::c());
        // In the user's language; the current rows are the device's and follow replies only.
        QCOMPARE((QStringList{w.child<QLabel>("Label15(14)")->text(), w.child<QLabel>("Label15(15)")->text(),
                              w.child<QLabel>("Label15(3)")->text(), w.child<QLabel>("Label15(12)")->text()}),
                 (QStringList{"F=870,245 MHz", "TX-Pwr -15 dB", "F=860 Mhz", "TX-Pwr -0 dB"}));
        QCOMPARE(w.misannounced(), QStringList());
        w.chooseTarget(0);
        QCOMPARE(seen(), "Frame1 Frame2 - - Label11 List2 Frame4 AutoSend(0) (Check2(4)) (Text2(18)) (Text2(19)) - -");
        // AutoTx InChg unlocks AutoTxRepeat, the T-Diff regulator its thresholds; unticked again, AutoTx InChg clears
        // AutoTxRepeat too.
        for (const char *box : {"Check2(3)", "Check2(4)", "Check2(5)"})
            w.click(box);
        QCOMPARE(seen(), "Frame1 Frame2 - - Label11 List2 Frame4 AutoSend(0) Check2(4) Text2(18) Text2(19) - -");
        w.click("Check2(3)");
        w.click("Check2(5)");
        QCOMPARE(seen(), "Frame1 Frame2 - - Label11 List2 Frame4 AutoSend(0) (Check2(4)) (Text2(18)) (Text2(19)) - -");
        QVERIFY(!w.child<QAbstractButton>("Check2(4)")->isChecked());
        // A switch button's shadow, light, face and inner shadow; painted raised when off, sunken when on.
        auto *ch2 = w.child<TwoStateButton>("Port1(1)");
        const auto pixel = [ch2](int x, int y) { return ch2->grab().toImage().pixelColor(x, y); };
        QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x404040, 0xE0E0E0, 0xC0C0C0, 0x808080}));
        QCOMPARE(pixel(ch2->width() / 4, ch2->height() / 2), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(pixel(ch2->width() - 2, ch2->height() / 2), QColor(0x80, 0x80, 0x80));
        QTest::mouseClick(ch2, Qt::LeftButton);
        QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x008080, 0x80FFFF, 0x00FFFF, 0x00C0C0}));
        QCOMPARE(pixel(ch2->width() / 4, ch2->height() / 2), QColor(0xFF, 0xFF, 0x00));
        QCOMPARE(pixel(ch2->width() / 4, 0), QColor(0x80, 0x80, 0x00));
    }

private:
    std::unique_ptr<Window> m_w;
};

TESSRA_TEST(TestLayout)
#include "tst_Layout.moc"
