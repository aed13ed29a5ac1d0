// A stand-in for the player: a main window whose title the test sets, the
// plug-in loaded from a fresh temporary folder (so its plugin.ini is the
// test's own), and a display thread that calls the module's callbacks and
// pumps its messages, as the player's visualisation thread does.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugin/vis_api.h"

// ---- files ----
std::string MakeTempFolder();
void RemoveTree(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// The file's bytes; empty when there is no file.
std::string FileBytes(const std::string& path);
// The file's lines without their CR LF; empty when there is no file.
std::vector<std::string> ReadLines(const std::string& path);
// "Key=value" lines of the file, in order, for one section.
std::vector<std::string> SectionLines(const std::string& path, const std::string& section);
// UTF-8 text as UTF-16 and back.
std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& text);
// Folder of the running test program, where the built DLL sits too.
std::string ProgramFolder();
// Opens an existing file for reading and lets others only read it, as
// another program may hold it: every writer then fails with a sharing
// violation, even root. Close to release.
HANDLE HoldReadOnly(const std::string& path);
// The same for `ms` only, as another program holds the file for a moment;
// returns the thread that releases it (wait for it, then close it), null
// when the file could not be held.
HANDLE HoldReadOnlyFor(const std::string& path, int ms);
// The names in a folder, sorted, without . and ..
std::vector<std::string> FolderNames(const std::string& folder);

// ---- the per-user settings copy ----
// <application data>\Mirn Title Display\, shared by every test of the
// prefix: only serial tests and a single whitebox test use it, each
// removing it before and after.
std::string UserSettingsFolder();
std::string UserSettingsFile();
void RemoveUserSettings();

// ---- the plug-in copy ----
struct PluginCopy {
    std::string folder;  // temporary, removed by UnloadPlugin
    std::string dllPath;
    std::string iniPath;
    HMODULE dll = nullptr;
    VisHeader* header = nullptr;
    VisModule* module = nullptr;
};
// Copies vis_mirn.dll into a new folder and loads it; `ini`, when given, is
// written as its plugin.ini first. With `readOnly` it is loaded through the
// read-only view of its folder (drive R:, see scripts/wine-session.sh), as
// from a folder the user may not write; `folder`, `dllPath` and `iniPath`
// stay the writable names the test reads and changes the files by.
PluginCopy LoadPlugin(const char* ini = nullptr, bool readOnly = false);
// `path` on drive C: as the read-only view shows it.
std::string ReadOnlyView(const std::string& path);
void UnloadPlugin(PluginCopy* plugin);

// ---- screen ----
// A device context of `window`'s client area from the cache, for a thread
// other than the window's: the title window's own DC stays its thread's.
HDC ReadingDC(HWND window);
COLORREF WindowPixel(HWND window, int x, int y);  // client coordinates
// Live GDI objects of this process (counts Wine's handle table).
int CountGdiObjects();

// ---- display scale (looked up: Windows before 10 has none of it) ----
// A user32 function by name; null when this system lacks it.
FARPROC User32Proc(const char* name);
// Switches the calling thread's DPI awareness context; returns the old one.
HANDLE SetThreadDpiContext(HANDLE context);
const HANDLE kDpiUnaware = (HANDLE)(LONG_PTR)-1;
const HANDLE kDpiPerMonitor = (HANDLE)(LONG_PTR)-3;

// ---- the player ----
class HostPlayer {
public:
    // Set before construction: the main window's and the display thread
    // are made not DPI-aware before the window and the plug-in, as players'.
    static bool unaware;
    // Set before construction: the plug-in is loaded from a folder that
    // cannot be written (LoadPlugin's `readOnly`).
    static bool readOnlyBeside;
    // `linked`: a module record compiled into the test itself, run with the
    // copied DLL's instance (for tests that look at the state behind it).
    // The main window is a Unicode window; `title` is UTF-8.
    explicit HostPlayer(const char* title = "1. Artist - Song - Winamp", const char* ini = nullptr,
                        VisModule* linked = nullptr, RECT mainRect = {100, 100, 500, 220});
    ~HostPlayer();

    PluginCopy plugin;
    VisModule* module;
    HWND main = nullptr;
    // When set, the main window answers WM_USER 335 (the player's own
    // settings folder) with it, as the player does; otherwise it ignores it.
    const char* settingsFolder = nullptr;
    // When set, answers every other WM_USER message on the main window's
    // thread: (wParam, id in lParam) -> the answer, as the player does.
    // Unset, the main window answers 0 to all of them.
    std::function<LRESULT(WPARAM wParam, LPARAM id)> answer;

    void SetTitle(const char* title);  // UTF-8, through WM_SETTEXT, as the player does
    int Start();                       // VisInit on the display thread
    void Frame(int count = 1);         // VisRender
    void Stop();                       // VisQuit
    bool running() const { return started_; }
    // Renders every delayMs on the display thread until switched off.
    void SetAutoFrames(bool on);
    // Runs `work` on the display thread and waits, pumping this thread.
    void OnDisplay(const std::function<void()>& work);
    // Runs `work` on the display thread while this thread, the main
    // window's, answers nothing for `ms`; then waits for it, pumping.
    void OnDisplayWhileHung(int ms, const std::function<void()>& work);
    // Calls VisConfig on this thread while `drive` runs on a helper thread.
    void Configure(const std::function<void()>& drive);
    // Pumps this thread's messages for about `ms`.
    void Pump(int ms);
    HWND TitleWindow() const;
    DWORD displayThreadId() const { return displayId_; }

    // What reached the main window (keys, characters) and the display thread.
    std::vector<MSG> hostMessages;
    int quitMessages() const { return quitCount_; }

private:
    static DWORD WINAPI DisplayMain(void* self);
    static LRESULT CALLBACK MainProc(HWND, UINT, WPARAM, LPARAM);
    void WaitFor(HANDLE handle);

    HANDLE displayThread_ = nullptr;
    DWORD displayId_ = 0;
    HANDLE ready_ = nullptr;
    HANDLE done_ = nullptr;
    volatile LONG autoFrames_ = 0;
    volatile LONG quitCount_ = 0;
    bool started_ = false;
};

// Runs `work` on a thread of its own; wait for the handle, then close it.
HANDLE StartThread(const std::function<void()>& work);
// Waits for `thread` to end, pumping this thread's messages meanwhile.
void JoinPumping(HANDLE thread);

// Makes the players constructed in its scope load the plug-in from a folder
// that cannot be written, when `on`.
struct ReadOnlyBeside {
    explicit ReadOnlyBeside(bool on = true) { HostPlayer::readOnlyBeside = on; }
    ~ReadOnlyBeside() { HostPlayer::readOnlyBeside = false; }
};

// ---- what the player tells of its song ----
// A player's answers to WM_USER 0 (version), 104 (state), 105 (position ms
// with wParam 0, length s with 1), 125 (playlist index), 214 (the entry's
// file), 3026 (a tag of a file) and 3034 (the playing title). The test may
// change it between questions.
struct PlayerSong {
    LRESULT version = 0x5091;
    LRESULT state = 1;
    LRESULT positionMs = 0, lengthS = -1;
    LRESULT index = 3;
    std::wstring path = L"C:\\Music\\song.mp3";
    std::map<std::string, std::wstring> tags;  // by field name, for `path`
    std::wstring playing;
    bool unreadable = false;  // 214 and 3034 point into memory that cannot be read
};
// Answers those questions from `song` (kept by the caller), 0 to others.
std::function<LRESULT(WPARAM, LPARAM)> AnswerSong(const PlayerSong* song);

// Pumps the calling thread's messages for about `ms` (one pass for 0).
void PumpMessages(int ms);

// Finds a top-level dialog of this process by caption, waiting up to `ms`.
HWND WaitForDialog(const char* caption, int ms = 5000);
// Waits for the colour picker (ChooseColorA) to open, picks `colour` in it
// and confirms; false when it did not open or close.
bool AnswerColourPicker(COLORREF colour, int ms = 5000);

// w x h pixels of `dc` from (0, 0) as 0x00RRGGBB values, row by row from
// the top; empty for an empty size.
std::vector<DWORD> DcPixels(HDC dc, int w, int h);
// A visible window's client area as 0x00RRGGBB values, row by row from the
// top; empty when it has no client area.
std::vector<DWORD> ClientPixels(HWND window);
// What the screen shows in `r` (screen coordinates), as DcPixels: the only
// way to see a layered window.
std::vector<DWORD> ScreenPixels(const RECT& r);
// Client pixels that differ from `background` (text drawn there, whatever
// its anti-aliasing).
int InkPixels(HWND window, COLORREF background);

// ---- real mouse input (SendInput), pumping this thread between events ----
// The receiving window's thread must be pumping meanwhile (the display
// thread always is).
void MouseMoveTo(POINT screen);
// Presses the left button at `from`, moves to `to` in `steps` equal steps
// and releases it there.
void MouseDrag(POINT from, POINT to, int steps);
void MouseClick(POINT screen, int clicks = 1, bool right = false);
// Presses and releases `vk` (real keyboard input to the focused thread).
void KeyStroke(WORD vk);

// ---- popup menus ----
// The open popup menu window of this process (class "#32768"), waiting up
// to `ms`; null when none opens.
HWND WaitForMenu(int ms = 3000);
struct MenuItem {
    std::string text;  // empty for a separator
    UINT id;
    bool checked, radio;
};
// What an open popup menu window shows, from its menu handle.
std::vector<MenuItem> MenuItems(HWND menuWindow);
// Clicks item `index` of the open menu with the left button.
void ClickMenuItem(HWND menuWindow, int index);
// Opens the title window's menu as the menu key does and clicks item
// `index`, then item `subIndex` of the submenu that opens; false when a
// menu did not open. No test assertions: callable from any thread.
bool ChooseFromTitleMenu(HWND title, int index, int subIndex = -1);
// What the title window's menu shows, opened as the menu key does and closed
// with Escape; empty when it did not open.
std::vector<MenuItem> TitleMenuItems(HWND title);

// ---- another program on the desktop ----
// Exit code bits of neighbour.exe.
const int kNeighbourHasPlugin = 1;     // vis_mirn.dll was loaded in it
const int kNeighbourNoWindow = 2;      // it could not make its window
const int kNeighbourTitleNotSent = 4;  // the player's window did not take the title
// Runs neighbour.exe: it makes a window, sends itself messages for about
// `ms`, then sends `title` to `player` (when not null). Pumps this thread
// until it ends; returns its exit code, -1 when it could not start.
int RunNeighbour(HWND player, const char* title, int ms = 1000);
// Runs neighbour.exe as another player showing `title` with the plug-in in
// `pluginFolder` (ending in a backslash) for about `ms`; returns as
// RunNeighbour does.
int RunNeighbourDisplay(const std::string& pluginFolder, const char* title, int ms);
