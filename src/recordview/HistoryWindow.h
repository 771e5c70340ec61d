#pragma once

#include <QMargins>
#include <QWidget>

#include <array>

struct HistoryRecord;
class QCheckBox;
class QComboBox;
class QChart;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QTimer;
class QPushButton;
class QValueAxis;
class Recording;
class TimeChartView;

// "Messwertverlauf": the recorded temperatures and weather values over local
// time, the channel states as step lines under them; follows new records live,
// zooms and pans, exports the history and records it to a CSV file.
class HistoryWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryWindow(Recording &recording, QWidget *parent = nullptr);

    // Writes the whole history as CSV of the given locale; the error text when that fails.
    static QString exportCsv(const Recording &recording, const QString &path, const QLocale &locale);

private:
    enum Value { Temperature1, Temperature2, Outside, Wind, WindMax, Rain, Light, ValueCount };
    static constexpr int ChannelLanes = 8; // outputs 1 to 4, then inputs 1 to 4

    void createCharts();
    void alignPlots();
    void rebuild();
    void recordAdded(bool oldestDropped);
    void showNewRecords();
    void append(const HistoryRecord &record);
    bool shown(const HistoryRecord &record) const;
    void addSource(const HistoryRecord &record);
    void fitValueAxes();
    void showTime(double from, double to);
    void showWholeTime();
    void zoom(double factor, double at);
    void pan(double fraction);
    void exportAs();
    void toggleCsvRecording();
    void csvRecordingStopped(const QString &error);
    void showRecordingState();

    Recording &m_recording;
    QComboBox *m_device = nullptr;
    QCheckBox *m_live = nullptr;
    QPushButton *m_record = nullptr;
    QLabel *m_state = nullptr;
    QChart *m_valueChart = nullptr;
    QChart *m_channelChart = nullptr;
    TimeChartView *m_valueView = nullptr;
    TimeChartView *m_channelView = nullptr;
    QDateTimeAxis *m_valueTime = nullptr;
    QDateTimeAxis *m_channelTime = nullptr;
    QValueAxis *m_degrees = nullptr;
    QValueAxis *m_weather = nullptr;
    // The charts' own margins, to which the plots' alignment adds.
    QMargins m_valueMargins;
    QMargins m_channelMargins;
    std::array<QLineSeries *, ValueCount> m_values{};
    std::array<QLineSeries *, ChannelLanes> m_lanes{};
    // Every point of the chosen device; the series get as many as the plot has pixels across.
    std::array<QList<QPointF>, ValueCount> m_valueData;
    std::array<QList<QPointF>, ChannelLanes> m_laneData;
    QTimer *m_newRecords = nullptr;
    qsizetype m_unshown = 0;
    bool m_historyMoved = false;
    double m_first = 0;
    double m_last = 0;
};
