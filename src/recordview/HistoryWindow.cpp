#include "recordview/HistoryWindow.h"

#include "record/HistoryCsv.h"
#include "record/Recording.h"
#include "recordview/SaveAsk.h"
#include "recordview/TimeChartView.h"

#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>

namespace {

using Protocol::ChannelCount;

// A single record is shown with this much time around it, in milliseconds.
constexpr double LoneRecordSpan = 60'000;
// Channel lanes: each state line moves by one between off and on, the lanes this far apart.
constexpr double LaneHeight = 1.5;
constexpr double LaneLabelOffset = 0.5;
// New records are drawn together at most this often, never inside the exchange that brought them.
constexpr int NewRecordsDelayMs = 500;
constexpr int MinimumBuckets = 100;
constexpr QColor OutputColour(0xC0, 0x39, 0x2B);
constexpr QColor InputColour(0x24, 0x71, 0xA3);

// The points of a line between two times, at most two a bucket (its lowest and highest, in their order), with one
// point either side so that the line runs to the edges.
QList<QPointF> thinned(const QList<QPointF> &all, double from, double to, int buckets)
{
    const auto byTime = [](const QPointF &p, double x) { return p.x() < x; };
    qsizetype first = std::lower_bound(all.cbegin(), all.cend(), from, byTime) - all.cbegin();
    qsizetype last = std::lower_bound(all.cbegin(), all.cend(), to, byTime) - all.cbegin();
    first = std::max<qsizetype>(first - 1, 0);
    last = std::min<qsizetype>(last + 1, all.size());
    if (last - first <= 2 * buckets)
        return all.mid(first, last - first);
    QList<QPointF> points;
    points.reserve(2 * buckets + 2);
    const double width = (to - from) / buckets;
    qsizetype k = first;
    while (k < last) {
        const double end =
            all[k].x() < from || width <= 0 ? from : from + (std::floor((all[k].x() - from) / width) + 1) * width;
        qsizetype low = k, high = k;
        for (; k < last && (all[k].x() < end || k == low); ++k) {
            low = all[k].y() < all[low].y() ? k : low;
            high = all[k].y() > all[high].y() ? k : high;
        }
        points << all[std::min(low, high)];
        if (low != high)
            points << all[std::max(low, high)];
    }
    return points;
}

QString valueName(int value)
{
    static const QStringList Names{QStringLiteral("Temperatur 1"), QStringLiteral("Temperatur 2"),
                                   QStringLiteral("Außentemperatur"), QStringLiteral("Wind (km/h)"),
                                   QStringLiteral("Wind max (km/h)"), QStringLiteral("Regen (l/m²)"),
                                   QStringLiteral("Licht")};
    return Names.value(value);
}

// The chart theme has five colours; seven values and two kinds of lane need their own, or two lines share one.
QColor valueColour(int value)
{
    static const QList<QColor> Colours{QColor(0xD6, 0x27, 0x28), QColor(0xFF, 0x7F, 0x0E), QColor(0x1F, 0x77, 0xB4),
                                       QColor(0x2C, 0xA0, 0x2C), QColor(0x8C, 0x56, 0x4B), QColor(0x17, 0xBE, 0xCF),
                                       QColor(0xBC, 0xBD, 0x22)};
    return Colours.value(value);
}

QString laneName(int lane)
{
    return lane < ChannelCount ? QStringLiteral("Ausgang %1").arg(lane + 1)
                               : QStringLiteral("Eingang %1").arg(lane - ChannelCount + 1);
}

// Outputs at the top; lane 0 is Ausgang 1.
double laneBase(int lane)
{
    return (2 * ChannelCount - 1 - lane) * LaneHeight;
}

// A state line stays level until the state changes, then steps.
void step(QList<QPointF> &line, double x, double y)
{
    if (!line.isEmpty() && line.last().y() != y)
        line << QPointF(x, line.last().y());
    line << QPointF(x, y);
}

QDateTimeAxis *timeAxis(QChart *chart)
{
    auto *axis = new QDateTimeAxis(chart);
    axis->setFormat(QStringLiteral("HH:mm:ss"));
    axis->setTickCount(7);
    chart->addAxis(axis, Qt::AlignBottom);
    return axis;
}

} // namespace

HistoryWindow::HistoryWindow(Recording &recording, QWidget *parent)
    : QWidget(parent, Qt::Window), m_recording(recording)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("Messwertverlauf"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1000, 700);

    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("HistoryDevice"));
    m_device->setAccessibleName(QStringLiteral("Gerät"));
    m_device->addItem(QStringLiteral("Alle Geräte"));
    m_live = new QCheckBox(QStringLiteral("Live folgen"), this);
    m_live->setObjectName(QStringLiteral("HistoryLive"));
    m_live->setChecked(true);
    auto *whole = new QPushButton(QStringLiteral("Ganzer Zeitraum"), this);
    auto *exportButton = new QPushButton(QStringLiteral("CSV exportieren..."), this);
    exportButton->setObjectName(QStringLiteral("HistoryExport"));
    m_record = new QPushButton(this);
    m_record->setObjectName(QStringLiteral("HistoryRecord"));
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("HistoryState"));

    auto *bar = new QHBoxLayout;
    auto *deviceLabel = new QLabel(QStringLiteral("Gerät:"), this);
    deviceLabel->setBuddy(m_device);
    bar->addWidget(deviceLabel);
    bar->addWidget(m_device, 1);
    bar->addWidget(m_live);
    bar->addWidget(whole);
    bar->addWidget(exportButton);
    bar->addWidget(m_record);

    createCharts();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_valueView, 3);
    layout->addWidget(m_channelView, 2);
    layout->addWidget(m_state);

    connect(m_device, &QComboBox::currentIndexChanged, this, &HistoryWindow::rebuild);
    connect(m_live, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            showWholeTime();
    });
    connect(whole, &QPushButton::clicked, this, [this] { m_live->setChecked(true); showWholeTime(); });
    connect(exportButton, &QPushButton::clicked, this, &HistoryWindow::exportAs);
    connect(m_record, &QPushButton::clicked, this, &HistoryWindow::toggleCsvRecording);
    m_newRecords = new QTimer(this);
    m_newRecords->setSingleShot(true);
    m_newRecords->setInterval(NewRecordsDelayMs);
    connect(m_newRecords, &QTimer::timeout, this, &HistoryWindow::showNewRecords);
    connect(&m_recording, &Recording::recordAdded, this, &HistoryWindow::recordAdded);
    connect(&m_recording, &Recording::csvRecordingStopped, this, &HistoryWindow::csvRecordingStopped);
    for (TimeChartView *view : {m_valueView, m_channelView}) {
        connect(view, &TimeChartView::zoomRequested, this, &HistoryWindow::zoom);
        connect(view, &TimeChartView::panRequested, this, &HistoryWindow::pan);
        connect(view, &TimeChartView::wholeTimeRequested, whole, &QPushButton::click);
    }

    const auto &history = m_recording.history();
    for (qsizetype k = 0; k < history.size(); ++k)
        addSource(history.at(k));
    rebuild();
    showRecordingState();
}

void HistoryWindow::createCharts()
{
    m_valueChart = new QChart;
    m_valueChart->setTitle(QStringLiteral("Messwerte"));
    m_valueTime = timeAxis(m_valueChart);
    m_degrees = new QValueAxis(m_valueChart);
    m_degrees->setTitleText(QStringLiteral("°C"));
    m_valueChart->addAxis(m_degrees, Qt::AlignLeft);
    m_weather = new QValueAxis(m_valueChart);
    m_weather->setTitleText(QStringLiteral("km/h, l/m², Licht"));
    m_valueChart->addAxis(m_weather, Qt::AlignRight);
    for (int v = 0; v < ValueCount; ++v) {
        auto *series = new QLineSeries(m_valueChart);
        series->setName(valueName(v));
        series->setPen(QPen(valueColour(v), 2));
        m_valueChart->addSeries(series);
        series->attachAxis(m_valueTime);
        series->attachAxis(v <= Outside ? m_degrees : m_weather);
        m_values[std::size_t(v)] = series;
    }

    m_channelChart = new QChart;
    m_channelChart->setTitle(QStringLiteral("Kanäle"));
    m_channelChart->legend()->hide();
    m_channelTime = timeAxis(m_channelChart);
    auto *lanesAxis = new QCategoryAxis(m_channelChart);
    lanesAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int lane = 2 * ChannelCount - 1; lane >= 0; --lane)
        lanesAxis->append(laneName(lane), laneBase(lane) + LaneLabelOffset);
    lanesAxis->setRange(-LaneHeight / 2, laneBase(0) + 1 + LaneHeight / 2);
    lanesAxis->setGridLineVisible(false);
    m_channelChart->addAxis(lanesAxis, Qt::AlignLeft);
    for (int lane = 0; lane < ChannelLanes; ++lane) {
        auto *series = new QLineSeries(m_channelChart);
        series->setName(laneName(lane));
        series->setPen(QPen(lane < ChannelCount ? OutputColour : InputColour, 2));
        m_channelChart->addSeries(series);
        series->attachAxis(m_channelTime);
        series->attachAxis(lanesAxis);
        m_lanes[std::size_t(lane)] = series;
    }

    m_valueMargins = m_valueChart->margins();
    m_channelMargins = m_channelChart->margins();
    connect(m_valueChart, &QChart::plotAreaChanged, this, &HistoryWindow::alignPlots);
    connect(m_channelChart, &QChart::plotAreaChanged, this, &HistoryWindow::alignPlots);

    m_valueView = new TimeChartView(m_valueChart, this);
    m_valueView->setObjectName(QStringLiteral("HistoryValues"));
    m_valueView->setAccessibleName(QStringLiteral("Messwerte"));
    m_channelView = new TimeChartView(m_channelChart, this);
    m_channelView->setObjectName(QStringLiteral("HistoryChannels"));
    m_channelView->setAccessibleName(QStringLiteral("Kanäle"));
}

// A step of a channel lies under the values of its time: both plots span the same pixels across, whatever room
// their axes' labels take.
void HistoryWindow::alignPlots()
{
    const QRectF values = m_valueChart->plotArea();
    const QRectF lanes = m_channelChart->plotArea();
    if (values.isEmpty() || lanes.isEmpty())
        return;
    // Where each plot would start and end with the chart's own margins alone.
    const int extraValueLeft = m_valueChart->margins().left() - m_valueMargins.left();
    const int extraValueRight = m_valueChart->margins().right() - m_valueMargins.right();
    const int extraLaneLeft = m_channelChart->margins().left() - m_channelMargins.left();
    const int extraLaneRight = m_channelChart->margins().right() - m_channelMargins.right();
    const int valueLeft = qRound(values.left()) - extraValueLeft;
    const int laneLeft = qRound(lanes.left()) - extraLaneLeft;
    const int valueRight = qRound(m_valueChart->size().width() - values.right()) - extraValueRight;
    const int laneRight = qRound(m_channelChart->size().width() - lanes.right()) - extraLaneRight;
    const int left = std::max(valueLeft, laneLeft);
    const int right = std::max(valueRight, laneRight);
    const auto apply = [](QChart *chart, QMargins margins, int extraLeft, int extraRight) {
        margins.setLeft(margins.left() + extraLeft);
        margins.setRight(margins.right() + extraRight);
        if (chart->margins() != margins)
            chart->setMargins(margins);
    };
    apply(m_valueChart, m_valueMargins, left - valueLeft, right - valueRight);
    apply(m_channelChart, m_channelMargins, left - laneLeft, right - laneRight);
}

bool HistoryWindow::shown(const HistoryRecord &record) const
{
    return m_device->currentIndex() <= 0 || m_device->currentText() == record.source();
}

void HistoryWindow::addSource(const HistoryRecord &record)
{
    const QString source = record.source();
    if (m_device->findText(source) < 0)
        m_device->addItem(source);
}

void HistoryWindow::append(const HistoryRecord &record)
{
    const double x = double(record.time);
    const auto states = [&](int firstLane, quint8 bits) {
        for (int n = 1; n <= ChannelCount; ++n) {
            const int lane = firstLane + n - 1;
            step(m_laneData[std::size_t(lane)], x, laneBase(lane) + (HistoryValues::channelOn(bits, n) ? 1 : 0));
        }
    };
    std::visit(
        [&](const auto &v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, Protocol::MeasurementValues>) {
                m_valueData[Temperature1] << QPointF(x, HistoryValues::degrees(v.temperature1));
                m_valueData[Temperature2] << QPointF(x, HistoryValues::degrees(v.temperature2));
                states(0, v.outputs);
                states(ChannelCount, v.inputs);
            } else if constexpr (std::is_same_v<V, Protocol::SwitchAcknowledged>) {
                states(0, v.outputs);
            } else {
                constexpr double TenthsPerLitre = 10.0;
                m_valueData[Outside] << QPointF(x, HistoryValues::degrees(v.outside));
                m_valueData[Wind] << QPointF(x, v.windSpeed);
                m_valueData[WindMax] << QPointF(x, v.windSpeedMax);
                m_valueData[Rain] << QPointF(x, v.rain / TenthsPerLitre);
                m_valueData[Light] << QPointF(x, v.light);
            }
        },
        record.values);
    m_first = m_first == 0 ? x : m_first;
    m_last = x;
}

void HistoryWindow::rebuild()
{
    m_newRecords->stop();
    m_unshown = 0;
    m_historyMoved = false;
    for (QList<QPointF> &line : m_valueData)
        line.clear();
    for (QList<QPointF> &line : m_laneData)
        line.clear();
    m_first = m_last = 0;
    const auto &history = m_recording.history();
    for (qsizetype k = 0; k < history.size(); ++k)
        if (shown(history.at(k)))
            append(history.at(k));
    fitValueAxes();
    if (m_live->isChecked())
        showWholeTime();
    else
        showTime(double(m_valueTime->min().toMSecsSinceEpoch()), double(m_valueTime->max().toMSecsSinceEpoch()));
}

void HistoryWindow::recordAdded(bool oldestDropped)
{
    addSource(m_recording.history().last());
    ++m_unshown;
    m_historyMoved = m_historyMoved || oldestDropped;
    if (!m_newRecords->isActive())
        m_newRecords->start();
}

void HistoryWindow::showNewRecords()
{
    // The oldest records are gone from the history: the lines start afresh.
    if (m_historyMoved)
        return rebuild();
    const auto &history = m_recording.history();
    for (qsizetype k = std::max<qsizetype>(history.size() - m_unshown, 0); k < history.size(); ++k)
        if (shown(history.at(k)))
            append(history.at(k));
    m_unshown = 0;
    fitValueAxes();
    if (m_live->isChecked())
        showWholeTime();
    else
        showTime(double(m_valueTime->min().toMSecsSinceEpoch()), double(m_valueTime->max().toMSecsSinceEpoch()));
}

void HistoryWindow::fitValueAxes()
{
    const auto fit = [this](QValueAxis *axis, int from, int to) {
        double low = 0, high = 0;
        bool any = false;
        for (int v = from; v <= to; ++v) {
            QLineSeries *series = m_values[std::size_t(v)];
            const bool has = !m_valueData[std::size_t(v)].isEmpty();
            // Only the values a device sent are in the legend.
            for (QLegendMarker *marker : m_valueChart->legend()->markers(series))
                marker->setVisible(has);
            for (const QPointF &p : m_valueData[std::size_t(v)]) {
                low = any ? std::min(low, p.y()) : p.y();
                high = any ? std::max(high, p.y()) : p.y();
                any = true;
            }
        }
        // An axis without a value to show would show a scale of nothing.
        axis->setVisible(any);
        axis->setRange(std::floor(low) - 1, std::ceil(high) + 1);
        axis->applyNiceNumbers();
    };
    fit(m_degrees, Temperature1, Outside);
    fit(m_weather, Wind, Light);
}

void HistoryWindow::showTime(double from, double to)
{
    for (QDateTimeAxis *axis : {m_valueTime, m_channelTime})
        axis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(from)), QDateTime::fromMSecsSinceEpoch(qint64(to)));
    // A line of more points than pixels across draws no more than two a pixel column shows.
    const int buckets = std::max(MinimumBuckets, int(m_valueChart->plotArea().width()));
    for (int v = 0; v < ValueCount; ++v)
        m_values[std::size_t(v)]->replace(thinned(m_valueData[std::size_t(v)], from, to, buckets));
    for (int lane = 0; lane < ChannelLanes; ++lane)
        m_lanes[std::size_t(lane)]->replace(thinned(m_laneData[std::size_t(lane)], from, to, buckets));
}

void HistoryWindow::showWholeTime()
{
    if (m_last - m_first < LoneRecordSpan)
        showTime(m_last - LoneRecordSpan, m_last + LoneRecordSpan / 2);
    else
        showTime(m_first, m_last);
}

void HistoryWindow::zoom(double factor, double at)
{
    m_live->setChecked(false);
    const double from = double(m_valueTime->min().toMSecsSinceEpoch());
    const double to = double(m_valueTime->max().toMSecsSinceEpoch());
    const double anchor = from + at * (to - from);
    showTime(anchor - (anchor - from) * factor, anchor + (to - anchor) * factor);
}

void HistoryWindow::pan(double fraction)
{
    m_live->setChecked(false);
    const double from = double(m_valueTime->min().toMSecsSinceEpoch());
    const double to = double(m_valueTime->max().toMSecsSinceEpoch());
    const double by = fraction * (to - from);
    showTime(from + by, to + by);
}

QString HistoryWindow::exportCsv(const Recording &recording, const QString &path, const QLocale &locale)
{
    const HistoryCsv csv(locale);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(HistoryCsv::ByteOrderMark);
    file.write(csv.header().toUtf8() + "\r\n");
    const auto &history = recording.history();
    for (qsizetype k = 0; k < history.size(); ++k)
        file.write(csv.row(history.at(k)).toUtf8() + "\r\n");
    return file.commit() ? QString() : file.errorString();
}

void HistoryWindow::exportAs()
{
    SaveAsk::path(this, QStringLiteral("Messwerte als CSV exportieren"), QStringLiteral("Messwerte.csv"),
                  QStringLiteral("CSV (*.csv)"), [this](const QString &path) {
                      if (const QString error = exportCsv(m_recording, path, QLocale()); !error.isEmpty())
                          SaveAsk::failure(this, windowTitle(), QStringLiteral("Export fehlgeschlagen: %1").arg(error));
                  });
}

void HistoryWindow::toggleCsvRecording()
{
    if (!m_recording.csvRecordingPath().isEmpty()) {
        m_recording.stopCsvRecording();
        return;
    }
    // A file that exists already is continued.
    SaveAsk::path(
        this, QStringLiteral("Aufzeichnung in CSV-Datei"), QStringLiteral("Aufzeichnung.csv"),
        QStringLiteral("CSV (*.csv)"),
        [this](const QString &path) {
            if (!m_recording.csvRecordingPath().isEmpty())
                return;
            if (!m_recording.startCsvRecording(path, QLocale()))
                SaveAsk::failure(this, windowTitle(),
                                 QStringLiteral("Aufzeichnung nicht möglich: %1").arg(m_recording.error()));
            showRecordingState();
        },
        SaveAsk::Existing::Append);
}

void HistoryWindow::csvRecordingStopped(const QString &error)
{
    showRecordingState();
    if (!error.isEmpty())
        m_state->setText(QStringLiteral("Aufzeichnung abgebrochen: %1").arg(error));
}

void HistoryWindow::showRecordingState()
{
    const QString path = m_recording.csvRecordingPath();
    m_record->setText(path.isEmpty() ? QStringLiteral("Aufzeichnung starten...")
                                     : QStringLiteral("Aufzeichnung beenden"));
    m_state->setText(path.isEmpty() ? QString() : QStringLiteral("Aufzeichnung in %1").arg(path));
}
