// The ping of the address in the window and the scan of its /24 range. The
// echo requests go out all at once and their answers are reported when the
// time-out has passed, in the order in which one request after another would
// have reported them; the window meanwhile goes on serving its events.
#include "scan/EchoRound.h"
#include "scan/PingReport.h"
#include "scan/modServerPing.h"
#include "shell/frmMain.h"
#include "shell/YieldToEvents.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

// Text1(0) to Text1(3): the IP address of the current LAN parameters.
constexpr std::size_t AddressFirst = 0;
constexpr std::size_t AddressSecond = 1;
constexpr std::size_t AddressThird = 2;
constexpr std::size_t AddressFourth = 3;

} // namespace

void frmMain::connectScanHandlers()
{
    connect(SinglePing, &QPushButton::clicked, this, &frmMain::SinglePing_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
}

void frmMain::SinglePing_Click()
{
    fraControl->setEnabled(false);
    const QString Address = PingReport::addressText(Text1[AddressFirst]->text(), Text1[AddressSecond]->text(),
                                                    Text1[AddressThird]->text(), Text1[AddressFourth]->text());
    WriteLog(PingReport::SendPingText);
    StartEchoRound({Address}, [this, Address](const QList<EchoReply> &Replies) {
        PingAndLog(Address, true, Replies.first());
        WriteLog(PingReport::PingPassText);
    });
}

void frmMain::Command1_Click()
{
    fraControl->setEnabled(false);
    List2->clear();
    WriteLog(PingReport::ScanStartText);
    const QStringList Addresses = PingReport::rangeAddresses(
        Text1[AddressFirst]->text(), Text1[AddressSecond]->text(), Text1[AddressThird]->text());
    StartEchoRound(Addresses, [this, Addresses](const QList<EchoReply> &Replies) {
        for (int i = 0; i < Addresses.size(); ++i)
            PingAndLog(Addresses[i], false, Replies[i]);
        // The addresses that did not answer arrive together: selecting the
        // newest and repainting once shows them all.
        List2->setCurrentRow(List2->count() - 1);
        List2->repaint();
        yieldToEvents();
        WriteLog(PingReport::ScanPassText);
    });
}

void frmMain::PingAndLog(const QString &Address, bool SingleMode, const EchoReply &Reply)
{
    if (SingleMode) {
        WriteLog(PingReport::pingLine(Address, Reply.Status));
        return;
    }
    if (Reply.Status != IpStatus::Success) {
        // The scan selects the newest line once all are in.
        List2->addItem(PingReport::missedLine(Address));
        return;
    }
    WriteLog(PingReport::answeredLine(Address, Reply.Data));
}

void frmMain::StartEchoRound(const QStringList &Addresses, std::function<void(const QList<EchoReply> &)> Report)
{
    // The report keeps the addresses as the fields gave them; only the echo goes without the blanks.
    QStringList destinations;
    for (const QString &address : Addresses)
        destinations << PingReport::stripBlanks(address);
    ++EchoRoundsRunning;
    EchoRound *round = modServerPing::SendPing(destinations, this);
    connect(round, &EchoRound::finished, this, [this, round, Report = std::move(Report)] {
        ExplainEchoFailures(*round);
        Report(round->replies());
        round->deleteLater();
        // A ping or scan started meanwhile keeps the request buttons disabled until it ends too.
        if (--EchoRoundsRunning == 0)
            fraControl->setEnabled(true);
    });
}

void frmMain::ExplainEchoFailures(const EchoRound &Round)
{
    // One box for the whole scan, however many of its addresses name no host.
    if (Round.anyUnresolved())
        MsgBox(QMessageBox::NoIcon, PingReport::unresolvedMessage(), AppTitle);
    if (Round.permissionRefused() && !EchoPermissionExplained) {
        EchoPermissionExplained = true;
        MsgBox(QMessageBox::Warning, PingReport::permissionMessage(QCoreApplication::applicationFilePath()), AppTitle);
    }
}
