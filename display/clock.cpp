#include "display/display.h"
#include "display/marquee_rules.h"

// GetTickCount moves in ~16 ms jumps, which makes a 20 ms marquee judder.
DWORD TickMs() {
    static LARGE_INTEGER frequency;  // fixed at boot; a racy first read is harmless
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    if (frequency.QuadPart == 0 || !QueryPerformanceCounter(&count)) return GetTickCount();
    return CounterToMs((unsigned long long)count.QuadPart, (unsigned long long)frequency.QuadPart);
}
