#include "settings/settings_rules.h"

#include <cstring>

namespace {
// Up to and with the last backslash; 0 where there is none.
size_t FolderLength(const char* path) {
    size_t n = 0;
    for (size_t i = 0; path[i] != '\0'; ++i)
        if (path[i] == '\\') n = i + 1;
    return n;
}
}  // namespace

bool BuildSettingsPath(const char* libraryPath, char* out, size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    const size_t dirLen = FolderLength(libraryPath);
    const size_t nameLen = sizeof kSettingsFileName - 1;
    if (dirLen + nameLen + 1 > outSize) return false;
    memcpy(out, libraryPath, dirLen);
    memcpy(out + dirLen, kSettingsFileName, nameLen + 1);
    return true;
}

bool JoinPath(const char* folder, const char* name, char* out, size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    const size_t folderLen = strlen(folder), nameLen = strlen(name);
    if (folderLen == 0) return false;
    const size_t slash = folder[folderLen - 1] == '\\' ? 0 : 1;
    if (folderLen + slash + nameLen + 1 > outSize) return false;
    memcpy(out, folder, folderLen);
    if (slash) out[folderLen] = '\\';
    memcpy(out + folderLen + slash, name, nameLen + 1);
    return true;
}

bool BuildProbePath(const char* settingsPath, uint32_t n, char* out, size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    const size_t dirLen = FolderLength(settingsPath);
    const size_t nameLen = sizeof kSettingsFileName - 1;
    if (dirLen == 0 || dirLen + nameLen + 1 > outSize) return false;
    memcpy(out, settingsPath, dirLen);
    char* name = out + dirLen;
    name[0] = '~';
    name[1] = 'm';
    for (int i = 0; i < 8; ++i) name[2 + i] = "0123456789abcdef"[(n >> (28 - 4 * i)) & 0xF];
    name[nameLen] = '\0';
    return true;
}

bool ReadableMemory(uint32_t state, uint32_t protect) {
    const uint32_t kCommitted = 0x1000;                          // MEM_COMMIT
    const uint32_t kUnreadable = 0x01 | 0x100;                   // PAGE_NOACCESS, PAGE_GUARD
    const uint32_t kReadable = 0x02 | 0x04 | 0x08 | 0x20 | 0x40 | 0x80;  // read, write, copy, with execute too
    return state == kCommitted && (protect & kUnreadable) == 0 && (protect & kReadable) != 0;
}
