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
// A choice made in the title window's menu (a kChoice* key), already in
// effect in memory: kept over whatever is read from the file until the file
// holds it.
void NoteChoice(int key);
// Writes the pending choices; with `wait` a moment's lock is waited out.
// One that cannot be written yet (no place settled, the file held) stays
// pending; one whose write fails otherwise is marked failed, for the menu to
// say, and is tried again only with `wait`.
void SaveChoices(const VisModule* module, bool wait);

// When the window shows and click-through alone (part of the placement), for
// the settings dialog, which may run while the display does not.
void LoadShow(const VisModule* module);
bool SaveShow(const VisModule* module);

// Before a composition: the file's appearance, unless memory holds choices
// the file does not (the settings dialog is open, or saving them failed), or
// the file's bytes are those the values in memory were read from.
void RefreshAppearance(const VisModule* module);
