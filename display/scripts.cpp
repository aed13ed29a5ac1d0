// Titles in scripts the chosen font lacks: the runs it cannot show are drawn
// in faces that have them, and right-to-left titles read right to left.
#include <stddef.h>

#include "display/display.h"
#include "display/script_rules.h"
#include "plugin/display_state.h"

static const uint8_t kUnassigned = 0x7F;  // missing from the chosen font, no face found yet

// Windows' faces first; elsewhere what the script's character set lists.
static const WCHAR* const kPreferred[kGroupCount][kFacesPerGroup] = {
    {L"Yu Gothic", L"Meiryo", L"MS Gothic"},
    {L"Microsoft YaHei", L"SimSun", L"Microsoft JhengHei"},
    {L"Malgun Gothic", L"Gulim", NULL},
    {L"Segoe UI Emoji", L"Segoe UI Symbol", L"Symbola"},
    {L"Segoe UI", L"Arial Unicode MS", L"DejaVu Sans"},
};
static const BYTE kCharSet[kGroupCount] = {SHIFTJIS_CHARSET, GB2312_CHARSET, HANGUL_CHARSET, 0, 0};

static int CALLBACK AddFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM group) {
    DisplayState& s = g_state;
    int& count = s.fallbackFaceCount[group];
    if (lf->lfFaceName[0] == L'@') return 1;  // vertical writing
    for (int i = 0; i < count; ++i)
        if (lstrcmpiW(s.fallbackFaces[group][i], lf->lfFaceName) == 0) return 1;
    lstrcpynW(s.fallbackFaces[group][count], lf->lfFaceName, LF_FACESIZE);
    return ++count < kFacesPerGroup;
}

static void LookUpFaces(HDC dc, int group) {
    DisplayState& s = g_state;
    s.fallbackLooked |= 1 << group;
    s.fallbackFaceCount[group] = 0;
    LOGFONTW lf;
    for (int i = 0; i < kFacesPerGroup && kPreferred[group][i]; ++i) {
        ZeroMemory(&lf, sizeof lf);
        lf.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(lf.lfFaceName, kPreferred[group][i], LF_FACESIZE);
        if (s.fallbackFaceCount[group] < kFacesPerGroup) EnumFontFamiliesExW(dc, &lf, AddFace, group, 0);
    }
    if (kCharSet[group] && s.fallbackFaceCount[group] < kFacesPerGroup) {
        ZeroMemory(&lf, sizeof lf);
        lf.lfCharSet = kCharSet[group];
        EnumFontFamiliesExW(dc, &lf, AddFace, group, 0);
    }
}

static bool ReadCmap(void* dc, uint32_t offset, uint8_t* out, uint32_t size) {
    return GetFontData((HDC)dc, 0x70616D63 /* 'cmap' */, offset, out, size) == size;
}

// The fallback face of `slot` at the chosen font's size and weight.
static HFONT SlotFont(const LOGFONTA& chosen, int slot) {
    DisplayState& s = g_state;
    if (!s.runFonts[slot]) {
        LOGFONTW lf;
        CopyMemory(&lf, &chosen, offsetof(LOGFONTA, lfFaceName));
        lf.lfCharSet = DEFAULT_CHARSET;
        const int group = (slot - 1) / kFacesPerGroup, rank = (slot - 1) % kFacesPerGroup;
        lstrcpynW(lf.lfFaceName, s.fallbackFaces[group][rank], LF_FACESIZE);
        s.runFonts[slot] = CreateFontIndirectW(&lf);
    }
    return s.runFonts[slot];
}

// Gives the units of `group` still unassigned to the face of `slot` where it has them.
static void AssignFace(HDC dc, const LOGFONTA& chosen, const TitleChar* text, int n, int group, int han, int slot) {
    DisplayState& s = g_state;
    HFONT font = SlotFont(chosen, slot);
    if (!font) return;
    HGDIOBJ previous = SelectObject(dc, font);
    WORD probe[kTitleLimit];
    bool probed = false;
    for (int i = 0, units = 1; i < n; i += units) {
        const uint32_t c = CodePointAt(text, n, i, &units);
        if (s.titleSlots[i] != kUnassigned || FallbackGroupOf(c, han) != group) continue;
        if (units == 2) {
            const uint32_t glyph = CmapGlyph(ReadCmap, dc, c);
            if (glyph == 0 || glyph > 0xFFFF) continue;
            s.pairGlyphs[i / 2] = (WORD)glyph;
            s.titleSlots[i] = s.titleSlots[i + 1] = (uint8_t)(slot | kSlotByGlyph);
            continue;
        }
        if (!probed) {
            probed = true;
            if (GetGlyphIndicesW(dc, (LPCWSTR)text, n, probe, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) break;
        }
        if (probe[i] != 0xFFFF) s.titleSlots[i] = (uint8_t)slot;
    }
    SelectObject(dc, previous);
}

void FindTitleRuns(HDC dc, const LOGFONTA& chosen, const WCHAR* title, int n) {
    DisplayState& s = g_state;
    const TitleChar* text = reinterpret_cast<const TitleChar*>(title);
    s.titleRunCount = 0;
    if (n <= 0 || !NeedsCoverageCheck(text, n)) return;
    // The chosen font, selected in `dc`: what it lacks, and which groups that is.
    WORD probe[kTitleLimit];
    if (GetGlyphIndicesW(dc, title, n, probe, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR) return;
    const int han = HanGroupOf(text, n);
    int groups = 0;
    for (int i = 0, units = 1; i < n; i += units) {
        const uint32_t c = CodePointAt(text, n, i, &units);
        const bool missing = units == 2 || probe[i] == 0xFFFF;
        s.titleSlots[i] = missing ? kUnassigned : 0;
        if (units == 2) s.titleSlots[i + 1] = kUnassigned;
        if (missing) groups |= 1 << FallbackGroupOf(c, han);
    }
    if (!groups) return;
    if (lstrcmpA(s.fallbackFor, chosen.lfFaceName) != 0) {
        lstrcpynA(s.fallbackFor, chosen.lfFaceName, LF_FACESIZE);
        s.fallbackLooked = 0;
    }
    for (int g = 0; g < kGroupCount; ++g) {
        if (!(groups & (1 << g))) continue;
        if (!(s.fallbackLooked & (1 << g))) LookUpFaces(dc, g);
        for (int rank = 0; rank < s.fallbackFaceCount[g]; ++rank)
            AssignFace(dc, chosen, text, n, g, han, 1 + g * kFacesPerGroup + rank);
    }
    // What no face has is drawn as the chosen font draws it.
    bool found = false;
    for (int i = 0; i < n; ++i) {
        if (s.titleSlots[i] == kUnassigned) s.titleSlots[i] = 0;
        found = found || s.titleSlots[i] != 0;
    }
    if (!found) return;
    s.titleRunCount = SplitRuns(s.titleSlots, n, s.titleRuns, kMaxRuns);
}

static HGDIOBJ RunFont(HDC dc, const TextRun& run) {
    const int slot = run.slot & ~kSlotByGlyph;
    return SelectObject(dc, slot ? g_state.runFonts[slot] : GetCurrentObject(dc, OBJ_FONT));
}

SIZE MeasureRuns(HDC dc, const WCHAR* text) {
    DisplayState& s = g_state;
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SIZE total = {0, tm.tmHeight};
    for (int r = 0; r < s.titleRunCount; ++r) {
        TextRun& run = s.titleRuns[r];
        HGDIOBJ chosen = RunFont(dc, run);
        SIZE size = {0, 0};
        if (run.slot & kSlotByGlyph)
            GetTextExtentPointI(dc, s.pairGlyphs + run.start / 2, run.length / 2, &size);
        else
            GetTextExtentPoint32W(dc, text + run.start, run.length, &size);
        SelectObject(dc, chosen);
        run.width = size.cx;
        total.cx += size.cx;
    }
    return total;
}

void DrawTitleText(HDC dc, const WCHAR* text, int length, RECT* all, UINT flags) {
    const DisplayState& s = g_state;
    if (!s.titleRunCount) {
        DrawTextW(dc, text, length, all, flags);
        return;
    }
    // One baseline for every face, where the chosen font's line would put it.
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    int total = 0;
    for (int r = 0; r < s.titleRunCount; ++r) total += s.titleRuns[r].width;
    int x = all->left;
    if (flags & DT_CENTER) x += (all->right - all->left - total) / 2;
    if (flags & DT_RIGHT) x = all->right - total;
    const int baseline = all->top + (all->bottom - all->top - tm.tmHeight) / 2 + tm.tmAscent;
    const UINT align = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    const int mode = SetBkMode(dc, TRANSPARENT);
    // Right to left: the runs follow each other from the right.
    const bool rtl = (flags & DT_RTLREADING) != 0;
    int at = rtl ? x + total : x;
    for (int r = 0; r < s.titleRunCount; ++r) {
        const TextRun& run = s.titleRuns[r];
        if (rtl) at -= run.width;
        HGDIOBJ chosen = RunFont(dc, run);
        if (run.slot & kSlotByGlyph)
            ExtTextOutW(dc, at, baseline, ETO_GLYPH_INDEX, NULL, (LPCWSTR)(s.pairGlyphs + run.start / 2), run.length / 2,
                        NULL);
        else
            ExtTextOutW(dc, at, baseline, rtl ? ETO_RTLREADING : 0, NULL, text + run.start, run.length, NULL);
        SelectObject(dc, chosen);
        if (!rtl) at += run.width;
    }
    SetBkMode(dc, mode);
    SetTextAlign(dc, align);
}

void DropRunFonts() {
    DisplayState& s = g_state;
    for (int i = 0; i < kRunSlots; ++i) {
        if (s.runFonts[i]) DeleteObject(s.runFonts[i]);
        s.runFonts[i] = NULL;
    }
}

bool ReadsRightToLeft(const WCHAR* title, int n) {
    const TitleChar* text = reinterpret_cast<const TitleChar*>(title);
    if (n <= 0 || !MayBeRightToLeft(text, n)) return false;
    WORD types[kTitleLimit];
    return GetStringTypeW(CT_CTYPE2, title, n, types) && FirstStrongIsRightToLeft(types, n);
}

int PresentedOffset() {
    const DisplayState& s = g_state;
    if (!s.titleRtl) return s.scrollOffset;
    // The mirror is taken at the window's visible width.
    RECT client = {0, 0, s.screenW, 0};
    if (s.titleWnd) GetClientRect(s.titleWnd, &client);
    return ShownOffset(s.scrollOffset, client.right, s.textExtent.cx, true);
}
