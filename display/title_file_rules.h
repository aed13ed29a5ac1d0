// Platform-free rules of nowplaying.txt: the title as stream software reads
// it, and where the file goes.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/title_rules.h"

// UTF-8 takes at most 3 bytes a UTF-16 unit (4 for a pair of them).
const size_t kTitleFileBytes = 3 * kTitleLimit;

// Length of the shown title without its trailing blanks and line ends.
size_t TitleFileLength(const TitleChar* title);

// "nowplaying.txt" in the folder of `settingsPath`, its temporary neighbour
// ".tmp" added, and, when `lock` is given, "nowplaying.lock" beside them;
// each holds `size` bytes. False, leaving them empty, when there is no
// folder or the names do not fit.
bool TitleFilePaths(const char* settingsPath, char* path, char* temp, size_t size, char* lock = nullptr);

// FNV-1a: tells what the file should hold from what it holds. A file read
// in pieces hashes each with the hash of those before.
const uint32_t kContentHashStart = 2166136261u;
uint32_t ContentHash(const char* bytes, size_t n, uint32_t before = kContentHashStart);
