#include "settings/settings.h"

#include <shlobj.h>

#include "display/dpi_rules.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "settings/settings_rules.h"
#include "display/outline_rules.h"

namespace {

// The player's own settings folder: sent to its main window as WM_USER with
// this number in lParam, answered with a pointer to the folder's path.
const LPARAM kAskSettingsFolder = 335;
// A player that does not answer (busy, or waiting for the thread that asks)
// must not hang the display.
const UINT kAskTimeoutMs = 500;
// Room for the section when it is copied to a per-user file.
const DWORD kSectionBytes = 8192;

// Opens the file for writing without changing it; where it does not exist,
// creates a probe of that name and removes it again.
bool CanWrite(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return true;
    }
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    DeleteFileA(path);
    return true;
}

// The folder the player keeps its own settings in, when it names one. Asked
// only of a window of this process: the answer is a pointer into it. The
// answer is kept, so that a player busy later (one stopping the display
// while it waits for it) still gets the same file.
bool PlayerSettingsFolder(HWND host, char* folder /* MAX_PATH bytes */) {
    DisplayState& s = g_state;
    if (!host || host != s.playerFolderHost) {
        DWORD process = 0;
        if (!host || !GetWindowThreadProcessId(host, &process) || process != GetCurrentProcessId()) return false;
        DWORD_PTR answer = 0;
        // Not answered in time: no answer yet, ask again next time.
        if (!SendMessageTimeoutA(host, WM_USER, 0, kAskSettingsFolder, SMTO_ABORTIFHUNG, kAskTimeoutMs, &answer))
            return false;
        s.playerFolder[0] = '\0';
        if (answer >= 0x10000) {  // a pointer, not a number
            const char* text = (const char*)answer;
            size_t n = 0;
            while (n < MAX_PATH && text[n] != '\0') ++n;
            if (n < MAX_PATH) lstrcpynA(s.playerFolder, text, MAX_PATH);
        }
        s.playerFolderHost = host;
    }
    if (s.playerFolder[0] == '\0') return false;
    lstrcpynA(folder, s.playerFolder, MAX_PATH);
    return true;
}

// Where the per-user copy lives, its folder made if needed.
bool UserSettingsFile(const VisModule* module, char* path /* MAX_PATH bytes */) {
    char base[MAX_PATH], folder[MAX_PATH];
    if (PlayerSettingsFolder(module->hostWindow, base)) {
        if (!JoinPath(base, kPlayerPluginsFolder, folder, MAX_PATH)) return false;
    } else {
        if (SHGetFolderPathA(NULL, CSIDL_APPDATA | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, base) != S_OK)
            return false;
        if (!JoinPath(base, kUserFolderName, folder, MAX_PATH)) return false;
    }
    CreateDirectoryA(folder, NULL);
    return JoinPath(folder, kSettingsFileName, path, MAX_PATH);
}

// A per-user copy used for the first time takes over the section of the
// file beside the library whole, so what that file holds is kept.
void SeedUserCopy(const char* section, const char* beside, const char* own) {
    char probe[4];
    if (GetPrivateProfileSectionA(section, probe, sizeof probe, own) != 0) return;
    char lines[kSectionBytes];
    const DWORD n = GetPrivateProfileSectionA(section, lines, kSectionBytes, beside);
    if (n == 0) return;
    if (n == kSectionBytes - 2) {
        // Cut short: the last line may be partial, leave it out.
        char* last = lines;
        for (char* p = lines; *p; p += lstrlenA(p) + 1) last = p;
        *last = '\0';
        if (last == lines) return;
    }
    WritePrivateProfileSectionA(section, lines, own);
}

}  // namespace

bool SettingsPath(const VisModule* module, char* path) {
    char library[MAX_PATH];
    DWORD n = GetModuleFileNameA(module->instance, library, MAX_PATH);
    // A name that filled the buffer may be cut short: its folder is unknown.
    if (n == 0 || n >= MAX_PATH) {
        path[0] = '\0';
        return false;
    }
    if (!BuildSettingsPath(library, path, MAX_PATH)) return false;
    if (CanWrite(path)) return true;
    // Read-only beside the library (a Program Files install): a per-user
    // copy, unless that cannot be written either; then the file beside the
    // library is still read, and saving reports the failure.
    char own[MAX_PATH];
    if (!UserSettingsFile(module, own) || !CanWrite(own)) return true;
    SeedUserCopy(module->description, path, own);
    lstrcpynA(path, own, MAX_PATH);
    return true;
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

bool WriteText(const Profile& p, const char* key, const char* text) {
    return p.valid && WritePrivateProfileStringA(p.section, key, text, p.path);
}

bool WriteInt(const Profile& p, const char* key, int value) {
    char text[32];
    wsprintfA(text, "%d", value);
    return WriteText(p, key, text);
}

// Keys newer than the file: written when on, or to turn off what the file
// has on, so a file that never had them is saved as it always was.
bool WriteOption(const Profile& p, const char* key, int on) {
    return !on && !ReadInt(p, key, 0) ? true : WriteInt(p, key, on);
}

}  // namespace

void LoadPlacement(const VisModule* module) {
    Profile p = OpenProfile(module);
    DisplayState& s = g_state;
    s.screenX = ClampScreenCoordinate(ReadInt(p, "Screen_x", s.screenX));
    s.screenY = ClampScreenCoordinate(ReadInt(p, "Screen_y", s.screenY));
    s.screenW = ReadInt(p, "Screen_w", s.screenW);
    s.screenH = ReadInt(p, "Screen_h", s.screenH);
    const Placement real = RealFromStored({s.screenX, s.screenY, s.screenW, s.screenH}, s.playerDpi, s.playerDpi);
    s.screenX = real.x;
    s.screenY = real.y;
    s.screenW = real.w;
    s.screenH = real.h;
    s.styleIndex = StyleIndexOrZero(ReadInt(p, "Window_style", s.styleIndex));
    s.topMost = ReadInt(p, "TopMost", s.topMost) != 0;
    s.titleFile = ReadInt(p, "TitleFile", s.titleFile) != 0;
}

bool SavePlacement(const VisModule* module) {
    Profile p = OpenProfile(module);
    const DisplayState& s = g_state;
    const Placement stored = StoredFromReal({s.screenX, s.screenY, s.screenW, s.screenH}, s.playerDpi, s.windowDpi);
    bool saved = WriteInt(p, "Screen_x", stored.x);
    saved &= WriteInt(p, "Screen_y", stored.y);
    saved &= WriteInt(p, "Screen_w", stored.w);
    saved &= WriteInt(p, "Screen_h", stored.h);
    saved &= WriteInt(p, "Window_style", s.styleIndex);
    saved &= WriteOption(p, "TopMost", s.topMost);
    saved &= WriteOption(p, "TitleFile", s.titleFile);
    return saved;
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
    const int transparent = ReadInt(p, "Transparent", 0) != 0;
    const int outline = OutlineLevel(ReadInt(p, "Outline", 0));
    const COLORREF outlineColor = (COLORREF)ReadInt(p, "OutlineColor", 0) & 0xFFFFFF;

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
    s.transparent = transparent;
    s.outline = outline;
    s.outlineColor = outlineColor;
    s.appearanceUnsaved = 0;
}

bool SaveAppearance(const VisModule* module) {
    Profile p = OpenProfile(module);
    DisplayState& s = g_state;

    LockFont();
    FontSpec font = s.font;
    UnlockFont();
    font.lfFaceName[LF_FACESIZE - 1] = '\0';

    bool saved = WriteInt(p, "Weight", font.lfWeight);
    saved &= WriteInt(p, "Italic", font.lfItalic);
    saved &= WriteInt(p, "Underline", font.lfUnderline);
    saved &= WriteInt(p, "StrikeOut", font.lfStrikeOut);
    saved &= WriteInt(p, "CharSet", font.lfCharSet);
    saved &= WriteText(p, "FaceName", font.lfFaceName);
    saved &= WriteInt(p, "Color", (int)TextColor());
    saved &= WriteInt(p, "BkColor", (int)s.bkColor);
    saved &= WriteInt(p, "Scroll_Step", s.scrollStep);
    saved &= WriteInt(p, "Scroll_Interval", s.scrollInterval);
    saved &= WriteInt(p, "Scroll_Enabled", s.scrollEnabled);
    saved &= SaveLook(module);
    // What the file lacks stays in memory for the rest of the load.
    s.appearanceUnsaved = saved ? 0 : 1;
    return saved;
}

bool SaveLook(const VisModule* module) {
    Profile p = OpenProfile(module);
    const DisplayState& s = g_state;
    bool saved = WriteOption(p, "Transparent", s.transparent);
    saved &= WriteOption(p, "Outline", s.outline);
    saved &= WriteOption(p, "OutlineColor", (int)s.outlineColor);
    return saved;
}

void RefreshAppearance(const VisModule* module) {
    if (g_state.dialogOpen || g_state.appearanceUnsaved) return;
    LoadAppearance(module);
}
