#pragma once

#include "protocol/Values.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// What tessra is asked to do, read from its command line and checked: each
// command, the options it takes, and their help.
namespace CommandLine {

// The exit status of every run.
inline constexpr int ExitAnswered = 0;
inline constexpr int ExitNoAnswer = 1; // no answer, a time-out, or the port is taken
inline constexpr int ExitUsage = 2;
inline constexpr int ExitRefused = 3; // a check or the device refused

// Where a request goes; what is not given comes from the settings file.
struct TargetOptions
{
    std::optional<QString> lan; // dotted address
    std::optional<QString> gateway;
    std::optional<Protocol::RadioAddress> radio;
    std::optional<quint16> port;
    std::optional<quint8> eNum;
    QString settingsFile; // empty: the default file, if there is one
    QHostAddress listenAddress = QHostAddress::Any;
};

// New parameters for "program", as typed into the window's fields.
struct ProgramOptions
{
    // LAN adapter: dotted addresses.
    std::optional<QString> address, gateway, subnetMask, standardDestination;
    std::optional<quint16> port;
    std::optional<quint8> eNum;
    // Radio device.
    std::optional<Protocol::RadioAddress> radio;
    std::optional<int> frequencyCode;
    std::optional<int> txPowerCode;
    // Both.
    QStringList flags; // names as ReplyRecord writes them
    std::optional<QString> tDiffOn, tDiffOff; // degrees Celsius as typed
};

struct Invocation
{
    enum class Form { Lines, Json, Csv };

    QString command;
    TargetOptions target;
    Form form = Form::Lines;
    bool trace = false;
    // measure: 0 asks once; a count of 0 polls until stopped.
    int intervalMs = 0;
    int count = 0;
    // switch and autosend: 1 to 4.
    int channel = 0;
    bool switchOn = false;
    // ping: an address; scan: the first three parts of a range.
    QString address;
    ProgramOptions program;
};

// A text to show instead of running: help and version on standard output with
// status 0, a usage error on standard error with status 2.
struct Reply
{
    QString text;
    int status = ExitAnswered;
};

std::variant<Invocation, Reply> parse(const QStringList &arguments);

// An IPv4 address in four dotted decimal parts, each 0 to 255, written again
// without leading zeros; nothing for any other text.
std::optional<QString> dottedAddress(const QString &text);

} // namespace CommandLine
