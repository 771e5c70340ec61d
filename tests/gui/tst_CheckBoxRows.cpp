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
        m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
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
    // The T-Diff regulators unlock their thresholds, which keep their texts.
    m_w->child<QLineEdit>("Text2(18)")->setText("2.5");
    m_w->click("Check2(5)");
    QVERIFY(enabled("Text2(18)") && enabled("Text2(19)"));
    m_w->click("Check2(5)");
    QVERIFY(!enabled("Text2(18)") && !enabled("Text2(19)"));
    QCOMPARE(m_w->text("Text2(18)"), QString("2.5"));
    m_w->chooseTarget(1);
    m_w->click("Check4(5)");
    QVERIFY(enabled("Text5(4)") && enabled("Text5(5)"));
    // Any radio flag's click matches them to the regulator.
    m_w->child<QLineEdit>("Text5(4)")->setEnabled(false);
    m_w->click("Check4(0)");
    QVERIFY(enabled("Text5(4)"));
}

void TestCheckBoxRows::captionsFollowTheClickedBoxes()
{
    m_w->chooseTarget(1);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_w->click("Check7(0)");
    m_w->click("Check7(11)");
    m_w->click("Check5(1)");
    m_w->click("Check8(0)");
    m_w->click("Check8(2)");
    QLocale::setDefault(QLocale::c());
    QCOMPARE(m_w->child<QLabel>("Label15(14)")->text(), QString("F=870,245 MHz"));
    QCOMPARE(m_w->child<QLabel>("Label15(3)")->text(), QString("F=860,01 MHz"));
    QCOMPARE(m_w->child<QLabel>("Label15(15)")->text(), QString("TX-Pwr -15 dB"));
    // The current power row is the device's: it follows replies, not clicks.
    QCOMPARE(m_w->child<QLabel>("Label15(12)")->text(), QString("TX-Pwr -0 dB"));
}

void TestCheckBoxRows::switchButtonsRecolourWithTheirState()
{
    // Face, light, background and shadow; the face is painted in the colour of the state.
    const auto face = [this](const QString &name) {
        const QImage image = m_w->child(name)->grab().toImage();
        return image.pixelColor(image.width() / 4, image.height() / 2);
    };
    auto *ch2 = m_w->child<TwoStateButton>("Port1(1)");
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x404040, 0xE0E0E0, 0xC0C0C0, 0x808080}));
    QCOMPARE(face("Port1(1)"), QColor(0xC0, 0xC0, 0xC0));
    QTest::mouseClick(ch2, Qt::LeftButton);
    QVERIFY(ch2->isChecked());
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x008080, 0x80FFFF, 0x00FFFF, 0x00C0C0}));
    QCOMPARE(face("Port1(1)"), QColor(0xFF, 0xFF, 0x00));
}

TESSRA_TEST(TestCheckBoxRows)
#include "tst_CheckBoxRows.moc"
