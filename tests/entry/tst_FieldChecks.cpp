// What a field takes: the keys typed into it, and the checks when it is left and before programming, each at the edges
// of its ranges and fields.

#include "TestMain.h"
#include "entry/FieldKeys.h"
#include "entry/LeaveChecks.h"
#include "entry/ProgrammingChecks.h"

using namespace FieldKeys;
using namespace LeaveChecks;
using namespace ProgrammingChecks;

namespace {

const QString Byte = QStringLiteral("Wert muss zwischen 0 und 255 liegen");
const QString Port = QStringLiteral("Wert muss zwischen 1 und 32000 liegen!");
const QString Range = QStringLiteral("\rNur Werte von 0,1 bis 25,5 zulässig !");
const CheckVerdict Passes;

// A refusal as each check gives it: leaving Text1 with a message box, Text2 with a beep alone, programming with a
// critical stop and, for T-Diff, the focus on the field (-1: none).
CheckVerdict refused(ControlArray array, int index, const QString &message = {})
{
    if (array == ControlArray::Text1)
        return {true, message, MessageIcon::Exclamation, "TessraProg", FieldRef{array, index}, true};
    if (array == ControlArray::Text2)
        return {true, message, MessageIcon::None, QString(), FieldRef{array, index}, true};
    const auto focus = index < 0 ? std::nullopt : std::optional<FieldRef>(FieldRef{array, index});
    return {true, message, MessageIcon::CriticalStop, "Achtung !", focus, false};
}

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

class TestFieldChecks : public QObject
{
    Q_OBJECT

private slots:
    // Digits, "." and Backspace pass, "," becomes "."; all other keys are swallowed, but in the port and eNum.
    void keys()
    {
        QCOMPARE(typed(text2KeyPress, 0, "/0123456789:.,\b-a ä"), QString("0123456789..\b"));
        QCOMPARE(typed(text1KeyPress, 3, "2x5,5"), QString("25.5"));
        QCOMPARE(typed(text1KeyPress, 16, "80ab"), QString("80ab"));
        QCOMPARE(typed(text1KeyPress, 17, "-1,"), QString("-1,"));
        // Esc goes one field lower, Enter one higher, up to 15 in Text1 and 3 in Text2; Tab is the window's.
        QCOMPARE(decided(text1KeyPress(0, KeyEsc)), qMakePair(KeyEsc, -1));
        QCOMPARE(decided(text1KeyPress(1, KeyEsc)), qMakePair(KeyEsc, 0));
        QCOMPARE(decided(text1KeyPress(14, KeyEnter)), qMakePair(KeyEnter, 15));
        QCOMPARE(decided(text1KeyPress(15, KeyEnter)), qMakePair(KeyEnter, -1));
        QCOMPARE(decided(text1KeyPress(3, KeyTab)), qMakePair(KeyTab, -1));
        QCOMPARE(decided(text2KeyPress(3, KeyEnter)), qMakePair(KeyEnter, -1));
    }

    // Address octets (0 to 15) and eNum (17) in 0 to 255, the port (16) in 1 to 32000, read leniently.
    void leaving()
    {
        QCOMPARE(text1LostFocus(0, "256"), refused(ControlArray::Text1, 0, Byte));
        QCOMPARE(text1LostFocus(0, ""), Passes);
        QCOMPARE(text1LostFocus(3, "255"), Passes);
        QCOMPARE(text1LostFocus(15, "-1"), refused(ControlArray::Text1, 15, Byte));
        QCOMPARE(text1LostFocus(17, "256"), refused(ControlArray::Text1, 17, Byte));
        QCOMPARE(text1LostFocus(16, "1"), Passes);
        QCOMPARE(text1LostFocus(16, "32000"), Passes);
        QCOMPARE(text1LostFocus(16, "32001"), refused(ControlArray::Text1, 16, Port));
        QCOMPARE(text1LostFocus(18, "999"), Passes);
        // Of Text2 only the new IP address (0 to 3), strictly: 255.5 rounds to 256, "." is no number.
        QCOMPARE(text2LostFocus(0, "256"), refused(ControlArray::Text2, 0));
        QCOMPARE(text2LostFocus(3, "255"), Passes);
        QCOMPARE(text2LostFocus(3, "255.5"), refused(ControlArray::Text2, 3));
        QCOMPARE(text2LostFocus(4, "300"), Passes);
        QCOMPARE(text2LostFocus(1, " "), Passes);
        QCOMPARE(text2LostFocus(1, "."), refused(ControlArray::Text2, 1));
    }

    // Radio programming: the home address must not be 0 and is tested first; the device address lies in 0 to 250.
    void programming()
    {
        const QString home = "Bitte Homeadresse prüfen !\rDie Adresse darf nicht 0 sein !";
        const QString destination = "Bitte Zieladresse prüfen !\rDie Zieladresse darf nur zwischen 0 und 250 liegen !";
        QCOMPARE(CheckRadioAddresses("28", "0", "250"), Passes);
        QCOMPARE(CheckRadioAddresses("300", "1", "1"), Passes); // the home address has no upper bound
        QCOMPARE(CheckRadioAddresses("", "999", "999"), refused(ControlArray::Text5, -1, home));
        QCOMPARE(CheckRadioAddresses("28", "251", "1"), refused(ControlArray::Text5, -1, destination));
        QCOMPARE(CheckRadioAddresses("28", "1", "-1"), refused(ControlArray::Text5, -1, destination));
        // T-Diff 0.1 to 25.5 with "," or "."; only the first failing value is reported, and focused.
        QCOMPARE(CheckTDiff("25,5", "0,1"), Passes);
        QCOMPARE(CheckTDiff("25.6", "0"), refused(ControlArray::Text5, 4, "Bitte T-DiffON-Wert prüfen !" + Range));
        QCOMPARE(CheckTDiff("1", "0,05"), refused(ControlArray::Text5, 5, "Bitte T-DiffOFF-Wert prüfen !" + Range));
    }
};

TESSRA_TEST(TestFieldChecks)
#include "tst_FieldChecks.moc"
