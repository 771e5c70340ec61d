#include "cli/Session.h"

#include "cli/Inventory.h"
#include "link/QtSocketComponent.h"
#include "requests/CommandTexts.h"
#include "requests/RequestBuilder.h"
#include "scan/EchoRound.h"
#include "scan/PingReport.h"
#include "scan/modServerPing.h"
#include "shell/modRWIniFile.h"

#include <QDateTime>
#include <QNetworkInterface>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace CommandLine;

namespace {

// QtSocketComponent::listen() reports a failure as the server's error plus one.
constexpr int PortTaken = 1 + QAbstractSocket::AddressInUseError;

void writeLine(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    // Seen at once, also in a file that a long polling fills.
    std::fflush(stream);
}

void out(const QString &text)
{
    writeLine(stdout, text);
}

void err(const QString &text)
{
    writeLine(stderr, text);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// ISO 8601 with the local offset, "2024-05-17T21:04:09+02:00", also where it is 0.
QString now()
{
    constexpr int SecondsPerMinute = 60;
    constexpr int MinutesPerHour = 60;
    const QDateTime local = QDateTime::currentDateTime();
    const int minutes = local.offsetFromUtc() / SecondsPerMinute;
    return local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + (minutes < 0 ? u'-' : u'+')
        + QStringLiteral("%1:%2")
              .arg(std::abs(minutes) / MinutesPerHour, 2, 10, QLatin1Char('0'))
              .arg(std::abs(minutes) % MinutesPerHour, 2, 10, QLatin1Char('0'));
}

// The kinds of reply that answer each command; any reply answers AutoSend.
bool answers(const QString &command, const QString &kind)
{
    if (command == QLatin1String("params"))
        return kind == QLatin1String("parameters");
    if (command == QLatin1String("measure"))
        return kind == QLatin1String("measurement") || kind == QLatin1String("weather");
    if (command == QLatin1String("switch"))
        return kind == QLatin1String("switch");
    if (command == QLatin1String("program"))
        return kind == QLatin1String("programmed");
    return true;
}

// The line the window writes for the command before it builds the request.
QString commandLine(const Invocation &invocation)
{
    const QString &command = invocation.command;
    if (command == QLatin1String("params"))
        return CommandTexts::ParameterRequest;
    if (command == QLatin1String("measure"))
        return CommandTexts::MeasurementRequest;
    if (command == QLatin1String("program"))
        return CommandTexts::Programming;
    if (command == QLatin1String("autosend"))
        return CommandTexts::AutoSendRequest(invocation.channel);
    return QString(); // the switch button writes none
}

} // namespace

Session::Session(const Invocation &invocation, const QString &programFolder, const QString &programPath,
                 QObject *parent)
    : QObject(parent), m_invocation(invocation), m_programFolder(programFolder), m_programPath(programPath)
{
    m_interval.setSingleShot(true);
    // A coarse timer may end 5 % early or late; a night's log keeps its pace.
    m_interval.setTimerType(Qt::PreciseTimer);
    connect(&m_interval, &QTimer::timeout, this, &Session::intervalElapsed);
}

Session::~Session() = default;

void Session::start()
{
    QMetaObject::invokeMethod(this, [this] {
        if (m_invocation.command == QLatin1String("ping"))
            runPing();
        else if (m_invocation.command == QLatin1String("scan"))
            runScan();
        else if (m_invocation.command == QLatin1String("inventory"))
            runInventory();
        else
            runRequests();
    }, Qt::QueuedConnection);
}

void Session::stop()
{
    m_stopping = true;
    m_interval.stop();
    if (m_inventory) {
        // The hosts that answered so far are told; the scan's silent addresses are not waited for.
        m_inventory->abort();
        if (m_round)
            m_round->disconnect(this);
        m_round = nullptr;
        inventoryProgress();
    } else if (m_exchange && m_exchange->running())
        m_exchange->abort();
    else
        done(m_exchanges > 0 ? m_status : ExitNoAnswer);
}

void Session::done(int status)
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished(status);
}

bool Session::resolveTarget(const TargetOptions &options)
{
    std::variant<Target, QString> target =
        TargetFields::resolve(options, m_programFolder, modRWIniFile::UserSettingsFolder());
    if (const QString *error = std::get_if<QString>(&target)) {
        err(QStringLiteral("tessra: ") + *error);
        done(ExitUsage);
        return false;
    }
    m_target = std::get<Target>(target);
    return true;
}

// Like the window, tessra calls from the port it listens on; a port taken (by
// the window, say) would send the call from another, which no gateway calls back.
bool Session::portFree()
{
    QtSocketComponent probe(m_invocation.target.listenAddress);
    probe.setLocalPort(m_target.port);
    const int listening = probe.listen();
    probe.disconnectSocket();
    if (listening == SocketComponent::ListenOk)
        return true;
    const QHostAddress &listen = m_invocation.target.listenAddress;
    const QString where = listen == QHostAddress::Any
        ? QStringLiteral("port %1").arg(m_target.port)
        : QStringLiteral("port %1 of %2").arg(m_target.port).arg(listen.toString());
    err(listening == PortTaken ? QStringLiteral("tessra: %1 is taken; is the window running?").arg(where)
                               : QStringLiteral("tessra: cannot listen on %1").arg(where));
    done(ExitNoAnswer);
    return false;
}

void Session::runRequests()
{
    if (!resolveTarget(m_invocation.target))
        return;
    const std::variant<RequestSnapshot, QString> fields = TargetFields::forCommand(m_target, m_invocation);
    if (const QString *error = std::get_if<QString>(&fields)) {
        err(QStringLiteral("tessra: ") + *error);
        return done(ExitUsage);
    }

    // Programming goes through the checks the window runs as its fields are
    // left and as it builds the request; a refusal is told in the window's words.
    CheckVerdict refusal;
    if (m_invocation.command == QLatin1String("program"))
        refusal = TargetFields::leaveChecks(m_invocation);
    const RequestBuilder::BuiltRequest built = RequestBuilder::BuildRequest(std::get<RequestSnapshot>(fields));
    for (const RequestEffect &effect : built.effects) {
        if (const auto *timeout = std::get_if<RequestEffects::SetLongReplyTimeout>(&effect))
            m_longTimeout = timeout->value;
        else if (const auto *line = std::get_if<RequestEffects::WriteLog>(&effect))
            m_builderLines << line->text;
        else if (const auto *verdict = std::get_if<RequestEffects::ShowCheckVerdict>(&effect))
            refusal = refusal.failed ? refusal : verdict->verdict;
    }
    if (refusal.failed) {
        // The window tells a refused new IP address by focus and beep alone; here it needs words.
        err(refusal.message.isEmpty()
                ? QStringLiteral("tessra: the new IP address %1 is refused: each part is 0 to 255")
                      .arg(*m_invocation.program.address)
                : QString(refusal.message).replace(u'\r', u'\n'));
        return done(ExitRefused);
    }
    m_frame = built.requestFrame;
    m_targetName = TargetFields::nameOf(m_target, m_frame);

    if (!portFree())
        return;
    m_socket = new QtSocketComponent(m_invocation.target.listenAddress, this);

    // A fresh window's reply fields: the decoder writes its lines as the window's first exchange does.
    m_exchange = new Exchange(*m_socket, ReplySnapshot(), this);
    connect(m_exchange, &Exchange::logged, this, [this](const QString &line) {
        m_lastLine = line;
        if (m_invocation.form == Invocation::Form::Lines)
            out(line);
    });
    connect(m_exchange, &Exchange::frameSent, this, [this](const QByteArray &frame) {
        if (m_invocation.trace)
            err(QStringLiteral("-> ") + hex(frame));
    });
    connect(m_exchange, &Exchange::replyReceived, this, [this](const QByteArray &reply) {
        if (m_invocation.trace)
            err(QStringLiteral("<- ") + hex(reply));
    });
    connect(m_exchange, &Exchange::refused, this, [this](const QHostAddress &caller) {
        if (m_invocation.trace)
            err(QStringLiteral("refused ") + caller.toString());
    });
    connect(m_exchange, &Exchange::replied, this, [this](const QByteArray &reply) { m_reply = reply; });
    connect(m_exchange, &Exchange::finished, this, &Session::exchangeFinished);

    if (m_invocation.form == Invocation::Form::Csv)
        out(ReplyRecord::csvHeader(ReplyRecord::Table::Measurements));
    if (m_invocation.form == Invocation::Form::Lines && m_invocation.intervalMs > 0)
        out(CommandTexts::MeasurementLoop);
    sendNext();
}

void Session::sendNext()
{
    m_due = false;
    m_reply.clear();
    m_lastLine.clear();
    if (m_invocation.form == Invocation::Form::Lines) {
        if (const QString line = commandLine(m_invocation); !line.isEmpty())
            out(line);
        for (const QString &line : m_builderLines)
            out(line);
    }
    // Polling goes from send to send, answered or not.
    if (m_invocation.intervalMs > 0)
        m_interval.start(m_invocation.intervalMs);
    m_exchange->start({m_target.host, m_target.port, m_target.radio, m_longTimeout, m_frame});
}

void Session::exchangeFinished(Exchange::End end)
{
    // An exchange broken off because the program was asked to stop counts for nothing.
    if (m_stopping && end == Exchange::End::Failed)
        return done(m_exchanges > 0 ? m_status : ExitNoAnswer);
    ++m_exchanges;
    int status = ExitNoAnswer;
    const bool expectsNoReply = !m_longTimeout;
    if (!m_reply.isEmpty()) {
        ReplyRecord::Fields fields = ReplyRecord::fromReply(m_reply, end == Exchange::End::Answered);
        const QString kind = fields.first().value.toString();
        status = end == Exchange::End::Answered && answers(m_invocation.command, kind) ? ExitAnswered : ExitRefused;
        record(m_targetName, fields);
    } else if (end == Exchange::End::TimedOut && expectsNoReply && m_exchange->sent()) {
        status = ExitAnswered;
    } else if (m_invocation.form != Invocation::Form::Lines && !m_lastLine.isEmpty()) {
        err(m_lastLine);
    }
    m_status = std::max(m_status, status);

    const bool polling = m_invocation.intervalMs > 0;
    if (!polling || m_stopping || (m_invocation.count > 0 && m_exchanges >= m_invocation.count))
        return done(m_status);
    if (m_due)
        sendNext();
}

void Session::intervalElapsed()
{
    if (m_exchange->running())
        m_due = true;
    else
        sendNext();
}

void Session::record(const QString &target, ReplyRecord::Fields fields)
{
    if (m_invocation.form == Invocation::Form::Lines)
        return;
    fields.prepend({QStringLiteral("target"), target});
    fields.prepend({QStringLiteral("time"), now()});
    const ReplyRecord::Table table = m_invocation.command == QLatin1String("inventory")
        ? ReplyRecord::Table::Parameters
        : ReplyRecord::Table::Measurements;
    out(m_invocation.form == Invocation::Form::Json ? ReplyRecord::jsonLine(fields)
                                                    : ReplyRecord::csvRow(fields, table));
}

void Session::runPing()
{
    const QString address = m_invocation.address;
    if (m_invocation.form == Invocation::Form::Lines)
        out(PingReport::SendPingText);
    EchoRound *round = modServerPing::SendPing({address}, this);
    connect(round, &EchoRound::finished, this, [this, round, address] { echoRoundFinished(round, {address}, false); });
}

void Session::runScan()
{
    const QStringList parts = m_invocation.address.split(u'.');
    const QStringList addresses = PingReport::rangeAddresses(parts[0], parts[1], parts[2]);
    if (m_invocation.form == Invocation::Form::Lines)
        out(PingReport::ScanStartText);
    EchoRound *round = modServerPing::SendPing(addresses, this);
    connect(round, &EchoRound::finished, this, [this, round, addresses] { echoRoundFinished(round, addresses, true); });
}

void Session::echoRoundFinished(EchoRound *round, const QStringList &addresses, bool scan)
{
    if (round->permissionRefused())
        err(PingReport::permissionMessage(m_programPath));
    int answered = 0;
    for (int i = 0; i < addresses.size(); ++i) {
        const EchoReply &reply = round->replies()[i];
        const bool success = reply.Status == IpStatus::Success;
        answered += success;
        // A scan, as the window's log, tells the addresses that answered.
        if (scan && !success)
            continue;
        if (m_invocation.form != Invocation::Form::Lines)
            record(addresses[i], {{QStringLiteral("kind"), QStringLiteral("ping")},
                                  {QStringLiteral("status"), reply.Status},
                                  {QStringLiteral("answered"), success}});
        else if (scan)
            out(PingReport::answeredLine(addresses[i], reply.Data));
        else
            out(PingReport::pingLine(addresses[i], reply.Status));
    }
    if (m_invocation.form == Invocation::Form::Lines)
        out(scan ? PingReport::ScanPassText : PingReport::PingPassText);
    round->deleteLater();
    done(answered > 0 ? ExitAnswered : ExitNoAnswer);
}

void Session::runInventory()
{
    const QStringList parts = m_invocation.address.split(u'.');
    const QStringList addresses = PingReport::rangeAddresses(parts[0], parts[1], parts[2]);
    // The range's own addresses are typed over the settings file's adapter.
    TargetOptions options = m_invocation.target;
    options.lan = addresses.first();
    if (!resolveTarget(options) || !portFree())
        return;
    // This machine is no adapter: a call from the port to its own port would reach itself.
    QStringList own;
    for (const QHostAddress &address : QNetworkInterface::allAddresses())
        own << address.toString();

    m_inventory = new Inventory(m_target, m_invocation.target.listenAddress, this);
    connect(m_inventory, &Inventory::frameSent, this, [this](const QString &address, const QByteArray &frame) {
        if (m_invocation.trace)
            err(address + QStringLiteral(" -> ") + hex(frame));
    });
    connect(m_inventory, &Inventory::replyReceived, this, [this](const QString &address, const QByteArray &reply) {
        if (m_invocation.trace)
            err(address + QStringLiteral(" <- ") + hex(reply));
    });
    connect(m_inventory, &Inventory::hostFinished, this, &Session::inventoryProgress);

    if (m_invocation.form == Invocation::Form::Lines)
        out(PingReport::ScanStartText);
    else if (m_invocation.form == Invocation::Form::Csv)
        out(ReplyRecord::csvHeader(ReplyRecord::Table::Parameters));
    m_round = modServerPing::SendPing(addresses, this);
    connect(m_round, &EchoRound::answered, this, [this, addresses, own](int index) {
        if (!own.contains(addresses[index]))
            m_inventory->ask(addresses[index]);
    });
    connect(m_round, &EchoRound::finished, this, [this] {
        if (m_round->permissionRefused())
            err(PingReport::permissionMessage(m_programPath));
        m_round->deleteLater();
        m_round = nullptr;
        inventoryProgress();
    });
}

// Once the scan is over and every host has its answer, the adapters are told in
// the order of their addresses.
void Session::inventoryProgress()
{
    if (m_finished || m_round || m_inventory->busy())
        return;
    QList<Inventory::Host> hosts = m_inventory->hosts();
    std::sort(hosts.begin(), hosts.end(), [](const Inventory::Host &a, const Inventory::Host &b) {
        return QHostAddress(a.address).toIPv4Address() < QHostAddress(b.address).toIPv4Address();
    });
    int status = ExitNoAnswer;
    for (const Inventory::Host &host : hosts) {
        if (m_invocation.form == Invocation::Form::Lines) {
            for (const QString &line : host.lines)
                out(host.address + QStringLiteral(": ") + line);
        } else if (!host.reply.isEmpty()) {
            record(host.address, ReplyRecord::fromReply(host.reply, host.end == Exchange::End::Answered));
        }
        if (host.end == Exchange::End::Answered
            && ReplyRecord::fromReply(host.reply, true).first().value.toString() == QLatin1String("parameters"))
            status = ExitAnswered;
    }
    if (m_invocation.form == Invocation::Form::Lines)
        out(PingReport::ScanPassText);
    done(status);
}
