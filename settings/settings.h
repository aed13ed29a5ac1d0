// The settings file: the placement and appearance groups. It is "plugin.ini"
// beside the library while that can be written, else a per-user copy.
#pragma once
#include <windows.h>

struct VisModule;

// The one place that decides where the file is. False when the library's
// path is too long to name the file safely; then nothing is read or written.
bool SettingsPath(const VisModule* module, char* path /* MAX_PATH bytes */);

void LoadPlacement(const VisModule* module);
void LoadAppearance(const VisModule* module);
// False when a value could not be written; the values in memory then stay
// what the display shows (see RefreshAppearance).
bool SavePlacement(const VisModule* module);
bool SaveAppearance(const VisModule* module);
// The transparent background and the outline alone (part of the appearance),
// for a choice made in the title window's menu.
bool SaveLook(const VisModule* module);

// Before a composition: the file's appearance, unless memory holds choices
// the file does not (the settings dialog is open, or saving them failed).
void RefreshAppearance(const VisModule* module);
