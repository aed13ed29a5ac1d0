// Platform-free rules for titles in scripts the chosen font lacks: which
// face group a missing character falls back to, the runs of one face, the
// reading direction, and a glyph from a font's cmap for characters beyond
// the Basic Multilingual Plane (which the platform's per-unit calls cannot
// look up).
#pragma once
#include <cstdint>

#include "display/title_rules.h"

// Groups of fallback faces, each with its own preference list.
enum { kGroupJapanese, kGroupChinese, kGroupKorean, kGroupSymbol, kGroupOther, kGroupCount };

// The code point at `text[i]` (a surrogate pair read as one character) and
// how many units it takes.
uint32_t CodePointAt(const TitleChar* text, int32_t n, int32_t i, int32_t* units);

// Anything but printable ASCII, which every chosen font is the font of.
bool NeedsCoverageCheck(const TitleChar* text, int32_t n);

// The group Han ideographs of this title take: Japanese beside kana, Korean
// beside Hangul, Chinese otherwise.
int32_t HanGroupOf(const TitleChar* text, int32_t n);

// The group of a character the chosen font lacks; `han` from HanGroupOf.
int32_t FallbackGroupOf(uint32_t codePoint, int32_t han);

// Runs of one face: `slots` gives each unit's face (0 the chosen font);
// units of equal slot in a row form one run. Returns the run count, at most
// `maxRuns`: the last run then takes the rest in the chosen font.
struct TextRun {
    int16_t start, length;
    uint8_t slot;
    int32_t width;  // measured, in pixels
};
int32_t SplitRuns(const uint8_t* slots, int32_t n, TextRun* runs, int32_t maxRuns);

// Bit of a slot: the run is drawn by glyph index (characters beyond the BMP).
const uint8_t kSlotByGlyph = 0x80;

// Whether the title may hold a right-to-left character at all (Hebrew,
// Arabic, Syriac, Thaana, NKo, their presentation forms and the RTL planes).
bool MayBeRightToLeft(const TitleChar* text, int32_t n);

// The platform's CT_CTYPE2 classes of the title: the first strong one
// (1 left-to-right, 2 right-to-left) decides the reading order.
bool FirstStrongIsRightToLeft(const uint16_t* types, int32_t n);

const int32_t kDrawFlagRight = 0x2;            // DT_RIGHT
const int32_t kDrawFlagRtlReading = 0x20000;   // DT_RTLREADING

// Draw flags for the reading order: a right-to-left title reads right to
// left, and one that scrolls ends at the right of its ring.
int32_t DirectedDrawFlags(int32_t flags, bool scrolls, bool rightToLeft);

// The marquee's offset as shown: a right-to-left title's ring is seen in a
// mirror, its end at the window's right edge at rest, and moving right.
int32_t ShownOffset(int32_t offset, int32_t screenW, int32_t ringWidth, bool rightToLeft);

// Reads `size` bytes of the cmap table at `offset`; false past its end.
typedef bool (*CmapReader)(void* context, uint32_t offset, uint8_t* out, uint32_t size);
// The glyph of `codePoint` in a cmap table's format 12 subtable (Unicode
// full repertoire); 0 when it has none.
uint32_t CmapGlyph(CmapReader read, void* context, uint32_t codePoint);
