// The window's side of BuildRequest: what the builder reads from the fields,
// and what it does to them.
#include "entry/CheckVerdict.h"
#include "requests/RequestBuilder.h"
#include "requests/TwoStateButton.h"
#include "shell/frmMain.h"
#include "shell/YieldToEvents.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <type_traits>

namespace {

// A check box's value: 0 unticked, 1 ticked, 2 greyed.
constexpr int Unchecked = 0;
constexpr int Checked = 1;
constexpr int Greyed = 2;
constexpr int SwitchedOn = 1;

template <std::size_t N>
std::array<QString, N> texts(const std::array<QLineEdit *, N> &fields)
{
    std::array<QString, N> values;
    for (std::size_t k = 0; k < N; ++k)
        values[k] = fields[k]->text();
    return values;
}

template <std::size_t N>
std::array<int, N> checkValues(const std::array<QCheckBox *, N> &boxes)
{
    std::array<int, N> result{};
    for (std::size_t k = 0; k < N; ++k) {
        switch (boxes[k]->checkState()) {
        case Qt::Checked:
            result[k] = Checked;
            break;
        case Qt::PartiallyChecked:
            result[k] = Greyed;
            break;
        case Qt::Unchecked:
            result[k] = Unchecked;
            break;
        }
    }
    return result;
}

Qt::CheckState checkState(int value)
{
    if (value == Checked)
        return Qt::Checked;
    return value == Greyed ? Qt::PartiallyChecked : Qt::Unchecked;
}

} // namespace

void frmMain::BuildRequest()
{
    RequestSnapshot snapshot;
    snapshot.currentCommand = CurrentCommand;
    snapshot.currentChannel = CurrentChannel;
    snapshot.targetKindIndex = Combo1->currentIndex();
    snapshot.text1 = texts(Text1);
    snapshot.text3 = texts(Text3);
    // A channel without a switch button reads as switched off.
    if (CurrentChannel >= 0 && static_cast<std::size_t>(CurrentChannel) < Port1.size())
        snapshot.port1State = Port1[static_cast<std::size_t>(CurrentChannel)]->isChecked() ? SwitchedOn : 0;
    // The new parameters go only into a programming request: the measurement poll, every 3 s, reads none of them.
    if (CurrentCommand == RequestBuilder::CommandProgramming) {
        snapshot.text2 = texts(Text2);
        snapshot.text5 = texts(Text5);
        snapshot.check2 = checkValues(Check2);
        snapshot.check4 = checkValues(Check4);
        snapshot.txPowerByte = static_cast<quint8>(GetTxPowerByte());
        qint16 frequencyHigh = 0;
        qint16 frequencyLow = 0;
        GetFrequencyBytes(frequencyHigh, frequencyLow);
        snapshot.frequencyHigh = static_cast<quint8>(frequencyHigh);
        snapshot.frequencyLow = static_cast<quint8>(frequencyLow);
    }

    const RequestBuilder::BuiltRequest built = RequestBuilder::BuildRequest(snapshot);
    for (const RequestEffect &effect : built.effects) {
        std::visit(
            [this](const auto &e) {
                using E = std::decay_t<decltype(e)>;
                if constexpr (std::is_same_v<E, RequestEffects::SetLongReplyTimeout>) {
                    LongReplyTimeout = e.value;
                } else if constexpr (std::is_same_v<E, RequestEffects::WriteLog>) {
                    WriteLog(e.text);
                } else if constexpr (std::is_same_v<E, RequestEffects::SetText>) {
                    if (auto *field = qobject_cast<QLineEdit *>(control(e.field)))
                        SetFieldText(field, e.text);
                } else if constexpr (std::is_same_v<E, RequestEffects::SetCheck>) {
                    if (auto *box = qobject_cast<QCheckBox *>(control(e.box)))
                        box->setCheckState(checkState(e.value));
                } else {
                    static_assert(std::is_same_v<E, RequestEffects::ShowCheckVerdict>);
                    ShowVerdict(e.verdict);
                }
            },
            effect);
    }
    RequestFrame = built.requestFrame;
    // Whatever was queued meanwhile is handled before the caller sends.
    if (!RequestFrame.isEmpty())
        yieldToEvents();
}
