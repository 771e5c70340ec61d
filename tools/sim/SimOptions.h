#pragma once

#include "DeviceModels.h"

#include <QString>
#include <QStringList>

#include <optional>

// The command line of tessra-sim.
struct SimOptions
{
    static inline const Ipv4 DefaultAddress{127, 0, 0, 2};

    Ipv4 address = DefaultAddress; // of the first device; the others follow
    std::optional<quint16> port; // otherwise the file's
    QString configPath; // empty: the example installation that comes with the program
    std::optional<Ipv4> destination; // replaces every device's standard destination
    bool help = false;

    // The arguments with the program's name first. On a mistake error says
    // what is wrong; helpText is always the usage text.
    static SimOptions parse(const QStringList &arguments, QString &error, QString &helpText);
};
