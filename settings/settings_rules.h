// Platform-free rules of the settings file: where it lives and how stored
// values are taken back into memory.
#pragma once
#include <cstddef>
#include <cstdint>

const char kSettingsFileName[] = "plugin.ini";
// Per-user homes of the file when the one beside the library is read-only.
const char kPlayerPluginsFolder[] = "Plugins";  // under the player's own settings folder
const char kUserFolderName[] = "Mirn Title Display";  // under the user's application data
const int kMaxScreenCoordinate = 10000;
const int kStyleCount = 3;

// Replaces everything after the last backslash of `libraryPath` with
// "plugin.ini" (the bare name when there is no backslash). Returns false,
// leaving `out` empty, when the result does not fit in `outSize` bytes.
bool BuildSettingsPath(const char* libraryPath, char* out, size_t outSize);

// `folder` + "\\" + `name` (no second backslash after one that ends the
// folder). Returns false, leaving `out` empty, for an empty folder or when
// the result does not fit in `outSize` bytes. `out` may not overlap either.
bool JoinPath(const char* folder, const char* name, char* out, size_t outSize);

// A stored coordinate beyond 10000 is off every screen: back to 0.
inline int32_t ClampScreenCoordinate(int32_t v) { return v > kMaxScreenCoordinate ? 0 : v; }

// Frame styles outside the table fall back to the first one.
inline int32_t StyleIndexOrZero(int32_t v) { return v >= 0 && v < kStyleCount ? v : 0; }

// Byte-wide font fields keep the low 8 bits of what was stored.
inline uint8_t LowByte(uint32_t v) { return static_cast<uint8_t>(v & 0xFFu); }

// Whether a folder can be written is found with a file of a name of its own:
// never plugin.ini, which another writer may be creating meanwhile. The
// name of `settingsPath` replaced by "~m" and `n` in 8 hex digits, as long
// as "plugin.ini", so the probe fits wherever the file does. Returns false,
// leaving `out` empty, when there is no folder or it does not fit in
// `outSize` bytes.
bool BuildProbePath(const char* settingsPath, uint32_t n, char* out, size_t outSize);

// Memory that may be read, from what the system says of its pages (their
// state and protection, as VirtualQuery gives them): the player's answer
// naming its settings folder is read only there.
bool ReadableMemory(uint32_t state, uint32_t protect);
