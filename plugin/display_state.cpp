#include "plugin/display_state.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
// Constant-initialised: zero everywhere but the scroll defaults, so loading
// the library runs no code of ours. Survives between runs of the display.
DisplayState g_state = {
    0, 0, 0, 0, 0,  // placement
    {},             // font
    0,              // textColor
    0,              // bkColor
    1,              // scrollStep
    20,             // scrollInterval
    1,              // scrollEnabled
};
#pragma GCC diagnostic pop

void LockFont() {
    while (InterlockedExchange(&g_state.fontLock, 1) != 0) Sleep(0);
}

void UnlockFont() { InterlockedExchange(&g_state.fontLock, 0); }
