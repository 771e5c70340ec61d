#pragma once

#include "record/BoundedBuffer.h"
#include "record/HistoryCsv.h"
#include "record/HistoryRecord.h"
#include "record/TraceFrame.h"

#include <QFile>
#include <QObject>

#include <memory>

// What the tool saw on the wire, kept for its trace and history windows: the
// last frames sent and received, the decoded values, and a CSV file that every
// new record goes to as it arrives. It takes the time and the peer from its
// caller, and costs an append per frame while no window shows it.
class Recording final : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype TraceCapacity = 10'000;
    // Two days of polling every 3 s.
    static constexpr qsizetype HistoryCapacity = 57'600;

    explicit Recording(qsizetype traceCapacity = TraceCapacity, qsizetype historyCapacity = HistoryCapacity,
                       QObject *parent = nullptr);
    ~Recording() override;

    // A request as it was written.
    void frameSent(qint64 time, const QHostAddress &peer, quint16 port, const QByteArray &bytes);
    // Received bytes, frame by frame; dropped when the tool gave them up undecoded.
    void bytesReceived(qint64 time, const QHostAddress &peer, quint16 port, const QByteArray &bytes,
                       bool dropped = false);
    // A reply the window decoded: a record when it is of a recorded kind.
    void replyDecoded(qint64 time, const QHostAddress &peer, const QByteArray &bytes);

    const BoundedBuffer<TraceFrame> &trace() const { return m_trace; }
    const BoundedBuffer<HistoryRecord> &history() const { return m_history; }

    // Appends every new record to the file, which gets the header when it is new
    // or empty. False, with the reason in error(), when it cannot be written.
    bool startCsvRecording(const QString &path, const QLocale &locale);
    void stopCsvRecording();
    QString csvRecordingPath() const;
    QString error() const { return m_error; }

signals:
    // A frame was added; the oldest went when the trace was full.
    void frameAdded(bool oldestDropped);
    void recordAdded(bool oldestDropped);
    void csvRecordingStopped(const QString &error);

private:
    void addFrame(TraceFrame frame);
    bool writeCsv(const QString &text);

    BoundedBuffer<TraceFrame> m_trace;
    BoundedBuffer<HistoryRecord> m_history;
    // The peer of the last frame, whose copies share one address.
    QHostAddress m_lastPeer;
    std::unique_ptr<QFile> m_csvFile;
    std::unique_ptr<HistoryCsv> m_csv;
    QString m_error;
};
