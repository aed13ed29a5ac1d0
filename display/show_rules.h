// Platform-free rules of when the title window shows:
// the choice of when to show, and the fades between shown and hidden.
#pragma once
#include <cstdint>

#include "display/title_rules.h"

enum { kShowAlways, kShowWhilePlaying, kShowOnChange, kShowChoices };

const int32_t kShowSecondsDefault = 5;
const int32_t kShowSecondsMax = 60;
const uint32_t kFadeInMs = 200;
const uint32_t kFadeOutMs = 500;
// A stored choice outside the three shows the window always.
inline int32_t ShowChoice(int32_t v) { return v >= 0 && v < kShowChoices ? v : kShowAlways; }
// 0 (absent, or no number) is the default; others are held to 1..60.
inline int32_t ShowSecondsWithin(int32_t v) {
    return v == 0 ? kShowSecondsDefault : v < 1 ? 1 : v > kShowSecondsMax ? kShowSecondsMax : v;
}

struct ShowRun {
    uint32_t fadeClock;  // when the running fade began
    uint32_t until;      // the few seconds' end, once `armed`
    uint8_t from;        // the alpha the fade began at
    uint8_t target;      // 255 showing, 0 hiding
    uint8_t alpha;       // as last stepped
    uint8_t armed;
};

struct ShowInput {
    uint32_t now;
    int32_t choice;   // kShowAlways...
    int32_t seconds;  // as ShowSecondsWithin gives it
    bool playing;
    bool songChanged;  // the shown text's song changed since the last step
    bool started;      // playback started since the last step
};

// A run starting shown (at full alpha) or hidden.
ShowRun StartRun(bool shown, uint32_t now);
// The window's alpha at `in.now`: fades in over kFadeInMs, out over
// kFadeOutMs, each from where the last one left it. A song change during a
// fade-out shows the new song at full strength at once. 0 is hidden.
uint8_t StepShow(ShowRun* run, const ShowInput& in);
