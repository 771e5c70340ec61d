#pragma once

#include "cli/CommandLine.h"
#include "cli/Exchange.h"
#include "cli/ReplyRecord.h"
#include "cli/Target.h"

#include <QObject>
#include <QTimer>

class EchoRound;
class Inventory;
class QtSocketComponent;

// One run of tessra: the command of the invocation, its output and its exit
// status. Each command is one method; a new command is one more entry in the
// command line's table and one more method here.
class Session : public QObject
{
    Q_OBJECT

public:
    // programFolder holds a portable copy's settings file, programPath is told when
    // the system refuses to let it ping.
    Session(const CommandLine::Invocation &invocation, const QString &programFolder, const QString &programPath,
            QObject *parent = nullptr);
    ~Session() override;

    // Runs the command; finished() follows once it is done, never from inside start().
    void start();
    // Ends the run early (the program was asked to stop): no further request goes out.
    void stop();

signals:
    void finished(int status);

private:
    void runRequests();
    void runPing();
    void runScan();
    void runInventory();
    void inventoryProgress();
    bool resolveTarget(const CommandLine::TargetOptions &options);
    bool portFree();
    void sendNext();
    void exchangeFinished(Exchange::End end);
    void intervalElapsed();
    void echoRoundFinished(EchoRound *round, const QStringList &addresses, bool scan);
    void record(const QString &target, ReplyRecord::Fields fields);
    void done(int status);

    const CommandLine::Invocation m_invocation;
    const QString m_programFolder;
    const QString m_programPath;
    Target m_target;
    QString m_targetName;
    QByteArray m_frame;
    bool m_longTimeout = true;
    QStringList m_builderLines;
    QtSocketComponent *m_socket = nullptr;
    Exchange *m_exchange = nullptr;
    Inventory *m_inventory = nullptr;
    EchoRound *m_round = nullptr; // the inventory's scan, while it runs
    QTimer m_interval;
    bool m_due = false; // the interval passed while an exchange ran
    int m_exchanges = 0;
    int m_status = CommandLine::ExitAnswered;
    QByteArray m_reply;
    QString m_lastLine;
    bool m_stopping = false;
    bool m_finished = false;
};
