// The measurement history module's entry points, which the window resolves by
// name after it has loaded the module.
#include "recordview/HistoryWindow.h"

// The module is built with the program it belongs to: it reaches into the
// program's recording, whose layout only the same version shares.
extern "C" Q_DECL_EXPORT const char tessraHistoryModuleVersion[] = TESSRA_VERSION;

extern "C" Q_DECL_EXPORT QWidget *tessraHistoryWindow(Recording &recording, QWidget *parent)
{
    return new HistoryWindow(recording, parent);
}
