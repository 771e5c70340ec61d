#include "TestMain.h"
#include "entry/FieldKeys.h"
#include "entry/modTasMon.h"

#include <QTest>

using namespace FieldKeys;

namespace {
constexpr int NoMove = -1;

// What a field holds after the keys of text were typed into it.
QString typed(KeyDecision (*keyPress)(int, int), int index, const QString &text)
{
    QString field;
    for (const QChar c : text) {
        const int key = keyPress(index, c.unicode()).keyAscii;
        if (key != 0)
            field.append(QChar(key));
    }
    return field;
}
} // namespace

class TestFieldKeys : public QObject
{
    Q_OBJECT

private slots:
    void filterKey_data();
    void filterKey();
    void focusKeys_data();
    void focusKeys();
    void typing_data();
    void typing();
};

void TestFieldKeys::filterKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("digit 0 passes") << int('0') << int('0');
    QTest::newRow("digit 9 passes") << int('9') << int('9');
    QTest::newRow("point passes") << int('.') << int('.');
    QTest::newRow("Backspace passes") << 8 << 8;
    QTest::newRow("comma becomes point") << int(',') << int('.');
    QTest::newRow("slash, just below the digits, is swallowed") << int('/') << 0;
    QTest::newRow("colon, just above the digits, is swallowed") << int(':') << 0;
    QTest::newRow("minus is swallowed") << int('-') << 0;
    QTest::newRow("letter is swallowed") << int('a') << 0;
    QTest::newRow("blank is swallowed") << int(' ') << 0;
    QTest::newRow("umlaut is swallowed") << 0xE4 << 0;
}

void TestFieldKeys::filterKey()
{
    QFETCH(int, key);
    QFETCH(int, expected);
    QCOMPARE(modTasMon::FilterKey(key), expected);
}

void TestFieldKeys::focusKeys_data()
{
    QTest::addColumn<int>("array");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("focus");
    QTest::newRow("Esc in Text1(0) stays") << 1 << 0 << KeyEsc << NoMove;
    QTest::newRow("Esc in Text1(5) goes to Text1(4)") << 1 << 5 << KeyEsc << 4;
    QTest::newRow("Esc in Text1(17) goes to Text1(16)") << 1 << 17 << KeyEsc << 16;
    QTest::newRow("Enter in Text1(14) goes to Text1(15)") << 1 << 14 << KeyEnter << 15;
    QTest::newRow("Enter in Text1(15) stays") << 1 << 15 << KeyEnter << NoMove;
    QTest::newRow("Enter in Text1(16) stays") << 1 << 16 << KeyEnter << NoMove;
    QTest::newRow("Tab in Text1(3) is left to the focus chain") << 1 << 3 << KeyTab << NoMove;
    QTest::newRow("Esc in Text2(0) stays") << 2 << 0 << KeyEsc << NoMove;
    QTest::newRow("Esc in Text2(19) goes to Text2(18)") << 2 << 19 << KeyEsc << 18;
    QTest::newRow("Enter in Text2(2) goes to Text2(3)") << 2 << 2 << KeyEnter << 3;
    QTest::newRow("Enter in Text2(3) stays") << 2 << 3 << KeyEnter << NoMove;
    QTest::newRow("Tab in Text2(0) is left to the focus chain") << 2 << 0 << KeyTab << NoMove;
}

void TestFieldKeys::focusKeys()
{
    QFETCH(int, array);
    QFETCH(int, index);
    QFETCH(int, key);
    QFETCH(int, focus);
    const KeyDecision decision = array == 1 ? text1KeyPress(index, key) : text2KeyPress(index, key);
    QCOMPARE(decision.keyAscii, key); // Esc, Tab and Enter are not swallowed
    QCOMPARE(decision.focusIndex.value_or(NoMove), focus);
}

void TestFieldKeys::typing_data()
{
    QTest::addColumn<int>("array");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("field");
    QTest::newRow("1,5 in Text2 gives 1.5") << 2 << 18 << "1,5" << "1.5";
    QTest::newRow("letters and minus are swallowed in Text2") << 2 << 0 << "a-1b2" << "12";
    QTest::newRow("address octet of Text1 filters") << 1 << 3 << "2x5,5" << "25.5";
    QTest::newRow("T-Diff of Text1 filters") << 1 << 19 << "1,x2" << "1.2";
    QTest::newRow("Text1(16) takes letters") << 1 << 16 << "80ab" << "80ab";
    QTest::newRow("Text1(17) takes a minus") << 1 << 17 << "-1," << "-1,";
}

void TestFieldKeys::typing()
{
    QFETCH(int, array);
    QFETCH(int, index);
    QFETCH(QString, keys);
    QFETCH(QString, field);
    QCOMPARE(typed(array == 1 ? text1KeyPress : text2KeyPress, index, keys), field);
}

TESSRA_TEST(TestFieldKeys)
#include "tst_FieldKeys.moc"
