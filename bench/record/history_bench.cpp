// What the recording costs:
//  1. one polling exchange on loopback, from the polling pass to the tool listening again with every pending event
//     (the history window's repaint among them) handled, with the history window closed and open (an hour of
//     records in it), in alternating blocks;
//  2. the redraw of a history of 30,000 measurement records: a repaint as it is, and a pan followed by a repaint;
//  3. the heap taken per trace frame and per history record, filled to their bounds.
//   history_bench [exchanges]

#include "record/Recording.h"
#include "recordview/HistoryWindow.h"
#include "shell/frmMain.h"

#include "LoopbackDevice.h"
#include "FreePort.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

constexpr int RequestBytes = 14;
// A thermostat's measurement values: output 1, input 2, 21.5 and -3.0 degrees.
const QByteArray Reply = QByteArray::fromHex("FFAA006A12011CFFFE011702052D010200D7801E");
constexpr qint64 PollingMs = 3000;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Measurement records a polling pass apart, temperatures drifting, output 1 switching now and then.
void fill(Recording &recording, int records, qint64 start)
{
    QByteArray reply = Reply;
    for (int k = 0; k < records; ++k) {
        reply[15] = char((k / 40) % 2);
        reply[18] = char(0xC0 + (k / 7) % 40);
        recording.replyDecoded(start + k * PollingMs, QHostAddress::LocalHost, reply);
    }
}

size_t heapInUse()
{
    // Small blocks, and the large ones that malloc maps for themselves.
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(40, std::atoi(argv[1])) : 400;

    // 3. Memory, first, on a heap that nothing else has grown yet.
    {
        QByteArray request = QByteArray::fromHex("FFAA00CE0C011CFFFEFFFE0101F3");
        const size_t empty = heapInUse();
        Recording recording;
        for (qsizetype k = 0; k < Recording::TraceCapacity; ++k) {
            // Each frame as it comes off the socket: bytes of its own.
            if (k % 2)
                recording.bytesReceived(k, QHostAddress::LocalHost, 5000, QByteArray(Reply.constData(), Reply.size()));
            else
                recording.frameSent(k, QHostAddress::LocalHost, 5000, QByteArray(request.constData(), request.size()));
        }
        const size_t traced = heapInUse();
        fill(recording, int(Recording::HistoryCapacity), 0);
        const size_t recorded = heapInUse();
        std::printf("memory: trace %lld frames %.0f bytes each (%.2f MiB), history %lld records %.0f bytes each "
                    "(%.2f MiB)\n",
                    qlonglong(Recording::TraceCapacity), double(traced - empty) / double(Recording::TraceCapacity),
                    double(traced - empty) / (1 << 20), qlonglong(Recording::HistoryCapacity),
                    double(recorded - traced) / double(Recording::HistoryCapacity), double(recorded - traced) / (1 << 20));
    }

    // 2. Redrawing 30,000 records.
    {
        constexpr int Points = 30'000;
        constexpr int Redraws = 30;
        Recording recording;
        fill(recording, Points, QDateTime::currentMSecsSinceEpoch() - Points * PollingMs);
        HistoryWindow window(recording);
        window.resize(1000, 700);
        window.show();
        QWidget *chart = window.findChild<QWidget *>(QStringLiteral("HistoryValues"));
        window.grab();
        std::vector<double> repaint, pan;
        QElapsedTimer clock;
        for (int k = 0; k < Redraws; ++k) {
            clock.start();
            window.grab();
            repaint.push_back(clock.nsecsElapsed() / 1e6);
            QKeyEvent right(QEvent::KeyPress, k % 2 ? Qt::Key_Left : Qt::Key_Right, Qt::NoModifier);
            clock.start();
            QApplication::sendEvent(chart, &right);
            window.grab();
            pan.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::printf("plot of %d records (2 temperature lines, 8 channel step lines), 1000x700: repaint median %.2f ms, "
                    "pan and repaint median %.2f ms\n",
                    Points, median(repaint), median(pan));
    }

    // 1. Polling exchanges with the history window closed and open.
    const quint16 port = freeLoopbackPort();
    const char *deviceAddress = "127.0.0.2";
    LoopbackDevice device(deviceAddress, port, RequestBytes, Reply);
    if (!device.ok()) {
        std::fprintf(stderr, "the device cannot listen on %s:%u\n", deviceAddress, port);
        return 1;
    }
    QTemporaryDir folder;
    if (!writeDeviceSettings(folder.path(), port))
        return 1;

    frmMain window({QHostAddress::LocalHost, folder.path(), QString(), QString()});
    window.show();
    auto *recording = window.findChild<Recording *>(QStringLiteral("Recording"));
    auto *controls = window.findChild<QGroupBox *>(QStringLiteral("fraControl"));
    auto *timer3 = window.findChild<QTimer *>(QStringLiteral("Timer3"));
    if (!QTest::qWaitFor([&] { return window.Listening; }, 5000) || !recording || !timer3) {
        std::fprintf(stderr, "the tool does not listen\n");
        return 1;
    }
    // An hour of polling in the history before the window opens.
    fill(*recording, 1200, QDateTime::currentMSecsSinceEpoch() - 1200 * PollingMs);
    HistoryWindow *history = nullptr;

    const auto pass = [&]() -> double {
        const qsizetype before = recording->history().size();
        QElapsedTimer clock;
        clock.start();
        window.PollMeasurements();
        // The next pass comes from here, not from the 3 s timer.
        timer3->stop();
        while (!(recording->history().size() > before && window.Listening && controls->isEnabled())) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (clock.elapsed() > 5000)
                return -1;
        }
        // What the reply left to paint.
        for (int k = 0; k < 3; ++k)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        return clock.nsecsElapsed() / 1e6;
    };
    std::vector<double> closed, open;
    int failed = 0;
    constexpr int Block = 20;
    for (int block = 0; block < exchanges / Block; ++block) {
        const bool showing = block % 2;
        if (showing && !history) {
            history = new HistoryWindow(*recording);
            history->resize(1000, 700);
            history->show();
        } else if (!showing && history) {
            delete history;
            history = nullptr;
        }
        for (int k = 0; k < Block; ++k) {
            const double ms = pass();
            if (ms >= 0) {
                (showing ? open : closed).push_back(ms);
                continue;
            }
            // An exchange that its reply time-out ended records nothing: it is left out and counted.
            ++failed;
            if (failed > exchanges / 10 || !QTest::qWaitFor([&] { return window.Listening && controls->isEnabled(); }, 5000)) {
                std::fprintf(stderr, "%d polling exchanges did not end\n", failed);
                return 1;
            }
        }
    }
    delete history;
    const double c = median(closed), o = median(open);
    std::printf("polling exchange, %zu and %zu: history window closed median %.3f ms, open median %.3f ms (%+.1f %%)\n",
                closed.size(), open.size(), c, o, (o - c) / c * 100);
    if (failed > 0)
        std::printf("(%d exchanges ended without a reply and are left out)\n", failed);
    return 0;
}
