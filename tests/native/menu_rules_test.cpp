#include "display/menu_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

const uint8_t kDown = 0x80, kToggled = 0x01;

// Keys down when the menu opened and when it closed; then key messages in
// order, each kept from the player or not.
TEST(MenuKeys, OnlyKeysPressedInTheMenuStayWithIt) {
    struct Message {
        uint32_t vk;
        bool down, repeat, belongs;
    };
    struct Row {
        const char* label;
        std::vector<uint32_t> before, after;
        std::vector<Message> messages;
    } rows[] = {
        {"nothing pressed", {}, {}, {{0x1B, false, false, false}, {0x41, true, false, false}}},
        {"Escape's release", {}, {0x1B}, {{0x1B, false, false, true}, {0x1B, false, false, false}}},
        {"Enter held: repeats, then its release", {}, {0x0D},
         {{0x0D, true, true, true}, {0x0D, true, true, true}, {0x0D, false, false, true}, {0x0D, true, false, false}}},
        {"released elsewhere: the next press is the player's", {}, {0x0D},
         {{0x0D, true, false, false}, {0x0D, false, false, false}}},
        {"held before the menu opened", {0x10}, {0x10, 0x1B},
         {{0x10, false, false, false}, {0x1B, false, false, true}}},
        {"the highest code", {}, {0xFF}, {{0xFF, false, false, true}, {0xFF, false, false, false}}},
        {"beyond a byte", {}, {0x00}, {{0x100, false, false, false}, {0x0, false, false, true}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        uint8_t before[256] = {}, after[256] = {};
        for (int i = 0; i < 256; ++i) before[i] = after[i] = kToggled;  // toggle bits are not presses
        for (uint32_t vk : row.before) before[vk] |= kDown;
        for (uint32_t vk : row.after) after[vk] |= kDown;
        MenuKeys keys;
        memset(&keys, 0, sizeof keys);
        NoteMenuKeys(&keys, before, after);
        for (const Message& m : row.messages)
            EXPECT_EQ(KeyBelongsToMenu(&keys, m.vk, m.down, m.repeat), m.belongs) << "key " << m.vk;
    }
}

}  // namespace
