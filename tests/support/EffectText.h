#pragma once

// The functional core's effects as lines, for its tables: "log [text]", "refused [message]", and a line per run of
// effects on one control array that lists index=value: "Check6: 0=1 1=1 2=0".

#include "replies/ReplyEffect.h"

#include <QStringList>

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
    for (const Effect &effect : effects)
        std::visit(
            [&](const auto &e) {
                using T = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<T, WriteLog>)
                    lines << "log [" + e.text + "]";
                else if constexpr (std::is_same_v<T, SetText>)
                    field(e.field, e.text);
                else if constexpr (std::is_same_v<T, SetCheck>)
                    field(e.box, QString::number(e.value));
                else if constexpr (std::is_same_v<T, SetLongReplyTimeout>)
                    lines << (e.value ? "long time-out" : "short time-out");
                else if constexpr (std::is_same_v<T, ShowCheckVerdict>)
                    lines << "refused [" + e.verdict.message + "]";
                else if constexpr (std::is_same_v<T, SetUpdatingPorts>)
                    lines << (e.value ? "UpdatingPorts on" : "UpdatingPorts off");
                else if constexpr (std::is_same_v<T, SetSwitchState>)
                    field(e.button, e.on ? "on" : "off");
                else
                    field(e.indicator, e.colour.name());
            },
            effect);
    return lines;
}
