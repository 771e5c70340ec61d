// Switching the target kind in the real window, and the input captions.

#include "TestMain.h"
#include "WindowHarness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace WindowHarness;

class TestTargetLayout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void funkShowsTheRadioFramesAndLocksLanFunctions();
    void lanAgainRestoresTheLanView();
    void switchingMatchesDependentFieldsToTheirBoxes();
    void inputCaptionsSitCentredInTheirIndicators();

private:
    void choose(int index);

    std::unique_ptr<MessageBoxWatcher> m_boxes;
    std::unique_ptr<Window> m_w;
};

void TestTargetLayout::init()
{
    m_boxes = std::make_unique<MessageBoxWatcher>();
    m_w = std::make_unique<Window>(Window::settingsWithPort(freeLoopbackPort()));
    QVERIFY(m_w->showAndActivate());
}

void TestTargetLayout::cleanup()
{
    m_w.reset();
    m_boxes.reset();
}

void TestTargetLayout::choose(int index)
{
    auto *combo = m_w->child<QComboBox>("Combo1");
    combo->setFocus();
    while (combo->currentIndex() < index)
        QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > index)
        QTest::keyClick(combo, Qt::Key_Up);
    QCOMPARE(combo->currentIndex(), index);
}

void TestTargetLayout::funkShowsTheRadioFramesAndLocksLanFunctions()
{
    choose(1);
    const auto visible = [this](const char *name) { return m_w->child<QWidget>(name)->isVisible(); };
    QVERIFY(!visible("Frame1") && !visible("Frame2"));
    QVERIFY(visible("Frame7") && visible("Frame8"));
    QVERIFY(!m_w->child<QGroupBox>("Frame4")->isEnabled());
    QVERIFY(!m_w->child<QPushButton>("SinglePing")->isEnabled());
    QVERIFY(!m_w->child<QPushButton>("Command1")->isEnabled());
    for (int i = 0; i < 4; ++i)
        QVERIFY(!m_w->child<QPushButton>(QString("AutoSend(%1)").arg(i))->isEnabled());
    // What serves both kinds stays.
    QVERIFY(m_w->child<QGroupBox>("fraControl")->isEnabled());
    QVERIFY(m_w->child<QPushButton>("Port1(0)")->isEnabled());
    QVERIFY(visible("Frame6") && visible("List1"));
}

void TestTargetLayout::lanAgainRestoresTheLanView()
{
    choose(1);
    choose(0);
    const auto visible = [this](const char *name) { return m_w->child<QWidget>(name)->isVisible(); };
    QVERIFY(visible("Frame1") && visible("Frame2") && visible("List2") && visible("Label11"));
    QVERIFY(!visible("Frame7") && !visible("Frame8"));
    QVERIFY(m_w->child<QGroupBox>("Frame4")->isEnabled());
    for (int i = 0; i < 4; ++i)
        QVERIFY(m_w->child<QPushButton>(QString("AutoSend(%1)").arg(i))->isEnabled());
}

void TestTargetLayout::switchingMatchesDependentFieldsToTheirBoxes()
{
    // At start the LAN switch has run: with "AutoTx InChg" and "T-Diff-Regler"
    // unticked, "AutoTxRepeat" and the new LAN T-Diff fields are locked.
    QVERIFY(!m_w->child<QCheckBox>("Check2(4)")->isEnabled());
    QVERIFY(!m_w->child<QLineEdit>("Text2(18)")->isEnabled());
    QVERIFY(!m_w->child<QLineEdit>("Text2(19)")->isEnabled());
    // The radio switch locks the radio T-Diff fields while "T-Diff Regler" is unticked.
    QVERIFY(m_w->child<QLineEdit>("Text5(4)")->isEnabled());
    choose(1);
    QVERIFY(!m_w->child<QLineEdit>("Text5(4)")->isEnabled());
    QVERIFY(!m_w->child<QLineEdit>("Text5(5)")->isEnabled());
}

void TestTargetLayout::inputCaptionsSitCentredInTheirIndicators()
{
    for (int i = 0; i < 4; ++i) {
        auto *shape = m_w->child<QWidget>(QString("Shape1(%1)").arg(i));
        auto *label = m_w->child<QLabel>(QString("Label13(%1)").arg(i));
        const int shapeCentre = shape->x() * 2 + shape->width();
        const int labelCentre = label->x() * 2 + label->width();
        QVERIFY2(qAbs(shapeCentre - labelCentre) <= 2, qPrintable(QString::number(labelCentre - shapeCentre)));
        // 80 twips below the indicator's top edge, and inside it.
        QVERIFY(qAbs(label->y() * 15 - (shape->y() * 15 + 80)) <= 8);
        QVERIFY(shape->geometry().contains(QRect(label->pos(), QSize(label->sizeHint().width(), 1))));
    }
}

TESSRA_TEST(TestTargetLayout)
#include "tst_targetlayout.moc"
