// The flag, frequency and transmit-power rows and the switch buttons, clicked
// in the real window.

#include "TestMain.h"
#include "WindowHarness.h"

#include "requests/TwoStateButton.h"

#include <QCheckBox>
#include <QLabel>

using namespace WindowHarness;

class TestCheckBoxRows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A switch button sends its request at once: to loopback, where nothing answers.
        m_w = std::make_unique<Window>("[TessraProg]\r\nIPAdresse=127.0.0.2\r\nPort="
                                       + QByteArray::number(freeLoopbackPort()) + "\r\n");
        QVERIFY(m_w->showAndActivate());
    }
    void cleanup() { m_w.reset(); }
    void boxesGovernTheFieldsThatFollowThem();
    void captionsFollowTheClickedBoxes();
    void switchButtonsRecolourWithTheirState();

private:
    bool enabled(const QString &name) const { return m_w->child(name)->isEnabled(); }
    std::unique_ptr<Window> m_w;
};

void TestCheckBoxRows::boxesGovernTheFieldsThatFollowThem()
{
    // AutoTx InChg unlocks AutoTxRepeat; unticked again, it clears and locks it.
    m_w->click("Check2(3)");
    QVERIFY(enabled("Check2(4)"));
    m_w->click("Check2(4)");
    m_w->click("Check2(3)");
    QVERIFY(!enabled("Check2(4)") && !m_w->child<QCheckBox>("Check2(4)")->isChecked());
    // The T-Diff regulator unlocks and locks its thresholds.
    m_w->click("Check2(5)");
    QVERIFY(enabled("Text2(18)") && enabled("Text2(19)"));
    m_w->click("Check2(5)");
    QVERIFY(!enabled("Text2(18)") && !enabled("Text2(19)"));
}

void TestCheckBoxRows::captionsFollowTheClickedBoxes()
{
    m_w->chooseTarget(1);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    for (const char *box : {"Check7(0)", "Check7(11)", "Check8(0)", "Check8(2)"})
        m_w->click(box);
    QLocale::setDefault(QLocale::c());
    // In the user's language; the current rows are the device's and follow replies only.
    QCOMPARE((QStringList{m_w->child<QLabel>("Label15(14)")->text(), m_w->child<QLabel>("Label15(15)")->text(),
                          m_w->child<QLabel>("Label15(3)")->text(), m_w->child<QLabel>("Label15(12)")->text()}),
             (QStringList{"F=870,245 MHz", "TX-Pwr -15 dB", "F=860 Mhz", "TX-Pwr -0 dB"}));
}

void TestCheckBoxRows::switchButtonsRecolourWithTheirState()
{
    // Shadow, light, face and inner shadow; painted raised when off, sunken when on.
    auto *ch2 = m_w->child<TwoStateButton>("Port1(1)");
    const auto pixel = [ch2](int x, int y) { return ch2->grab().toImage().pixelColor(x, y); };
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x404040, 0xE0E0E0, 0xC0C0C0, 0x808080}));
    QCOMPARE(pixel(ch2->width() / 4, ch2->height() / 2), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(pixel(ch2->width() - 2, ch2->height() / 2), QColor(0x80, 0x80, 0x80));
    QTest::mouseClick(ch2, Qt::LeftButton);
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x008080, 0x80FFFF, 0x00FFFF, 0x00C0C0}));
    QCOMPARE(pixel(ch2->width() / 4, ch2->height() / 2), QColor(0xFF, 0xFF, 0x00));
    QCOMPARE(pixel(ch2->width() / 4, 0), QColor(0x80, 0x80, 0x00));
}

TESSRA_TEST(TestCheckBoxRows)
#include "tst_CheckBoxRows.moc"
