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

SongAnswers g_song;

// Held only for a copy of the record. Sleep(0) yields only to threads of
// the waiter's priority or above, so after a few tries the waiter sleeps and
// lets a holder of lower priority run.
void LockFont() {
    for (int tries = 0; InterlockedExchange(&g_state.fontLock, 1) != 0; ++tries) Sleep(tries < 4 ? 0 : 1);
}

void UnlockFont() { InterlockedExchange(&g_state.fontLock, 0); }
