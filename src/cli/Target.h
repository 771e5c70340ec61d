#pragma once

#include "cli/CommandLine.h"
#include "entry/CheckVerdict.h"
#include "requests/RequestSnapshot.h"

#include <QString>

#include <variant>

// The device a request goes to, and the window's fields as they would read: the
// settings file fills them as it fills the window's, the options are typed over
// them.
struct Target
{
    bool radio = false;
    QString host; // the LAN adapter, or the gateway of a radio device
    quint16 port = 0;
    // Text1 to Text5 and the target kind; the command fills the rest.
    RequestSnapshot fields;
};

namespace TargetFields {

// The installation's usual port, where neither the options nor the settings name one.
inline constexpr quint16 DefaultPort = 5000;

// The target from the settings file (by default the window's: the one in programFolder where it stands there,
// otherwise the user's, when it is there) and the options, or why there is none.
std::variant<Target, QString> resolve(const CommandLine::TargetOptions &options, const QString &programFolder,
                                      const QString &userFolder);

// The window's fields for a command: CurrentCommand, CurrentChannel, the switch
// button and, for programming, the new parameters; or why the options do not
// make such a request.
std::variant<RequestSnapshot, QString> forCommand(const Target &target, const CommandLine::Invocation &invocation);

// The check the window runs as the new IP address's fields are left: the
// refusal, or none.
CheckVerdict leaveChecks(const CommandLine::Invocation &invocation);

// How records name the target of a request: "127.0.0.2", or the radio device
// the frame is addressed to and its gateway, "28/1/22@127.0.0.3".
QString nameOf(const Target &target, const QByteArray &frame);

} // namespace TargetFields
