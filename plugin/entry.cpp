// The exported entry point, the header and the one module record.
#include "plugin/vis_api.h"
#include "display/display.h"
#include "ui/config_dialog.h"

static char g_description[] = "Title Display (ALPHA)";

static VisModule g_module = {
    g_description,
    NULL, NULL,  // host window and instance: the player's
    0, 0,
    25, 25,      // latency, delay
    0, 0,        // no audio wanted
    {}, {},
    VisConfig, VisInit, VisRender, VisQuit,
    NULL,
};

static VisHeader g_header = {kVisHeaderVersion, "Mirn Title Display plug-in v0.5", GetModule};

VisModule* __cdecl GetModule(int index) { return index == 0 ? &g_module : NULL; }

extern "C" VisHeader* __cdecl winampVisGetHeader(void) { return &g_header; }
