// The exported entry point, the header and the one module record.
#include "plugin/vis_api.h"
#include "display/display.h"
#include "ui/config_dialog.h"

static char g_description[] = "Title Display (ALPHA)";

// Zero in the file: most of the record is the player's sample buffers, so
// the library's fields are filled when the player asks for it.
static VisModule g_module;

static VisHeader g_header = {kVisHeaderVersion, "Mirn Title Display plug-in v0.5", GetModule};

VisModule* __cdecl GetModule(int index) {
    if (index != 0) return NULL;
    VisModule& m = g_module;  // the host fields are the player's
    m.description = g_description;
    m.latencyMs = 25;
    m.delayMs = 25;
    m.spectrumChannels = 0;  // no audio wanted
    m.waveformChannels = 0;
    m.configure = VisConfig;
    m.start = VisInit;
    m.render = VisRender;
    m.stop = VisQuit;
    m.userData = NULL;
    return &m;
}

extern "C" VisHeader* __cdecl winampVisGetHeader(void) { return &g_header; }
