// DPI awareness contexts of the calling thread, where the system has them
// (Windows 10 1607 on); elsewhere every call does nothing.
#pragma once
#include <windows.h>

// A thread's previous context, to go back to; NULL when nothing was switched.
typedef HANDLE DpiContext;

// Per-monitor aware: version 2 where the system takes it, else version 1.
DpiContext EnterPerMonitorContext();
// The context `window` was made in; nothing is switched where the thread
// that started the display is per-monitor aware itself.
DpiContext EnterWindowContext(HWND window);
// Per-monitor version 2, under which the system scales dialogs; where it is
// refused, the player's own context.
DpiContext EnterDialogContext();
void LeaveContext(DpiContext previous);

// The scale of the coordinates the thread had before `previous` was left
// for a per-monitor context: the system DPI for a thread that is not
// DPI-aware, otherwise 0 (its coordinates are already real pixels, nothing
// to convert). Call it while still switched, where the system DPI is real.
int PlayerDpi(DpiContext previous);
// The DPI of the monitor `window` is on; `fallback` where that is unknown.
int WindowDpi(HWND window, int fallback);
