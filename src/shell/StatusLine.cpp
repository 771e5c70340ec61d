#include "shell/StatusLine.h"

#include "link/SocketComponent.h"

namespace StatusLine {

StateTexts stateTexts()
{
    StateTexts texts;
    texts[SocketComponent::Unused] = QStringLiteral("swStatusUnused");
    texts[SocketComponent::Idle] = QStringLiteral("swStatusIdle");
    texts[SocketComponent::Listen] = QStringLiteral("swStatusListen");
    texts[SocketComponent::Connect] = QStringLiteral("swStatusConnect");
    texts[SocketComponent::Accept] = QStringLiteral("swStatusAccept");
    texts[SocketComponent::Read] = QStringLiteral("swStatusRead");
    texts[SocketComponent::Write] = QStringLiteral("swStatusWrite");
    texts[SocketComponent::Flush] = QStringLiteral("swStatusFlush");
    texts[SocketComponent::Disconnect] = QStringLiteral("swStatusDisconnect");
    texts[SocketComponent::Error] = QStringLiteral("SocketError");
    return texts;
}

QColor colourForState(int state)
{
    switch (state) {
    case SocketComponent::Unused:
        return QColor(255, 0, 255);
    case SocketComponent::Idle:
        return QColor(255, 255, 0);
    default:
        return QColor(0, 255, 0);
    }
}

QString textForState(const StateTexts &texts, int state)
{
    if (state < 0 || state >= StateTextCount)
        return QString();
    return texts[static_cast<std::size_t>(state)];
}

} // namespace StatusLine
