// The listening role of the window's one socket.
#include "link/SocketComponent.h"
#include "requests/NumberConversions.h"
#include "shell/frmMain.h"

#include <QLineEdit>

namespace {

constexpr int PortField = 16;

} // namespace

void frmMain::StartListening()
{
    SW->setProtocol(SocketComponent::ProtocolTcp);
    SW->setBlocking(false);
    // A port field that is not a number leaves the socket with the port it had.
    if (const auto port = NumberConversions::wholeNumber(Text1[PortField]->text())) {
        SW->setLocalPort(*port);
        SW->setRemotePort(*port);
    }
    ShowSocketState(SW->state());
    Listening = true;
    if (SW->listen() != SocketComponent::ListenOk)
        MsgBox(QMessageBox::Warning, QStringLiteral("Unable to listen for connections"), AppTitle);
    else
        WriteLog(QStringLiteral("Listen ON"));
}

void frmMain::CloseSocket()
{
    SW->disconnectSocket();
    ShowSocketState(SW->state());
    Listening = false;
}
