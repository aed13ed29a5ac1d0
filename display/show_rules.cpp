#include "display/show_rules.h"

ShowRun StartRun(bool shown, uint32_t now) {
    const uint8_t alpha = shown ? 255 : 0;
    return {now, now, alpha, alpha, alpha, 0};
}

uint8_t StepShow(ShowRun* run, const ShowInput& in) {
    bool want = true;
    uint32_t changedAt = in.now;
    if (in.choice == kShowWhilePlaying) want = in.playing;
    if (in.choice == kShowOnChange) {
        if (in.songChanged || in.started) {
            run->until = in.now + (uint32_t)in.seconds * 1000u;
            run->armed = 1;
        }
        want = run->armed && (int32_t)(run->until - in.now) > 0;
        // The fade-out began as the seconds ended, whenever the step comes.
        if (run->armed && !want) changedAt = run->until;
        if (!want) run->armed = 0;  // so a clock that wraps round never brings it back
    }
    if (want && in.songChanged && run->target == 0 && run->alpha > 0) {
        *run = {in.now, run->until, 255, 255, 255, run->armed};
        return 255;
    }
    const uint8_t target = want ? 255 : 0;
    if (target != run->target) {
        run->from = run->alpha;
        run->target = target;
        run->fadeClock = changedAt;
    }
    const uint32_t length = target ? kFadeInMs : kFadeOutMs;
    uint32_t elapsed = in.now - run->fadeClock;
    if ((int32_t)elapsed < 0) elapsed = 0;
    if (elapsed > length) elapsed = length;
    const int32_t moved = (int32_t)(elapsed * 255u / length);
    const int32_t alpha = target ? run->from + moved : run->from - moved;
    run->alpha = (uint8_t)(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha);
    return run->alpha;
}
