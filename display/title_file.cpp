// nowplaying.txt: the shown title for stream software, always whole.
#include "display/display.h"
#include "display/title_file_rules.h"
#include "plugin/display_state.h"
#include "settings/settings.h"

// Written beside it and moved over it, so a reader sees the old title or
// the new one, never half of one. A reader holding it open may make the
// move fail: then it is tried again with the next title.
// The paths are the settings file's own 8-bit ones.
static bool WriteWhole(const VisModule* module, const char* bytes, DWORD n) {
    char settings[MAX_PATH], path[MAX_PATH], temp[MAX_PATH];
    if (!module || !SettingsPath(module, settings) || !TitleFilePaths(settings, path, temp, MAX_PATH)) return false;
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes, n, &written, NULL) && written == n;
    CloseHandle(file);
    if (whole && MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(temp);
    return false;
}

static void WriteTitle(const VisModule* module, const char* bytes, int n) {
    DisplayState& s = g_state;
    if (!s.titleFile) return;
    const uint32_t hash = ContentHash(bytes, (size_t)n);
    if (s.titleFileWritten && hash == s.titleFileHash) return;
    s.titleFileWritten = WriteWhole(module, bytes, (DWORD)n);
    s.titleFileHash = hash;
}

void ShowTitleInFile(const VisModule* module, const WCHAR* shown) {
    if (!g_state.titleFile) return;  // compositions pay nothing for it while it is off
    char bytes[kTitleFileBytes];
    const int length = (int)TitleFileLength(reinterpret_cast<const TitleChar*>(shown));
    WriteTitle(module, bytes, WideCharToMultiByte(CP_UTF8, 0, shown, length, bytes, sizeof bytes, NULL, NULL));
}

void EmptyTitleFile(const VisModule* module) { WriteTitle(module, "", 0); }
