#include "TestMain.h"
#include "WindowHarness.h"

#include "record/HistoryCsv.h"
#include "record/Recording.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QChartView>
#include <QLineSeries>
#include <QMenu>
#include <QTableView>

using namespace WindowHarness;

namespace {

// The thermostat 1/23, eNum 1: output 1 on, input 2 active, 21.5 and -3.0 degrees.
const QByteArray Thermostat = QByteArray::fromHex("FFAA006A12011CFFFE011702052D010200D7801E");
const QByteArray SwitchAck = QByteArray::fromHex("FFAA00030D011CFFFE000001013509");
const QByteArray Weather = QByteArray::fromHex("FFAA00BF167B1CFFFE011E0296310311000C000000801958");

} // namespace

class TestRecordingWindows : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m = std::make_unique<Installation>();
        QVERIFY(m->start());
        recording = m->window->findChild<Recording *>("Recording");
        QVERIFY(recording);
    }
    void cleanup() { m.reset(); }

    void valueRepliesAreRecordedAsTheyCrossTheWire_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("splitAt"); // the rest of the reply follows a pause
        QTest::newRow("a measurement reply to \"Daten Einzelabfrage\"")
            << "GetMesswerte" << Thermostat << "127.0.0.2"
            << "eNum 1 1/23 127.0.0.2,Messwerte,21.5,-3.0,1,0,0,0,0,1,0,0,,,,," << 0;
        QTest::newRow("a switch acknowledgement")
            << "Port1(0)" << SwitchAck << "127.0.0.2" << "eNum 1 0/0 127.0.0.2,Schaltquittung,,,1,0,0,1,,,,,,,,," << 0;
        QTest::newRow("weather data the station sends unasked")
            << "" << Weather << "127.0.0.1" << "eNum 123 1/30 127.0.0.1,Wetterdaten,,,,,,,,,,,3,17,1.2,-2.5,88" << 0;
        // Decoded once without their rest and once whole, they are traced as they came and recorded once.
        QTest::newRow("weather data whose rest follows a pause")
            << "" << Weather << "127.0.0.1" << "eNum 123 1/30 127.0.0.1,Wetterdaten,,,,,,,,,,,3,17,1.2,-2.5,88" << 16;
    }
    void valueRepliesAreRecordedAsTheyCrossTheWire()
    {
        QFETCH(QString, press);
        QFETCH(QByteArray, reply);
        QFETCH(QString, peer);
        QFETCH(QString, row);
        QFETCH(int, splitAt);
        const qsizetype before = recording->trace().size();
        if (press.isEmpty()) {
            m->lan.callTool({reply, 0, false, false, false, false, splitAt});
        } else {
            m->lan.answerNext({reply});
            m->click(press);
        }
        QTRY_COMPARE(recording->history().size(), 1);
        QTRY_VERIFY(m->exchangeEnded());
        QCOMPARE(HistoryCsv(QLocale::c()).row(recording->history().last()).section(',', 1), row);
        // The request that was sent, if any, and the reply, each with the peer it crossed to or from.
        const auto &trace = recording->trace();
        QCOMPARE(trace.size(), before + (press.isEmpty() ? 1 : 2) + (splitAt > 0 ? 1 : 0));
        if (!press.isEmpty()) {
            QCOMPARE(trace.at(before).direction, TraceFrame::Direction::Sent);
            QCOMPARE(trace.at(before).bytes, m->lan.requests.last());
            QCOMPARE(trace.at(before).peer.toString(), peer);
            QCOMPARE(trace.at(before).port, m->port);
        }
        QCOMPARE(trace.last().direction, TraceFrame::Direction::Received);
        QCOMPARE(trace.last().bytes, reply.mid(splitAt));
        if (splitAt > 0)
            QCOMPARE(trace.at(trace.size() - 2).bytes, reply.left(splitAt));
        QCOMPARE(QHostAddress(trace.last().peer.toIPv4Address()).toString(), peer);
    }

    void logMenuCopiesAndSavesTheLines()
    {
        m->lan.answerNext({Thermostat});
        m->click("GetMesswerte");
        QTRY_VERIFY(m->exchangeEnded());
        auto *list = m->child<QListWidget>("List1");
        const auto linesOf = [&](const QList<int> &rows) {
            QString text;
            for (int row : rows)
                text += list->item(row)->text() + '\n';
            return text;
        };
        QList<int> all;
        for (int row = 0; row < list->count(); ++row)
            all << row;

        // Lines 2 and 3 picked with the mouse, copied with Ctrl+C, then through the menu key's "Kopieren".
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          list->visualItemRect(list->item(3)).center());
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), linesOf({2, 3}));
        QGuiApplication::clipboard()->clear();
        chooseInMenu("Kopieren");
        menuKey();
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), linesOf({2, 3}));

        chooseInMenu("Alles kopieren");
        rightClick(list->viewport(), list->visualItemRect(list->item(0)).center());
        QTRY_COMPARE(QGuiApplication::clipboard()->text(), linesOf(all));

        const QString path = m->folder.filePath("Protokoll.txt");
        chooseInMenu("Protokoll speichern...", path);
        rightClick(list->viewport(), list->visualItemRect(list->item(0)).center());
        QTRY_COMPARE(QString::fromUtf8(contentOf(path)), linesOf(all));

        // The user's selection does not hold up the log: the newest line alone is selected when it comes.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        m->click("GetMesswerte");
        QTRY_COMPARE(m->log().value(list->count() - 1), QString("Abfrage Messwerte"));
        QCOMPARE(list->selectedItems(), QList<QListWidgetItem *>{list->item(list->count() - 1)});
        QCOMPARE(list->currentRow(), list->count() - 1);

        // Saved again into the same file, which is replaced once the user agrees.
        QTRY_VERIFY(m->exchangeEnded());
        all.clear();
        for (int row = 0; row < list->count(); ++row)
            all << row;
        chooseInMenu("Protokoll speichern...", path);
        rightClick(list->viewport(), list->visualItemRect(list->item(0)).center());
        QTRY_COMPARE(QString::fromUtf8(contentOf(path)), linesOf(all));
        QCOMPARE(m->boxes.texts(), QStringList{path + " gibt es schon.\nSoll sie ersetzt werden?"});
    }

    void traceAndHistoryWindowsOpenFromTheirMenus()
    {
        chooseInMenu("Rahmenprotokoll anzeigen...");
        rightClick(m->child<QListWidget>("List1")->viewport(), QPoint(20, 10));
        QTRY_VERIFY(m->window->findChild<QWidget *>("TraceWindow")
                    && m->window->findChild<QWidget *>("TraceWindow")->isVisible());
        auto *table = m->window->findChild<QTableView *>("TraceTable");

        chooseInMenu("Messwertverlauf anzeigen...");
        rightClick(m->child("Label12"), QPoint(5, 5));
        QTRY_VERIFY(m->window->findChild<QWidget *>("HistoryWindow"));
        QWidget *history = m->window->findChild<QWidget *>("HistoryWindow");
        QVERIFY(history->isVisible());

        // Recording to a file, started with its button, takes the next reply at once.
        const QString path = m->folder.filePath("Aufzeichnung.csv");
        answerFileDialog(path);
        QTest::mouseClick(history->findChild<QPushButton *>("HistoryRecord"), Qt::LeftButton);
        QTRY_COMPARE(recording->csvRecordingPath(), path);
        m->lan.answerNext({Thermostat});
        m->click("GetMesswerte");
        QTRY_VERIFY(m->exchangeEnded());
        const HistoryCsv csv{QLocale()};
        QCOMPARE(contentOf(path), HistoryCsv::ByteOrderMark + csv.header().toUtf8() + "\r\n"
                                      + csv.row(recording->history().last()).toUtf8() + "\r\n");

        // Both windows followed: the frames are rows, the temperature a point.
        QCOMPARE(table->model()->rowCount(), int(recording->trace().size()));
        QCOMPARE(table->model()->index(table->model()->rowCount() - 1, 4).data().toString(),
                 QString("Messwerte (Code 106), Länge 18, eNum 1, von 1/23, Prüfsumme korrekt"));
        const QList<QAbstractSeries *> series = history->findChild<QChartView *>("HistoryValues")->chart()->series();
        QCOMPARE(series.value(0)->name(), QString("Temperatur 1"));
        // Drawn within half a second of the exchange, not inside it.
        QTRY_COMPARE(qobject_cast<QLineSeries *>(series.value(0))->points(),
                 (QList<QPointF>{{double(recording->history().last().time), 21.5}}));
        // Every value a colour of its own; the channels' steps under the values of their time; no weather scale
        // where no weather was recorded.
        QSet<QRgb> colours;
        for (QAbstractSeries *value : series)
            colours << qobject_cast<QLineSeries *>(value)->pen().color().rgb();
        QCOMPARE(colours.size(), series.size());
        QChart *values = history->findChild<QChartView *>("HistoryValues")->chart();
        QChart *channels = history->findChild<QChartView *>("HistoryChannels")->chart();
        QTRY_VERIFY(qAbs(channels->plotArea().left() - values->plotArea().left()) < 1);
        QTRY_VERIFY(qAbs(channels->plotArea().right() - values->plotArea().right()) < 1);
        QVERIFY(!values->axes(Qt::Vertical).value(1)->isVisible());

        const QString exported = m->folder.filePath("Messwerte.csv");
        answerFileDialog(exported);
        QTest::mouseClick(history->findChild<QPushButton *>("HistoryExport"), Qt::LeftButton);
        QTRY_COMPARE(contentOf(exported), contentOf(path));
    }

    void historyWithoutItsModuleIsExplained()
    {
        QTemporaryDir noModule;
        m->window.reset();
        m->window = std::make_unique<frmMain>(
            frmMain::Platform{QHostAddress::LocalHost, m->folder.path(), QString(), noModule.path()});
        QVERIFY(m->start());
        chooseInMenu("Messwertverlauf anzeigen...");
        rightClick(m->child("Label12"), QPoint(5, 5));
        QTRY_COMPARE(m->boxes.seen.size(), 1);
        QCOMPARE(m->boxes.seen[0].title, QString("TessraProg"));
        QVERIFY(m->boxes.seen[0].text.startsWith("Der Messwertverlauf kann nicht angezeigt werden: "));
        QVERIFY(!m->window->findChild<QWidget *>("HistoryWindow"));
    }

    void menuOrDialogAskedForAsAPollGoesOutHoldsUpNoExchange_data()
    {
        QTest::addColumn<bool>("dialog");
        QTest::newRow("the log's menu") << false;
        QTest::newRow("the history's export dialog") << true;
    }
    void menuOrDialogAskedForAsAPollGoesOutHoldsUpNoExchange()
    {
        // The right-click, or the click on "CSV exportieren...", arrives while the window yields to events in the
        // middle of sending a poll: the poll is answered while the menu or dialog stays open, and the next one too.
        QFETCH(bool, dialog);
        QWidget *target = m->child<QListWidget>("List1")->viewport();
        if (dialog) {
            chooseInMenu("Messwertverlauf anzeigen...");
            rightClick(m->child("Label12"), QPoint(5, 5));
            QTRY_VERIFY(target = m->window->findChild<QPushButton *>("HistoryExport"));
        }
        for (int k = 0; k < 3; ++k)
            m->lan.answerNext({Thermostat, 100});
        auto asked = std::make_shared<QMetaObject::Connection>();
        *asked = connect(recording, &Recording::frameAdded, target, [this, asked, target, dialog] {
            if (recording->trace().last().direction != TraceFrame::Direction::Sent)
                return;
            QObject::disconnect(*asked);
            const QPoint at = dialog ? target->rect().center() : QPoint(20, 10);
            const QPoint global = target->mapToGlobal(at);
            if (!dialog) {
                QCoreApplication::postEvent(target, new QContextMenuEvent(QContextMenuEvent::Mouse, at, global));
                return;
            }
            for (const auto &[type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                               std::pair{QEvent::MouseButtonRelease, Qt::NoButton}})
                QCoreApplication::postEvent(target, new QMouseEvent(type, at, global, Qt::LeftButton, buttons, {}));
        });
        bool answeredWhileOpen = false;
        QElapsedTimer since;
        since.start();
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            QWidget *open = QApplication::activePopupWidget();
            auto *fileDialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!open && !fileDialog)
                return;
            answeredWhileOpen = !recording->history().isEmpty();
            // Closed once the answer is in, or when it is clearly not coming.
            if (answeredWhileOpen || since.hasExpired(8000)) {
                if (fileDialog)
                    fileDialog->reject();
                else
                    QTest::keyClick(open, Qt::Key_Escape);
            }
        });
        watch.start(10);
        m->click("MesswerteLoop");
        QTRY_COMPARE_WITH_TIMEOUT(recording->history().size(), 2, 15000);
        QVERIFY(answeredWhileOpen);
        QCOMPARE(m->log(), (QStringList{ListenOn, "Loop-Abfrage Messwerte"}));
    }

private:
    // Once a menu pops up, clicks its entry; a file dialog that entry opens is given the path.
    void chooseInMenu(const QString &entry, const QString &path = QString())
    {
        auto *watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [=, this] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu)
                return;
            watch->deleteLater();
            watch->stop();
            if (!path.isEmpty())
                answerFileDialog(path);
            for (QAction *action : menu->actions())
                if (action->text() == entry)
                    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        });
        watch->start(10);
    }
    void answerFileDialog(const QString &path)
    {
        auto *watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [=] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            watch->deleteLater();
            watch->stop();
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        watch->start(10);
    }
    // Through the window, as the platform delivers it, so that the click asks for the widget's menu.
    void rightClick(QWidget *widget, QPoint at) const
    {
        QTest::mouseClick(m->window->windowHandle(), Qt::RightButton, {}, widget->mapTo(m->window.get(), at));
    }
    // What the platform makes of the keyboard's menu key: a request for the menu of the widget with the focus.
    static void menuKey()
    {
        QWidget *focus = QApplication::focusWidget();
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(), focus->mapToGlobal(QPoint()));
        QApplication::sendEvent(focus, &request);
    }

    std::unique_ptr<Installation> m;
    Recording *recording = nullptr;
};

TESSRA_TEST(TestRecordingWindows)
#include "tst_RecordingWindows.moc"
