#include "record/Recording.h"

#include "record/FrameDescription.h"

Recording::Recording(qsizetype traceCapacity, qsizetype historyCapacity, QObject *parent)
    : QObject(parent), m_trace(traceCapacity), m_history(historyCapacity)
{
    setObjectName(QStringLiteral("Recording"));
}

Recording::~Recording() = default;

void Recording::frameSent(qint64 time, const QHostAddress &peer, quint16 port, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (peer != m_lastPeer)
        m_lastPeer = peer;
    addFrame({time, m_lastPeer, port, TraceFrame::Direction::Sent, false, qint32(bytes.size()),
              bytes.first(std::min<qsizetype>(bytes.size(), TraceFrame::MaxKeptBytes))});
}

void Recording::bytesReceived(qint64 time, const QHostAddress &peer, quint16 port, const QByteArray &bytes,
                              bool dropped)
{
    if (bytes.isEmpty())
        return;
    if (peer != m_lastPeer)
        m_lastPeer = peer;
    // A peer may send any amount before it is cut off: the trace keeps only the first bytes of it.
    for (const QByteArray &frame : FrameDescription::splitFrames(bytes))
        addFrame({time, m_lastPeer, port, TraceFrame::Direction::Received, dropped, qint32(frame.size()),
                  frame.first(std::min<qsizetype>(frame.size(), TraceFrame::MaxKeptBytes))});
}

void Recording::replyDecoded(qint64 time, const QHostAddress &peer, const QByteArray &bytes)
{
    if (peer != m_lastPeer)
        m_lastPeer = peer;
    std::optional<HistoryRecord> record = HistoryRecord::fromReply(time, m_lastPeer, bytes);
    if (!record)
        return;
    if (m_csvFile && !writeCsv(m_csv->row(*record)))
        stopCsvRecording();
    emit recordAdded(m_history.append(std::move(*record)));
}

void Recording::addFrame(TraceFrame frame)
{
    emit frameAdded(m_trace.append(std::move(frame)));
}

bool Recording::startCsvRecording(const QString &path, const QLocale &locale)
{
    stopCsvRecording();
    m_error.clear();
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
        m_error = file->errorString();
        return false;
    }
    m_csvFile = std::move(file);
    m_csv = std::make_unique<HistoryCsv>(locale);
    if (m_csvFile->size() == 0 && !(m_csvFile->write(HistoryCsv::ByteOrderMark) == HistoryCsv::ByteOrderMark.size()
                                     && writeCsv(m_csv->header()))) {
        m_error = m_csvFile->errorString();
        m_csvFile.reset();
        return false;
    }
    return true;
}

// Each line reaches the system as it is written, so that a crash of the tool loses no record.
bool Recording::writeCsv(const QString &text)
{
    const QByteArray line = text.toUtf8() + "\r\n";
    if (m_csvFile->write(line) == line.size() && m_csvFile->flush())
        return true;
    m_error = m_csvFile->errorString();
    return false;
}

void Recording::stopCsvRecording()
{
    if (!m_csvFile)
        return;
    m_csvFile.reset();
    m_csv.reset();
    emit csvRecordingStopped(m_error);
}

QString Recording::csvRecordingPath() const
{
    return m_csvFile ? m_csvFile->fileName() : QString();
}
