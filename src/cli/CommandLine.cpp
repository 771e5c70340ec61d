#include "cli/CommandLine.h"

#include "cli/ReplyRecord.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cmath>

namespace CommandLine {

namespace {

constexpr int ChannelFirst = 1;
constexpr int ChannelLast = Protocol::ChannelCount;
constexpr int PortMax = 65535;
constexpr int ByteMax = 255;
constexpr int MsPerSecond = 1000;
constexpr int ShortestIntervalMs = 100;
constexpr int LongestIntervalMs = 24 * 60 * 60 * MsPerSecond;
constexpr int LargestCount = 1000000000;
constexpr double BaseMHz = 860.0;
constexpr double FrequencyStepsPerMHz = 200.0; // 5 kHz steps
constexpr int FrequencyCodeMax = (1 << Protocol::FrequencyCodeBits) - 1;
constexpr double StepTolerance = 1e-6;
constexpr int DbPerTxPowerStep = 3; // the three bits weigh 3, 6 and 12 dB
constexpr int TxPowerCodeMax = (1 << Protocol::TxPowerCodeBits) - 1;
constexpr int HelpColumn = 28;
constexpr int HelpWidth = 80;

const QString Program = QStringLiteral("tessra");

// Which options a command takes, besides --help and --json.
enum Group {
    DeviceGroup = 1, // --lan, --gateway, --radio
    PollingGroup = 2, // --interval, --count
    ProgramGroup = 4, // the new parameters
    CallGroup = 8, // the port, the eNum, the settings file, --listen, --trace
    CsvGroup = 16,
    TargetGroup = DeviceGroup | CallGroup,
};

struct Command
{
    QString name;
    QString arguments;
    QString summary;
    QString description;
    int groups = 0;
};

const QList<Command> Commands = {
    {QStringLiteral("params"), QString(), QStringLiteral("read the target's parameters"),
     QStringLiteral("Sends the parameter request to the target and shows its parameters."), TargetGroup},
    {QStringLiteral("measure"), QString(), QStringLiteral("read its measurement values, once or at intervals"),
     QStringLiteral("Sends the measurement request to the target and shows its outputs, inputs and temperatures (a "
                    "weather station answers with its weather data). With --interval it polls: one request every "
                    "interval, from send to send, answered or not; an exchange that outlasts the interval is "
                    "followed at once by the next request."),
     TargetGroup | PollingGroup | CsvGroup},
    {QStringLiteral("switch"), QStringLiteral("CHANNEL on|off"), QStringLiteral("switch an output channel (1 to 4)"),
     QStringLiteral("Switches output channel CHANNEL (1 to 4) of the target on or off and shows the outputs the "
                    "device acknowledges."),
     TargetGroup},
    {QStringLiteral("autosend"), QStringLiteral("INPUT"),
     QStringLiteral("let an input (1 to 4) of a LAN adapter report its changes"),
     QStringLiteral("Asks a LAN adapter to report the changes of input INPUT (1 to 4) by itself, to its standard "
                    "destination. The adapter acknowledges nothing: the short wait for a reply ends in a time-out, "
                    "and the request counts as answered once it went out."),
     TargetGroup},
    {QStringLiteral("program"), QString(), QStringLiteral("program new parameters into the target"),
     QStringLiteral("Programs new parameters into the target, through the window's checks; a refusal is told with the "
                    "window's message, and nothing is sent. A LAN adapter takes --new-address, --new-gateway, "
                    "--new-mask, --new-destination, --new-port and --new-enum, and --flags and --t-diff-on and "
                    "--t-diff-off (the latter two by default from the settings file's TDiffOnLan and TDiffOffLan). A "
                    "radio device takes --new-radio, --frequency and --attenuation, and --flags and --t-diff-on and "
                    "--t-diff-off (by default from TDiffOnFunk and TDiffOffFunk)."),
     TargetGroup | ProgramGroup},
    {QStringLiteral("ping"), QStringLiteral("ADDRESS"), QStringLiteral("send one echo request to an address"),
     QStringLiteral("Sends one echo request to ADDRESS and reports its answer as the window's ping does."), 0},
    {QStringLiteral("scan"), QStringLiteral("A.B.C"), QStringLiteral("ping the 256 addresses A.B.C.0 to A.B.C.255"),
     QStringLiteral("Pings A.B.C.0 to A.B.C.255 at once and reports the addresses that answered, in their order, as "
                    "the window's scan does."),
     0},
    {QStringLiteral("inventory"), QStringLiteral("A.B.C"),
     QStringLiteral("read the parameters of every LAN adapter in A.B.C.0 to A.B.C.255"),
     QStringLiteral("Pings A.B.C.0 to A.B.C.255 at once, as scan does, and sends the parameter request to every host "
                    "that answers as soon as it answers, all at the same time. Shows the parameters of each LAN "
                    "adapter (or gateway) that replies, in the order of the addresses; a host that answers the ping "
                    "but not the request is told with one line in the window's form, and is left out of JSON and "
                    "CSV. The requests carry the eNum of --enum or of the settings file, and go to the port of "
                    "--port or of the settings file."),
     CallGroup | CsvGroup},
};

const Command *findCommand(const QString &name)
{
    for (const Command &command : Commands) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

struct Options
{
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this text.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Writes one JSON object per reply, on a line of its own, instead of the "
                                           "window's lines.")};
    QCommandLineOption lan{QStringLiteral("lan"), QStringLiteral("The LAN adapter at ADDRESS."),
                           QStringLiteral("ADDRESS")};
    QCommandLineOption gateway{QStringLiteral("gateway"),
                               QStringLiteral("The radio/LAN gateway at ADDRESS, for the radio device of --radio."),
                               QStringLiteral("ADDRESS")};
    QCommandLineOption radio{QStringLiteral("radio"),
                             QStringLiteral("The radio device with this address behind the gateway, such as "
                                            "28/1/22."),
                             QStringLiteral("HOME/HIGH/LOW")};
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("The installation's port, called and listened on (default: the settings "
                                           "file's, else 5000)."),
                            QStringLiteral("PORT")};
    QCommandLineOption eNum{QStringLiteral("enum"),
                            QStringLiteral("The target's eNum (default: the settings file's eNumLan or eNumFunk)."),
                            QStringLiteral("ENUM")};
    QCommandLineOption settings{QStringLiteral("settings"),
                                QStringLiteral("The window's settings file (default: TessraPrg.ini beside tessra if "
                                               "it is there, else the user's, ~/.config/TessraProg/TessraPrg.ini)."),
                                QStringLiteral("FILE")};
    QCommandLineOption listen{QStringLiteral("listen"),
                              QStringLiteral("The address of this machine to call from and listen on (default: "
                                             "every address)."),
                              QStringLiteral("ADDRESS")};
    QCommandLineOption trace{QStringLiteral("trace"),
                             QStringLiteral("Writes every frame sent and received as hex to standard error.")};
    QCommandLineOption interval{QStringLiteral("interval"),
                                QStringLiteral("Polls: one request every SECONDS (0.1 or more)."),
                                QStringLiteral("SECONDS")};
    QCommandLineOption count{QStringLiteral("count"),
                             QStringLiteral("Polls N times (default: until interrupted)."), QStringLiteral("N")};
    QCommandLineOption csv{QStringLiteral("csv"),
                           QStringLiteral("Writes a header line and one CSV row per reply instead of the window's "
                                          "lines.")};
    QCommandLineOption newAddress{QStringLiteral("new-address"), QStringLiteral("LAN: the new IP address."),
                                  QStringLiteral("ADDRESS")};
    QCommandLineOption newGateway{QStringLiteral("new-gateway"), QStringLiteral("LAN: the new gateway."),
                                  QStringLiteral("ADDRESS")};
    QCommandLineOption newMask{QStringLiteral("new-mask"), QStringLiteral("LAN: the new subnet mask."),
                               QStringLiteral("ADDRESS")};
    QCommandLineOption newDestination{QStringLiteral("new-destination"),
                                      QStringLiteral("LAN: the new standard destination (StdDestIP), where the "
                                                     "adapter reports to."),
                                      QStringLiteral("ADDRESS")};
    QCommandLineOption newPort{QStringLiteral("new-port"), QStringLiteral("LAN: the new port."),
                               QStringLiteral("PORT")};
    QCommandLineOption newENum{QStringLiteral("new-enum"), QStringLiteral("LAN: the new eNum."),
                               QStringLiteral("ENUM")};
    QCommandLineOption newRadio{QStringLiteral("new-radio"), QStringLiteral("Radio: the new address."),
                                QStringLiteral("HOME/HIGH/LOW")};
    QCommandLineOption frequency{QStringLiteral("frequency"),
                                 QStringLiteral("Radio: the frequency, 860 to 880.475 in steps of 0.005."),
                                 QStringLiteral("MHZ")};
    QCommandLineOption attenuation{QStringLiteral("attenuation"),
                                   QStringLiteral("Radio: the transmit power's attenuation, 0 to 21 in steps of 3."),
                                   QStringLiteral("DB")};
    QCommandLineOption flags{QStringLiteral("flags"),
                             QStringLiteral("The flags to set, separated by commas: out-state-mem, in-state-mem, "
                                            "sys-timeout, auto-tx-in-change, auto-tx-repeat, t-diff-regulator, "
                                            "and for a LAN adapter suppress-high-priority-port, m2m-comm."),
                             QStringLiteral("LIST")};
    QCommandLineOption tDiffOn{QStringLiteral("t-diff-on"),
                               QStringLiteral("The T-Diff threshold that switches on, in degrees Celsius."),
                               QStringLiteral("CELSIUS")};
    QCommandLineOption tDiffOff{QStringLiteral("t-diff-off"),
                                QStringLiteral("The T-Diff threshold that switches off, in degrees Celsius."),
                                QStringLiteral("CELSIUS")};

    QList<QCommandLineOption> of(int groups) const
    {
        QList<QCommandLineOption> list;
        if (groups & DeviceGroup)
            list << lan << gateway << radio;
        if (groups & CallGroup)
            list << port << eNum << settings << listen;
        if (groups & ProgramGroup) {
            list << newAddress << newGateway << newMask << newDestination << newPort << newENum << newRadio
                 << frequency << attenuation << flags << tDiffOn << tDiffOff;
        }
        if (groups & PollingGroup)
            list << interval << count;
        if (groups & CsvGroup)
            list << csv;
        list << json;
        if (groups & CallGroup)
            list << trace;
        list << help;
        return list;
    }
};

// "  --port PORT   The installation's ...", the description wrapped beside the names.
QString optionLines(const QList<QCommandLineOption> &options)
{
    QString text;
    for (const QCommandLineOption &option : options) {
        QStringList names;
        for (const QString &name : option.names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString line = QStringLiteral("  ") + names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            line += u' ' + option.valueName();
        QString indent(HelpColumn, u' ');
        line = line.size() + 2 > HelpColumn ? line + u'\n' + indent : line.leftJustified(HelpColumn);
        for (const QString &word : option.description().split(u' ')) {
            if (line.size() - line.lastIndexOf(u'\n') + word.size() > HelpWidth)
                line += u'\n' + indent;
            else if (!line.endsWith(u' '))
                line += u' ';
            line += word;
        }
        text += line + u'\n';
    }
    return text;
}

QString wrapped(const QString &paragraph)
{
    QString text;
    qsizetype lineStart = 0;
    for (const QString &word : paragraph.split(u' ')) {
        if (text.size() > lineStart && text.size() - lineStart + word.size() + 1 > HelpWidth) {
            text += u'\n';
            lineStart = text.size();
        } else if (text.size() > lineStart) {
            text += u' ';
        }
        text += word;
    }
    return text + u'\n';
}

const QString ExitStatusHelp = QStringLiteral(
    "Exit status: 0 answered, 1 no answer, a time-out or the port taken, 2 bad usage, 3 a check or the device "
    "refused.");

QString programHelp()
{
    QString text = QStringLiteral("Usage: %1 <command> [options]\n\n").arg(Program);
    text += wrapped(QStringLiteral(
        "Talks to the LAN adapters and radio devices of the installation as the TessraProg window does, byte for "
        "byte, and writes the window's lines, JSON or CSV. It needs no display. What the command line does not say "
        "comes from the window's settings file."));
    text += QStringLiteral("\nCommands:\n");
    for (const Command &command : Commands) {
        const QString name = QStringLiteral("  ") + (command.name + u' ' + command.arguments).trimmed();
        text += name.leftJustified(HelpColumn) + command.summary + u'\n';
    }
    text += QStringLiteral("  help COMMAND").leftJustified(HelpColumn) + QStringLiteral("describe a command\n");
    text += QStringLiteral("\nOptions:\n");
    text += optionLines({Options().help,
                         QCommandLineOption(QStringLiteral("version"), QStringLiteral("Shows the version."))});
    text += u'\n' + wrapped(QStringLiteral("'%1 help COMMAND' or '%1 COMMAND --help' lists a command's options. ")
                                .arg(Program) + ExitStatusHelp);
    return text;
}

QString commandHelp(const Command &command)
{
    QString text = QStringLiteral("Usage: %1 %2%3 [options]\n\n")
                       .arg(Program, command.name, command.arguments.isEmpty() ? QString() : u' ' + command.arguments);
    text += wrapped(command.description);
    text += QStringLiteral("\nOptions:\n") + optionLines(Options().of(command.groups));
    if (command.groups & DeviceGroup) {
        text += u'\n' + wrapped(QStringLiteral(
            "The target is --lan, or --gateway with --radio; without them the settings file's Select chooses LAN "
            "(IPAdresse) or radio (FLGateway with the home address 28 and DAdrH and DAdrL)."));
    }
    text += u'\n' + wrapped(ExitStatusHelp);
    return text;
}

Reply usageError(const QString &message)
{
    return {Program + QStringLiteral(": ") + message + u'\n', ExitUsage};
}

// A whole number in decimal digits, within the range.
std::optional<int> wholeIn(const QString &text, int min, int max)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < min || value > max)
        return std::nullopt;
    return int(value);
}

// Dotted parts, each 0 to 255; the parts as numbers, joined again with ".".
std::optional<QString> dotted(const QString &text, int parts)
{
    const QStringList split = text.split(u'.');
    if (split.size() != parts)
        return std::nullopt;
    QStringList numbers;
    for (const QString &part : split) {
        const std::optional<int> value = wholeIn(part, 0, ByteMax);
        if (!value)
            return std::nullopt;
        numbers << QString::number(*value);
    }
    return numbers.join(u'.');
}

std::optional<Protocol::RadioAddress> radioAddress(const QString &text)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() != 3)
        return std::nullopt;
    const std::optional<int> home = wholeIn(parts[0], 0, ByteMax);
    const std::optional<int> high = wholeIn(parts[1], 0, ByteMax);
    const std::optional<int> low = wholeIn(parts[2], 0, ByteMax);
    if (!home || !high || !low)
        return std::nullopt;
    return Protocol::RadioAddress{quint8(*home), quint8(*high), quint8(*low)};
}

// A number of degrees or seconds: digits with at most one "." or "," in them.
std::optional<double> decimal(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[0-9]{1,9}([.,][0-9]{1,9})?$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    return QString(text).replace(u',', u'.').toDouble();
}

// Reads the options of a parsed command line one by one; the first that is
// wrong is the error.
class Reader
{
public:
    explicit Reader(const QCommandLineParser &parser) : m_parser(parser) {}

    std::optional<QString> error;

    // Asked without a warning also of an option that the command does not take.
    bool given(const QCommandLineOption &option) const
    {
        return m_parser.optionNames().contains(option.names().constLast());
    }

    template<typename T, typename Check>
    void read(const QCommandLineOption &option, std::optional<T> &into, Check check, const QString &takes)
    {
        if (error || !given(option))
            return;
        const QString value = m_parser.value(option);
        if (const auto checked = check(value))
            into = T(*checked);
        else
            error = QStringLiteral("--%1 takes %2, not '%3'").arg(option.names().constLast(), takes, value);
    }
    void address(const QCommandLineOption &option, std::optional<QString> &into)
    {
        read(option, into, [](const QString &v) { return dotted(v, 4); }, QStringLiteral("an IPv4 address"));
    }
    void portNumber(const QCommandLineOption &option, std::optional<quint16> &into)
    {
        read(option, into, [](const QString &v) { return wholeIn(v, 1, PortMax); },
             QStringLiteral("a port from 1 to 65535"));
    }
    void byte(const QCommandLineOption &option, std::optional<quint8> &into)
    {
        read(option, into, [](const QString &v) { return wholeIn(v, 0, ByteMax); },
             QStringLiteral("a number from 0 to 255"));
    }
    void radio(const QCommandLineOption &option, std::optional<Protocol::RadioAddress> &into)
    {
        read(option, into, radioAddress, QStringLiteral("a radio address HOME/HIGH/LOW, such as 28/1/22"));
    }
    void celsius(const QCommandLineOption &option, std::optional<QString> &into)
    {
        read(option, into, [](const QString &v) { return decimal(v) ? std::optional<QString>(v) : std::nullopt; },
             QStringLiteral("degrees Celsius, such as 1.5"));
    }

private:
    const QCommandLineParser &m_parser;
};

std::optional<int> frequencyCodeOf(const QString &text)
{
    const std::optional<double> mhz = decimal(text);
    if (!mhz)
        return std::nullopt;
    const double steps = (*mhz - BaseMHz) * FrequencyStepsPerMHz;
    const double code = std::round(steps);
    // A frequency between two steps is not one the device can take; the tolerance only absorbs the binary fraction.
    if (std::abs(steps - code) > StepTolerance || code < 0 || code > FrequencyCodeMax)
        return std::nullopt;
    return int(code);
}

std::optional<int> txPowerCodeOf(const QString &text)
{
    const std::optional<int> db = wholeIn(text, 0, TxPowerCodeMax * DbPerTxPowerStep);
    if (!db || *db % DbPerTxPowerStep != 0)
        return std::nullopt;
    return *db / DbPerTxPowerStep;
}

std::optional<QStringList> flagList(const QString &text)
{
    QStringList names;
    for (const QString &name : text.split(u',', Qt::SkipEmptyParts)) {
        if (!ReplyRecord::LanFlagNames.contains(name.trimmed()))
            return std::nullopt;
        names << name.trimmed();
    }
    return names;
}

// The command's own words after its name.
std::optional<QString> readArguments(const Command &command, const QStringList &words, Invocation &invocation)
{
    const QString expected = QStringLiteral("%1 takes %2").arg(
        command.name, command.arguments.isEmpty() ? QStringLiteral("no arguments") : command.arguments);
    const qsizetype wanted = command.arguments.isEmpty() ? 0 : command.arguments.count(u' ') + 1;
    if (words.size() != wanted) {
        return words.size() > wanted ? QStringLiteral("unexpected argument '%1'; %2").arg(words[wanted], expected)
                                     : expected;
    }
    if (command.name == QLatin1String("switch") || command.name == QLatin1String("autosend")) {
        const std::optional<int> channel = wholeIn(words[0], ChannelFirst, ChannelLast);
        if (!channel)
            return QStringLiteral("%1 takes a channel from 1 to 4, not '%2'").arg(command.name, words[0]);
        invocation.channel = *channel;
    }
    if (command.name == QLatin1String("switch")) {
        if (words[1] != QLatin1String("on") && words[1] != QLatin1String("off"))
            return QStringLiteral("switch takes on or off after the channel, not '%1'").arg(words[1]);
        invocation.switchOn = words[1] == QLatin1String("on");
    }
    if (command.arguments == QLatin1String("ADDRESS") || command.arguments == QLatin1String("A.B.C")) {
        const bool range = command.arguments == QLatin1String("A.B.C");
        const std::optional<QString> address = dotted(words[0], range ? 3 : 4);
        if (!address) {
            return (range ? QStringLiteral("%1 takes the first three parts of a range, such as 192.168.28, not '%2'")
                          : QStringLiteral("%1 takes an IPv4 address, not '%2'"))
                .arg(command.name, words[0]);
        }
        invocation.address = *address;
    }
    return std::nullopt;
}

std::variant<Invocation, Reply> parseCommand(const Command &command, const QStringList &arguments)
{
    const Options o;
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    parser.addOptions(o.of(command.groups));
    if (!parser.parse(QStringList{Program} + arguments))
        return usageError(parser.errorText());
    if (parser.isSet(o.help))
        return Reply{commandHelp(command), ExitAnswered};

    Invocation invocation;
    invocation.command = command.name;
    if (const std::optional<QString> error = readArguments(command, parser.positionalArguments(), invocation))
        return usageError(*error);

    Reader read(parser);
    TargetOptions &target = invocation.target;
    read.address(o.lan, target.lan);
    read.address(o.gateway, target.gateway);
    read.radio(o.radio, target.radio);
    read.portNumber(o.port, target.port);
    read.byte(o.eNum, target.eNum);
    std::optional<QHostAddress> listen;
    read.read(o.listen, listen, [](const QString &v) {
        const QHostAddress address(v);
        return address.isNull() ? std::nullopt : std::optional<QHostAddress>(address);
    }, QStringLiteral("an address of this machine"));
    target.listenAddress = listen.value_or(QHostAddress(QHostAddress::Any));
    if (read.given(o.settings)) {
        target.settingsFile = parser.value(o.settings);
        if (target.settingsFile.isEmpty())
            read.error = QStringLiteral("--settings takes a file");
    }

    ProgramOptions &program = invocation.program;
    // The new IP address is typed as it is: the window's leave check judges its parts.
    read.read(o.newAddress, program.address, [](const QString &v) {
        static const QRegularExpression parts(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{1,3}){3}$"));
        return parts.match(v).hasMatch() ? std::optional<QString>(v) : std::nullopt;
    }, QStringLiteral("an IPv4 address"));
    read.address(o.newGateway, program.gateway);
    read.address(o.newMask, program.subnetMask);
    read.address(o.newDestination, program.standardDestination);
    read.portNumber(o.newPort, program.port);
    read.byte(o.newENum, program.eNum);
    read.radio(o.newRadio, program.radio);
    read.read(o.frequency, program.frequencyCode, frequencyCodeOf,
              QStringLiteral("a frequency from 860 to 880.475 MHz in steps of 0.005"));
    read.read(o.attenuation, program.txPowerCode, txPowerCodeOf, QStringLiteral("0, 3, 6 and so on up to 21 dB"));
    std::optional<QStringList> flags;
    read.read(o.flags, flags, flagList, QStringLiteral("flag names separated by commas (see --help)"));
    program.flags = flags.value_or(QStringList());
    read.celsius(o.tDiffOn, program.tDiffOn);
    read.celsius(o.tDiffOff, program.tDiffOff);

    std::optional<int> interval;
    read.read(o.interval, interval, [](const QString &v) -> std::optional<int> {
        const std::optional<double> seconds = decimal(v);
        if (!seconds || *seconds * MsPerSecond < ShortestIntervalMs || *seconds * MsPerSecond > LongestIntervalMs)
            return std::nullopt;
        return int(std::lround(*seconds * MsPerSecond));
    }, QStringLiteral("seconds from 0.1 to 86400"));
    invocation.intervalMs = interval.value_or(0);
    std::optional<int> count;
    read.read(o.count, count, [](const QString &v) { return wholeIn(v, 1, LargestCount); },
              QStringLiteral("a number of requests from 1 up"));
    invocation.count = count.value_or(0);
    if (read.error)
        return usageError(*read.error);

    if (read.given(o.count) && !read.given(o.interval))
        return usageError(QStringLiteral("--count polls, and needs --interval"));
    if (read.given(o.json) && read.given(o.csv))
        return usageError(QStringLiteral("--json and --csv cannot both be given"));
    if (target.lan && (target.gateway || target.radio))
        return usageError(QStringLiteral("--lan names a LAN adapter; --gateway and --radio a radio device"));
    invocation.form = read.given(o.json) ? Invocation::Form::Json
        : read.given(o.csv)              ? Invocation::Form::Csv
                                         : Invocation::Form::Lines;
    invocation.trace = read.given(o.trace);
    return invocation;
}

} // namespace

std::variant<Invocation, Reply> parse(const QStringList &arguments)
{
    const QStringList words = arguments.mid(1);
    if (words.isEmpty())
        return usageError(QStringLiteral("no command given; '%1 --help' lists the commands").arg(Program));
    const QString first = words.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return Reply{programHelp(), ExitAnswered};
    if (first == QLatin1String("--version"))
        return Reply{QStringLiteral("%1 %2\n").arg(Program, QStringLiteral(TESSRA_VERSION)), ExitAnswered};
    if (first == QLatin1String("help")) {
        if (words.size() == 1)
            return Reply{programHelp(), ExitAnswered};
        if (const Command *command = findCommand(words[1]); command && words.size() == 2)
            return Reply{commandHelp(*command), ExitAnswered};
        return usageError(QStringLiteral("help takes the name of a command, not '%1'").arg(words.mid(1).join(u' ')));
    }
    const Command *command = findCommand(first);
    if (!command) {
        return usageError(QStringLiteral("'%1' is no command; '%2 --help' lists the commands")
                              .arg(first, Program));
    }
    return parseCommand(*command, words.mid(1));
}

std::optional<QString> dottedAddress(const QString &text)
{
    return dotted(text, 4);
}

} // namespace CommandLine
