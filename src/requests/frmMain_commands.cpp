// The command buttons, the continuous polling and the switch and AutoSend
// buttons: each sets the command, logs, builds the request and sends it.
#include "requests/CommandTexts.h"
#include "requests/RequestBuilder.h"
#include "requests/TwoStateButton.h"
#include "shell/YieldToEvents.h"
#include "shell/frmMain.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int PollingIntervalMs = 3000;
const QString PollingStopped = QStringLiteral("Daten Dauerabfrage");
const QString PollingRuns = QStringLiteral("Stop Dauermessung");

} // namespace

void frmMain::connectCommandHandlers()
{
    paintEnabledStateWithWindow(fraControl);
    connect(cmdTest, &QPushButton::clicked, this, &frmMain::cmdTest_Click);
    connect(GetMesswerte, &QPushButton::clicked, this, &frmMain::GetMesswerte_Click);
    connect(cmdSetParameter, &QPushButton::clicked, this, &frmMain::cmdSetParameter_Click);
    connect(MesswerteLoop, &QPushButton::clicked, this, &frmMain::MesswerteLoop_Click);
    connect(Timer3, &QTimer::timeout, this, &frmMain::Timer3_Timer);
    for (std::size_t k = 0; k < AutoSend.size(); ++k)
        connect(AutoSend[k], &QPushButton::clicked, this, [this, k] { AutoSend_Click(static_cast<int>(k)); });
}

void frmMain::cmdTest_Click()
{
    fraControl->setEnabled(false);
    CurrentCommand = RequestBuilder::CommandParameterRequest;
    WriteLog(CommandTexts::ParameterRequest);
    BuildRequest();
    SendRequest();
}

void frmMain::GetMesswerte_Click()
{
    fraControl->setEnabled(false);
    CurrentCommand = RequestBuilder::CommandMeasurementRequest;
    WriteLog(CommandTexts::MeasurementRequest);
    BuildRequest();
    SendRequest();
}

void frmMain::cmdSetParameter_Click()
{
    fraControl->setEnabled(false);
    CurrentCommand = RequestBuilder::CommandProgramming;
    WriteLog(CommandTexts::Programming);
    BuildRequest();
    // A refused radio programming leaves no frame: nothing to send.
    if (RequestFrame.isEmpty())
        fraControl->setEnabled(true);
    else
        SendRequest();
}

void frmMain::MesswerteLoop_Click()
{
    if (PollingActive) {
        MesswerteLoop->setText(PollingStopped);
        PollingActive = false;
        Timer3->stop();
        return;
    }
    CurrentCommand = RequestBuilder::CommandMeasurementRequest;
    WriteLog(CommandTexts::MeasurementLoop);
    PollMeasurements();
    MesswerteLoop->setText(PollingRuns);
}

void frmMain::PollMeasurements()
{
    PollingActive = true;
    CurrentCommand = RequestBuilder::CommandMeasurementRequest;
    WriteLog(CommandTexts::MeasurementRequest);
    BuildRequest();
    SendRequest();
    // One request every 3000 ms, from send to send, answered or not.
    Timer3->start(PollingIntervalMs);
}

void frmMain::Timer3_Timer()
{
    Timer3->stop();
    PollMeasurements();
}

void frmMain::Port1_Click(int Index)
{
    CurrentChannel = static_cast<qint16>(Index);
    TwoStateButton *button = Port1[static_cast<std::size_t>(Index)];
    button->setColours(SwitchColours::forState(button->isChecked()));
    // Buttons set from a reply only show the state.
    if (UpdatingPorts)
        return;
    if (PollingActive) {
        Timer3->stop();
        PollingActive = false;
        ResumePolling = true;
    }
    CurrentCommand = RequestBuilder::CommandSwitch;
    BuildRequest();
    SendRequest();
}

void frmMain::AutoSend_Click(int Index)
{
    CurrentChannel = static_cast<qint16>(Index);
    fraControl->setEnabled(false);
    CurrentCommand = RequestBuilder::CommandAutoSend;
    WriteLog(CommandTexts::AutoSendRequest(Index + 1));
    BuildRequest();
    SendRequest();
}
