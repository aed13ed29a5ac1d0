#include "display/title_file_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TitleFileLength, LeavesOffTrailingBlanksAndLineEnds) {
    struct Row {
        std::u16string title;
        size_t length;
    } rows[] = {
        {u"", 0},
        {u"Song", 4},
        {u"Song ", 4},
        {u"A  ", 1},
        {u"   ", 0},
        {u"Song\t\r\n ", 4},
        {u" lead", 5},
        {u"a b", 3},
        {u"Кино \u00A0", 6},  // a no-break space is text
        {u"\xD83C\xDFB5 ", 2},
        {u"\xD83C ", 1},  // a lone surrogate is text too
        {std::u16string(510, u' '), 0},
        {std::u16string(509, u'x') + u" ", 509},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title.size());
        EXPECT_EQ(TitleFileLength(row.title.c_str()), row.length);
    }
}

TEST(TitleFilePaths, BesideTheSettingsFile) {
    struct Row {
        const char* settings;
        size_t size;
        bool ok;
        const char* path;
        const char* temp;
    } rows[] = {
        {"C:\\Winamp\\Plugins\\plugin.ini", 260, true, "C:\\Winamp\\Plugins\\nowplaying.txt",
         "C:\\Winamp\\Plugins\\nowplaying.txt.tmp"},
        {"C:\\plugin.ini", 260, true, "C:\\nowplaying.txt", "C:\\nowplaying.txt.tmp"},
        {"\\\\server\\share\\p.ini", 260, true, "\\\\server\\share\\nowplaying.txt",
         "\\\\server\\share\\nowplaying.txt.tmp"},
        {"C:\\a\\", 260, true, "C:\\a\\nowplaying.txt", "C:\\a\\nowplaying.txt.tmp"},
        {"plugin.ini", 260, false, "", ""},  // no folder
        {"", 260, false, "", ""},
        // "C:\" and the temporary name: 3 + 18 + NUL.
        {"C:\\plugin.ini", 22, true, "C:\\nowplaying.txt", "C:\\nowplaying.txt.tmp"},
        {"C:\\plugin.ini", 21, false, "", ""},
        {"C:\\plugin.ini", 1, false, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.settings) + " in " + std::to_string(row.size));
        char path[300], temp[300], lock[300];
        memset(path, 'x', sizeof path);
        memset(temp, 'x', sizeof temp);
        memset(lock, 'x', sizeof lock);
        EXPECT_EQ(TitleFilePaths(row.settings, path, temp, row.size, lock), row.ok);
        EXPECT_STREQ(path, row.path);
        EXPECT_STREQ(temp, row.temp);
        // The lock file beside them, "nowplaying.lock".
        std::string wantLock = row.path;
        if (row.ok) wantLock.replace(wantLock.size() - 3, 3, "lock");
        EXPECT_EQ(lock, wantLock);
        EXPECT_EQ(path[row.size], 'x') << "wrote past the end";
        EXPECT_EQ(temp[row.size], 'x') << "wrote past the end";
        EXPECT_EQ(lock[row.size], 'x') << "wrote past the end";
    }
    EXPECT_FALSE(TitleFilePaths("C:\\a.ini", nullptr, nullptr, 0));
}

TEST(ContentHash, TellsContentsApart) {
    struct Row {
        std::string a, b;
        bool same;
    } rows[] = {
        {"", "", true},
        {"Song", "Song", true},
        {"Song", "Song ", false},
        {"", std::string(1, '\0'), false},
        {"ab", "ba", false},
        {"\xD0\x9A", "\xD0\x9B", false},
        {std::string(1530, 'a'), std::string(1529, 'a') + "b", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.a.size());
        EXPECT_EQ(ContentHash(row.a.data(), row.a.size()) == ContentHash(row.b.data(), row.b.size()), row.same);
    }
    EXPECT_EQ(ContentHash("", 0), 2166136261u);  // FNV-1a's offset basis: nothing read
    // A file read in pieces hashes as the whole, wherever it is cut.
    const std::string file = "[Title Display (ALPHA)]\r\nScreen_x=5\r\n" + std::string(5000, 'v');
    for (size_t cut : {size_t(0), size_t(1), size_t(4096), file.size()}) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(ContentHash(file.data() + cut, file.size() - cut, ContentHash(file.data(), cut)),
                  ContentHash(file.data(), file.size()));
    }
}

}  // namespace
