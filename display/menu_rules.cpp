#include "display/menu_rules.h"

void NoteMenuKeys(MenuKeys* keys, const uint8_t before[256], const uint8_t after[256]) {
    for (uint32_t vk = 0; vk < 256; ++vk)
        if (after[vk] & ~before[vk] & 0x80) keys->bits[vk >> 5] |= 1u << (vk & 31);
}

bool KeyBelongsToMenu(MenuKeys* keys, uint32_t vk, bool down, bool repeat) {
    if (vk >= 256) return false;
    const uint32_t bit = 1u << (vk & 31);
    if (!(keys->bits[vk >> 5] & bit)) return false;
    // Kept for a repeat; a fresh press is a new stroke (the old one was
    // released in another window).
    const bool held = down && repeat;
    if (!held) keys->bits[vk >> 5] &= ~bit;
    return held || !down;
}
