#include "requests/FrameFormat.h"

namespace FrameFormat {

QByteArray framePreamble()
{
    QByteArray preamble;
    preamble.append(static_cast<char>(PreambleFirst));
    preamble.append(static_cast<char>(PreambleSecond));
    return preamble;
}

quint8 frameChecksum(QByteArrayView body)
{
    quint8 sum = 0;
    for (qsizetype index = 0; index < body.size(); ++index) {
        if (index + 1 == PosChecksum)
            continue;
        sum = static_cast<quint8>(sum + static_cast<quint8>(body[index])); // keeps the low eight bits
    }
    return sum;
}

} // namespace FrameFormat
