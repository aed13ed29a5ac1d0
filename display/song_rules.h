// Platform-free rules of the song as the player tells it: its caption turned
// back from the taskbar's rotation, the fields read from the caption, the
// user's template filled in, time as text.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/title_rules.h"

// The player, asked to scroll its title in the taskbar, rotates its caption
// one character a step with this between the ends.
const TitleChar kRotationSeparator[] = u" *** ";
const size_t kRotationSeparatorLength = 5;

// Turns a rotated caption back in place: the text after the separator, then
// the text before it, the caption seen as a ring (so a step that splits the
// separator turns back as well). Where the separator appears more than once
// the one followed by a playlist number ("4. ") wins; a caption starting
// with a number and no such separator is the player's own text, kept as it
// is. Returns the length.
size_t UnrotateCaption(TitleChar* caption);

// The fields of the template, in this order.
enum SongField {
    kFieldArtist,
    kFieldTitle,
    kFieldAlbum,
    kFieldYear,
    kFieldTrack,
    kFieldNumber,
    kFieldCaption,
    kFieldElapsed,
    kFieldLength,
    kFieldState,
    kFieldCount
};
const uint32_t kTimeFields = (1u << kFieldElapsed) | (1u << kFieldLength);
const uint32_t kTagFields = (1u << kFieldArtist) | (1u << kFieldTitle) | (1u << kFieldAlbum) | (1u << kFieldYear) |
                            (1u << kFieldTrack);

// The play state as the player answers message 104.
enum PlayState { kPlayUnknown = -1, kStopped = 0, kPlaying = 1, kPaused = 3 };

// Room for one field's text, NUL included.
const size_t kFieldLimit = 256;
// The template: at most 255 characters.
const size_t kTemplateLimit = 256;

// What the caption alone tells: "N. Artist - Title - Player [Paused]".
struct CaptionParts {
    TitleChar number[16];
    TitleChar artist[kFieldLimit];
    TitleChar title[kFieldLimit];
    PlayState state;  // from "[Paused]" or "[Stopped]" at the end; else playing
};

// `caption` is the whole caption (after UnrotateCaption); `shown` the text
// cut at its last "-" (TrimTitle), which holds the number, artist and title.
void ParseCaption(const TitleChar* caption, const TitleChar* shown, CaptionParts* out);

// Splits "Artist - Title" at its first " - "; without one, all is the title.
void SplitArtistTitle(const TitleChar* text, TitleChar* artist, TitleChar* title, size_t limit);

// The fields' texts; null or empty is a field without a value.
struct SongFields {
    const TitleChar* value[kFieldCount];
};

// Which fields `tmpl` names (bit n for SongField n), so only those are asked.
uint32_t TemplateFields(const TitleChar* tmpl);

// Fills in `tmpl`: %name% is a field's text; text in [ ] shows only when
// every field in it has a value; %% is "%"; an unknown %name% and an
// unmatched bracket show as typed. Writes at most `limit` - 1 characters
// and a NUL; returns the length. A text that comes out empty is the caption.
size_t ExpandTemplate(const TitleChar* tmpl, const SongFields& fields, TitleChar* out, size_t limit);

// m:ss, or h:mm:ss from an hour; a negative time is no text. `out` holds
// at least 16 characters. Returns the length.
size_t FormatTime(int64_t seconds, TitleChar* out);

// Milliseconds from now to the next whole second of the position, so a
// refresh once a second shows every second: 1..1000; 1000 without a
// position.
uint32_t MsToNextSecond(int64_t positionMs);

// Text of `n` characters at most from 8-bit ASCII/UTF-16 helpers.
size_t CopyText(TitleChar* out, const TitleChar* in, size_t limit);
