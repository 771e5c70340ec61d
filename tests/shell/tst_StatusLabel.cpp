// The status line looks exactly as a filled label with its colour in the palette, in each state it shows, with the
// same caption on another colour, and again when it comes back to a state it has shown before.

#include "TestMain.h"
#include "shell/StatusLabel.h"

#include <QLabel>
#include <QScreen>
#include <QWidget>

class TestStatusLabel : public QObject
{
    Q_OBJECT

private slots:
    void looksAsAFilledLabel()
    {
        QWidget window;
        // A font of the window's own, which the application's is while its controls are made, as in the tool.
        QFont own = window.font();
        own.setPixelSize(QFontInfo(own).pixelSize() + 7);
        window.setFont(own);
        const QFont applicationFont = QGuiApplication::font();
        QGuiApplication::setFont(own);
        auto *status = new StatusLabel(QStringLiteral("??"), &window);
        auto *filled = new QLabel(QStringLiteral("??"), &window);
        QGuiApplication::setFont(applicationFont);
        filled->setAutoFillBackground(true);
        status->move(10, 10);
        filled->move(10, 60);
        window.resize(300, 110);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const struct
        {
            QString text;
            QColor colour;
        } states[] = {{"swStatusListen", QColor(0, 255, 0)},
                      {"swStatusIdle", QColor(255, 255, 0)},
                      {"swStatusIdle", QColor(255, 0, 255)},
                      {"swStatusListen", QColor(0, 255, 0)}};
        // What the window shows, as it is on the screen once it has painted what changed.
        const auto shown = [&window](QWidget *label) {
            QApplication::processEvents();
            const QRect at = label->geometry();
            return window.screen()->grabWindow(window.winId(), at.x(), at.y(), at.width(), at.height()).toImage();
        };
        for (const auto &state : states) {
            status->setText(state.text);
            status->setBackground(state.colour);
            status->adjustSize();
            filled->setText(state.text);
            QPalette colours = filled->palette();
            colours.setColor(QPalette::Window, state.colour);
            filled->setPalette(colours);
            filled->adjustSize();
            QTRY_COMPARE(shown(status), shown(filled));
        }
    }
};

TESSRA_TEST(TestStatusLabel)
#include "tst_StatusLabel.moc"
