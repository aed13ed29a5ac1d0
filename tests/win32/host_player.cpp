#include "host_player.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

// ---- files ----

std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string MakeTempFolder() {
    static LONG serial = 0;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof name, "%smirn-%lu-%ld-%lu", base, GetCurrentProcessId(), InterlockedIncrement(&serial),
                 GetTickCount());
        if (CreateDirectoryA(name, nullptr)) return std::string(name) + "\\";
    }
}

namespace {
// Calls `each(name, isFolder)` for every entry of `path` but . and ..
void ForEntries(const std::string& path, const std::function<void(const std::string&, bool)>& each) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") each(name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}
}  // namespace

void RemoveTree(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    ForEntries(folder, [&](const std::string& name, bool isFolder) {
        const std::string full = folder + "\\" + name;
        if (isFolder)
            RemoveTree(full);
        else
            DeleteFileA(full.c_str());
    });
    RemoveDirectoryA(folder.c_str());
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    ForEntries(folder, [&](const std::string& name, bool) { names.push_back(name); });
    std::sort(names.begin(), names.end());
    return names;
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SectionLines(const std::string& path, const std::string& section) {
    std::vector<std::string> out;
    bool inside = false;
    for (const std::string& line : ReadLines(path)) {
        if (!line.empty() && line[0] == '[') {
            inside = line == "[" + section + "]";
            continue;
        }
        if (inside && !line.empty()) out.push_back(line);
    }
    return out;
}

HANDLE HoldReadOnly(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

HANDLE HoldReadOnlyFor(const std::string& path, int ms) {
    struct Hold {
        HANDLE file;
        DWORD ms;
    };
    Hold* hold = new Hold{HoldReadOnly(path), (DWORD)ms};
    if (hold->file == INVALID_HANDLE_VALUE) {
        delete hold;
        return nullptr;
    }
    return StartThread([hold] {
        Sleep(hold->ms);
        CloseHandle(hold->file);
        delete hold;
    });
}

// ---- the per-user settings copy ----

std::string UserSettingsFolder() {
    char appData[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Mirn Title Display\\";
}

std::string UserSettingsFile() { return UserSettingsFolder() + "plugin.ini"; }

void RemoveUserSettings() { RemoveTree(UserSettingsFolder()); }

// ---- the plug-in copy ----

std::string ReadOnlyView(const std::string& path) {
    return path.size() > 2 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' ? "R:" + path.substr(2) : path;
}

PluginCopy LoadPlugin(const char* ini, bool readOnly) {
    PluginCopy p;
    p.folder = MakeTempFolder();
    p.dllPath = p.folder + "vis_mirn.dll";
    p.iniPath = p.folder + "plugin.ini";
    CopyFileA((ProgramFolder() + "vis_mirn.dll").c_str(), p.dllPath.c_str(), FALSE);
    if (ini) WriteTextFile(p.iniPath, ini);
    p.dll = LoadLibraryA((readOnly ? ReadOnlyView(p.dllPath) : p.dllPath).c_str());
    if (!p.dll) return p;
    typedef VisHeader*(__cdecl * GetHeader)(void);
    GetHeader get = (GetHeader)(void*)GetProcAddress(p.dll, "winampVisGetHeader");
    p.header = get ? get() : nullptr;
    p.module = p.header ? p.header->getModule(0) : nullptr;
    return p;
}

void UnloadPlugin(PluginCopy* p) {
    if (p->dll) FreeLibrary(p->dll);
    p->dll = nullptr;
    p->header = nullptr;
    p->module = nullptr;
    if (!p->folder.empty()) RemoveTree(p->folder);
    p->folder.clear();
}

// ---- screen ----

HDC ReadingDC(HWND window) { return GetDCEx(window, nullptr, DCX_CACHE); }

COLORREF WindowPixel(HWND window, int x, int y) {
    HDC dc = ReadingDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

int CountGdiObjects() {
    int n = 0;
    for (UINT_PTR i = 1; i <= 0xFFFF; ++i)
        if (GetObjectType((HGDIOBJ)i)) ++n;
    return n;
}

// ---- the player ----

namespace {
const wchar_t kMainClass[] = L"MirnTestPlayer";
const UINT kRun = WM_APP + 1;  // lParam: std::function<void()>*
HostPlayer* g_player = nullptr;  // the main window's procedure finds it here
}  // namespace

LRESULT CALLBACK HostPlayer::MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_SYSKEYDOWN:
    case WM_SYSCHAR:
        if (g_player) {
            MSG m = {};
            m.hwnd = hwnd;
            m.message = message;
            m.wParam = wParam;
            m.lParam = lParam;
            g_player->hostMessages.push_back(m);
        }
        return 0;
    case WM_USER:
        if (lParam == 335 && g_player && g_player->settingsFolder) return (LRESULT)g_player->settingsFolder;
        if (lParam != 335 && g_player && g_player->answer) return g_player->answer(wParam, lParam);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

std::function<LRESULT(WPARAM, LPARAM)> AnswerSong(const PlayerSong* song) {
    // A page that may not be read, for pointers that must not be followed.
    static void* noAccess = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    return [song](WPARAM w, LPARAM id) -> LRESULT {
        switch (id) {
        case 0: return song->version;
        case 104: return song->state;
        case 105: return w == 0 ? song->positionMs : song->lengthS;
        case 125: return song->index;
        case 214:
            if (song->unreadable) return (LRESULT)noAccess;
            return (LRESULT)w == song->index ? (LRESULT)song->path.c_str() : 0;
        case 3034: return song->unreadable ? (LRESULT)noAccess : (LRESULT)song->playing.c_str();
        case 3026: {
            struct Request {
                const wchar_t* file;
                const wchar_t* field;
                wchar_t* buffer;
                size_t length;
            };
            const Request* r = (const Request*)w;
            if (!r || !r->file || song->path != r->file) return 0;
            const auto tag = song->tags.find(Utf8(r->field));
            if (tag == song->tags.end() || r->length == 0) return 0;
            lstrcpynW(r->buffer, tag->second.c_str(), (int)r->length);
            return 1;
        }
        default: return 0;
        }
    };
}

std::wstring Wide(const std::string& utf8) {
    std::wstring out(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), (int)utf8.size(), &out[0], (int)out.size());
    out.resize(n > 0 ? n : 0);
    return out;
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &out[0], (int)out.size(), nullptr,
                                      nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

FARPROC User32Proc(const char* name) { return GetProcAddress(GetModuleHandleA("user32.dll"), name); }

HANDLE SetThreadDpiContext(HANDLE context) {
    typedef HANDLE(WINAPI * Set)(HANDLE);
    Set set = (Set)(void*)User32Proc("SetThreadDpiAwarenessContext");
    return set ? set(context) : nullptr;
}

bool HostPlayer::unaware = false;
bool HostPlayer::readOnlyBeside = false;

HostPlayer::HostPlayer(const char* title, const char* ini, VisModule* linked, RECT r) {
    g_player = this;
    if (unaware) SetThreadDpiContext(kDpiUnaware);
    plugin = LoadPlugin(ini, readOnlyBeside);
    module = linked ? linked : plugin.module;

    // A Unicode window, as players register today.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kMainClass;
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    RegisterClassW(&wc);
    main = CreateWindowExW(0, kMainClass, Wide(title).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
    if (module) {
        module->hostWindow = main;
        module->instance = plugin.dll;
    }

    ready_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    done_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    displayThread_ = CreateThread(nullptr, 0, DisplayMain, this, 0, &displayId_);
    WaitForSingleObject(ready_, INFINITE);  // its queue exists
    Pump(20);
}

HostPlayer::~HostPlayer() {
    SetAutoFrames(false);
    if (started_) Stop();
    PostThreadMessageA(displayId_, WM_APP + 2, 0, 0);  // leave
    while (MsgWaitForMultipleObjects(1, &displayThread_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump(0);
    CloseHandle(displayThread_);
    CloseHandle(ready_);
    CloseHandle(done_);
    DestroyWindow(main);
    UnregisterClassW(kMainClass, GetModuleHandleA(nullptr));
    UnloadPlugin(&plugin);
    g_player = nullptr;
}

DWORD WINAPI HostPlayer::DisplayMain(void* arg) {
    HostPlayer* self = (HostPlayer*)arg;
    if (unaware) SetThreadDpiContext(kDpiUnaware);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    SetEvent(self->ready_);
    for (;;) {
        DWORD wait = self->autoFrames_ ? (DWORD)self->module->delayMs : INFINITE;
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT) == WAIT_TIMEOUT) {
            self->module->render(self->module);
            continue;
        }
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr && msg.message == WM_QUIT) {
                InterlockedIncrement(&self->quitCount_);
                continue;
            }
            if (msg.hwnd == nullptr && msg.message == WM_APP + 2) return 0;
            if (msg.hwnd == nullptr && msg.message == kRun) {
                (*(std::function<void()>*)msg.lParam)();
                SetEvent(self->done_);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// A named procedure: a lambda converts only to the default calling
// convention, which is not the thread procedure's on 32-bit Windows.
static DWORD WINAPI RunWork(void* arg) {
    auto* work = (std::function<void()>*)arg;
    (*work)();
    delete work;
    return 0;
}

HANDLE StartThread(const std::function<void()>& work) {
    return CreateThread(nullptr, 0, RunWork, new std::function<void()>(work), 0, nullptr);
}

void JoinPumping(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) PumpMessages(0);
    CloseHandle(thread);
}

void PumpMessages(int ms) {
    DWORD end = GetTickCount() + (DWORD)ms;
    MSG msg;
    for (;;) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        LONG left = (LONG)(end - GetTickCount());
        if (left <= 0) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, (DWORD)left, QS_ALLINPUT);
    }
}

void HostPlayer::Pump(int ms) { PumpMessages(ms); }

void HostPlayer::WaitFor(HANDLE handle) {
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump(0);
}

void HostPlayer::OnDisplay(const std::function<void()>& work) {
    std::function<void()> copy = work;
    PostThreadMessageA(displayId_, kRun, 0, (LPARAM)&copy);
    WaitFor(done_);
}

void HostPlayer::SetTitle(const char* title) { SetWindowTextW(main, Wide(title).c_str()); }

void HostPlayer::OnDisplayWhileHung(int ms, const std::function<void()>& work) {
    std::function<void()> copy = work;
    PostThreadMessageA(displayId_, kRun, 0, (LPARAM)&copy);
    Sleep((DWORD)ms);  // answers nothing sent to the main window meanwhile
    WaitFor(done_);
}

int HostPlayer::Start() {
    int rc = -1;
    OnDisplay([&] { rc = module->start(module); });
    started_ = rc == 0;
    // Wine: a hook installed on this thread from another one sees the sends
    // made here only once this thread has asked for its messages.
    Pump(0);
    return rc;
}

void HostPlayer::Frame(int count) {
    OnDisplay([&] {
        for (int i = 0; i < count; ++i) module->render(module);
    });
}

void HostPlayer::Stop() {
    OnDisplay([&] { module->stop(module); });
    started_ = false;
}

void HostPlayer::SetAutoFrames(bool on) {
    InterlockedExchange(&autoFrames_, on ? 1 : 0);
    OnDisplay([] {});  // wakes the loop to take the new wait
}

namespace {
struct DriveArgs {
    const std::function<void()>* drive;
};
DWORD WINAPI DriveMain(void* arg) {
    (*((DriveArgs*)arg)->drive)();
    return 0;
}
}  // namespace

void HostPlayer::Configure(const std::function<void()>& drive) {
    DriveArgs args = {&drive};
    HANDLE driver = CreateThread(nullptr, 0, DriveMain, &args, 0, nullptr);
    module->configure(module);
    WaitFor(driver);
    CloseHandle(driver);
}

HWND HostPlayer::TitleWindow() const {
    struct Find {
        HWND found;
        static BOOL CALLBACK Each(HWND w, LPARAM p) {
            char cls[32];
            GetClassNameA(w, cls, sizeof cls);
            if (lstrcmpA(cls, "MirnVis") == 0) {
                ((Find*)p)->found = w;
                return FALSE;
            }
            return TRUE;
        }
    } f = {nullptr};
    EnumThreadWindows(displayId_, Find::Each, (LPARAM)&f);
    return f.found;
}

HWND WaitForDialog(const char* caption, int ms) {
    DWORD end = GetTickCount() + (DWORD)ms;
    do {
        HWND w = FindWindowA("#32770", caption);
        if (w) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
        }
        Sleep(10);
    } while ((LONG)(GetTickCount() - end) < 0);
    return nullptr;
}

bool AnswerColourPicker(COLORREF colour, int ms) {
    // Wine's picker keeps its red, green and blue edits (dlgs.h numbering)
    // even while the custom part is folded away.
    const int kRed = 706, kGreen = 707, kBlue = 708;
    HWND picker = WaitForDialog("Color", ms);
    if (!picker) return false;
    SetDlgItemInt(picker, kRed, GetRValue(colour), FALSE);
    SetDlgItemInt(picker, kGreen, GetGValue(colour), FALSE);
    SetDlgItemInt(picker, kBlue, GetBValue(colour), FALSE);
    SendMessageA(picker, WM_COMMAND, IDOK, 0);
    const DWORD end = GetTickCount() + (DWORD)ms;
    while (IsWindow(picker)) {
        if ((LONG)(GetTickCount() - end) >= 0) return false;
        PumpMessages(10);
    }
    return true;
}

std::vector<DWORD> DcPixels(HDC src, int w, int h) {
    if (w <= 0 || h <= 0) return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib) return {};
    HDC copy = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(copy, dib);
    BitBlt(copy, 0, 0, w, h, src, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels((const DWORD*)bits, (const DWORD*)bits + (size_t)w * h);
    SelectObject(copy, old);
    DeleteDC(copy);
    DeleteObject(dib);
    for (DWORD& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

std::vector<DWORD> ScreenPixels(const RECT& r) {
    HDC screen = GetDC(nullptr);
    HDC at = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = SelectObject(at, bitmap);
    BitBlt(at, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    std::vector<DWORD> pixels = DcPixels(at, r.right - r.left, r.bottom - r.top);
    SelectObject(at, old);
    DeleteObject(bitmap);
    DeleteDC(at);
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<DWORD> ClientPixels(HWND window) {
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return {};
    HDC dc = ReadingDC(window);
    std::vector<DWORD> pixels = DcPixels(dc, client.right, client.bottom);
    ReleaseDC(window, dc);
    return pixels;
}

int InkPixels(HWND window, COLORREF background) {
    // COLORREF is 0x00BBGGRR.
    const DWORD bk = (DWORD)GetRValue(background) << 16 | (DWORD)GetGValue(background) << 8 | GetBValue(background);
    int ink = 0;
    for (DWORD p : ClientPixels(window))
        if (p != bk) ++ink;
    return ink;
}

// ---- real mouse input ----

namespace {
void SendMouse(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
    PumpMessages(30);
}
}  // namespace

void MouseMoveTo(POINT p) {
    SetCursorPos(p.x, p.y);
    SendMouse(MOUSEEVENTF_MOVE);
}

void MouseDrag(POINT from, POINT to, int steps) {
    MouseMoveTo(from);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    for (int i = 1; i <= steps; ++i)
        MouseMoveTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void MouseClick(POINT p, int clicks, bool right) {
    MouseMoveTo(p);
    for (int i = 0; i < clicks; ++i) {
        SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
        SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    }
}

void KeyStroke(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    for (INPUT& one : in) {
        SendInput(1, &one, sizeof one);
        PumpMessages(30);
    }
}

// ---- popup menus ----

HWND WaitForMenu(int ms) {
    DWORD end = GetTickCount() + (DWORD)ms;
    do {
        for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w;
             w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
        }
        PumpMessages(10);
    } while ((LONG)(GetTickCount() - end) < 0);
    return nullptr;
}

std::vector<MenuItem> MenuItems(HWND menuWindow) {
    std::vector<MenuItem> items;
    HMENU menu = (HMENU)SendMessageA(menuWindow, MN_GETHMENU, 0, 0);
    const int n = menu ? GetMenuItemCount(menu) : 0;
    for (int i = 0; i < n; ++i) {
        char text[128] = "";
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, (UINT)i, TRUE, &info);
        items.push_back({info.fType & MFT_SEPARATOR ? "" : text, info.wID, (info.fState & MFS_CHECKED) != 0,
                         (info.fType & MFT_RADIOCHECK) != 0});
    }
    return items;
}

void ClickMenuItem(HWND menuWindow, int index) {
    HMENU menu = (HMENU)SendMessageA(menuWindow, MN_GETHMENU, 0, 0);
    RECT r = {};
    GetMenuItemRect(nullptr, menu, (UINT)index, &r);
    MouseClick({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

std::vector<MenuItem> TitleMenuItems(HWND title) {
    PostMessageA(title, WM_CONTEXTMENU, (WPARAM)title, -1);
    HWND menu = WaitForMenu();
    if (!menu) return {};
    const std::vector<MenuItem> items = MenuItems(menu);
    KeyStroke(VK_ESCAPE);
    return items;
}

bool ChooseFromTitleMenu(HWND title, int index, int subIndex) {
    PostMessageA(title, WM_CONTEXTMENU, (WPARAM)title, -1);
    HWND menu = WaitForMenu();
    if (!menu) return false;
    ClickMenuItem(menu, index);
    if (subIndex >= 0) {
        HWND sub = nullptr;
        for (int tries = 0; !sub && tries < 100; ++tries, PumpMessages(20))
            for (HWND m = FindWindowExA(nullptr, nullptr, "#32768", nullptr); m;
                 m = FindWindowExA(nullptr, m, "#32768", nullptr))
                if (m != menu && IsWindowVisible(m)) sub = m;
        if (!sub || MenuItems(sub).size() != 3u) return false;
        ClickMenuItem(sub, subIndex);
    }
    return true;
}

// ---- another program on the desktop ----

static int RunProgram(const char* command) {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, (char*)command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    CloseHandle(pi.hThread);
    // Its title reaches the player's window through this thread.
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        PumpMessages(0);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, (UINT)-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return (int)code;
}

int RunNeighbour(HWND player, const char* title, int ms) {
    char command[1024];
    snprintf(command, sizeof command, "\"%sneighbour.exe\" %lu %d \"%s\"", ProgramFolder().c_str(),
             (unsigned long)(UINT_PTR)player, ms, title);
    return RunProgram(command);
}

int RunNeighbourDisplay(const std::string& pluginFolder, const char* title, int ms) {
    char command[1024];
    // Without its last backslash, which would escape the closing quote.
    const std::string folder = pluginFolder.substr(0, pluginFolder.find_last_not_of('\\') + 1);
    snprintf(command, sizeof command, "\"%sneighbour.exe\" --display \"%s\" %d \"%s\"", ProgramFolder().c_str(),
             folder.c_str(), ms, title);
    return RunProgram(command);
}
