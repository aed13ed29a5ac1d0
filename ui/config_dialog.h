// The settings dialog and the About box behind the configure callback.
#pragma once
#include <windows.h>

struct VisModule;

void __cdecl VisConfig(VisModule* module);
INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void ReadScrollControls(HWND dialog);
