#include "settings/settings_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PathRow {
    const char* label;
    std::string library;
    size_t outSize;
    bool ok;
    std::string path;  // expected text when ok
};

std::vector<PathRow> PathRows() {
    const std::string dir249 = "C:\\" + std::string(245, 'd') + "\\";  // 249 chars with both backslashes
    const std::string dir250 = "C:\\" + std::string(246, 'd') + "\\";
    return {
        {"plug-in folder", "C:\\Winamp\\Plugins\\vis_mirn.dll", 260, true, "C:\\Winamp\\Plugins\\plugin.ini"},
        {"no backslash", "vis_mirn.dll", 260, true, "plugin.ini"},
        {"empty name", "", 260, true, "plugin.ini"},
        {"trailing backslash", "C:\\Winamp\\Plugins\\", 260, true, "C:\\Winamp\\Plugins\\plugin.ini"},
        {"only a backslash", "\\", 260, true, "\\plugin.ini"},
        {"network share", "\\\\server\\share\\vis_mirn.dll", 260, true, "\\\\server\\share\\plugin.ini"},
        {"forward slashes do not count", "C:/Winamp/vis_mirn.dll", 260, true, "plugin.ini"},
        {"mixed slashes", "C:\\Winamp/Plugins\\x/vis.dll", 260, true, "C:\\Winamp/Plugins\\plugin.ini"},
        {"high bytes in folder", "C:\\\xC3\xA9t\xE9\\vis.dll", 260, true, "C:\\\xC3\xA9t\xE9\\plugin.ini"},
        {"long file name, short folder", "C:\\" + std::string(400, 'n') + ".dll", 260, true, "C:\\plugin.ini"},
        {"exact fit: 259 chars and NUL", dir249 + "vis_mirn.dll", 260, true, dir249 + "plugin.ini"},
        {"one too long", dir250 + "vis_mirn.dll", 260, false, ""},
        {"folder alone exceeds buffer", "C:\\" + std::string(300, 'd') + "\\v.dll", 260, false, ""},
        {"bare name exact fit", "vis_mirn.dll", 11, true, "plugin.ini"},
        {"bare name one short", "vis_mirn.dll", 10, false, ""},
        {"one-byte buffer", "vis_mirn.dll", 1, false, ""},
    };
}

TEST(BuildSettingsPath, Table) {
    for (const PathRow& r : PathRows()) {
        SCOPED_TRACE(r.label);
        const size_t guard = 16;
        std::vector<char> buf(r.outSize + guard, '\x5A');
        const bool ok = BuildSettingsPath(r.library.c_str(), buf.data(), r.outSize);
        EXPECT_EQ(ok, r.ok);
        for (size_t i = r.outSize; i < buf.size(); ++i) ASSERT_EQ(buf[i], '\x5A') << "wrote past outSize at " << i;
        ASSERT_NE(memchr(buf.data(), '\0', r.outSize), nullptr) << "output not terminated";
        EXPECT_EQ(std::string(buf.data()), r.ok ? r.path : std::string()) << "failure must leave the output empty";
        if (ok) {
            EXPECT_LE(r.path.size() + 1, r.outSize);
        }
    }
}

TEST(BuildSettingsPath, ZeroSizeTouchesNothing) {
    char buf[4] = {'x', 'y', 'z', 'w'};
    EXPECT_FALSE(BuildSettingsPath("C:\\a\\vis.dll", buf, 0));
    EXPECT_EQ(std::string(buf, 4), "xyzw");
}

// Replaces the output even when it held something before.
TEST(BuildSettingsPath, FailureClearsPreviousPath) {
    char buf[12];
    ASSERT_TRUE(BuildSettingsPath("vis.dll", buf, sizeof buf));
    EXPECT_STREQ(buf, "plugin.ini");
    EXPECT_FALSE(BuildSettingsPath("C:\\Winamp\\vis.dll", buf, sizeof buf));
    EXPECT_STREQ(buf, "");
}

TEST(JoinPath, Table) {
    const std::string folder255 = "C:\\" + std::string(252, 'd');  // 255 chars, no trailing backslash
    const struct {
        const char* label;
        std::string folder, name;
        size_t outSize;
        bool ok;
        std::string path;
    } rows[] = {
        {"application data", "C:\\Users\\u\\AppData\\Roaming", "Mirn Title Display", 260, true,
         "C:\\Users\\u\\AppData\\Roaming\\Mirn Title Display"},
        {"folder ends in a backslash", "C:\\Winamp\\", "Plugins", 260, true, "C:\\Winamp\\Plugins"},
        {"drive root", "C:\\", "plugin.ini", 260, true, "C:\\plugin.ini"},
        {"network share", "\\\\server\\share", "plugin.ini", 260, true, "\\\\server\\share\\plugin.ini"},
        {"empty folder", "", "plugin.ini", 260, false, ""},
        {"empty name", "C:\\a", "", 260, true, "C:\\a\\"},
        {"exact fit: 259 chars and NUL", folder255, "abc", 260, true, folder255 + "\\abc"},
        {"one too long", folder255, "abcd", 260, false, ""},
        {"exact fit after a trailing backslash", folder255 + "\\", "abc", 260, true, folder255 + "\\abc"},
        {"folder alone fills the buffer", std::string(300, 'f'), "x", 260, false, ""},
        {"one-byte buffer", "C:", "x", 1, false, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        const size_t guard = 16;
        std::vector<char> buf(r.outSize + guard, '\x5A');
        EXPECT_EQ(JoinPath(r.folder.c_str(), r.name.c_str(), buf.data(), r.outSize), r.ok);
        for (size_t i = r.outSize; i < buf.size(); ++i) ASSERT_EQ(buf[i], '\x5A') << "wrote past outSize at " << i;
        EXPECT_EQ(std::string(buf.data()), r.path);
    }
    char untouched[2] = {'x', 'y'};
    EXPECT_FALSE(JoinPath("C:", "x", untouched, 0));
    EXPECT_EQ(std::string(untouched, 2), "xy");
}

TEST(ClampScreenCoordinate, Table) {
    const struct {
        int32_t stored, loaded;
    } rows[] = {
        {10000, 10000}, {10001, 0},  {9999, 9999},       {0, 0},           {-1, -1},
        {-10001, -10001}, {20000, 0}, {INT32_MAX, 0}, {INT32_MIN, INT32_MIN}, {1280, 1280},
    };
    for (const auto& r : rows) EXPECT_EQ(ClampScreenCoordinate(r.stored), r.loaded) << "stored " << r.stored;
}

TEST(StyleIndexOrZero, Table) {
    const struct {
        int32_t stored, loaded;
    } rows[] = {
        {-1, 0}, {0, 0}, {1, 1}, {2, 2}, {3, 0}, {4, 0}, {INT_MAX, 0}, {INT_MIN, 0},
    };
    for (const auto& r : rows) EXPECT_EQ(StyleIndexOrZero(r.stored), r.loaded) << "stored " << r.stored;
}

TEST(LowByte, Table) {
    const struct {
        uint32_t stored;
        uint8_t loaded;
    } rows[] = {
        {257, 1}, {255, 255}, {256, 0}, {0xFFFFFFFFu, 255}, {0, 0}, {1, 1}, {0x12345678u, 0x78}, {0x80000000u, 0},
        {uint32_t(-2), 254},
    };
    for (const auto& r : rows) EXPECT_EQ(LowByte(r.stored), r.loaded) << "stored " << r.stored;
}

TEST(BuildProbePath, ANameOfItsOwnWhereverPluginIniFits) {
    const std::string dir249 = "C:\\" + std::string(245, 'd') + "\\";
    const struct {
        const char* label;
        std::string settings;
        uint32_t n;
        size_t outSize;
        std::string probe;  // empty: does not fit
    } rows[] = {
        {"plug-in folder", "C:\\Winamp\\Plugins\\plugin.ini", 0x1a2b, 260, "C:\\Winamp\\Plugins\\~m00001a2b"},
        {"every digit", "C:\\plugin.ini", 0x89abcdefu, 260, "C:\\~m89abcdef"},
        {"no folder", "plugin.ini", 1, 260, ""},
        {"the longest plugin.ini path there is", dir249 + "plugin.ini", 0xFFFFFFFFu, 260, dir249 + "~mffffffff"},
        {"one short", "C:\\x\\plugin.ini", 0, 5 + 10, ""},
        {"empty buffer", "C:\\plugin.ini", 0, 0, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.label);
        std::vector<char> out(r.outSize + 8, '\x5A');
        const bool ok = BuildProbePath(r.settings.c_str(), r.n, out.data(), r.outSize);
        EXPECT_EQ(ok, !r.probe.empty());
        for (size_t i = r.outSize; i < out.size(); ++i) ASSERT_EQ(out[i], '\x5A') << "wrote past outSize at " << i;
        if (r.outSize) {
            EXPECT_EQ(std::string(out.data()), r.probe);
        }
        if (ok) {
            EXPECT_EQ(std::string(out.data()).size(), r.settings.size()) << "as long as the file's own path";
        }
    }
}

TEST(ReadableMemory, CommittedPagesThatMayBeRead) {
    const uint32_t kCommit = 0x1000, kReserve = 0x2000, kFree = 0x10000;
    const struct {
        const char* label;
        uint32_t state, protect;
        bool readable;
    } rows[] = {
        {"read-only", kCommit, 0x02, true},
        {"read-write", kCommit, 0x04, true},
        {"write-copy", kCommit, 0x08, true},
        {"execute-read", kCommit, 0x20, true},
        {"execute-read-write", kCommit, 0x40, true},
        {"execute-write-copy", kCommit, 0x80, true},
        {"read-write, not cached", kCommit, 0x04 | 0x200, true},
        {"read-write, write-combined", kCommit, 0x04 | 0x400, true},
        {"no access", kCommit, 0x01, false},
        {"execute only", kCommit, 0x10, false},
        {"a guard page", kCommit, 0x04 | 0x100, false},
        {"reserved, not committed", kReserve, 0x04, false},
        {"free", kFree, 0x01, false},
        {"free, claiming read-write", kFree, 0x04, false},
        {"no protection at all", kCommit, 0, false},
    };
    for (const auto& r : rows) EXPECT_EQ(ReadableMemory(r.state, r.protect), r.readable) << r.label;
}

}  // namespace
