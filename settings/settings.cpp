#include "settings/settings.h"

#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "settings/settings_rules.h"

bool SettingsPath(const VisModule* module, char* path) {
    char library[MAX_PATH];
    DWORD n = GetModuleFileNameA(module->instance, library, MAX_PATH);
    // A name that filled the buffer may be cut short: its folder is unknown.
    if (n == 0 || n >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    return BuildSettingsPath(library, path, MAX_PATH);
}

namespace {

struct Profile {
    const char* section;
    char path[MAX_PATH];
    bool valid;
};

Profile OpenProfile(const VisModule* module) {
    Profile p;
    p.section = module->description;
    p.valid = SettingsPath(module, p.path);
    return p;
}

// Without a usable path every key reads as absent.
int ReadInt(const Profile& p, const char* key, int fallback) {
    return p.valid ? (int)GetPrivateProfileIntA(p.section, key, fallback, p.path) : fallback;
}

void WriteInt(const Profile& p, const char* key, int value) {
    if (!p.valid) return;
    char text[32];
    wsprintfA(text, "%d", value);
    WritePrivateProfileStringA(p.section, key, text, p.path);
}

}  // namespace

void LoadPlacement(const VisModule* module) {
    Profile p = OpenProfile(module);
    DisplayState& s = g_state;
    s.screenX = ClampScreenCoordinate(ReadInt(p, "Screen_x", s.screenX));
    s.screenY = ClampScreenCoordinate(ReadInt(p, "Screen_y", s.screenY));
    s.screenW = ReadInt(p, "Screen_w", s.screenW);
    s.screenH = ReadInt(p, "Screen_h", s.screenH);
    s.styleIndex = StyleIndexOrZero(ReadInt(p, "Window_style", s.styleIndex));
}

void SavePlacement(const VisModule* module) {
    Profile p = OpenProfile(module);
    const DisplayState& s = g_state;
    WriteInt(p, "Screen_x", s.screenX);
    WriteInt(p, "Screen_y", s.screenY);
    WriteInt(p, "Screen_w", s.screenW);
    WriteInt(p, "Screen_h", s.screenH);
    WriteInt(p, "Window_style", s.styleIndex);
}

void LoadAppearance(const VisModule* module) {
    Profile p = OpenProfile(module);
    DisplayState& s = g_state;

    // Read first, so the lock is held for the copy alone.
    char face[LF_FACESIZE] = "";
    if (p.valid) GetPrivateProfileStringA(p.section, "FaceName", "", face, LF_FACESIZE, p.path);
    face[LF_FACESIZE - 1] = '\0';
    const LONG weight = ReadInt(p, "Weight", 0);
    const BYTE italic = LowByte(ReadInt(p, "Italic", 0));
    const BYTE underline = LowByte(ReadInt(p, "Underline", 0));
    const BYTE strikeOut = LowByte(ReadInt(p, "StrikeOut", 0));
    const BYTE charSet = LowByte(ReadInt(p, "CharSet", 0));
    const COLORREF text = (COLORREF)ReadInt(p, "Color", 0xFFFFFF);
    const COLORREF bk = (COLORREF)ReadInt(p, "BkColor", 0);
    const int step = ReadInt(p, "Scroll_Step", s.scrollStep);
    const int interval = ReadInt(p, "Scroll_Interval", s.scrollInterval);
    const int enabled = ReadInt(p, "Scroll_Enabled", s.scrollEnabled);

    LockFont();
    s.font.lfWeight = weight;
    s.font.lfItalic = italic;
    s.font.lfUnderline = underline;
    s.font.lfStrikeOut = strikeOut;
    s.font.lfCharSet = charSet;
    lstrcpynA(s.font.lfFaceName, face, LF_FACESIZE);
    UnlockFont();

    TextColor() = text;
    s.bkColor = bk;
    s.scrollStep = step;
    s.scrollInterval = interval;
    s.scrollEnabled = enabled;
}

void SaveAppearance(const VisModule* module) {
    Profile p = OpenProfile(module);
    const DisplayState& s = g_state;

    LockFont();
    FontSpec font = s.font;
    UnlockFont();
    font.lfFaceName[LF_FACESIZE - 1] = '\0';

    WriteInt(p, "Weight", font.lfWeight);
    WriteInt(p, "Italic", font.lfItalic);
    WriteInt(p, "Underline", font.lfUnderline);
    WriteInt(p, "StrikeOut", font.lfStrikeOut);
    WriteInt(p, "CharSet", font.lfCharSet);
    if (p.valid) WritePrivateProfileStringA(p.section, "FaceName", font.lfFaceName, p.path);
    WriteInt(p, "Color", (int)TextColor());
    WriteInt(p, "BkColor", (int)s.bkColor);
    WriteInt(p, "Scroll_Step", s.scrollStep);
    WriteInt(p, "Scroll_Interval", s.scrollInterval);
    WriteInt(p, "Scroll_Enabled", s.scrollEnabled);
}
