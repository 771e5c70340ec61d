#pragma once

// The functional core's effects as lines, for its tables: "log [text]", "refused [message]", and a line per run of
// effects on one control array that lists index=value: "Check6: 0=1 1=1 2=0".

#include "replies/ReplyEffect.h"

#include <QStringList>

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

template <typename Effect>
QStringList effectLines(const QList<Effect> &effects)
{
    static const char *const names[] = {"Text1",  "Text2",  "Text3",  "Text5",  "Check1", "Check2", "Check3", "Check4",
                                        "Check5", "Check6", "Check7", "Check8", "Port1",  "Shape1", "Label12"};
    QStringList lines;
    const auto field = [&lines](const FieldRef &f, const QString &value) {
        const QString name = QLatin1String(names[int(f.array)]) + ':';
        if (lines.isEmpty() || !lines.last().startsWith(name))
            lines << name;
        lines.last() += QString(" %1=%2").arg(f.index).arg(value);
    };
    using namespace RequestEffects;
    using namespace ReplyEffects;
    const Overloaded describe{
        [&](const WriteLog &e) { lines << "log [" + e.text + "]"; },
        [&](const SetText &e) { field(e.field, e.text); },
        [&](const SetCheck &e) { field(e.box, QString::number(e.value)); },
        [&](const SetLongReplyTimeout &e) { lines << (e.value ? "long time-out" : "short time-out"); },
        [&](const ShowCheckVerdict &e) { lines << "refused [" + e.verdict.message + "]"; },
        [&](const SetUpdatingPorts &e) { lines << (e.value ? "UpdatingPorts on" : "UpdatingPorts off"); },
        [&](const SetSwitchState &e) { field(e.button, e.on ? "on" : "off"); },
        [&](const SetFillColour &e) { field(e.indicator, QString::asprintf("#%06x", e.colour)); }};
    for (const Effect &effect : effects)
        std::visit(describe, effect);
    return lines;
}
