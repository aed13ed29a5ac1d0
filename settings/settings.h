// The settings file: the placement and appearance groups. It is "plugin.ini"
// beside the library while that can be written, else a per-user copy.
#pragma once
#include <windows.h>

struct VisModule;

// The one place that decides where the file is. False when the library's
// path is too long to name the file safely; then nothing is read or written.
bool SettingsPath(const VisModule* module, char* path /* MAX_PATH bytes */);

void LoadPlacement(const VisModule* module);
void SavePlacement(const VisModule* module);
void LoadAppearance(const VisModule* module);
void SaveAppearance(const VisModule* module);
