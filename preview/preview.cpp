// The preview player: plays the player's part for a visualisation plug-in so
// it can be tried without the player. A main window whose title walks
// through a small playlist, a display thread that runs the module (start,
// render every delayMs, stop) while pumping its messages, and Configure on
// the main thread. Optional switches capture screenshots for the docs.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "plugin/vis_api.h"

// ---- the playlist, in the player's title form, as a music library holds it ----

static const wchar_t* const kPlaylist[] = {
    L"1. Кино - Звезда - Winamp",
    L"2. Simon & Garfunkel - The Sound of Silence (Live in Central Park, 1981) - Winamp",
    L"3. Μίκης Θεοδωράκης - Ζορμπάς - Winamp",
    L"4. Hall & Oates - Maneater - Winamp",
    L"5. Björk - Jóga - Winamp",
    L"6. Untitled stream",  // no dash: the plug-in shows an empty window
    L"7. a-ha - Take On Me - Winamp",
    L"8. Earth, Wind & Fire - September - Winamp [Paused]",
    L"9. Sigur Rós - Hoppípolla - Winamp",
    L"10. 坂本九 - スキヤキ - Winamp",
    L"11. Pharrell - Happy \U0001F600 - Winamp",
    L"12. עידן רייכל - ממעמקים - Winamp",  // read right to left
};
static const int kPlaylistSize = sizeof(kPlaylist) / sizeof(kPlaylist[0]);

// What the player knows of each entry, as it answers a plug-in's questions:
// tags (none for the stream, which has a title of its own) and length.
struct Song {
    const wchar_t *path, *artist, *title, *album, *year, *playing;
    int lengthS;
};
static const Song kSongs[kPlaylistSize] = {
    {L"C:\\Music\\01.mp3", L"Кино", L"Звезда", L"Звезда по имени Солнце", L"1989", L"", 223},
    {L"C:\\Music\\02.mp3", L"Simon & Garfunkel", L"The Sound of Silence (Live in Central Park, 1981)",
     L"The Concert in Central Park", L"1982", L"", 262},
    {L"C:\\Music\\03.mp3", L"Μίκης Θεοδωράκης", L"Ζορμπάς", L"Zorba the Greek", L"1964", L"", 265},
    {L"C:\\Music\\04.mp3", L"Hall & Oates", L"Maneater", L"H2O", L"1982", L"", 271},
    {L"C:\\Music\\05.mp3", L"Björk", L"Jóga", L"Homogenic", L"1997", L"", 305},
    {L"http://radio.example/stream", L"", L"", L"", L"", L"Radio Mirn - Live Session", -1},
    {L"C:\\Music\\07.mp3", L"a-ha", L"Take On Me", L"Hunting High and Low", L"1985", L"", 225},
    {L"C:\\Music\\08.mp3", L"Earth, Wind & Fire", L"September", L"The Best of Earth, Wind & Fire, Vol. 1", L"1978",
     L"", 215},
    {L"C:\\Music\\09.mp3", L"Sigur Rós", L"Hoppípolla", L"Takk...", L"2005", L"", 268},
};
static const int kShortTitle = 0, kLongTitle = 1;
static const int kStyleTitles[3] = {0, 2, 3};  // one script for each frame's screenshot
static const int kScriptTitles[3] = {9, 10, 11};  // in faces beside the chosen one, and right to left
static const UINT kTitleMs = 4000;

static const char kUsage[] =
    "usage: preview.exe [switches] [plugin.dll]\n"
    "Plays the player's part for a visualisation plug-in (default: vis_mirn.dll\n"
    "beside this program, then dist\\vis_mirn.dll).\n"
    "\n"
    "  --seconds N        end the run after N seconds (not before the captures)\n"
    "  --shots DIR        write short-title, long-title-scrolling, style-0/1/2,\n"
    "                     script-japanese/emoji/hebrew and\n"
    "                     title-menu .bmp screenshots of the title window\n"
    "  --frames DIR       write frame-000..079.bmp, 40 ms apart: the marquee\n"
    "                     passing its wrap and standing at its start\n"
    "  --config-shot DIR  write settings-dialog.bmp and about-box.bmp\n"
    "  --unaware          run the player's window and display thread not\n"
    "                     DPI-aware, as players are (the screen's scale is\n"
    "                     the system's; the captures stay in real pixels)\n"
    "\n"
    "Keys in the main window (also when typed in the title window):\n"
    "  F2 or C  Configure...     F3 or S  start/stop the display\n"
    "  N        next title       Esc      quit";

// ---- state of the one run ----

enum {
    ID_CONFIGURE = 100,
    ID_START_STOP,
    ID_NEXT_TITLE,
    ID_EXIT,
    TIMER_TITLE = 1,
    TIMER_END,
    WM_APP_DISPLAY_ENDED = WM_APP + 1,  // wParam: 1 when the run is over
    WM_APP_SET_TITLE,                   // wParam: playlist index
    WM_APP_SCRIPT_DONE,
    WM_APP_STOP_DISPLAY = WM_APP + 20,  // thread message to the display thread
};

struct Options {
    const char* plugin = nullptr;
    int seconds = 0;
    const char* shots = nullptr;
    const char* frames = nullptr;
    const char* configShots = nullptr;
    bool unaware = false;
    bool scripted() const { return seconds > 0 || shots || frames || configShots; }
};

static Options g_options;
static HWND g_main;
static VisModule* g_module;
static int g_titleIndex;
static DWORD g_songStart;  // when the entry began to play: its position runs from there
static HANDLE g_displayThread;
static DWORD g_displayId;
static HANDLE g_displayReady;
static bool g_inConfigure, g_closeWhenIdle, g_timeUp, g_scriptDone = true;
static int g_failures;  // captures that could not be made

// Errors go to stderr (seen when run from a shell or under Wine) and, when a
// user is watching, to a message box.
static void Report(const char* text) {
    fprintf(stderr, "preview: %s\n", text);
    fflush(stderr);
    if (!g_options.scripted()) MessageBoxA(g_main, text, "preview", MB_OK | MB_ICONERROR);
}

// Not DPI-aware, as nearly every player: the system scales its windows
// (Windows 10 and later; elsewhere this does nothing).
static void SetThreadContext(LONG_PTR context) {
    typedef HANDLE(WINAPI * SetContext)(HANDLE);
    SetContext set = (SetContext)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    if (set) set((HANDLE)context);
}
static void MakeThreadUnaware() { SetThreadContext(-1); }  // DPI_AWARENESS_CONTEXT_UNAWARE

// ---- the display thread: the player's visualisation thread ----

static DWORD WINAPI DisplayMain(void*) {
    if (g_options.unaware) MakeThreadUnaware();
    MSG msg;
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE);  // a queue, before anyone posts to it
    SetEvent(g_displayReady);

    VisModule* module = g_module;
    if (module->start(module) != 0) {
        PostMessageA(g_main, WM_APP_DISPLAY_ENDED, 0, 0);
        return 0;
    }
    const DWORD delay = module->delayMs > 0 ? (DWORD)module->delayMs : 25;
    DWORD next = GetTickCount() + delay;
    bool quit = false, stop = false;
    while (!quit && !stop) {
        while (!quit && !stop && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                quit = true;
            else if (msg.hwnd == NULL && msg.message == WM_APP_STOP_DISPLAY)
                stop = true;
            else {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (quit || stop) break;
        LONG wait = (LONG)(next - GetTickCount());
        if (wait <= 0) {
            if (module->render(module) != 0) quit = true;  // the module asks to end
            next += delay;
            if ((LONG)(next - GetTickCount()) < 0) next = GetTickCount() + delay;  // fell behind
            continue;
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, (DWORD)wait, QS_ALLINPUT);
    }
    module->stop(module);
    // A quit message (the title window closed, or the run's time is up) ends
    // the whole run, as it ends the player's display.
    PostMessageA(g_main, WM_APP_DISPLAY_ENDED, quit ? 1 : 0, 0);
    return 0;
}

static bool DisplayRunning() { return g_displayThread != NULL; }

static void StartDisplay() {
    if (DisplayRunning()) return;
    g_module->hostWindow = g_main;
    ResetEvent(g_displayReady);
    g_displayThread = CreateThread(NULL, 0, DisplayMain, NULL, 0, &g_displayId);
    if (!g_displayThread) {
        Report("cannot start the display thread");
        return;
    }
    WaitForSingleObject(g_displayReady, INFINITE);
    InvalidateRect(g_main, NULL, TRUE);
}

// Stop without ending the run; the thread reports back when VisQuit is done.
static void StopDisplay() {
    if (DisplayRunning()) PostThreadMessageA(g_displayId, WM_APP_STOP_DISPLAY, 0, 0);
}

static void EndRun() {
    if (DisplayRunning())
        PostThreadMessageA(g_displayId, WM_QUIT, 0, 0);
    else if (g_inConfigure)
        g_closeWhenIdle = true;
    else
        DestroyWindow(g_main);
}

// ---- screenshots ----

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> bits;  // 24-bit rows, bottom-up, padded to 4 bytes
};

static int RowBytes(int width) { return (width * 3 + 3) & ~3; }

// Copies a rectangle of `source` (a window or the screen) into an image.
static bool CaptureDC(HDC source, int x, int y, int width, int height, Image* image) {
    if (width <= 0 || height <= 0) return false;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!dib) {
        DeleteDC(memory);
        return false;
    }
    HGDIOBJ old = SelectObject(memory, dib);
    BOOL copied = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    image->width = width;
    image->height = height;
    const unsigned char* first = (const unsigned char*)bits;
    image->bits.assign(first, first + (size_t)RowBytes(width) * height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    return copied != 0;
}

// The whole window, frame included, as it shows on the screen.
static bool CaptureWindow(HWND window, Image* image) {
    RECT r;
    if (!IsWindowVisible(window) || !GetWindowRect(window, &r)) return false;
    HDC screen = GetDC(NULL);
    bool ok = CaptureDC(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, image);
    ReleaseDC(NULL, screen);
    return ok;
}

static bool WriteBmp(const std::string& path, const Image& image) {
    const DWORD dataBytes = (DWORD)image.bits.size();
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + dataBytes;
    info.biSize = sizeof(info);
    info.biWidth = image.width;
    info.biHeight = image.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = dataBytes;
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) return false;
    bool ok = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&info, sizeof(info), 1, out) == 1 &&
              fwrite(image.bits.data(), 1, dataBytes, out) == dataBytes;
    return fclose(out) == 0 && ok;
}

static void Shot(HWND window, const char* folder, const char* name) {
    Image image;
    std::string path = std::string(folder) + "\\" + name + ".bmp";
    if (!window || !CaptureWindow(window, &image) || !WriteBmp(path, image)) {
        Report(("could not capture " + path).c_str());
        ++g_failures;
    }
}

// ---- the capture script, on a thread of its own ----

static BOOL CALLBACK FindTitleWindowProc(HWND window, LPARAM found) {
    char name[16];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "MirnVis") == 0) {
        *(HWND*)found = window;
        return FALSE;
    }
    return TRUE;
}

// The title window of our own display thread (not another player's); the
// argument is unused, for WaitForWindow.
static HWND FindTitleWindow(const char*) {
    HWND found = NULL;
    if (DisplayRunning()) EnumThreadWindows(g_displayId, FindTitleWindowProc, (LPARAM)&found);
    return found;
}

// Polls `find` until it gives a visible window; null after `timeoutMs`.
static HWND WaitForWindow(HWND (*find)(const char*), const char* caption, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HWND window = find(caption);
        if (window && IsWindowVisible(window)) return window;
        Sleep(50);
    }
    return NULL;
}

static HWND FindDialog(const char* caption) { return FindWindowA("#32770", caption); }

static void WaitUntilGone(HWND window) {
    for (int i = 0; i < 100 && IsWindow(window); ++i) Sleep(50);
}

// The frame style as the window shows it: 0 caption and border, 1 border
// only, 2 none.
static int FrameStyle(HWND window) {
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if ((style & WS_CAPTION) == WS_CAPTION) return 0;
    return (style & WS_THICKFRAME) ? 1 : 2;
}

static void SetTitle(int index) { SendMessageA(g_main, WM_APP_SET_TITLE, (WPARAM)index, 0); }

static void ShootStyles(HWND title) {
    static const char* const kNames[3] = {"style-0", "style-1", "style-2"};
    RECT client;
    for (int i = 0; i < 3; ++i) {
        SetTitle(kStyleTitles[i]);
        Sleep(600);
        Shot(title, g_options.shots, kNames[FrameStyle(title)]);
        GetClientRect(title, &client);
        // A double click in the client area moves to the next style.
        SendMessageA(title, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(client.right / 2, client.bottom / 2));
        Sleep(400);
    }
}

// Titles the default font lacks glyphs for, and one read right to left.
static void ShootScripts(HWND title) {
    static const char* const kNames[3] = {"script-japanese", "script-emoji", "script-hebrew"};
    for (int i = 0; i < 3; ++i) {
        SetTitle(kScriptTitles[i]);
        Sleep(600);
        Shot(title, g_options.shots, kNames[i]);
    }
}

static HWND FindMenu(const char*) { return FindWindowA("#32768", nullptr); }

// The title window's menu open over it, as a right click in it opens it.
static void ShootMenu(HWND title) {
    RECT window, menu, both;
    GetWindowRect(title, &window);
    PostMessageA(title, WM_CONTEXTMENU, (WPARAM)title, MAKELPARAM(window.left + 60, window.top + 30));
    HWND popup = WaitForWindow(FindMenu, nullptr, 5000);
    Sleep(400);
    Image image;
    HDC screen = GetDC(NULL);
    const bool shot = popup && GetWindowRect(popup, &menu) && UnionRect(&both, &window, &menu) &&
                      CaptureDC(screen, both.left, both.top, both.right - both.left, both.bottom - both.top, &image) &&
                      WriteBmp(std::string(g_options.shots) + "\\title-menu.bmp", image);
    ReleaseDC(NULL, screen);
    if (!shot) {
        Report("could not capture the title window's menu");
        ++g_failures;
    }
    PostMessageA(title, WM_CANCELMODE, 0, 0);  // closes the menu, choosing nothing
    if (popup) WaitUntilGone(popup);
    Sleep(200);
}

// ---- the outlined and the transparent title ----

// Sets (or, for a null value, removes) a key of the plug-in's plugin.ini;
// the next composition reads it.
static void SetPluginKey(const char* key, const char* value) {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(g_module->instance, path, MAX_PATH);
    char* slash = n ? strrchr(path, '\\') : nullptr;
    if (!slash || slash + 11 >= path + MAX_PATH) return;
    lstrcpyA(slash + 1, "plugin.ini");
    WritePrivateProfileStringA(g_module->description, key, value, path);
}

static LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    // Diagonal stripes in four colours, light and dark: busy, as a desktop is.
    static const COLORREF kStripes[4] = {RGB(240, 200, 60), RGB(40, 90, 160), RGB(230, 230, 230), RGB(160, 40, 60)};
    RECT r;
    GetClientRect(window, &r);
    for (int x = -r.bottom, i = 0; x < r.right; x += 24, ++i) {
        HBRUSH brush = CreateSolidBrush(kStripes[i % 4]);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
        POINT band[4] = {{x, r.bottom}, {x + 25, r.bottom}, {x + 25 + r.bottom, 0}, {x + r.bottom, 0}};
        Polygon(dc, band, 4);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
    }
    EndPaint(window, &ps);
    return 0;
}

static void PumpScript(DWORD ms) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(10)) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
}

static void ShootLook(HWND title) {
    // Opaque with a thick black outline on a key-green background, as a
    // stream keying the background would use it.
    SetPluginKey("Outline", "2");
    SetPluginKey("BkColor", "65280");
    SetTitle(kShortTitle);
    Sleep(600);
    Shot(title, g_options.shots, "outline");

    RECT r;
    GetWindowRect(title, &r);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "MirnPreviewBackdrop";
    RegisterClassA(&wc);
    const int margin = 24;
    HWND backdrop = CreateWindowExA(WS_EX_NOACTIVATE, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, r.left - margin,
                                    r.top - margin, r.right - r.left + 2 * margin, r.bottom - r.top + 2 * margin,
                                    NULL, NULL, wc.hInstance, NULL);
    SetWindowPos(title, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetPluginKey("Transparent", "1");
    SetPluginKey("BkColor", NULL);
    SetTitle(kShortTitle);
    PumpScript(800);
    Image image;
    HDC screen = GetDC(NULL);
    GetWindowRect(title, &r);
    InflateRect(&r, margin / 2, margin / 2);
    if (!CaptureDC(screen, r.left, r.top, r.right - r.left, r.bottom - r.top, &image) ||
        !WriteBmp(std::string(g_options.shots) + "\\transparent.bmp", image)) {
        Report("could not capture the transparent title");
        ++g_failures;
    }
    ReleaseDC(NULL, screen);
    DestroyWindow(backdrop);
    UnregisterClassA(wc.lpszClassName, wc.hInstance);
    SetPluginKey("Transparent", NULL);
    SetPluginKey("Outline", NULL);
    SetTitle(kShortTitle);
    Sleep(600);
}

// The title in the user's words, with the time the player tells.
static void ShootTemplate(HWND title) {
    SetPluginKey("TitleFormat", "%title%  %elapsed% / %length%");
    SetTitle(3);
    Sleep(2300);
    Shot(title, g_options.shots, "title-format");
    SetPluginKey("TitleFormat", NULL);
    SetTitle(kShortTitle);
    Sleep(600);
}

static void ShootDialogs() {
    const char* folder = g_options.configShots;
    PostMessageA(g_main, WM_COMMAND, ID_CONFIGURE, 0);
    HWND settings = WaitForWindow(FindDialog, "configration - Title plugin", 5000);
    Sleep(400);
    Shot(settings, folder, "settings-dialog");
    if (!settings) return;
    PostMessageA(settings, WM_COMMAND, 1002, 0);  // about(&R)...
    HWND about = WaitForWindow(FindDialog, "about title-plugin", 5000);
    Sleep(400);
    Shot(about, folder, "about-box");
    if (about) {
        PostMessageA(about, WM_COMMAND, IDOK, 0);
        WaitUntilGone(about);
    }
    PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
    WaitUntilGone(settings);
    Sleep(300);
}

// The client area as drawn, without the frame (whose caption changes with
// the focus).
static bool CaptureClient(HWND window, Image* image) {
    RECT client;
    GetClientRect(window, &client);
    // From the cache: the title window's own DC belongs to its thread.
    HDC dc = GetDCEx(window, NULL, DCX_CACHE);
    bool ok = CaptureDC(dc, 0, 0, client.right, client.bottom, image);
    ReleaseDC(window, dc);
    return ok;
}

// The marquee passing its wrap: the end of the title leaving, the gap, the
// start coming round again and standing. `start` is the client area as the
// title stood at its start; frames go into a ring until that picture is
// back, then the last kFrames are written.
static void RecordFrames(HWND title, const Image& start) {
    const int kFrames = 80, kStandFrames = 15;
    const DWORD kFrameMs = 40, kTimeoutMs = 30000;
    std::vector<Image> ring(kFrames);
    Image client;
    int count = 0, sinceStand = -1;
    const DWORD begin = GetTickCount();
    DWORD due = begin;
    while (sinceStand < kStandFrames) {
        CaptureWindow(title, &ring[count % kFrames]);
        ++count;
        if (sinceStand >= 0)
            ++sinceStand;
        else if (CaptureClient(title, &client) && client.bits == start.bits)
            sinceStand = 0;
        if (GetTickCount() - begin > kTimeoutMs) {
            Report("the marquee did not come round to its start within 30 s");
            ++g_failures;
            return;
        }
        due += kFrameMs;
        LONG wait = (LONG)(due - GetTickCount());
        if (wait > 0) Sleep((DWORD)wait);
    }
    // Written afterwards, so the files do not slow the frames down.
    const int first = count > kFrames ? count - kFrames : 0;
    for (int i = first; i < count; ++i) {
        char name[32];
        wsprintfA(name, "\\frame-%03d.bmp", i - first);
        if (!WriteBmp(g_options.frames + std::string(name), ring[i % kFrames])) {
            Report("could not write the frames");
            ++g_failures;
            return;
        }
    }
}

// Back and forth with soft edges, 200 px/s: every frame from the start,
// out to the end, back, until it stands at its start again.
static void RecordBackAndForth(HWND title) {
    SetPluginKey("Scroll_Mode", "1");
    SetPluginKey("Scroll_Pause", "800");
    SetPluginKey("Scroll_Step", "4");
    SetPluginKey("Fade_Edges", "24");
    SetTitle(kLongTitle);
    Sleep(300);
    Image start, client;
    CaptureClient(title, &start);
    const size_t kMostFrames = 400;
    const DWORD kFrameMs = 40;
    std::vector<Image> frames;
    bool left = false;
    int standing = -1;
    DWORD due = GetTickCount();
    while (standing < 10 && frames.size() < kMostFrames) {
        frames.emplace_back();
        CaptureWindow(title, &frames.back());
        CaptureClient(title, &client);
        if (client.bits != start.bits)
            left = true;
        else if (left && standing < 0)
            standing = 0;
        if (standing >= 0) ++standing;
        due += kFrameMs;
        LONG wait = (LONG)(due - GetTickCount());
        if (wait > 0) Sleep((DWORD)wait);
    }
    if (standing < 0) {
        Report("back and forth did not come back to its start");
        ++g_failures;
    }
    for (size_t i = 0; i < frames.size(); ++i) {
        char name[32];
        wsprintfA(name, "\\bounce-%03d.bmp", (int)i);
        if (!WriteBmp(g_options.frames + std::string(name), frames[i])) {
            Report("could not write the frames");
            ++g_failures;
            break;
        }
    }
    for (const char* key : {"Scroll_Mode", "Scroll_Pause", "Scroll_Step", "Fade_Edges"}) SetPluginKey(key, NULL);
}

static DWORD WINAPI ScriptMain(void*) {
    if (g_options.unaware) SetThreadContext(-3);  // per-monitor: captures in real pixels
    const DWORD start = GetTickCount();
    HWND title = WaitForWindow(FindTitleWindow, nullptr, 5000);
    if (!title) {
        Report("the plug-in's title window (class MirnVis) did not appear");
        ++g_failures;
    } else {
        SetTitle(kShortTitle);
        Sleep(800);
        if (g_options.shots) {
            Shot(title, g_options.shots, "short-title");
            ShootStyles(title);
            ShootScripts(title);
            ShootMenu(title);
            ShootLook(title);
            ShootTemplate(title);
        }
        // Before the long title: closing the settings dialog recomposes the
        // title, which starts the marquee again.
        if (g_options.configShots) {
            ShootDialogs();
            SetForegroundWindow(title);
        }
        if (g_options.shots || g_options.frames) {
            SetTitle(kLongTitle);
            Sleep(1000);  // the start stands 2 s before it scrolls
            Image start;
            CaptureClient(title, &start);
            if (g_options.shots) {
                Sleep(1000 + 1200);
                Shot(title, g_options.shots, "long-title-scrolling");
            }
            if (g_options.frames) RecordFrames(title, start);
            if (g_options.frames) RecordBackAndForth(title);
        }
    }
    fprintf(stderr, "preview: captures done after %lu ms\n", (unsigned long)(GetTickCount() - start));
    fflush(stderr);
    PostMessageA(g_main, WM_APP_SCRIPT_DONE, 0, 0);
    return 0;
}

// ---- the main window: the player ----

// The player's answers to a plug-in's WM_USER questions, from the playlist.
static LRESULT AnswerPlugin(WPARAM w, LPARAM id) {
    const Song& song = kSongs[g_titleIndex];
    const bool paused = g_titleIndex == 7;  // its caption says so
    switch (id) {
    case 0: return 0x5091;  // the version
    case 104: return paused ? 3 : 1;
    case 105: return w == 0 ? (LRESULT)(paused ? 95000 : GetTickCount() - g_songStart) : song.lengthS;
    case 125: return g_titleIndex;
    case 214: return (int)w == g_titleIndex ? (LRESULT)song.path : 0;
    case 3034: return (LRESULT)(*song.playing ? song.playing : kPlaylist[g_titleIndex]);
    case 3026: {
        struct Request {
            const wchar_t *file, *field;
            wchar_t* buffer;
            size_t length;
        };
        const Request* r = (const Request*)w;
        if (!r || lstrcmpW(r->file, song.path) != 0 || !r->length) return 0;
        const wchar_t* value = lstrcmpW(r->field, L"artist") == 0  ? song.artist
                               : lstrcmpW(r->field, L"title") == 0 ? song.title
                               : lstrcmpW(r->field, L"album") == 0 ? song.album
                               : lstrcmpW(r->field, L"year") == 0  ? song.year
                                                                   : L"";
        lstrcpynW(r->buffer, value, (int)r->length);
        return *value != 0;
    }
    default: return 0;
    }
}

static void ShowTitle(int index) {
    g_titleIndex = index % kPlaylistSize;
    g_songStart = GetTickCount();
    SetWindowTextW(g_main, kPlaylist[g_titleIndex]);  // a sent WM_SETTEXT, as the player does
}

static void Configure() {
    if (g_inConfigure) return;
    g_inConfigure = true;
    g_module->hostWindow = g_main;
    g_module->configure(g_module);
    g_inConfigure = false;
    if (g_closeWhenIdle) EndRun();
}

static void Paint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    InflateRect(&r, -8, -6);
    char text[512];
    wsprintfA(text, "%s\n%s\n\nF2 / C: Configure...   F3 / S: start/stop\nN: next title   Esc: quit",
              g_module->description, DisplayRunning() ? "display running" : "display stopped");
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, text, -1, &r, DT_LEFT | DT_TOP | DT_NOPREFIX);
    EndPaint(window, &ps);
}

static void OnKey(WPARAM key) {
    switch (key) {
    case VK_F2:
    case 'C':
        Configure();
        break;
    case VK_F3:
    case 'S':
        SendMessageA(g_main, WM_COMMAND, ID_START_STOP, 0);
        break;
    case 'N':
        ShowTitle(g_titleIndex + 1);
        break;
    case VK_ESCAPE:
        PostMessageA(g_main, WM_CLOSE, 0, 0);
        break;
    }
}

static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_CONFIGURE:
            Configure();
            break;
        case ID_START_STOP:
            if (DisplayRunning())
                StopDisplay();
            else
                StartDisplay();
            InvalidateRect(window, NULL, TRUE);
            break;
        case ID_NEXT_TITLE:
            ShowTitle(g_titleIndex + 1);
            break;
        case ID_EXIT:
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
        return 0;
    case WM_KEYDOWN:  // also the keys the title window passes on
        OnKey(wParam);
        return 0;
    case WM_TIMER:
        if (wParam == TIMER_TITLE) {
            ShowTitle(g_titleIndex + 1);
        } else if (wParam == TIMER_END) {
            KillTimer(window, TIMER_END);
            g_timeUp = true;
            if (g_scriptDone) EndRun();
        }
        return 0;
    case WM_APP_SET_TITLE:
        ShowTitle((int)wParam);
        return 0;
    case WM_USER:
        return AnswerPlugin(wParam, lParam);
    case WM_APP_SCRIPT_DONE:
        g_scriptDone = true;
        SetTimer(window, TIMER_TITLE, kTitleMs, NULL);
        if (g_timeUp) EndRun();
        return 0;
    case WM_APP_DISPLAY_ENDED:
        WaitForSingleObject(g_displayThread, INFINITE);
        CloseHandle(g_displayThread);
        g_displayThread = NULL;
        InvalidateRect(window, NULL, TRUE);
        if (wParam || g_closeWhenIdle) EndRun();
        return 0;
    case WM_CLOSE:
        // Let VisQuit finish before the owner of its window goes.
        g_closeWhenIdle = true;
        if (DisplayRunning())
            StopDisplay();
        else
            EndRun();
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

static HMENU BuildMenu() {
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, ID_CONFIGURE, "&Configure...\tF2");
    AppendMenuA(popup, MF_STRING, ID_START_STOP, "&Start/Stop display\tF3");
    AppendMenuA(popup, MF_STRING, ID_NEXT_TITLE, "&Next title\tN");
    AppendMenuA(popup, MF_SEPARATOR, 0, NULL);
    AppendMenuA(popup, MF_STRING, ID_EXIT, "E&xit\tEsc");
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)popup, "&Plug-in");
    return bar;
}

// ---- start-up ----

static bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (lstrcmpA(arg, "--seconds") == 0 && hasValue) {
            options->seconds = atoi(argv[++i]);
            if (options->seconds <= 0) return false;
        } else if (lstrcmpA(arg, "--shots") == 0 && hasValue) {
            options->shots = argv[++i];
        } else if (lstrcmpA(arg, "--frames") == 0 && hasValue) {
            options->frames = argv[++i];
        } else if (lstrcmpA(arg, "--config-shot") == 0 && hasValue) {
            options->configShots = argv[++i];
        } else if (lstrcmpA(arg, "--unaware") == 0) {
            options->unaware = true;
        } else if (arg[0] == '-' || options->plugin) {
            return false;  // --help and anything unknown
        } else {
            options->plugin = arg;
        }
    }
    return true;
}

static HMODULE LoadPluginDll(const char* named) {
    if (named) return LoadLibraryA(named);
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        char* slash = strrchr(path, '\\');
        if (slash && (size_t)(slash + 1 - path) + sizeof "vis_mirn.dll" <= MAX_PATH) {
            lstrcpyA(slash + 1, "vis_mirn.dll");
            HMODULE dll = LoadLibraryA(path);
            if (dll) return dll;
        }
    }
    return LoadLibraryA("dist\\vis_mirn.dll");
}

typedef VisHeader*(__cdecl* HeaderLookup)(void);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    if (!ParseOptions(__argc, __argv, &g_options)) {
        fprintf(stderr, "%s\n", kUsage);
        MessageBoxA(NULL, kUsage, "preview", MB_OK);
        return 2;
    }
    // Before the plug-in is loaded and the main window made.
    if (g_options.unaware) MakeThreadUnaware();
    HMODULE dll = LoadPluginDll(g_options.plugin);
    if (!dll) {
        Report("cannot load the plug-in (give its path on the command line)");
        return 1;
    }
    HeaderLookup header = (HeaderLookup)(void*)GetProcAddress(dll, "winampVisGetHeader");
    VisHeader* visHeader = header ? header() : nullptr;
    g_module = visHeader && visHeader->getModule ? visHeader->getModule(0) : nullptr;
    if (!g_module) {
        Report("the library is not a visualisation plug-in (no module 0)");
        FreeLibrary(dll);
        return 1;
    }
    g_module->instance = dll;

    // A Unicode main window, as players register today.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MirnPreviewPlayer";
    RegisterClassW(&wc);
    g_main = CreateWindowExW(0, wc.lpszClassName, kPlaylist[0], WS_OVERLAPPEDWINDOW, 60, 40, 480, 140, NULL,
                             BuildMenu(), instance, NULL);
    if (!g_main) {
        Report("cannot create the main window");
        return 1;
    }
    ShowWindow(g_main, g_options.scripted() ? SW_SHOWNORMAL : show);
    UpdateWindow(g_main);

    g_displayReady = CreateEventA(NULL, TRUE, FALSE, NULL);
    StartDisplay();
    if (g_options.seconds > 0) SetTimer(g_main, TIMER_END, (UINT)g_options.seconds * 1000, NULL);
    if (g_options.shots || g_options.frames || g_options.configShots) {
        g_scriptDone = false;
        HANDLE script = CreateThread(NULL, 0, ScriptMain, NULL, 0, NULL);
        if (script) CloseHandle(script);
    } else {
        SetTimer(g_main, TIMER_TITLE, kTitleMs, NULL);
    }

    MSG msg;
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CloseHandle(g_displayReady);
    FreeLibrary(dll);
    return g_failures ? 3 : 0;
}
