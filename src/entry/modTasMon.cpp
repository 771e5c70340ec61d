#include "entry/modTasMon.h"

namespace modTasMon {

int FilterKey(int keyAscii)
{
    if (keyAscii == KeyBackspace || keyAscii == KeyPoint || (keyAscii >= KeyDigitZero && keyAscii <= KeyDigitNine))
        return keyAscii;
    if (keyAscii == KeyComma)
        return KeyPoint;
    return KeySwallowed;
}

} // namespace modTasMon
