#include <windows.h>

// Loading and unloading do no work of ours.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
