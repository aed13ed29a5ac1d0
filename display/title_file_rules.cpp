#include "display/title_file_rules.h"

size_t TitleFileLength(const TitleChar* title) {
    size_t n = 0;
    while (title[n] != 0) ++n;
    while (n > 0 && (title[n - 1] == u' ' || title[n - 1] == u'\t' || title[n - 1] == u'\r' || title[n - 1] == u'\n'))
        --n;
    return n;
}

bool TitleFilePaths(const char* settingsPath, char* path, char* temp, size_t size, char* lock) {
    static const char kName[] = "nowplaying.txt.tmp";
    static const char kLockName[] = "nowplaying.lock";  // shorter than the temporary name
    const size_t tempName = sizeof kName - 1, name = tempName - 4;
    size_t folder = 0;
    for (size_t i = 0; settingsPath[i] != 0; ++i)
        if (settingsPath[i] == '\\') folder = i + 1;
    if (size == 0) return false;
    path[0] = temp[0] = 0;
    if (lock) lock[0] = 0;
    if (folder == 0 || folder + tempName >= size) return false;
    for (size_t i = 0; i <= folder + tempName; ++i) path[i] = temp[i] = i < folder ? settingsPath[i] : kName[i - folder];
    path[folder + name] = 0;
    if (lock)
        for (size_t i = 0; i < folder + sizeof kLockName; ++i) lock[i] = i < folder ? settingsPath[i] : kLockName[i - folder];
    return true;
}

uint32_t ContentHash(const char* bytes, size_t n, uint32_t before) {
    uint32_t h = before;
    for (size_t i = 0; i < n; ++i) h = (h ^ (unsigned char)bytes[i]) * 16777619u;
    return h;
}
