// Typing into the LAN parameter fields and leaving them, in the real window.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QScopeGuard>
#include <QWindow>

using namespace WindowHarness;

namespace {
const QString ByteRange = QStringLiteral("Wert muss zwischen 0 und 255 liegen");
const QString PortRange = QStringLiteral("Wert muss zwischen 1 und 32000 liegen!");
} // namespace

class TestFieldEntry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup()
    {
        qApp->removeEventFilter(this);
        m_w.reset();
    }
    void keysAreFilteredAndMoveTheFocus_data();
    void keysAreFilteredAndMoveTheFocus();
    void leavingAFieldChecksIt_data();
    void leavingAFieldChecksIt();
    void twoRefusedFieldsDoNotThrowTheFocusAround_data();
    void twoRefusedFieldsDoNotThrowTheFocusAround();
    void onlyAMoveWithinTheWindowRunsACheck();
    void quittingIsNeverHeldUpByARefusedField_data();
    void quittingIsNeverHeldUpByARefusedField();

protected:
    // As a desktop does, gives the activation back to the window the moment a
    // message box closes, before the check that showed it goes on; the
    // offscreen platform does so late or not at all.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && qobject_cast<QMessageBox *>(watched))
            QApplication::setActiveWindow(m_w->window.get());
        return false;
    }

private:
    bool hasFocus(const QString &name) const { return m_w->child(name)->hasFocus(); }
    // A leave check runs once the focus change is complete, and so does its message box.
    void settle()
    {
        QCoreApplication::processEvents();
        if (m_w->window->isVisible() && !m_w->window->isActiveWindow()) {
            m_w->window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
        }
    }
    std::unique_ptr<Window> m_w;
};

void TestFieldEntry::init()
{
    m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(m_w->showAndActivate());
    m_w->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
    qApp->installEventFilter(this);
}

void TestFieldEntry::keysAreFilteredAndMoveTheFocus_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<int>("key"); // pressed after the keys
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus");
    QTest::newRow("a new field: ',' is '.', letters and minus are swallowed; Esc goes up")
        << "Text2(17)" << "1,5-a" << int(Qt::Key_Escape) << "1.5" << "Text2(16)";
    QTest::newRow("a current octet is filtered too; Enter goes down") << "Text1(0)" << "x2-5" << int(Qt::Key_Enter)
                                                                      << "25" << "Text1(1)";
    QTest::newRow("the current port takes anything")
        << "Text1(16)" << "ab1-" << 0 << "ab1-" << "Text1(16)";
    QTest::newRow("Return in Text2(3) stays") << "Text2(3)" << "7" << int(Qt::Key_Return) << "7" << "Text2(3)";
    QTest::newRow("Tab in Text1(15) goes on to the port") << "Text1(15)" << "7" << int(Qt::Key_Tab) << "7" << "Text1(16)";
}

void TestFieldEntry::keysAreFilteredAndMoveTheFocus()
{
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    m_w->type(field, keys);
    if (key)
        QTest::keyClick(m_w->child(field), Qt::Key(key));
    settle();
    QCOMPARE(m_w->text(field), text);
    QVERIFY(hasFocus(focus));
    QVERIFY(m_w->boxes.seen.isEmpty());
}

void TestFieldEntry::leavingAFieldChecksIt_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byClick"); // else by Tab
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("refused");
    QTest::newRow("current octet 256 is refused") << "Text1(3)" << "256" << false << ByteRange << true;
    QTest::newRow("current port of letters is refused") << "Text1(16)" << "abc" << true << PortRange << true;
    QTest::newRow("current port 32000 passes") << "Text1(16)" << "32000" << true << "" << false;
    QTest::newRow("new octet 300 beeps without a message") << "Text2(2)" << "300" << true << "" << true;
    QTest::newRow("new octet left empty passes") << "Text2(1)" << "" << false << "" << false;
}

void TestFieldEntry::leavingAFieldChecksIt()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, byClick);
    QFETCH(QString, message);
    QFETCH(bool, refused);
    m_w->type(field, text);
    if (byClick)
        m_w->click(field == "Text2(2)" ? "Text2(5)" : "Text2(2)");
    else
        QTest::keyClick(m_w->child(field), Qt::Key_Tab);
    settle();
    QCOMPARE(m_w->boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty())
        QVERIFY(m_w->boxes.seen[0].icon == QMessageBox::Warning && m_w->boxes.seen[0].title == "TessraProg");
    QCOMPARE(hasFocus(field), refused);
    QCOMPARE(m_w->text(field), text);
}

void TestFieldEntry::twoRefusedFieldsDoNotThrowTheFocusAround_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("firstMessage"); // none: it only beeps
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("secondMessage");
    QTest::newRow("current port and a current octet") << "Text1(16)" << PortRange << "Text1(0)" << ByteRange;
    QTest::newRow("a current and a new octet") << "Text1(3)" << ByteRange << "Text2(2)" << "";
    QTest::newRow("two new octets") << "Text2(0)" << "" << "Text2(1)" << "";
}

void TestFieldEntry::twoRefusedFieldsDoNotThrowTheFocusAround()
{
    QFETCH(QString, first);
    QFETCH(QString, firstMessage);
    QFETCH(QString, second);
    QFETCH(QString, secondMessage);
    const auto once = [](const QString &m) { return m.isEmpty() ? QStringList() : QStringList{m}; };
    // Should the focus bounce after all, hiding the window ends it and the checks below tell.
    int focusChanges = 0;
    const auto runaway = connect(qApp, &QApplication::focusChanged, this, [&] {
        if (++focusChanges > 50)
            m_w->window->hide();
    });
    const auto stop = qScopeGuard([runaway] { disconnect(runaway); });
    m_w->child<QLineEdit>(first)->setText(first == "Text1(16)" ? "0" : "300");
    m_w->child<QLineEdit>(second)->setText("999");
    m_w->child(first)->setFocus();
    settle();
    // Each attempt to leave the first field shows its message once; the
    // focus comes back without running the second field's check.
    QStringList expected;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        m_w->click(second);
        settle();
        settle();
        QCOMPARE(m_w->boxes.texts(), expected << once(firstMessage));
        QVERIFY(hasFocus(first));
    }
    // Corrected, the first field lets the focus go; the second is refused in its turn.
    m_w->type(first, "9");
    m_w->click(second);
    settle();
    QVERIFY(hasFocus(second));
    m_w->click(first);
    settle();
    QCOMPARE(m_w->boxes.texts(), expected << once(secondMessage));
    QVERIFY(hasFocus(second));
    // The rest of the window works once the field passes.
    m_w->type(second, "9");
    m_w->click("Check2(0)");
    settle();
    QVERIFY(m_w->child<QCheckBox>("Check2(0)")->isChecked());
    QCOMPARE(m_w->boxes.texts(), expected);
}

void TestFieldEntry::onlyAMoveWithinTheWindowRunsACheck()
{
    m_w->type("Text1(3)", "256");
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    m_w->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
    settle();
    QTRY_VERIFY(hasFocus("Text1(3)"));
    QVERIFY(m_w->boxes.seen.isEmpty());
}

void TestFieldEntry::quittingIsNeverHeldUpByARefusedField_data()
{
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("the beenden button") << false;
    QTest::newRow("the window's close box") << true;
}

void TestFieldEntry::quittingIsNeverHeldUpByARefusedField()
{
    QFETCH(bool, closeBox);
    m_w->type("Text1(16)", "0");
    if (closeBox) {
        QVERIFY(m_w->window->windowHandle()->close());
    } else {
        // Between press and release the window handles what the press queued.
        QTest::mousePress(m_w->child("cmdBeenden"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QTest::mouseRelease(m_w->child("cmdBeenden"), Qt::LeftButton);
    }
    QCoreApplication::processEvents();
    QVERIFY(!m_w->window->isVisible());
    settle();
    QVERIFY(m_w->boxes.seen.isEmpty());
}

TESSRA_TEST(TestFieldEntry)
#include "tst_FieldEntry.moc"
