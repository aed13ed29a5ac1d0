#include "display/song_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::u16string Unrotate(std::u16string caption) {
    std::vector<TitleChar> buf(caption.begin(), caption.end());
    buf.push_back(0);
    const size_t n = UnrotateCaption(buf.data());
    std::u16string out(buf.data());
    EXPECT_EQ(n, out.size());
    return out;
}

// The caption as the player's taskbar scroll shows it `offset` steps on.
std::u16string Rotated(const std::u16string& caption, size_t offset) {
    const std::u16string ring = caption + u" *** ";
    return ring.substr(offset) + ring.substr(0, offset);
}

TEST(UnrotateCaption, EveryOffsetTurnsBackToTheCaption) {
    const std::u16string captions[] = {u"4. Hall & Oates - Maneater - Winamp", u"12. ***Flawless*** - Beyoncé - Winamp",
                                       u"Artist - Title - Winamp [Paused]", u"1. A *** B - Song - Winamp", u"ab"};
    for (const std::u16string& caption : captions) {
        for (size_t offset = 0; offset < caption.size() + 5; ++offset) {
            SCOPED_TRACE(std::string(caption.begin(), caption.end()) + " at " + std::to_string(offset));
            EXPECT_EQ(Unrotate(Rotated(caption, offset)), caption);
        }
    }
}

TEST(UnrotateCaption, CaptionsThatAreNotRotatedStayAsTheyAre) {
    const struct {
        const char* label;
        std::u16string caption, shown;
    } rows[] = {
        {"plain", u"4. Hall & Oates - Maneater - Winamp", u"4. Hall & Oates - Maneater - Winamp"},
        {"the example", u"Oates - Maneater - Winamp *** 4. Hall & ", u"4. Hall & Oates - Maneater - Winamp"},
        {"stars without spaces", u"1. ***Flawless*** - Winamp", u"1. ***Flawless*** - Winamp"},
        {"a numbered title's own separator", u"1. A *** B - Winamp", u"1. A *** B - Winamp"},
        {"the separator alone", u" *** ", u" *** "},
        {"empty", u"", u""},
        {"four stars", u"a **** b", u"a **** b"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Unrotate(row.caption), row.shown);
    }
}

std::u16string Str(const TitleChar* s) { return std::u16string(s); }

TEST(ParseCaption, NumberArtistTitleAndState) {
    const struct {
        const char* label;
        std::u16string caption;
        std::u16string number, artist, title;
        PlayState state;
    } rows[] = {
        {"whole", u"4. Hall & Oates - Maneater - Winamp", u"4", u"Hall & Oates", u"Maneater", kPlaying},
        {"paused", u"12. A - B - C - Winamp [Paused]", u"12", u"A", u"B - C", kPaused},
        {"stopped", u"A - B - Winamp [Stopped]", u"", u"A", u"B", kStopped},
        {"no artist", u"7. Song - Winamp", u"7", u"", u"Song", kPlaying},
        {"no number: a dot without a space", u"7.Song - Winamp", u"", u"", u"7.Song", kPlaying},
        {"hyphenated artist", u"a-ha - Take On Me - Winamp", u"", u"a-ha", u"Take On Me", kPlaying},
        {"nothing", u"Winamp", u"", u"", u"", kPlaying},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<TitleChar> shown(row.caption.begin(), row.caption.end());
        shown.push_back(0);
        TrimTitle(shown.data());
        CaptionParts parts;
        ParseCaption(row.caption.c_str(), shown.data(), &parts);
        EXPECT_EQ(Str(parts.number), row.number);
        EXPECT_EQ(Str(parts.artist), row.artist);
        EXPECT_EQ(Str(parts.title), row.title);
        EXPECT_EQ(parts.state, row.state);
    }
}

TEST(ExpandTemplate, FieldsBracketsAndWhatIsShownAsTyped) {
    SongFields f = {};
    f.value[kFieldArtist] = u"Hall & Oates";
    f.value[kFieldTitle] = u"Maneater";
    f.value[kFieldCaption] = u"4. Hall & Oates - Maneater";
    f.value[kFieldNumber] = u"4";
    f.value[kFieldElapsed] = u"1:05";
    f.value[kFieldLength] = u"4:31";
    f.value[kFieldState] = u"";
    const struct {
        const char* label;
        std::u16string tmpl, shown;
        uint32_t fields;
    } rows[] = {
        {"artist - title", u"[%artist% - ]%title%", u"Hall & Oates - Maneater", 3},
        {"no album: bracket dropped", u"%title%[ (%album%)]", u"Maneater", (1u << kFieldTitle) | (1u << kFieldAlbum)},
        {"state while playing", u"[%state%: ]%caption%", u"4. Hall & Oates - Maneater",
         (1u << kFieldState) | (1u << kFieldCaption)},
        {"time", u"%title% %elapsed%/%length%", u"Maneater 1:05/4:31", (1u << kFieldTitle) | kTimeFields},
        {"upper case names", u"%ARTIST%", u"Hall & Oates", 1},
        {"percent", u"100%% %number%", u"100% 4", 1u << kFieldNumber},
        {"unknown field as typed", u"%artst% - %title%", u"%artst% - Maneater", 1u << kFieldTitle},
        {"lone percent", u"50% off", u"50% off", 0},
        {"unmatched open bracket", u"[%title%", u"[Maneater", 1u << kFieldTitle},
        {"unmatched close bracket", u"%title%]", u"Maneater]", 1u << kFieldTitle},
        {"nested: inner missing only", u"[%title%[ on %album%]!]", u"Maneater!", (1u << kFieldTitle) | (1u << kFieldAlbum)},
        {"bracket without fields", u"[Now playing: ]%title%", u"Now playing: Maneater", 1u << kFieldTitle},
        {"empty result is the caption", u"[%album%]", u"4. Hall & Oates - Maneater", 1u << kFieldAlbum},
        {"empty template is the caption", u"", u"4. Hall & Oates - Maneater", 0},
        {"field split by a bracket", u"[%tit]le%", u"%title%", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        TitleChar out[kTitleLimit];
        const size_t n = ExpandTemplate(row.tmpl.c_str(), f, out, kTitleLimit);
        EXPECT_EQ(Str(out), row.shown);
        EXPECT_EQ(n, row.shown.size());
        EXPECT_EQ(TemplateFields(row.tmpl.c_str()), row.fields);
    }
    // Cut to the room given, NUL included.
    TitleChar small[6];
    EXPECT_EQ(ExpandTemplate(u"%artist%", f, small, 6), 5u);
    EXPECT_EQ(Str(small), u"Hall ");
}

TEST(FormatTime, MinutesThenHours) {
    const struct {
        int64_t seconds;
        std::u16string text;
    } rows[] = {{0, u"0:00"},       {5, u"0:05"},           {65, u"1:05"},     {3599, u"59:59"},
                {3600, u"1:00:00"}, {36061, u"10:01:01"},   {-1, u""},         {INT32_MAX, u"596523:14:07"},
                {int64_t(INT32_MAX) + 1, u""}};
    for (const auto& row : rows) {
        TitleChar out[16];
        EXPECT_EQ(FormatTime(row.seconds, out), row.text.size()) << row.seconds;
        EXPECT_EQ(Str(out), row.text) << row.seconds;
    }
    const struct {
        int64_t position;
        uint32_t wait;
    } waits[] = {{-1, 1000}, {0, 1000}, {1, 999}, {999, 1}, {61250, 750}};
    for (const auto& w : waits) EXPECT_EQ(MsToNextSecond(w.position), w.wait) << w.position;
}

}  // namespace
