// What the player tells a plug-in in its own process when asked: its
// version, the play state, the time, the playing entry's file and tags.
#pragma once
#include <windows.h>

#include "display/song_rules.h"

// Copies the NUL-terminated text of `unit`-byte characters (1 or 2) that
// a player's answer points to, reading only memory that may be read: a
// player imitating this one may answer with a number, a handle or text
// without an end. False, leaving `out` empty, when it is no pointer, not
// readable or has no end within `limit` characters.
bool CopyAnswerText(DWORD_PTR answer, void* out, size_t limit, size_t unit);

// The text shown for the caption `caption` (turned back) and `cut` (cut at
// its last "-"): without a template `cut` itself, else the template filled
// in from the player's answers and the caption. Sets `playState`.
void SongText(const TitleChar* caption, const TitleChar* cut, TitleChar* shown /* kTitleLimit */);

// Once a second while a time the player tells is shown and it plays: the
// time asked again and the text made anew into `shown`. False when not due
// or the player is busy (the last text stays).
bool SongTimeDue(TitleChar* shown /* kTitleLimit */);

// `playState` from the player's answer to 104 where it can be trusted, else
// from the caption as last composed; false when the player is busy.
bool AskPlayState();
