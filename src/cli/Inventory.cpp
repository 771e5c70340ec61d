#include "cli/Inventory.h"

#include "link/QtSocketComponent.h"
#include "requests/RequestBuilder.h"
#include "shell/SettingsKeys.h"

struct Inventory::Call
{
    Host host;
    QtSocketComponent *socket = nullptr;
    Exchange *exchange = nullptr;
};

Inventory::Inventory(const Target &target, const QHostAddress &listenAddress, QObject *parent)
    : QObject(parent), m_target(target), m_listenAddress(listenAddress)
{
}

Inventory::~Inventory() = default;

void Inventory::ask(const QString &address)
{
    // The request as the window builds it with the address typed into the current LAN fields.
    RequestSnapshot fields = m_target.fields;
    SettingsKeys::fillAddressRow(fields.text1, RequestBuilder::LanIpAddressIndex, address);
    fields.currentCommand = RequestBuilder::CommandParameterRequest;
    const QByteArray frame = RequestBuilder::BuildRequest(fields).requestFrame;

    auto call = std::make_unique<Call>();
    Call *c = call.get();
    c->host.address = address;
    c->socket = new QtSocketComponent(m_listenAddress, this);
    c->exchange = new Exchange(*c->socket, ReplySnapshot(), this);
    connect(c->exchange, &Exchange::logged, this, [c](const QString &line) { c->host.lines << line; });
    connect(c->exchange, &Exchange::frameSent, this,
            [this, address](const QByteArray &bytes) { emit frameSent(address, bytes); });
    connect(c->exchange, &Exchange::replyReceived, this,
            [this, address](const QByteArray &bytes) { emit replyReceived(address, bytes); });
    connect(c->exchange, &Exchange::replied, this, [c](const QByteArray &reply) { c->host.reply = reply; });
    connect(c->exchange, &Exchange::finished, this, [this, c](Exchange::End end) {
        c->host.end = end;
        c->host.finished = true;
        // Nothing more comes from this host: its connection's resources go at once, not at the end of the range.
        c->exchange->disconnect(this);
        c->exchange->deleteLater();
        c->socket->deleteLater();
        c->exchange = nullptr;
        c->socket = nullptr;
        emit hostFinished();
    });
    m_calls.push_back(std::move(call));
    c->exchange->start({address, m_target.port, false, true, frame});
}

void Inventory::abort()
{
    for (const std::unique_ptr<Call> &call : m_calls) {
        if (call->exchange)
            call->exchange->abort();
    }
}

bool Inventory::busy() const
{
    return std::any_of(m_calls.cbegin(), m_calls.cend(), [](const auto &call) { return !call->host.finished; });
}

QList<Inventory::Host> Inventory::hosts() const
{
    QList<Host> hosts;
    for (const std::unique_ptr<Call> &call : m_calls)
        hosts << call->host;
    return hosts;
}
