// The settings file: the placement and appearance groups. It is "plugin.ini"
// beside the library while that can be written, else a per-user copy.
#pragma once
#include <windows.h>

struct VisModule;

// How long a settings operation waits for a busy player to say where its
// settings are: briefly from the display, longer where the user waits anyway.
const UINT kAskBrieflyMs = 100;
const UINT kAskPatientlyMs = 2000;

// Settles, once for the load of the library, where the file is. False while
// the player, asked for its own folder, has not answered: nothing is then
// read or written anywhere, and the next operation asks again.
bool SettingsKnown(const VisModule* module, UINT waitMs = kAskBrieflyMs);
// The file, once that is settled. False while it is not, or when the
// library's path is too long to name the file safely: then nothing is read
// or written.
bool SettingsPath(const VisModule* module, char* path /* MAX_PATH bytes */, UINT waitMs = kAskBrieflyMs);

// Before the place is settled the placement stays as it is, and
// `placementPending` says so.
void LoadPlacement(const VisModule* module);
void LoadAppearance(const VisModule* module, UINT waitMs = kAskBrieflyMs);
// False when a value could not be written; the values in memory then stay
// what the display shows (see RefreshAppearance).
bool SavePlacement(const VisModule* module, UINT waitMs = kAskBrieflyMs);
bool SaveAppearance(const VisModule* module, UINT waitMs = kAskBrieflyMs);
// The transparent background and the outline alone (part of the appearance),
// for a choice made in the title window's menu.
bool SaveLook(const VisModule* module);
// The scrolling mode, pause and soft edges alone, for a choice made in the
// title window's menu.
bool SaveScrolling(const VisModule* module);

// Before a composition: the file's appearance, unless memory holds choices
// the file does not (the settings dialog is open, or saving them failed), or
// the file's bytes are those the values in memory were read from.
void RefreshAppearance(const VisModule* module);
