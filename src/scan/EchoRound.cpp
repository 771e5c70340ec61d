#include "scan/EchoRound.h"

#include "scan/IcmpMessage.h"
#include "scan/IcmpSocket.h"
#include "scan/modServerPing.h"

#include <QRandomGenerator>
#include <QSocketNotifier>

#include <algorithm>

namespace {

// Sequence numbers run on across rounds and sockets, so that an answer or an
// error arriving seconds late (as "host unreachable" does for absent hosts)
// cannot pass for the answer to a later request. They start at random, so
// that neither can one meant for an earlier run of the program.
quint16 nextSequence()
{
    static quint16 next = static_cast<quint16>(QRandomGenerator::global()->generate());
    return next++;
}

} // namespace

EchoRound::EchoRound(QObject *parent) : QObject(parent)
{
    m_timeout.setSingleShot(true);
    m_timeout.setTimerType(Qt::PreciseTimer);
    connect(&m_timeout, &QTimer::timeout, this, &EchoRound::finish);
}

EchoRound::~EchoRound() = default;

void EchoRound::start(const QStringList &addresses)
{
    m_destinations.resize(addresses.size());
    m_replies.resize(addresses.size());
    // One count more than there are addresses, taken back below: dotted
    // addresses resolve at once and must not start the sending early.
    m_resolutionsLeft = static_cast<int>(addresses.size()) + 1;
    for (int index = 0; index < addresses.size(); ++index) {
        modServerPing::ResolveAddress(addresses[index], this, [this, index](std::optional<quint32> address) {
            addressResolved(index, address);
        });
    }
    addressResolved(-1, std::nullopt);
}

void EchoRound::addressResolved(int index, std::optional<quint32> address)
{
    if (index >= 0) {
        m_destinations[index] = address;
        if (!address) {
            m_anyUnresolved = true;
            m_replies[index].Status = IpStatus::BadDestination;
        }
    }
    if (--m_resolutionsLeft == 0)
        sendAll();
}

void EchoRound::sendAll()
{
    const bool anyDue = std::any_of(m_destinations.cbegin(), m_destinations.cend(),
                                    [](const auto &address) { return address.has_value(); });
    if (anyDue)
        m_socket = std::make_unique<IcmpSocket>();
    if (m_socket && !m_socket->isOpen()) {
        m_permissionRefused = m_socket->permissionRefused();
        for (int index = 0; index < m_destinations.size(); ++index) {
            if (m_destinations[index])
                m_replies[index].Status = IpStatus::GeneralFailure;
        }
        m_socket.reset();
    }
    if (m_socket) {
        m_notifier = new QSocketNotifier(m_socket->descriptor(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &EchoRound::readAnswers);
        const QByteArray payload = modServerPing::Payload();
        for (int index = 0; index < m_destinations.size(); ++index) {
            if (!m_destinations[index])
                continue;
            const quint16 sequence = nextSequence();
            const QByteArray request = IcmpMessage::echoRequest(m_socket->identifier(), sequence, payload);
            const int error = m_socket->send(*m_destinations[index], request);
            if (error == 0)
                m_waiting.insert(sequence, index);
            else
                m_replies[index].Status = IcmpMessage::statusForSendError(error);
        }
    }
    // Finishing always goes through the timer, so that it never happens
    // inside start() or inside the socket's own event.
    m_timeout.start(m_waiting.isEmpty() ? 0 : modServerPing::EchoTimeoutMs);
}

void EchoRound::readAnswers()
{
    if (!m_socket || m_finished)
        return;
    const QList<IcmpMessage::Answer> answers = m_socket->takeAnswers(modServerPing::Payload());
    for (const IcmpMessage::Answer &answer : answers) {
        const auto waiting = m_waiting.constFind(answer.sequence);
        if (waiting == m_waiting.cend())
            continue;
        const int index = *waiting;
        m_replies[index] = EchoReply{answer.status, answer.data};
        m_waiting.erase(waiting);
        if (answer.status == IpStatus::Success)
            emit answered(index);
    }
    if (m_waiting.isEmpty())
        m_timeout.start(0);
}

void EchoRound::finish()
{
    if (m_finished)
        return;
    // Answers that came in with the time-out still count.
    readAnswers();
    m_timeout.stop();
    m_finished = true;
    delete m_notifier;
    m_notifier = nullptr;
    m_socket.reset();
    emit finished();
}
