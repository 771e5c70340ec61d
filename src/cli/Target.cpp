#include "cli/Target.h"

#include "cli/ReplyRecord.h"
#include "entry/LeaveChecks.h"
#include "entry/SelectorRows.h"
#include "protocol/Frame.h"
#include "requests/NumberConversions.h"
#include "requests/RequestBuilder.h"
#include "shell/SettingsKeys.h"
#include "shell/modRWIniFile.h"

#include <QFile>
#include <QFileInfo>

namespace TargetFields {

namespace {

using namespace RequestBuilder;
using CommandLine::Invocation;
using CommandLine::ProgramOptions;

// The window's home address: Text3(0) as it starts, which the settings file does not fill.
const QString WindowHomeAddress = QStringLiteral("28");
constexpr int PortMax = 65535;
constexpr int Checked = 1;
constexpr int SwitchedOn = 1;
constexpr int AutoTxInChange = 3;
constexpr int AutoTxRepeat = 4;

// Whether the settings file reads as the window would read it.
bool readable(const QString &path)
{
    const QFileInfo info(path);
    QFile file(path);
    return info.isFile() && info.size() <= modRWIniFile::MaxIniFileSize && file.open(QIODevice::ReadOnly);
}

void typeRadioAddress(std::array<QString, 6> &fields, const Protocol::RadioAddress &address)
{
    fields[RadioHomeIndex] = QString::number(address.home);
    fields[RadioHighIndex] = QString::number(address.high);
    fields[RadioLowIndex] = QString::number(address.low);
}

// The names of the options a programming of this kind lacks.
QStringList missing(const QList<std::pair<bool, const char *>> &given)
{
    QStringList names;
    for (const auto &[isGiven, name] : given) {
        if (!isGiven)
            names << QLatin1String(name);
    }
    return names;
}

std::optional<QString> programLan(const ProgramOptions &p, RequestSnapshot &fields)
{
    const QStringList lacking = missing({{bool(p.address), "--new-address"}, {bool(p.gateway), "--new-gateway"},
                                         {bool(p.subnetMask), "--new-mask"},
                                         {bool(p.standardDestination), "--new-destination"},
                                         {bool(p.port), "--new-port"}, {bool(p.eNum), "--new-enum"}});
    if (!lacking.isEmpty())
        return QStringLiteral("programming a LAN adapter needs %1").arg(lacking.join(QStringLiteral(", ")));
    if (p.radio || p.frequencyCode || p.txPowerCode)
        return QStringLiteral("--new-radio, --frequency and --attenuation program a radio device, not a LAN adapter");
    SettingsKeys::fillAddressRow(fields.text2, LanIpAddressIndex, *p.address);
    SettingsKeys::fillAddressRow(fields.text2, LanGatewayIndex, *p.gateway);
    SettingsKeys::fillAddressRow(fields.text2, LanSubnetMaskIndex, *p.subnetMask);
    SettingsKeys::fillAddressRow(fields.text2, LanStdDestIndex, *p.standardDestination);
    fields.text2[LanPortIndex] = QString::number(*p.port);
    fields.text2[LanENumIndex] = QString::number(*p.eNum);
    fields.text2[LanTDiffOnIndex] = p.tDiffOn.value_or(fields.text2[LanTDiffOnIndex]);
    fields.text2[LanTDiffOffIndex] = p.tDiffOff.value_or(fields.text2[LanTDiffOffIndex]);
    for (const QString &flag : p.flags)
        fields.check2[ReplyRecord::LanFlagNames.indexOf(flag)] = Checked;
    // The window unticks AutoTxRepeat whenever AutoTxInChg is unticked.
    if (fields.check2[AutoTxRepeat] == Checked && fields.check2[AutoTxInChange] != Checked)
        return QStringLiteral("--flags: auto-tx-repeat needs auto-tx-in-change");
    return std::nullopt;
}

std::optional<QString> programRadio(const ProgramOptions &p, RequestSnapshot &fields)
{
    const QStringList lacking = missing(
        {{bool(p.radio), "--new-radio"}, {bool(p.frequencyCode), "--frequency"},
         {bool(p.txPowerCode), "--attenuation"}});
    if (!lacking.isEmpty())
        return QStringLiteral("programming a radio device needs %1").arg(lacking.join(QStringLiteral(", ")));
    if (p.address || p.gateway || p.subnetMask || p.standardDestination || p.port || p.eNum) {
        return QStringLiteral("--new-address, --new-gateway, --new-mask, --new-destination, --new-port and "
                              "--new-enum program a LAN adapter, not a radio device");
    }
    typeRadioAddress(fields.text5, *p.radio);
    fields.text5[RadioTDiffOnIndex] = p.tDiffOn.value_or(fields.text5[RadioTDiffOnIndex]);
    fields.text5[RadioTDiffOffIndex] = p.tDiffOff.value_or(fields.text5[RadioTDiffOffIndex]);
    for (const QString &flag : p.flags) {
        const qsizetype bit = ReplyRecord::LanFlagNames.indexOf(flag);
        // The window has no box for these: a radio device's AutoTx flags come only from its reply.
        if (bit >= ReplyRecord::RadioFlagNameCount || bit == AutoTxInChange || bit == AutoTxRepeat)
            return QStringLiteral("--flags: %1 cannot be set on a radio device").arg(flag);
        fields.check4[bit] = Checked;
    }
    fields.txPowerByte = quint8(SelectorRows::txPowerByte(SelectorRows::txPowerBoxesFor(*p.txPowerCode)));
    const auto [high, low] = SelectorRows::frequencyBytes(SelectorRows::frequencyBoxesFor(*p.frequencyCode));
    fields.frequencyHigh = quint8(high);
    fields.frequencyLow = quint8(low);
    return std::nullopt;
}

} // namespace

std::variant<Target, QString> resolve(const CommandLine::TargetOptions &options, const QString &programFolder,
                                      const QString &userFolder)
{
    QString path = options.settingsFile;
    if (path.isEmpty()) {
        const QString standard = modRWIniFile::InitIniPath(programFolder, userFolder);
        if (QFileInfo::exists(standard))
            path = standard;
    }
    if (!path.isEmpty() && !readable(path)) {
        return (options.settingsFile.isEmpty() ? QStringLiteral("cannot read the settings file %1")
                                               : QStringLiteral("--settings: cannot read the file %1"))
            .arg(path);
    }
    const auto inFile = [&path](const char *key) { return QStringLiteral("%1 in %2").arg(QLatin1String(key), path); };

    SettingsKeys::SettingsTexts texts;
    texts.text3[RadioHomeIndex] = WindowHomeAddress;
    SettingsKeys::applyStoredSettings(texts, [&path](const QString &key) {
        if (path.isEmpty())
            return QString();
        return modRWIniFile::ReadIniValue(QString::fromLatin1(SettingsKeys::IniSection), key, QString(), path,
                                          modRWIniFile::IniBufferSize);
    });

    Target target;
    target.radio = options.lan ? false : (options.gateway || options.radio) ? true
                                                                           : texts.select == SettingsKeys::SelectFunk;
    if (options.lan)
        SettingsKeys::fillAddressRow(texts.text1, LanIpAddressIndex, *options.lan);
    if (options.gateway)
        SettingsKeys::fillAddressRow(texts.text4, 0, *options.gateway);
    if (options.radio)
        typeRadioAddress(texts.text3, *options.radio);
    if (options.port)
        texts.text1[LanPortIndex] = QString::number(*options.port);
    if (options.eNum)
        (target.radio ? texts.text3[RadioENumIndex] : texts.text1[LanENumIndex]) = QString::number(*options.eNum);

    // The window calls the dotted fields; here they must make an address.
    const QString host = target.radio ? SettingsKeys::joinAddressRow(texts.text4, 0) : SettingsKeys::joinAddressRow(texts.text1, LanIpAddressIndex);
    const std::optional<QString> address = CommandLine::dottedAddress(host);
    if (host == QLatin1String("...")) {
        return target.radio ? QStringLiteral("no gateway: give --gateway ADDRESS, or FLGateway in the settings file")
                            : QStringLiteral("no LAN adapter: give --lan ADDRESS (or --gateway and --radio), or "
                                             "IPAdresse in the settings file");
    }
    if (!address) {
        return QStringLiteral("%1 is no IPv4 address: '%2'")
            .arg(inFile(target.radio ? "FLGateway" : "IPAdresse"), host);
    }
    target.host = *address;
    if (target.radio && (texts.text3[RadioHighIndex].isEmpty() || texts.text3[RadioLowIndex].isEmpty()))
        return QStringLiteral("no radio device: give --radio HOME/HIGH/LOW, or DAdrH and DAdrL in the settings file");

    // As the window takes its port; an empty field is the installation's usual port.
    const QString portText = texts.text1[LanPortIndex];
    if (portText.isEmpty())
        texts.text1[LanPortIndex] = QString::number(DefaultPort);
    const std::optional<qint32> port = NumberConversions::wholeNumber(texts.text1[LanPortIndex]);
    if (!port || *port < 1 || *port > PortMax)
        return QStringLiteral("%1 is no port from 1 to 65535: '%2'").arg(inFile("Port"), portText);
    target.port = quint16(*port);

    target.fields.targetKindIndex = target.radio ? TargetRadio : TargetLan;
    target.fields.text1 = texts.text1;
    target.fields.text2 = texts.text2;
    target.fields.text3 = texts.text3;
    target.fields.text5 = texts.text5;
    return target;
}

std::variant<RequestSnapshot, QString> forCommand(const Target &target, const Invocation &invocation)
{
    RequestSnapshot fields = target.fields;
    const QString &command = invocation.command;
    if (command == QLatin1String("params")) {
        fields.currentCommand = CommandParameterRequest;
    } else if (command == QLatin1String("measure")) {
        fields.currentCommand = CommandMeasurementRequest;
    } else if (command == QLatin1String("switch")) {
        fields.currentCommand = CommandSwitch;
        fields.currentChannel = invocation.channel - 1;
        fields.port1State = invocation.switchOn ? SwitchedOn : 0;
    } else if (command == QLatin1String("autosend")) {
        // The window offers AutoSend for LAN adapters only.
        if (target.radio)
            return QStringLiteral("autosend asks a LAN adapter; give --lan ADDRESS");
        fields.currentCommand = CommandAutoSend;
        fields.currentChannel = invocation.channel - 1;
    } else if (command == QLatin1String("program")) {
        fields.currentCommand = CommandProgramming;
        const std::optional<QString> error =
            target.radio ? programRadio(invocation.program, fields) : programLan(invocation.program, fields);
        if (error)
            return *error;
    }
    return fields;
}

CheckVerdict leaveChecks(const Invocation &invocation)
{
    if (!invocation.program.address)
        return {};
    const QStringList octets = invocation.program.address->split(u'.');
    for (int k = 0; k < OctetsPerAddress; ++k) {
        const CheckVerdict verdict = LeaveChecks::text2LostFocus(LanIpAddressIndex + k, octets[k]);
        if (verdict.failed)
            return verdict;
    }
    return {};
}

QString nameOf(const Target &target, const QByteArray &frame)
{
    if (!target.radio)
        return target.host;
    const Protocol::RadioAddress to = Protocol::parseRequest(frame).message.header.destination;
    return QStringLiteral("%1/%2/%3@%4").arg(to.home).arg(to.high).arg(to.low).arg(target.host);
}

} // namespace TargetFields
