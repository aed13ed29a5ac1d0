// Platform-free rules of the title window's menu.
#pragma once
#include <cstdint>

// Keys pressed while the menu was open, one bit a virtual-key code: the menu
// took their press, so their repeats and their release are not the
// player's either.
struct MenuKeys {
    uint32_t bits[8];
};

// Marks every key down in `after` (a keyboard state: bit 7 of each byte)
// that was not down in `before`, when the menu opened.
void NoteMenuKeys(MenuKeys* keys, const uint8_t before[256], const uint8_t after[256]);

// Whether a key message stays out of the player: a repeat or the release of
// a marked key. A release, or a fresh press, clears the mark.
bool KeyBelongsToMenu(MenuKeys* keys, uint32_t vk, bool down, bool repeat);
