// Typing into the LAN parameter fields and leaving them, in the real window.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QWindow>

using namespace WindowHarness;

namespace {

// As a desktop does, gives the activation back to the window the moment a
// message box closes, before the check that showed it goes on; the offscreen
// platform does so late or not at all.
class ActivationReturn : public QObject
{
public:
    explicit ActivationReturn(QWidget *window) : m_window(window) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && qobject_cast<QMessageBox *>(watched))
            QApplication::setActiveWindow(m_window);
        return false;
    }

private:
    QWidget *m_window;
};

const QString ByteRange = QStringLiteral("Wert muss zwischen 0 und 255 liegen");
const QString PortRange = QStringLiteral("Wert muss zwischen 1 und 32000 liegen!");

} // namespace

class TestFieldEntry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keysAreFiltered_data();
    void keysAreFiltered();
    void enterAndEscWalkThroughTheFields_data();
    void enterAndEscWalkThroughTheFields();
    void leavingAFieldChecksItsValue_data();
    void leavingAFieldChecksItsValue();
    void twoRefusedFieldsDoNotThrowTheFocusAround_data();
    void twoRefusedFieldsDoNotThrowTheFocusAround();
    void onlyAMoveWithinTheWindowRunsACheck();
    void quittingIsNeverHeldUpByARefusedField_data();
    void quittingIsNeverHeldUpByARefusedField();

private:
    QLineEdit *field(const QString &name) { return m_w->child<QLineEdit>(name); }
    // Into the field, select what it holds, type over it.
    void type(const QString &name, const QString &keys)
    {
        QLineEdit *f = field(name);
        f->setFocus();
        QTRY_VERIFY(f->hasFocus());
        QTest::keyClick(f, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(f, keys);
    }
    void click(const QString &name)
    {
        auto *w = m_w->child<QWidget>(name);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, w->height() / 2));
    }
    // A leave check runs once the focus change is complete; so do the
    // message boxes, which the watcher answers within this call. Late
    // activation events of a closed box may leave no window active.
    void settle()
    {
        QCoreApplication::processEvents();
        if (m_w->window->isVisible() && !m_w->window->isActiveWindow()) {
            m_w->window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
        }
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const SeenMessage &m : m_boxes->seen)
            texts << m.text;
        return texts;
    }

    std::unique_ptr<MessageBoxWatcher> m_boxes;
    std::unique_ptr<Window> m_w;
    std::unique_ptr<ActivationReturn> m_activation;
};

void TestFieldEntry::init()
{
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(m_w->showAndActivate());
    m_w->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
    m_activation = std::make_unique<ActivationReturn>(m_w->window.get());
    // Only what the fields say counts here, not how start-up went.
    m_boxes->seen.clear();
}

void TestFieldEntry::cleanup()
{
    m_activation.reset();
    m_w.reset();
    m_boxes.reset();
}

void TestFieldEntry::keysAreFiltered_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("1,5 in a new octet gives 1.5") << "Text2(0)" << "1,5" << "1.5";
    QTest::newRow("letters and minus are swallowed in a new field") << "Text2(17)" << "-1a2b" << "12";
    QTest::newRow("a current octet is filtered too") << "Text1(3)" << "x2-5" << "25";
    QTest::newRow("Backspace passes the filter") << "Text2(16)" << "12\b3" << "13";
    QTest::newRow("the current port takes letters") << "Text1(16)" << "ab1-" << "ab1-";
    QTest::newRow("the current eNum takes letters") << "Text1(17)" << "e7," << "e7,";
}

void TestFieldEntry::keysAreFiltered()
{
    QFETCH(QString, name);
    QFETCH(QString, keys);
    QFETCH(QString, text);
    type(name, keys);
    QCOMPARE(field(name)->text(), text);
}

void TestFieldEntry::enterAndEscWalkThroughTheFields_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("to");
    QTest::newRow("Enter in Text1(0) goes to Text1(1)") << "Text1(0)" << int(Qt::Key_Enter) << "Text1(1)";
    QTest::newRow("Enter in Text1(15) stays") << "Text1(15)" << int(Qt::Key_Return) << "Text1(15)";
    QTest::newRow("Esc in Text1(16) goes to Text1(15)") << "Text1(16)" << int(Qt::Key_Escape) << "Text1(15)";
    QTest::newRow("Enter in Text2(3) stays") << "Text2(3)" << int(Qt::Key_Return) << "Text2(3)";
    QTest::newRow("Enter in Text2(5) stays") << "Text2(5)" << int(Qt::Key_Return) << "Text2(5)";
    QTest::newRow("Esc in Text2(17) goes to Text2(16)") << "Text2(17)" << int(Qt::Key_Escape) << "Text2(16)";
    QTest::newRow("Esc in Text2(0) stays") << "Text2(0)" << int(Qt::Key_Escape) << "Text2(0)";
    QTest::newRow("Tab in Text1(15) goes on to the port") << "Text1(15)" << int(Qt::Key_Tab) << "Text1(16)";
    QTest::newRow("Tab in Text2(3) goes on to the gateway") << "Text2(3)" << int(Qt::Key_Tab) << "Text2(4)";
}

void TestFieldEntry::enterAndEscWalkThroughTheFields()
{
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, to);
    type(from, "7");
    QTest::keyClick(field(from), Qt::Key(key));
    settle();
    QVERIFY(field(to)->hasFocus());
    QCOMPARE(field(from)->text(), QString("7"));
    QCOMPARE(messages(), QStringList());
}

void TestFieldEntry::leavingAFieldChecksItsValue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("byClick");
    QTest::addColumn<QString>("message"); // none: the field is left
    QTest::addColumn<bool>("refused");
    QTest::newRow("current octet 256 is refused") << "Text1(3)" << "256" << false << ByteRange << true;
    QTest::newRow("current eNum 300 is refused") << "Text1(17)" << "300" << true << ByteRange << true;
    QTest::newRow("port 32000 passes") << "Text1(16)" << "32000" << true << "" << false;
    QTest::newRow("port of letters reads 0") << "Text1(16)" << "abc" << true << PortRange << true;
    QTest::newRow("new octet 300 beeps without a message") << "Text2(2)" << "300" << true << "" << true;
    QTest::newRow("new octet 1.. is no number") << "Text2(0)" << "1.." << false << "" << true;
    QTest::newRow("new octet left empty passes") << "Text2(1)" << "" << false << "" << false;
    QTest::newRow("new eNum 300 is not tested") << "Text2(17)" << "300" << false << "" << false;
}

void TestFieldEntry::leavingAFieldChecksItsValue()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, byClick);
    QFETCH(QString, message);
    QFETCH(bool, refused);
    type(name, text);
    if (text.isEmpty())
        QTest::keyClick(field(name), Qt::Key_Backspace);
    QCOMPARE(field(name)->text(), text);
    const QString elsewhere = name == "Text2(2)" ? "Text2(5)" : "Text2(2)";
    if (byClick)
        click(elsewhere);
    else
        QTest::keyClick(field(name), Qt::Key_Tab);
    settle();

    QCOMPARE(messages(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        QCOMPARE(m_boxes->seen[0].icon, QMessageBox::Warning);
        QCOMPARE(m_boxes->seen[0].title, QString("TessraProg"));
    }
    if (refused)
        QVERIFY(field(name)->hasFocus());
    else
        QVERIFY(!field(name)->hasFocus());
    QCOMPARE(field(name)->text(), text);
}

void TestFieldEntry::twoRefusedFieldsDoNotThrowTheFocusAround_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QString>("firstMessage"); // none: it only beeps
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("secondText");
    QTest::addColumn<QString>("secondMessage");
    QTest::newRow("two current octets") << "Text1(3)" << "256" << ByteRange << "Text1(5)" << "300" << ByteRange;
    QTest::newRow("current port and a current octet")
        << "Text1(16)" << "0" << PortRange << "Text1(0)" << "999" << ByteRange;
    QTest::newRow("a current and a new octet") << "Text1(3)" << "256" << ByteRange << "Text2(2)" << "300" << "";
    QTest::newRow("two new octets") << "Text2(0)" << "300" << "" << "Text2(1)" << "1.." << "";
}

void TestFieldEntry::twoRefusedFieldsDoNotThrowTheFocusAround()
{
    QFETCH(QString, first);
    QFETCH(QString, firstText);
    QFETCH(QString, firstMessage);
    QFETCH(QString, second);
    QFETCH(QString, secondText);
    QFETCH(QString, secondMessage);
    const auto once = [](const QString &m) { return m.isEmpty() ? QStringList() : QStringList{m}; };
    // Should the focus bounce after all, hiding the window ends it and the
    // checks below tell.
    int focusChanges = 0;
    const QMetaObject::Connection runaway =
        connect(qApp, &QApplication::focusChanged, this, [this, &focusChanges] {
            constexpr int Plenty = 50;
            if (++focusChanges > Plenty)
                m_w->window->hide();
        });
    const auto stopGuard = qScopeGuard([&] { disconnect(runaway); });
    field(first)->setText(firstText);
    field(second)->setText(secondText);
    field(first)->setFocus();
    QTRY_VERIFY(field(first)->hasFocus());
    settle();
    QStringList expected;
    QCOMPARE(messages(), expected);

    // Each attempt to leave the first field shows its message once; the
    // focus comes back without running the second field's check.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        click(second);
        settle();
        settle();
        expected << once(firstMessage);
        QCOMPARE(messages(), expected);
        QVERIFY(field(first)->hasFocus());
    }

    // Corrected, the first field lets the focus go; the second is refused in its turn.
    type(first, "9");
    click(second);
    settle();
    QVERIFY(field(second)->hasFocus());
    QCOMPARE(messages(), expected);
    click(first);
    settle();
    expected << once(secondMessage);
    QCOMPARE(messages(), expected);
    QVERIFY(field(second)->hasFocus());
    QCOMPARE(field(first)->text(), QString("9"));
    QCOMPARE(field(second)->text(), secondText);

    // The rest of the window works once the field passes.
    type(second, "9");
    click("Check2(0)");
    settle();
    QVERIFY(m_w->child<QCheckBox>("Check2(0)")->isChecked());
    QCOMPARE(messages(), expected);
}

void TestFieldEntry::onlyAMoveWithinTheWindowRunsACheck()
{
    type("Text1(3)", "256");
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QCoreApplication::processEvents();
    QCOMPARE(messages(), QStringList());

    m_w->window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_w->window.get()));
    settle();
    QTRY_VERIFY(field("Text1(3)")->hasFocus());
    QCOMPARE(messages(), QStringList());
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
    type("Text1(16)", "0");
    if (closeBox) {
        QVERIFY(m_w->window->windowHandle()->close());
    } else {
        // Between press and release the window handles what the press queued.
        auto *beenden = m_w->child<QPushButton>("cmdBeenden");
        QTest::mousePress(beenden, Qt::LeftButton);
        QCoreApplication::processEvents();
        QTest::mouseRelease(beenden, Qt::LeftButton);
    }
    QCoreApplication::processEvents();
    QVERIFY(!m_w->window->isVisible());
    settle();
    QCOMPARE(messages(), QStringList());
}

TESSRA_TEST(TestFieldEntry)
#include "tst_fieldentry.moc"
