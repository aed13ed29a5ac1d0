#include "settings/settings_rules.h"

#include <cstring>

bool BuildSettingsPath(const char* libraryPath, char* out, size_t outSize) {
    if (outSize == 0) return false;
    out[0] = '\0';
    size_t dirLen = 0;
    for (size_t i = 0; libraryPath[i] != '\0'; ++i)
        if (libraryPath[i] == '\\') dirLen = i + 1;
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
