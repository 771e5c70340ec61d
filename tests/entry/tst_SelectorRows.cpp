#include "TestMain.h"
#include "entry/SelectorRows.h"

using namespace SelectorRows;

// The caption in a ',' locale is checked with the radio reply that shows it.
class TestSelectorRows : public QObject
{
    Q_OBJECT

private slots:
    // A code ticks the frequency boxes of its low twelve bits (box k is bit k); the boxes give the caption and the
    // request bytes.
    void frequency_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("none ticked: 860 MHz and the bare pattern") << 0x000 << "F=860 MHz" << 160 << 0;
        // A float shown with seven digits: 880.475, not 880.47498.
        QTest::newRow("all twelve: 5 kHz, then doubling 10 kHz steps") << 0xFFF << "F=880.475 MHz" << 175 << 255;
        QTest::newRow("received 4096: bit 12 alone ticks none") << 4096 << "F=860 MHz" << 160 << 0;
    }
    void frequency()
    {
        QFETCH(int, code);
        QFETCH(QString, caption);
        QFETCH(int, high);
        QFETCH(int, low);
        QCOMPARE(frequencyCaption(frequencyBoxesFor(code), QLocale::c()), caption);
        QCOMPARE(frequencyBytes(frequencyBoxesFor(code)), std::make_pair(high, low));
    }

    // A received power byte ticks the boxes of its low three bits (3, 6 and 12 dB); they give the attenuation, the
    // caption and the byte sent.
    void txPower_data()
    {
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("decibels");
        QTest::addColumn<int>("sent");
        QTest::newRow("0xA7: all three") << 0xA7 << 21 << 0xA7;
        QTest::newRow("0x5F: the upper bits dropped") << 0x5F << 21 << 0xA7;
    }
    void txPower()
    {
        QFETCH(int, received);
        QFETCH(int, decibels);
        QFETCH(int, sent);
        const TxPowerBoxes boxes = txPowerBoxesFor(received);
        QCOMPARE(txPowerAttenuation(boxes), decibels);
        QCOMPARE(txPowerCaption(boxes), QStringLiteral("TX-Pwr -%1 dB").arg(decibels));
        QCOMPARE(txPowerByte(boxes), sent);
    }
};

TESSRA_TEST(TestSelectorRows)
#include "tst_SelectorRows.moc"
