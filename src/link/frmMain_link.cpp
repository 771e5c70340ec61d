// The connection cycle of the window's one socket: listening between
// exchanges, connecting for a request, writing it once, and waiting for the
// reply under the receive time-out.
#include "link/ConnectionCycle.h"
#include "link/PeerFilter.h"
#include "link/SocketComponent.h"
#include "requests/NumberConversions.h"
#include "shell/frmMain.h"
#include "shell/YieldToEvents.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>

namespace {

constexpr int PortField = 16;
constexpr int TargetLan = 0;
constexpr int TargetFunk = 1;
constexpr char Blank = ' ';

template <std::size_t N>
QString dotted(const std::array<QLineEdit *, N> &fields)
{
    QStringList parts;
    for (std::size_t k = 0; k < 4; ++k)
        parts << fields[k]->text();
    return parts.join(QLatin1Char('.'));
}

bool onlyBlanks(const QByteArray &bytes)
{
    return std::all_of(bytes.cbegin(), bytes.cend(), [](char c) { return c == Blank; });
}

} // namespace

void frmMain::connectLinkHandlers()
{
    connect(SW, &SocketComponent::accepting, this, &frmMain::SW_Accept);
    connect(SW, &SocketComponent::connected, this, &frmMain::SW_Connect);
    connect(SW, &SocketComponent::readyToWrite, this, &frmMain::SW_Write);
    connect(SW, &SocketComponent::dataArrived, this, &frmMain::SW_Read);
    connect(SW, &SocketComponent::disconnected, this, &frmMain::SW_Disconnect);
    connect(SW, &SocketComponent::errorOccurred, this, &frmMain::SW_Error);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    // The receive time-out runs exactly while a reply is awaited.
    holdPaintsWhileRunning(Timer1);
    // The status refresh rests while the status line shows the socket's state; a change wakes it.
    connect(SW, &SocketComponent::stateChanged, this, [this] {
        if (!Timer2->isActive())
            Timer2->start();
    });
}

QString frmMain::TargetHost() const
{
    switch (Combo1->currentIndex()) {
    case TargetLan:
        return dotted(Text1);
    case TargetFunk:
        return dotted(Text4);
    default:
        return QString();
    }
}

void frmMain::SetSocketPorts()
{
    SW->setBlocking(false);
    SW->setProtocol(SocketComponent::ProtocolTcp);
    // A port field that is not a number leaves the socket with the port it had.
    if (const auto port = NumberConversions::wholeNumber(Text1[PortField]->text())) {
        SW->setLocalPort(*port);
        SW->setRemotePort(*port);
    }
}

void frmMain::StartListening()
{
    SetSocketPorts();
    ShowSocketState(SW->state());
    Listening = true;
    if (SW->listen() != SocketComponent::ListenOk)
        MsgBox(QMessageBox::Warning, ConnectionCycle::ListenFailed, AppTitle);
    else
        WriteLog(ConnectionCycle::ListenOn);
}

void frmMain::CloseSocket()
{
    // Bytes of a connection that is closed are never decoded later.
    StartReply();
    SW->disconnectSocket();
    ShowSocketState(SW->state());
    Listening = false;
}

void frmMain::SendRequest()
{
    if (Listening)
        CloseSocket();
    const int target = Combo1->currentIndex();
    SetSocketPorts();
    if (target == TargetLan)
        Timer1->setInterval(RxTimeout);
    else if (target == TargetFunk)
        Timer1->setInterval(ConnectionCycle::FunkTimeoutFactor * RxTimeout);
    if (!LongReplyTimeout)
        Timer1->setInterval(ConnectionCycle::ShortReplyTimeoutMs);
    m_callTimeout = false;
    Timer1->start();
    const QString host = TargetHost();
    StartReply();
    yieldToEvents();
    if (!host.isEmpty())
        SW->connectToHost(host);
    yieldToEvents();
}

void frmMain::SW_Connect()
{
    ShowSocketState(SW->state());
}

void frmMain::SW_Write()
{
    if (onlyBlanks(RequestFrame))
        return;
    if (!SW->write(RequestFrame)) {
        WriteLog(ConnectionCycle::ServerUnreachable);
        SW->disconnectSocket();
        SW->closeSocket();
        return;
    }
    Record(Seen::Sent, RequestFrame);
    ShowSocketState(SW->state());
    yieldToEvents();
    RequestFrame.clear();
    if (Combo1->currentIndex() == TargetFunk) {
        // The gateway relays the request by radio and calls back with the reply.
        SW->disconnectSocket();
        StartListening();
    }
    // A LAN device answers on this connection, under the time-out that runs since the request was sent. It is not
    // armed again here: where it no longer runs, a fast reply (or the time-out itself) ended the exchange during the
    // yield above, and a time-out armed now would report "RX-TimeoOut" after a finished exchange.
}

void frmMain::SW_Accept(qintptr requestId)
{
    if (!AdmitCaller(requestId))
        return;
    // The caller's own connection has a time-out of its own, so that a peer
    // that connects and then says nothing cannot hold the one socket for good.
    if (!m_callTimeout)
        m_requestTimeoutLeft = Timer1->isActive() ? Timer1->remainingTime() : -1;
    m_callTimeout = true;
    Timer1->start(ConnectionCycle::FunkTimeoutFactor * RxTimeout);
    StartReply();
    SW->setHostName(QStringLiteral("localhost"));
    SW->accept(requestId);
}

bool frmMain::AdmitCaller(qintptr requestId)
{
    const QHostAddress caller = SW->callerOf(requestId);
    if (PeerFilter::accepts(caller, dotted(Text1), dotted(Text4), PeerFilter::localNetworks()))
        return true;
    SW->reject(requestId);
    const QHostAddress shown = PeerFilter::plain(caller);
    // While polling the log is silent; a refusal it did not show is shown at the next one.
    if (!PollingActive && m_refusals.shouldLog(shown, QDeadlineTimer::current().deadline()))
        WriteLog(QString(ConnectionCycle::CallerRefused).arg(shown.toString()));
    return false;
}

void frmMain::SW_Disconnect()
{
    if (m_decoding) {
        m_peerClosedWhileDecoding = true;
        return;
    }
    // A peer that closes right after its reply has said all it will say.
    if (m_reply.peerClosed() == ReplyAssembler::Progress::Complete && DecodeReply())
        return;
    EndCallTimeout();
    ShowSocketState(SW->state());
    CloseSocket();
    StartListening();
    fraControl->setEnabled(true);
}

// A caller that has closed takes its connection's time-out along; a request's
// time-out that was running when it called goes on for the time it had left.
void frmMain::EndCallTimeout()
{
    if (!m_callTimeout)
        return;
    m_callTimeout = false;
    Timer1->stop();
    if (m_requestTimeoutLeft >= 0)
        Timer1->start(m_requestTimeoutLeft);
}

void frmMain::SW_Error(int, const QString &description)
{
    PollingActive = false;
    WriteLog(ConnectionCycle::SocketError + description);
    fraControl->setEnabled(true);
}

void frmMain::Timer1_Timer()
{
    Timer1->stop();
    m_callTimeout = false;
    PollingActive = false;
    WriteLog(ConnectionCycle::ReplyTimedOut);
    StartReply();
    SW->disconnectSocket();
    fraControl->setEnabled(true);
    yieldToEvents();
    StartListening();
}
