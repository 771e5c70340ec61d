#include "record/FrameDescription.h"

#include "protocol/Frame.h"

#include <QDateTime>

namespace FrameDescription {

namespace {

using Protocol::Header;

QString requestName(quint8 code)
{
    switch (code) {
    case Protocol::CodeParameterRequest:
        return QStringLiteral("Parameterabfrage");
    case Protocol::CodeProgramming:
        return QStringLiteral("Programmierung");
    case Protocol::CodeMeasurementRequest:
        return QStringLiteral("Messwertabfrage");
    case Protocol::CodeSwitch:
        return QStringLiteral("Schalten");
    case Protocol::CodeAutoSend:
        return QStringLiteral("AutoSend");
    default:
        return QStringLiteral("unbekannte Anfrage");
    }
}

QString replyName(quint8 code)
{
    switch (code) {
    case Protocol::CodeParameterReply:
        return QStringLiteral("Parameter");
    case Protocol::CodeProgrammingAcknowledged:
        return QStringLiteral("Programmierung bestätigt");
    case Protocol::CodeLanProgrammingAcknowledged:
        return QStringLiteral("LAN-Programmierung bestätigt");
    case Protocol::CodeMeasurementReply:
    case Protocol::CodeMeasurementReplyEcho:
        return QStringLiteral("Messwerte");
    case Protocol::CodeSwitchAcknowledged:
        return QStringLiteral("Schalten bestätigt");
    case Protocol::CodeWeatherData:
        return QStringLiteral("Wetterdaten");
    default:
        return QStringLiteral("unbekannte Antwort");
    }
}

QString byteHex(int value)
{
    return QStringLiteral("0x") + QString::number(value, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

// The header fields that arrived, and what the checks of the whole frame say.
template <class Parsed>
QString describeParsed(const Parsed &parsed, const QString &name, bool sent, const QByteArray &bytes)
{
    QStringList parts;
    const Header &header = parsed.message.header;
    if (!parsed.arrived(&Header::code))
        return QStringLiteral("unvollständiger Rahmen, %1 Bytes").arg(bytes.size());
    parts << QStringLiteral("%1 (Code %2)").arg(name).arg(header.code);
    if (const auto length = Protocol::announcedBodyLength(bytes))
        parts << QStringLiteral("Länge %1").arg(*length);
    if (parsed.arrived(&Header::eNum))
        parts << QStringLiteral("eNum %1").arg(header.eNum);
    if (sent && parsed.arrived(&Header::destination))
        parts << QStringLiteral("an %1/%2/%3")
                     .arg(header.destination.home)
                     .arg(header.destination.high)
                     .arg(header.destination.low);
    if (!sent && parsed.arrived(&Header::sourceLow))
        parts << QStringLiteral("von %1/%2").arg(header.sourceHigh).arg(header.sourceLow);

    using Kind = Protocol::FrameFault::Kind;
    const std::optional<Protocol::FrameFault> fault = Protocol::checkFrame(bytes);
    const std::optional<int> announced = Protocol::announcedBodyLength(bytes);
    const int bodyArrived = int(bytes.size()) - Protocol::PreambleLength;
    if (!fault) {
        parts << QStringLiteral("Prüfsumme korrekt");
    } else if (fault->kind == Kind::WrongChecksum) {
        parts << QStringLiteral("Prüfsumme falsch (%1, richtig wäre %2)")
                     .arg(byteHex(fault->carried), byteHex(fault->actual));
    } else if (announced && bodyArrived < *announced) {
        parts << QStringLiteral("abgeschnitten: %1 von %2 Bytes").arg(bytes.size()).arg(Protocol::PreambleLength
                                                                                          + *announced);
    } else if (fault->kind == Kind::LengthMismatch) {
        parts << QStringLiteral("Länge passt nicht: %1 Bytes nach der Präambel").arg(fault->actual);
    } else {
        parts << QStringLiteral("abgeschnitten: %1 Bytes").arg(bytes.size());
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

QList<QByteArray> splitFrames(QByteArray bytes)
{
    QList<QByteArray> frames;
    while (!bytes.isEmpty()) {
        const std::optional<int> body = Protocol::announcedBodyLength(bytes);
        // Without a preamble and a length that can hold a header, no frame boundary can be told.
        if (!Protocol::mayBeginFrame(bytes) || !body || *body < Protocol::HeaderLength) {
            frames << bytes;
            break;
        }
        const qsizetype frame = std::min<qsizetype>(Protocol::PreambleLength + *body, bytes.size());
        frames << bytes.first(frame);
        bytes.remove(0, frame);
    }
    return frames;
}

QString describe(TraceFrame::Direction direction, const QByteArray &bytes, qint32 length)
{
    QString text;
    if (!Protocol::mayBeginFrame(bytes)) {
        text = QStringLiteral("kein Rahmen (Präambel fehlt), %1 Bytes").arg(length);
    } else if (direction == TraceFrame::Direction::Sent) {
        const Protocol::ParsedRequest parsed = Protocol::parseRequest(bytes);
        text = describeParsed(parsed, requestName(parsed.message.header.code), true, bytes);
    } else {
        const Protocol::ParsedReply parsed = Protocol::parseReply(bytes);
        text = describeParsed(parsed, replyName(parsed.message.header.code), false, bytes);
    }
    if (length > bytes.size())
        text += QStringLiteral(" (die ersten %1 gezeigt)").arg(bytes.size());
    return text;
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString directionText(TraceFrame::Direction direction)
{
    return direction == TraceFrame::Direction::Sent ? QStringLiteral("gesendet") : QStringLiteral("empfangen");
}

QString peerText(const QHostAddress &peer, quint16 port)
{
    // An IPv4 peer on a socket that listens on both stacks is shown as the IPv4 address it is.
    bool v4 = false;
    const quint32 ipv4 = peer.toIPv4Address(&v4);
    const QString address = v4 ? QHostAddress(ipv4).toString() : peer.toString();
    return address.isEmpty() ? QStringLiteral("?") : QStringLiteral("%1:%2").arg(address).arg(port);
}

QString traceLine(const TraceFrame &frame)
{
    QString description = describe(frame.direction, frame.bytes, frame.length);
    if (frame.dropped)
        description += QStringLiteral(", nicht dekodiert");
    return QStringList{QDateTime::fromMSecsSinceEpoch(frame.time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
                       directionText(frame.direction), peerText(frame.peer, frame.port), hex(frame.bytes), description}
        .join(QLatin1Char('\t'));
}

} // namespace FrameDescription
