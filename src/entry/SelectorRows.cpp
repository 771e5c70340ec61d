#include "entry/SelectorRows.h"

namespace SelectorRows {

namespace {

constexpr float BaseMHz = 860.0f;
constexpr float LowestStepMHz = 860.005f;
constexpr double HundredthsPerMHz = 100.0;
constexpr int CaptionDigits = 7;
constexpr std::array<int, TxPowerBits> AttenuationDb = {3, 6, 12};
constexpr int BitsPerByte = 8;
constexpr int ByteMask = 0xFF;

} // namespace

QString frequencyCaption(const FrequencyBoxes &boxes, const QLocale &locale)
{
    // Bit 0 is the 5 kHz step; the higher bits count hundredths of a MHz from 10 kHz up.
    float f = boxes[0] ? LowestStepMHz : BaseMHz;
    qint16 n = 0;
    for (int k = 1; k < FrequencyBits; ++k) {
        if (boxes[static_cast<std::size_t>(k)])
            n = static_cast<qint16>(n + (1 << (k - 1)));
    }
    f = static_cast<float>(static_cast<double>(f) + n / HundredthsPerMHz);
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("F=") + plain.toString(static_cast<double>(f), 'g', CaptionDigits)
        + QStringLiteral(" MHz");
}

int txPowerAttenuation(const TxPowerBoxes &boxes)
{
    int db = 0;
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        if (boxes[k])
            db += AttenuationDb[k];
    }
    return db;
}

QString txPowerCaption(const TxPowerBoxes &boxes)
{
    return QStringLiteral("TX-Pwr -") + QString::number(txPowerAttenuation(boxes)) + QStringLiteral(" dB");
}

int txPowerByte(const TxPowerBoxes &boxes)
{
    int byte = CodeBytePattern;
    for (int k = 0; k < TxPowerBits; ++k) {
        if (boxes[static_cast<std::size_t>(k)])
            byte += 1 << k;
    }
    return byte;
}

std::pair<int, int> frequencyBytes(const FrequencyBoxes &boxes)
{
    int high = CodeBytePattern;
    int low = 0;
    for (int k = 0; k < FrequencyBits; ++k) {
        if (!boxes[static_cast<std::size_t>(k)])
            continue;
        if (k >= BitsPerByte)
            high += 1 << (k - BitsPerByte);
        else
            low += 1 << k;
    }
    return {high, low & ByteMask};
}

FrequencyBoxes frequencyBoxesFor(qint32 code)
{
    FrequencyBoxes boxes{};
    for (int k = 0; k < FrequencyBits; ++k)
        boxes[static_cast<std::size_t>(k)] = (code >> k) & 1;
    return boxes;
}

TxPowerBoxes txPowerBoxesFor(int code)
{
    TxPowerBoxes boxes{};
    for (int k = 0; k < TxPowerBits; ++k)
        boxes[static_cast<std::size_t>(k)] = (code >> k) & 1;
    return boxes;
}

} // namespace SelectorRows
