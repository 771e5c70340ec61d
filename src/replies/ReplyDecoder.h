#pragma once

#include "replies/ReplyEffect.h"
#include "replies/ReplySnapshot.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Turns a received reply, as the protocol layer parses it, into log lines and window fields.
namespace ReplyDecoder {

// Of what arrives, at most the preamble and 43 body bytes are decoded (RxBuffer).
inline constexpr int MaxDecodedLength = 45;

// How decoding ended, and so whether the window's closing steps follow.
enum class ReplyEnd {
    NoData, // nothing but blanks arrived: "-> Error: keine Daten !", return at once
    Decoded, // the reply was handled: closing steps
    Undecodable, // unknown code or a byte missing: the decode-error line was the last effect; closing steps
    KeptOpen, // a weather reply too short for its values: return without closing steps
};

struct DecodedReply
{
    // In order; effects made before a missing byte stay, then the decode-error line.
    QList<ReplyEffect> effects;
    ReplyEnd end = ReplyEnd::NoData;
    // RxBuffer as decoding leaves it: the body (preamble dropped) of at most
    // the first 45 bytes; for NoData, what arrived.
    QByteArray rxBuffer;

    bool closingStepsFollow() const { return end == ReplyEnd::Decoded || end == ReplyEnd::Undecodable; }
};

// Whether what arrived is empty or blanks (0x20) only. The window checks this
// before it yields to pending events and takes the snapshot.
bool NothingReadable(QByteArrayView received);

// DecodeReply, from everything that arrived. Of the first 45 bytes the two
// preamble bytes are dropped whatever they are; the reply is recognised by its
// code alone (no length or checksum check), and a reply that breaks off shows
// the fields that arrived before the decode-error line. Window state that earlier effects change (the frequency caption after
// the boxes changed, the texts copied into the new fields) is worked out from
// the snapshot and those effects.
DecodedReply DecodeReply(QByteArrayView received, const ReplySnapshot &snapshot);

} // namespace ReplyDecoder
