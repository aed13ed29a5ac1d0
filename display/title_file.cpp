// nowplaying.txt: the shown title for stream software, always whole.
#include "display/display.h"
#include "display/title_file_rules.h"
#include "plugin/display_state.h"
#include "settings/settings.h"

// A write that fails (a reader holding the file) is owed and tried again
// from the frames (kRetryMs).
// A reader's moment is waited out within the write: tries, 10 ms apart.
static const int kReplaceTries = 4;
// At the stop the empty title is tried this long, then written in place.
static const DWORD kStopWaitMs = 500;

static bool Busy(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// One display at a time writes the file, so two players do not take turns
// with it: the right is an exclusive lock file beside it, kept while the
// option is on and gone with the process however it ends.
static bool HoldRight(const char* lock) {
    DisplayState& s = g_state;
    if (s.titleFileLock) return true;
    HANDLE file = CreateFileA(lock, GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    s.titleFileInUse = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    if (file == INVALID_HANDLE_VALUE) return false;
    s.titleFileLock = file;
    return true;
}

static void ReleaseRight() {
    DisplayState& s = g_state;
    if (s.titleFileLock) CloseHandle(s.titleFileLock);
    s.titleFileLock = NULL;
    s.titleFileInUse = 0;
}

// Written beside it and moved over it, so a reader sees the old title or
// the new one, never half of one. The paths are the settings file's own
// 8-bit ones.
static bool WriteWhole(const char* path, const char* temp, const char* bytes, DWORD n) {
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool whole = WriteFile(file, bytes, n, &written, NULL) && written == n;
    CloseHandle(file);
    for (int tries = 1; whole; ++tries) {
        if (MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING)) return true;
        if (tries == kReplaceTries || !Busy(GetLastError())) break;
        Sleep(10);
    }
    DeleteFileA(temp);
    return false;
}

// At the stop: a reader that shares writing (as most do) lets the file be
// emptied where it stands.
static bool EmptyInPlace(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                              TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    CloseHandle(file);
    return true;
}

static void WriteTitle(const VisModule* module, const char* bytes, int n, DWORD patienceMs = 0) {
    DisplayState& s = g_state;
    if (!s.titleFile) return;
    const uint32_t hash = ContentHash(bytes, (size_t)n);
    if (s.titleFileWritten && hash == s.titleFileHash) return;
    if (bytes != s.titleFileBytes) CopyMemory(s.titleFileBytes, bytes, (size_t)n);
    s.titleFileLength = n;
    s.titleFileHash = hash;
    s.titleFileWritten = 0;
    s.titleFileOwed = 1;
    s.titleFileRetryAt = TickMs() + kRetryMs;
    char settings[MAX_PATH], path[MAX_PATH], temp[MAX_PATH], lock[MAX_PATH];
    if (!module || !SettingsPath(module, settings) || !TitleFilePaths(settings, path, temp, MAX_PATH, lock) ||
        !HoldRight(lock))
        return;
    const DWORD start = GetTickCount();
    while (!WriteWhole(path, temp, bytes, (DWORD)n)) {
        if (GetTickCount() - start >= patienceMs) {
            if (patienceMs == 0 || n != 0 || !EmptyInPlace(path)) return;
            break;
        }
        Sleep(20);
    }
    s.titleFileWritten = 1;
    s.titleFileOwed = 0;
}

void ShowTitleInFile(const VisModule* module, const WCHAR* shown) {
    if (!g_state.titleFile) return;  // compositions pay nothing for it while it is off
    char bytes[kTitleFileBytes];
    const int length = (int)TitleFileLength(reinterpret_cast<const TitleChar*>(shown));
    WriteTitle(module, bytes, WideCharToMultiByte(CP_UTF8, 0, shown, length, bytes, sizeof bytes, NULL, NULL));
}

void RetryTitleFile(const VisModule* module) {
    DisplayState& s = g_state;
    if (!s.titleFile || !s.titleFileOwed || (LONG)(TickMs() - s.titleFileRetryAt) < 0) return;
    WriteTitle(module, s.titleFileBytes, s.titleFileLength);
}

void EmptyTitleFile(const VisModule* module) {
    WriteTitle(module, "", 0, kStopWaitMs);
    ReleaseRight();
    g_state.titleFileOwed = 0;
}
