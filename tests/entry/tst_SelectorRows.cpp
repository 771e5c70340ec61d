#include "TestMain.h"
#include "entry/SelectorRows.h"

#include <QTest>

using namespace SelectorRows;

class TestSelectorRows : public QObject
{
    Q_OBJECT

private slots:
    // A code ticks the frequency boxes of its low twelve bits (box k is bit k); the boxes give
    // the caption and the request bytes.
    void frequency_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("none ticked: 860 MHz and the bare pattern") << 0x000 << "F=860 MHz" << 160 << 0;
        QTest::newRow("box 0 alone is 5 kHz above 860") << 0x001 << "F=860.005 MHz" << 160 << 1;
        QTest::newRow("box 1 alone is 10 kHz above 860") << 0x002 << "F=860.01 MHz" << 160 << 2;
        QTest::newRow("boxes 0 and 7 fill the low byte's ends") << 0x081 << "F=860.645 MHz" << 160 << 129;
        QTest::newRow("box 8 alone is bit 0 of the high byte") << 0x100 << "F=861.28 MHz" << 161 << 0;
        QTest::newRow("box 11 alone") << 0x800 << "F=870.24 MHz" << 168 << 0;
        QTest::newRow("boxes 0 to 10") << 0x7FF << "F=870.235 MHz" << 167 << 255;
        QTest::newRow("all twelve") << 0xFFF << "F=880.475 MHz" << 175 << 255;
        QTest::newRow("received 0xA801: boxes 0 and 11, the upper bits dropped") << 0xA801 << "F=870.245 MHz" << 168 << 1;
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

    void frequencyCaptionUsesTheLocaleSeparator()
    {
        QCOMPARE(frequencyCaption(frequencyBoxesFor(0x001), QLocale(QLocale::German)), QString("F=860,005 MHz"));
        QCOMPARE(frequencyCaption(frequencyBoxesFor(0x801), QLocale(QLocale::German)), QString("F=870,245 MHz"));
    }

    // A received power byte ticks the boxes of its low three bits; they give the attenuation,
    // the caption and the byte sent.
    void txPower_data()
    {
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("decibels");
        QTest::addColumn<int>("sent");
        QTest::newRow("0xA0 clears the row") << 0xA0 << 0 << 0xA0;
        QTest::newRow("0xA1: box 0 is 3 dB") << 0xA1 << 3 << 0xA1;
        QTest::newRow("0xA2: box 1 is 6 dB") << 0xA2 << 6 << 0xA2;
        QTest::newRow("0xA3: boxes 0 and 1") << 0xA3 << 9 << 0xA3;
        QTest::newRow("0xA4: box 2 is 12 dB") << 0xA4 << 12 << 0xA4;
        QTest::newRow("0xA5: boxes 0 and 2") << 0xA5 << 15 << 0xA5;
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
