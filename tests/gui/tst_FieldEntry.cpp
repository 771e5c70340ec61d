// Typing into the LAN parameter fields and leaving them, in the real window. Which key and which value does what is the
// field tables' business; here, that the window obeys them.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QScopeGuard>

using namespace WindowHarness;

class TestFieldEntry : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
        QVERIFY(m_w->showAndActivate());
        settle();
        qApp->installEventFilter(this);
    }
    void cleanup()
    {
        qApp->removeEventFilter(this);
        m_w.reset();
    }
    void keysAreFilteredAndMoveTheFocus()
    {
        // Typed into a field, then a key pressed: the text the field keeps, and where the focus is.
        const auto typed = [this](const QString &field, const QString &keys, Qt::Key key) {
            m_w->type(field, keys);
            QTest::keyClick(m_w->child(field), key);
            settle();
            return m_w->text(field) + " -> " + QApplication::focusWidget()->objectName();
        };
        // A new field: ',' is '.', letters and minus are swallowed; Esc goes up.
        QCOMPARE(typed("Text2(17)", "1,5-a", Qt::Key_Escape), QString("1.5 -> Text2(16)"));
        // A current octet is filtered too; Return goes down, Tab from the last octet on to the port.
        QCOMPARE(typed("Text1(0)", "x2-5", Qt::Key_Return), QString("25 -> Text1(1)"));
        QCOMPARE(typed("Text1(15)", "7", Qt::Key_Tab), QString("7 -> Text1(16)"));
    }
    void twoRefusedFieldsDoNotThrowTheFocusAround_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QStringList>("firstSays"); // nothing: it only beeps
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("secondSays");
        const QStringList byte = {"Wert muss zwischen 0 und 255 liegen"},
                          port = {"Wert muss zwischen 1 und 32000 liegen!"};
        QTest::newRow("current port and a current octet") << "Text1(16)" << port << "Text1(0)" << byte;
        QTest::newRow("two new octets") << "Text2(0)" << QStringList() << "Text2(1)" << QStringList();
    }
    void twoRefusedFieldsDoNotThrowTheFocusAround()
    {
        QFETCH(QString, first);
        QFETCH(QStringList, firstSays);
        QFETCH(QString, second);
        QFETCH(QStringList, secondSays);
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
        // Leaving the first field shows its message once; the focus comes back without running the second field's
        // check.
        m_w->click(second);
        settle();
        settle();
        QCOMPARE(m_w->boxes.texts(), firstSays);
        QVERIFY(hasFocus(first));
        // Corrected, the first field lets the focus go; the second is refused in its turn.
        m_w->type(first, "9");
        m_w->click(second);
        settle();
        QVERIFY(hasFocus(second));
        m_w->click(first);
        settle();
        QCOMPARE(m_w->boxes.texts(), firstSays + secondSays);
        QVERIFY(hasFocus(second));
        for (const MessageBoxWatcher::Seen &box : m_w->boxes.seen)
            QVERIFY(box.icon == QMessageBox::Warning && box.title == "TessraProg");
    }
    void onlyAMoveWithinTheWindowRunsACheck()
    {
        // Neither a switch to another window and back nor the quit button is a move within the window.
        m_w->type("Text1(3)", "256");
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        settle();
        QTRY_VERIFY(hasFocus("Text1(3)"));
        // Between press and release the window handles what the press queued.
        QTest::mousePress(m_w->child("cmdBeenden"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QTest::mouseRelease(m_w->child("cmdBeenden"), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!m_w->window->isVisible());
        settle();
        QVERIFY(m_w->boxes.seen.isEmpty());
    }

protected:
    // As a desktop does, gives the activation back to the window the moment a message box closes, before the check that
    // showed it goes on; the offscreen platform does so late or not at all.
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

TESSRA_TEST(TestFieldEntry)
#include "tst_FieldEntry.moc"
