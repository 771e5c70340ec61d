// The window's side of reply decoding: collecting the bytes of one reply,
// applying what the decoder makes of them, and ending the exchange.
#include "link/ConnectionCycle.h"
#include "link/SocketComponent.h"
#include "replies/ReplyDecoder.h"
#include "requests/TwoStateButton.h"
#include "shell/frmMain.h"
#include "shell/YieldToEvents.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <type_traits>

namespace {

constexpr int CurrentFrequencyLabel = 3;

} // namespace

void frmMain::SW_Read()
{
    const QByteArray segment = SW->read();
    // One reply per connection: what follows while it is shown goes with the connection.
    if (m_decoding)
        return;
    switch (m_reply.segmentArrived(segment)) {
    case ReplyAssembler::Progress::Complete:
        m_replyIdle->stop();
        DecodeReply();
        break;
    case ReplyAssembler::Progress::Partial:
        // A reply split on its way is decoded once its rest has come.
        m_replyIdle->start(ReplyAssembler::IdleTimeoutMs);
        break;
    case ReplyAssembler::Progress::Empty:
        break;
    }
}

void frmMain::ReplyIdle_Timer()
{
    if (m_reply.idleElapsed() == ReplyAssembler::Progress::Complete)
        DecodeReply();
}

void frmMain::StartReply()
{
    m_replyIdle->stop();
    const qsizetype traced = m_reply.takenBefore();
    Record(Seen::Dropped, m_reply.take().mid(traced));
}

bool frmMain::DecodeReply()
{
    m_replyIdle->stop();
    // The time-out stays out of the decoding; it keeps running for an exchange
    // that this reply does not end.
    const int remaining = Timer1->isActive() ? Timer1->remainingTime() : -1;
    Timer1->stop();
    const auto resumeTimeout = [this, remaining] {
        if (remaining >= 0)
            Timer1->start(remaining);
    };

    // The trace has each byte once, also where a frame is decoded again with its rest.
    const qsizetype traced = m_reply.takenBefore();
    const QByteArray received = m_reply.take();
    Record(Seen::Received, received.mid(traced));
    RxBuffer = received;
    if (ReplyDecoder::NothingReadable(received)) {
        resumeTimeout();
        WriteLog(QStringLiteral("-> Error: keine Daten !"));
        return false;
    }
    // A peer that closes while the reply is being shown is seen to by the
    // closing steps, or, where they do not follow, once the decoding is done.
    m_decoding = true;
    m_peerClosedWhileDecoding = false;
    const bool closed = ShowReply(received);
    m_decoding = false;
    if (!closed) {
        resumeTimeout();
        // Weather data that came without its rest keep the exchange open; the rest, when it comes, joins them.
        if (m_peerClosedWhileDecoding)
            SW_Disconnect();
        else
            m_reply.awaitRest(received);
    }
    return closed;
}

bool frmMain::ShowReply(const QByteArray &received)
{
    yieldToEvents();

    ReplySnapshot snapshot;
    const auto take = [](auto &into, const auto &fields) {
        for (std::size_t k = 0; k < fields.size(); ++k)
            into[k] = fields[k]->text();
    };
    take(snapshot.text1, Text1);
    take(snapshot.text2, Text2);
    take(snapshot.text3, Text3);
    for (std::size_t k = 0; k < Check5.size(); ++k)
        snapshot.check5[k] = Check5[k]->isChecked();
    snapshot.label15Frequency = Label15[CurrentFrequencyLabel]->text();
    snapshot.locale = QLocale();

    const ReplyDecoder::DecodedReply decoded = ReplyDecoder::DecodeReply(received, snapshot);
    RxBuffer = decoded.rxBuffer;
    for (const ReplyEffect &effect : decoded.effects)
        ApplyReplyEffect(effect);
    Record(Seen::Decoded, received);
    if (!decoded.closingStepsFollow())
        return false;
    CloseExchange();
    return true;
}

void frmMain::ApplyReplyEffect(const ReplyEffect &effect)
{
    std::visit(
        [this](const auto &e) {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, ReplyEffects::WriteLog>) {
                WriteLog(e.text);
            } else if constexpr (std::is_same_v<E, ReplyEffects::SetText>) {
                QWidget *target = control(e.field);
                if (auto *field = qobject_cast<QLineEdit *>(target)) {
                    SetFieldText(field, e.text);
                } else if (auto *label = qobject_cast<QLabel *>(target)) {
                    // Each measurement reply sets the temperature line, mostly to what it shows already. A resize,
                    // even to the same size, has the window work out anew what its opaque children cover.
                    if (label->text() != e.text || label->wordWrap() || label->size() != label->sizeHint()) {
                        label->setText(e.text);
                        label->adjustSize();
                    }
                }
            } else if constexpr (std::is_same_v<E, ReplyEffects::SetCheck>) {
                if (auto *box = qobject_cast<QCheckBox *>(control(e.box)))
                    box->setChecked(e.value == 1);
            } else if constexpr (std::is_same_v<E, ReplyEffects::SetUpdatingPorts>) {
                UpdatingPorts = e.value;
            } else if constexpr (std::is_same_v<E, ReplyEffects::SetSwitchState>) {
                if (auto *button = qobject_cast<TwoStateButton *>(control(e.button)))
                    button->setChecked(e.on);
            } else {
                static_assert(std::is_same_v<E, ReplyEffects::SetFillColour>);
                // Each measurement reply sets every indicator; a new palette costs a repaint, so only a new colour
                // is given one.
                const QColor colour = QColor::fromRgb(e.colour);
                QWidget *indicator = control(e.indicator);
                if (indicator && indicator->palette().color(QPalette::Window) != colour) {
                    QPalette fill = indicator->palette();
                    fill.setColor(QPalette::Window, colour);
                    indicator->setPalette(fill);
                }
            }
        },
        effect);
}

void frmMain::CloseExchange()
{
    // The decoding has stopped the time-out; the exchange, and any call in it, is over.
    m_callTimeout = false;
    yieldToEvents();
    CloseSocket();
    WriteLog(ConnectionCycle::ExchangeClosed);
    SW->disconnectSocket();
    SW->closeSocket();
    fraControl->setEnabled(true);
    yieldToEvents();
    if (ResumePolling) {
        ResumePolling = false;
        PollMeasurements();
    }
    // A resumed polling has its request under way; its own exchange ends in listening.
    if (SW->state() != SocketComponent::Connect)
        StartListening();
}
