#pragma once

#include <QWidget>

class QTableView;
class Recording;
class TraceModel;

// "Rahmenprotokoll": the frames that crossed the wire, newest at the bottom,
// followed live while the newest row is in view.
class TraceWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit TraceWindow(const Recording &recording, QWidget *parent = nullptr);

    // Writes every frame the trace holds, one line each; the error text when that fails.
    static QString save(const Recording &recording, const QString &path);

private:
    void saveAs();

    const Recording &m_recording;
    TraceModel *m_model = nullptr;
    QTableView *m_table = nullptr;
};
