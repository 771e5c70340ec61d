// The flag, frequency and transmit-power rows and the switch buttons, clicked
// in the real window.

#include "TestMain.h"
#include "WindowHarness.h"

#include "requests/TwoStateButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

using namespace WindowHarness;

class TestCheckBoxRows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void autoTxInChgGovernsAutoTxRepeat();
    void tDiffReglerGovernsTheLanThresholds();
    void anyRadioFlagClickMatchesTheRadioThresholds();
    void frequencyCaptionFollowsTheClickedBoxes_data();
    void frequencyCaptionFollowsTheClickedBoxes();
    void frequencyCaptionUsesTheLocaleSeparator();
    void powerCaptionAddsTheAttenuations();
    void requestBytesComeFromTheNewBoxes_data();
    void requestBytesComeFromTheNewBoxes();
    void receivedFrequencyCodeSetsTheCurrentRow();
    void receivedPowerByteSetsTheCurrentRowAndGivesDecibels_data();
    void receivedPowerByteSetsTheCurrentRowAndGivesDecibels();
    void switchButtonsRecolourWithTheirState();

private:
    QCheckBox *box(const QString &name) { return m_w->child<QCheckBox>(name); }
    void click(const QString &name)
    {
        QCheckBox *b = box(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void showFunk()
    {
        auto *combo = m_w->child<QComboBox>("Combo1");
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
    }

    std::unique_ptr<MessageBoxWatcher> m_boxes;
    std::unique_ptr<Window> m_w;
};

void TestCheckBoxRows::init()
{
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(m_w->showAndActivate());
}

void TestCheckBoxRows::cleanup()
{
    QLocale::setDefault(QLocale::c());
    m_w.reset();
    m_boxes.reset();
}

void TestCheckBoxRows::autoTxInChgGovernsAutoTxRepeat()
{
    QVERIFY(!box("Check2(4)")->isEnabled());
    click("Check2(3)");
    QVERIFY(box("Check2(4)")->isEnabled());
    QVERIFY(!box("Check2(4)")->isChecked());
    click("Check2(4)");
    QVERIFY(box("Check2(4)")->isChecked());
    click("Check2(3)");
    QVERIFY(!box("Check2(4)")->isChecked());
    QVERIFY(!box("Check2(4)")->isEnabled());
    click("Check2(3)");
    QVERIFY(box("Check2(4)")->isEnabled());
    QVERIFY(!box("Check2(4)")->isChecked());
}

void TestCheckBoxRows::tDiffReglerGovernsTheLanThresholds()
{
    auto *on = m_w->child<QLineEdit>("Text2(18)");
    auto *off = m_w->child<QLineEdit>("Text2(19)");
    const QString onText = on->text(), offText = off->text();
    click("Check2(5)");
    QVERIFY(on->isEnabled() && off->isEnabled());
    click("Check2(5)");
    QVERIFY(!on->isEnabled() && !off->isEnabled());
    QCOMPARE(on->text(), onText);
    QCOMPARE(off->text(), offText);
}

void TestCheckBoxRows::anyRadioFlagClickMatchesTheRadioThresholds()
{
    showFunk();
    auto *on = m_w->child<QLineEdit>("Text5(4)");
    auto *off = m_w->child<QLineEdit>("Text5(5)");
    on->setText("2.5");
    click("Check4(5)");
    QVERIFY(on->isEnabled() && off->isEnabled());
    click("Check4(0)");
    QVERIFY(on->isEnabled() && off->isEnabled());
    click("Check4(5)");
    QVERIFY(!on->isEnabled() && !off->isEnabled());
    click("Check4(1)");
    QVERIFY(!on->isEnabled() && !off->isEnabled());
    QCOMPARE(on->text(), QString("2.5"));
}

void TestCheckBoxRows::frequencyCaptionFollowsTheClickedBoxes_data()
{
    QTest::addColumn<QList<int>>("boxes");
    QTest::addColumn<QString>("caption");
    QTest::newRow("box 0 alone is 5 kHz above 860") << QList<int>{0} << "F=860.005 MHz";
    QTest::newRow("box 1 alone is 10 kHz above 860") << QList<int>{1} << "F=860.01 MHz";
    QTest::newRow("box 11 alone") << QList<int>{11} << "F=870.24 MHz";
    QTest::newRow("boxes 0 to 10") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10} << "F=870.235 MHz";
    QTest::newRow("all twelve") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << "F=880.475 MHz";
    QTest::newRow("boxes ticked and one unticked again") << QList<int>{3, 11, 3} << "F=870.24 MHz";
    QTest::newRow("none after a change") << QList<int>{5, 5} << "F=860 MHz";
}

void TestCheckBoxRows::frequencyCaptionFollowsTheClickedBoxes()
{
    QFETCH(QList<int>, boxes);
    QFETCH(QString, caption);
    showFunk();
    for (int k : boxes)
        click(QString("Check7(%1)").arg(k));
    QCOMPARE(m_w->child<QLabel>("Label15(14)")->text(), caption);
    for (int k : boxes)
        click(QString("Check5(%1)").arg(k));
    QCOMPARE(m_w->child<QLabel>("Label15(3)")->text(), caption);
}

void TestCheckBoxRows::frequencyCaptionUsesTheLocaleSeparator()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    showFunk();
    click("Check7(0)");
    QCOMPARE(m_w->child<QLabel>("Label15(14)")->text(), QString("F=860,005 MHz"));
    click("Check7(11)");
    QCOMPARE(m_w->child<QLabel>("Label15(14)")->text(), QString("F=870,245 MHz"));
}

void TestCheckBoxRows::powerCaptionAddsTheAttenuations()
{
    showFunk();
    auto *label = m_w->child<QLabel>("Label15(15)");
    click("Check8(0)");
    QCOMPARE(label->text(), QString("TX-Pwr -3 dB"));
    click("Check8(1)");
    QCOMPARE(label->text(), QString("TX-Pwr -9 dB"));
    click("Check8(2)");
    QCOMPARE(label->text(), QString("TX-Pwr -21 dB"));
    click("Check8(0)");
    click("Check8(1)");
    QCOMPARE(label->text(), QString("TX-Pwr -12 dB"));
}

void TestCheckBoxRows::requestBytesComeFromTheNewBoxes_data()
{
    QTest::addColumn<QList<int>>("frequencyBoxes");
    QTest::addColumn<QList<int>>("powerBoxes");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("power");
    QTest::newRow("nothing ticked gives the bare pattern") << QList<int>{} << QList<int>{} << 160 << 0 << 160;
    QTest::newRow("box 8 alone is bit 0 of the high byte") << QList<int>{8} << QList<int>{0} << 161 << 0 << 161;
    QTest::newRow("boxes 0 and 7 fill the low byte's ends")
        << QList<int>{0, 7} << QList<int>{1} << 160 << 129 << 162;
    QTest::newRow("everything ticked") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11} << QList<int>{0, 1, 2}
                                       << 175 << 255 << 167;
}

void TestCheckBoxRows::requestBytesComeFromTheNewBoxes()
{
    QFETCH(QList<int>, frequencyBoxes);
    QFETCH(QList<int>, powerBoxes);
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(int, power);
    showFunk();
    for (int k : frequencyBoxes)
        click(QString("Check7(%1)").arg(k));
    for (int k : powerBoxes)
        click(QString("Check8(%1)").arg(k));
    qint16 gotHigh = -1, gotLow = -1;
    m_w->window->GetFrequencyBytes(gotHigh, gotLow);
    QCOMPARE(gotHigh, qint16(high));
    QCOMPARE(gotLow, qint16(low));
    QCOMPARE(m_w->window->GetTxPowerByte(), qint16(power));
}

void TestCheckBoxRows::receivedFrequencyCodeSetsTheCurrentRow()
{
    auto *label = m_w->child<QLabel>("Label15(3)");
    m_w->window->SetFrequencyBits(0xA801);
    for (int k = 0; k < 12; ++k)
        QCOMPARE(box(QString("Check5(%1)").arg(k))->isChecked(), k == 0 || k == 11);
    QCOMPARE(label->text(), QString("F=870.245 MHz"));
    // Bit 12 alone lies outside the row: every box goes off.
    m_w->window->SetFrequencyBits(4096);
    for (int k = 0; k < 12; ++k)
        QVERIFY(!box(QString("Check5(%1)").arg(k))->isChecked());
    QCOMPARE(label->text(), QString("F=860 MHz"));
}

void TestCheckBoxRows::receivedPowerByteSetsTheCurrentRowAndGivesDecibels_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("decibels");
    QTest::addColumn<QString>("caption");
    QTest::newRow("0xA5 ticks boxes 0 and 2") << 0xA5 << 15 << "TX-Pwr -15 dB";
    QTest::newRow("0xA2 ticks box 1") << 0xA2 << 6 << "TX-Pwr -6 dB";
    QTest::newRow("0xA7 ticks all three") << 0xA7 << 21 << "TX-Pwr -21 dB";
}

void TestCheckBoxRows::receivedPowerByteSetsTheCurrentRowAndGivesDecibels()
{
    QFETCH(int, code);
    QFETCH(int, decibels);
    QFETCH(QString, caption);
    QCOMPARE(m_w->window->SetTxPowerBits(qint16(code)), qint16(decibels));
    for (int k = 0; k < 3; ++k)
        QCOMPARE(box(QString("Check6(%1)").arg(k))->isChecked(), bool(code & (1 << k)));
    QCOMPARE(m_w->child<QLabel>("Label15(12)")->text(), caption);
    // A byte without power bits clears the row again.
    QCOMPARE(m_w->window->SetTxPowerBits(0xA0), qint16(0));
    QCOMPARE(m_w->child<QLabel>("Label15(12)")->text(), QString("TX-Pwr -0 dB"));
}

void TestCheckBoxRows::switchButtonsRecolourWithTheirState()
{
    auto *ch2 = m_w->child<TwoStateButton>("Port1(1)");
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x404040, 0xE0E0E0, 0xC0C0C0, 0x808080}));
    QTest::mouseClick(ch2, Qt::LeftButton);
    QVERIFY(ch2->isChecked());
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x008080, 0x80FFFF, 0x00FFFF, 0x00C0C0}));
    QCOMPARE(m_w->window->CurrentChannel, qint16(1));
    // Set by the program while replies update the buttons: recoloured all the same.
    m_w->window->UpdatingPorts = true;
    ch2->setChecked(false);
    QCOMPARE(ch2->colours(), (SwitchColours::ColourSet{0x404040, 0xE0E0E0, 0xC0C0C0, 0x808080}));
    // The face is painted in the colour of the state.
    const QImage face = ch2->grab().toImage();
    QCOMPARE(face.pixelColor(face.width() / 4, face.height() / 2), QColor(0xC0, 0xC0, 0xC0));
    m_w->window->UpdatingPorts = false;
    QTest::mouseClick(ch2, Qt::LeftButton);
    const QImage on = ch2->grab().toImage();
    QCOMPARE(on.pixelColor(on.width() / 4, on.height() / 2), QColor(0xFF, 0xFF, 0x00));
}

TESSRA_TEST(TestCheckBoxRows)
#include "tst_checkboxrows.moc"
