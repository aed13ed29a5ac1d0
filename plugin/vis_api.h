// The player's visualisation interface: the header and module records as the
// player lays them out. Callbacks use the plain C convention (caller pops).
#pragma once
#include <windows.h>

struct VisModule;

typedef VisModule* (__cdecl* VisModuleLookup)(int index);
typedef void (__cdecl* VisVoidCallback)(VisModule* module);
typedef int (__cdecl* VisIntCallback)(VisModule* module);

struct VisHeader {
    int version;
    const char* description;
    VisModuleLookup getModule;
};

struct VisModule {
    const char* description;
    HWND hostWindow;        // filled by the player
    HINSTANCE instance;     // filled by the player
    int sampleRate;
    int channels;
    int latencyMs;
    int delayMs;
    int spectrumChannels;
    int waveformChannels;
    unsigned char spectrumData[2][576];
    unsigned char waveformData[2][576];
    VisVoidCallback configure;
    VisIntCallback start;
    VisIntCallback render;
    VisVoidCallback stop;
    void* userData;
};

const int kVisHeaderVersion = 0x101;

extern "C" {
VisHeader* __cdecl winampVisGetHeader(void);
LRESULT CALLBACK GetMsgProc(int code, WPARAM wParam, LPARAM lParam);
}

VisModule* __cdecl GetModule(int index);
