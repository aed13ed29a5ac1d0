#include "display/script_rules.h"

static bool IsHigh(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
static bool IsLow(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

uint32_t CodePointAt(const TitleChar* text, int32_t n, int32_t i, int32_t* units) {
    const uint32_t u = text[i];
    if (IsHigh(u) && i + 1 < n && IsLow(text[i + 1])) {
        *units = 2;
        return 0x10000 + ((u - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
    }
    *units = 1;
    return u;
}

bool NeedsCoverageCheck(const TitleChar* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i)
        if (text[i] < 0x20 || text[i] > 0x7E) return true;
    return false;
}

static bool In(uint32_t c, uint32_t a, uint32_t b) { return c >= a && c <= b; }

static bool IsKana(uint32_t c) {
    return In(c, 0x3040, 0x30FF) || In(c, 0x31F0, 0x31FF) || In(c, 0xFF66, 0xFF9F) || In(c, 0x1B000, 0x1B16F);
}

static bool IsHangul(uint32_t c) {
    return In(c, 0x1100, 0x11FF) || In(c, 0x3130, 0x318F) || In(c, 0xA960, 0xA97F) || In(c, 0xAC00, 0xD7FF) ||
           In(c, 0xFFA0, 0xFFDC);
}

static bool IsHan(uint32_t c) {
    return In(c, 0x2E80, 0x2FFF) || In(c, 0x3000, 0x303F) || In(c, 0x3190, 0x31EF) || In(c, 0x3200, 0x33FF) ||
           In(c, 0x3400, 0x4DBF) || In(c, 0x4E00, 0x9FFF) || In(c, 0xF900, 0xFAFF) || In(c, 0xFE30, 0xFE4F) ||
           In(c, 0xFF00, 0xFFEF) || In(c, 0x20000, 0x3FFFF);
}

int32_t HanGroupOf(const TitleChar* text, int32_t n) {
    int32_t group = kGroupChinese;
    for (int32_t i = 0, units = 1; i < n; i += units) {
        const uint32_t c = CodePointAt(text, n, i, &units);
        if (IsKana(c)) return kGroupJapanese;
        if (IsHangul(c)) group = kGroupKorean;
    }
    return group;
}

int32_t FallbackGroupOf(uint32_t c, int32_t han) {
    if (IsKana(c)) return kGroupJapanese;
    if (IsHangul(c)) return kGroupKorean;
    if (IsHan(c)) return han;
    // Punctuation, arrows, dingbats, emoji and the rest beyond the BMP.
    if (In(c, 0x2000, 0x2BFF) || c >= 0x10000) return kGroupSymbol;
    return kGroupOther;
}

int32_t SplitRuns(const uint8_t* slots, int32_t n, TextRun* runs, int32_t maxRuns) {
    int32_t count = 0;
    for (int32_t i = 0; i < n && maxRuns > 0; ++i) {
        if (count > 0 && slots[i] == runs[count - 1].slot) {
            ++runs[count - 1].length;
        } else if (count == maxRuns) {
            runs[count - 1].slot = 0;
            runs[count - 1].length = int16_t(n - runs[count - 1].start);
            break;
        } else {
            runs[count++] = TextRun{int16_t(i), 1, slots[i], 0};
        }
    }
    return count;
}

bool MayBeRightToLeft(const TitleChar* text, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t u = text[i];
        // Hebrew to NKo and Samaritan..Arabic Extended; presentation forms;
        // the high surrogates of U+10800..U+10FFF and U+1E800..U+1EFFF.
        if (In(u, 0x0590, 0x08FF) || In(u, 0xFB1D, 0xFDFF) || In(u, 0xFE70, 0xFEFF) || In(u, 0xD802, 0xD803) ||
            In(u, 0xD83A, 0xD83B))
            return true;
    }
    return false;
}

bool FirstStrongIsRightToLeft(const uint16_t* types, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        if (types[i] == 1) return false;  // C2_LEFTTORIGHT
        if (types[i] == 2) return true;   // C2_RIGHTTOLEFT
    }
    return false;
}

int32_t DirectedDrawFlags(int32_t flags, bool scrolls, bool rightToLeft) {
    if (!rightToLeft) return flags;
    return flags | kDrawFlagRtlReading | (scrolls ? kDrawFlagRight : 0);
}

int32_t ShownOffset(int32_t offset, int32_t screenW, int32_t ringWidth, bool rightToLeft) {
    if (!rightToLeft || ringWidth <= screenW || offset < 0 || offset >= ringWidth) return offset;
    // [o, o + S) seen in the mirror x -> W - x is [W - S - o, W - o).
    int32_t shown = ringWidth - screenW - offset;
    if (shown < 0) shown += ringWidth;
    return shown;
}

static uint32_t Be(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

uint32_t CmapGlyph(CmapReader read, void* context, uint32_t codePoint) {
    uint8_t head[16];
    if (!read(context, 0, head, 4)) return 0;
    const uint32_t tables = Be(head + 2, 2);
    for (uint32_t t = 0; t < tables && t < 64; ++t) {
        if (!read(context, 4 + 8 * t, head, 8)) return 0;
        const uint32_t platform = Be(head, 2), encoding = Be(head + 2, 2), at = Be(head + 4, 4);
        // Windows full repertoire, or Unicode's.
        if (!((platform == 3 && encoding == 10) || (platform == 0 && (encoding == 4 || encoding == 6)))) continue;
        if (!read(context, at, head, 16) || Be(head, 2) != 12) continue;
        uint32_t low = 0, high = Be(head + 12, 4);
        while (low < high) {
            const uint32_t mid = low + (high - low) / 2;
            uint8_t group[12];
            if (!read(context, at + 16 + 12 * mid, group, 12)) return 0;
            const uint32_t first = Be(group, 4), last = Be(group + 4, 4);
            if (codePoint < first) {
                high = mid;
            } else if (codePoint > last) {
                low = mid + 1;
            } else {
                return Be(group + 8, 4) + (codePoint - first);
            }
        }
        return 0;
    }
    return 0;
}
