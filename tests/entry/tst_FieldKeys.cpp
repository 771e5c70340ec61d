#include "TestMain.h"
#include "entry/FieldKeys.h"

#include <QTest>

using namespace FieldKeys;

namespace {
// What field index holds after the keys were typed into it; a key that becomes 0 is swallowed.
QString typed(KeyDecision (*keyPress)(int, int), int index, const QString &keys)
{
    QString field;
    for (const QChar c : keys) {
        if (const int key = keyPress(index, c.unicode()).keyAscii)
            field.append(QChar(key));
    }
    return field;
}

// The key the field receives and the field that takes the focus (-1: none).
QPair<int, int> decided(KeyDecision d) { return {d.keyAscii, d.focusIndex.value_or(-1)}; }
} // namespace

class TestFieldKeys : public QObject
{
    Q_OBJECT

private slots:
    // Digits, "." and Backspace pass, "," becomes "."; the keys beside the digits and all others
    // are swallowed, in every field but Text1(16) and Text1(17): port and eNum take any key.
    void keys()
    {
        QCOMPARE(typed(text2KeyPress, 0, "/0123456789:.,\b-a ä"), QString("0123456789..\b"));
        QCOMPARE(typed(text1KeyPress, 3, "2x5,5"), QString("25.5"));
        QCOMPARE(typed(text1KeyPress, 16, "80ab"), QString("80ab"));
        QCOMPARE(typed(text1KeyPress, 17, "-1,"), QString("-1,"));
        // Esc goes one field lower, not from 0; Enter one higher, below 15 in Text1 and below 3
        // in Text2; Tab is left to the window's focus chain. None of them is swallowed.
        QCOMPARE(decided(text1KeyPress(0, KeyEsc)), qMakePair(KeyEsc, -1));
        QCOMPARE(decided(text1KeyPress(1, KeyEsc)), qMakePair(KeyEsc, 0));
        QCOMPARE(decided(text1KeyPress(14, KeyEnter)), qMakePair(KeyEnter, 15));
        QCOMPARE(decided(text1KeyPress(15, KeyEnter)), qMakePair(KeyEnter, -1));
        QCOMPARE(decided(text1KeyPress(3, KeyTab)), qMakePair(KeyTab, -1));
        QCOMPARE(decided(text2KeyPress(3, KeyEnter)), qMakePair(KeyEnter, -1));
    }
};

TESSRA_TEST(TestFieldKeys)
#include "tst_FieldKeys.moc"
