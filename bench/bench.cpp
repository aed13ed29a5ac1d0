// What a frame and a composition of the real plug-in cost, each beside the
// bare platform work it cannot avoid, measured in one run on one display.
// One thread plays the player: it owns the main window, calls the module's
// callbacks and pumps messages. Every sample is one call, timed after the
// millisecond tick has changed and the queue has been pumped, as a real frame
// is; the kinds of one table row are interleaved so that they share whatever
// the machine is doing. Results go to stdout and, as markdown, to the file
// named by MIRN_BENCH_OUT.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "display/marquee_rules.h"
#include "display/outline_rules.h"
#include "display/title_file_rules.h"
#include "display/title_rules.h"
#include "plugin/vis_api.h"

namespace {

// ---- timing ----

inline uint64_t Stamp() {
    uint32_t lo, hi;
    asm volatile("lfence\n\trdtsc\n\tlfence" : "=a"(lo), "=d"(hi)::"memory");
    return (uint64_t(hi) << 32) | lo;
}

double g_nsPerCycle = 1.0;
double g_overheadCycles = 0.0;  // of an empty Stamp() pair

LARGE_INTEGER Frequency() {
    static LARGE_INTEGER f;
    if (f.QuadPart == 0) QueryPerformanceFrequency(&f);
    return f;
}

// The plug-in's tick source, read the way it reads it.
DWORD QpcMs() {
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return CounterToMs((unsigned long long)c.QuadPart, (unsigned long long)Frequency().QuadPart);
}

// Where the counter's millisecond boundaries fall on the time-stamp counter,
// so that waiting for the next one does not run (and warm) the tick source.
LARGE_INTEGER g_anchorCount;
uint64_t g_anchorStamp = 0;
double g_cyclesPerCount = 1.0;

void Anchor() {
    QueryPerformanceCounter(&g_anchorCount);
    g_anchorStamp = Stamp();
}

double Median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    size_t i = (size_t)std::ceil(p * (double)v.size()) - 1;
    return v[std::min(i, v.size() - 1)];
}

void Calibrate() {
    LARGE_INTEGER q0, q1;
    QueryPerformanceCounter(&q0);
    uint64_t s0 = Stamp();
    Sleep(300);
    QueryPerformanceCounter(&q1);
    uint64_t s1 = Stamp();
    double ns = double(q1.QuadPart - q0.QuadPart) * 1e9 / double(Frequency().QuadPart);
    g_nsPerCycle = ns / double(s1 - s0);
    g_cyclesPerCount = double(s1 - s0) / double(q1.QuadPart - q0.QuadPart);
    std::vector<double> empty;
    for (int i = 0; i < 20000; ++i) {
        uint64_t a = Stamp();
        uint64_t b = Stamp();
        empty.push_back(double(b - a));
    }
    g_overheadCycles = Median(empty);
}

std::map<std::string, std::vector<double>> g_samples;  // ns

void Record(const std::string& name, uint64_t a, uint64_t b) {
    double cycles = double(b - a) - g_overheadCycles;
    g_samples[name].push_back(std::max(0.0, cycles) * g_nsPerCycle);
}

double Med(const std::string& name) { return Median(g_samples[name]); }
double P90(const std::string& name) { return Percentile(g_samples[name], 0.9); }

// ---- the player's side ----

bool g_quit = false;

// The player's answers to a plug-in's questions, while `g_answering`.
bool g_answering = false;
const wchar_t* g_tagTitle = L"";
LONG g_seconds = 0;  // each position asked is a second on, a millisecond before the next
const wchar_t kSongPath[] = L"C:\\Music\\song.mp3";

LRESULT AnswerPlugin(WPARAM w, LPARAM id) {
    switch (id) {
    case 0: return 0x5091;
    case 104: return 1;
    case 105: return w == 0 ? (LRESULT)(++g_seconds) * 1000 + 999 : 300;
    case 125: return 0;
    case 214: return (LRESULT)kSongPath;
    case 3026: {
        struct Request {
            const wchar_t *file, *field;
            wchar_t* buffer;
            size_t length;
        };
        const Request* r = (const Request*)w;
        const wchar_t* value = lstrcmpW(r->field, L"artist") == 0 ? L"The Artist"
                               : lstrcmpW(r->field, L"title") == 0 ? g_tagTitle
                                                                   : L"";
        lstrcpynW(r->buffer, value, (int)r->length);
        return *value != 0;
    }
    default: return 0;
    }
}

LRESULT CALLBACK PlayerProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_USER && g_answering) return AnswerPlugin(w, l);
    return DefWindowProcW(window, message, w, l);
}

// What the plug-in asks at a composition of "[%artist% - ]%title%" (the
// version once for the run).
void AskLikeThePlugin(HWND main) {
    struct {
        const wchar_t *file, *field;
        wchar_t* buffer;
        size_t length;
    } request = {kSongPath, L"artist", nullptr, 255};
    wchar_t buffer[256];
    request.buffer = buffer;
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main, WM_USER, 0, 104, SMTO_ABORTIFHUNG, 100, &answer);
    SendMessageTimeoutW(main, WM_USER, 0, 125, SMTO_ABORTIFHUNG, 100, &answer);
    SendMessageTimeoutW(main, WM_USER, answer, 214, SMTO_ABORTIFHUNG, 100, &answer);
    SendMessageTimeoutW(main, WM_USER, (WPARAM)&request, 3026, SMTO_ABORTIFHUNG, 100, &answer);
    request.field = L"title";
    SendMessageTimeoutW(main, WM_USER, (WPARAM)&request, 3026, SMTO_ABORTIFHUNG, 100, &answer);
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) g_quit = true;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Waits until the millisecond tick has moved on (with 20 µs to spare) and
// empties the queue: the state a frame starts from.
void FrameStart() {
    const uint64_t perMs = (uint64_t)Frequency().QuadPart / 1000;
    const uint64_t now = Stamp();
    const double counts = double(now - g_anchorStamp) / g_cyclesPerCount;
    const uint64_t count = (uint64_t)g_anchorCount.QuadPart + (uint64_t)counts;
    const uint64_t boundary = (count / perMs + 1) * perMs + perMs / 50;
    const uint64_t until = g_anchorStamp + (uint64_t)(double(boundary - (uint64_t)g_anchorCount.QuadPart) * g_cyclesPerCount);
    while (Stamp() < until) {
    }
    Pump();
}

void PumpFor(DWORD ms) {
    const DWORD end = QpcMs() + ms;
    while ((LONG)(QpcMs() - end) < 0) {
        Pump();
        Sleep(1);
    }
}

template <class F>
void Time(const std::string& name, F work) {
    FrameStart();
    uint64_t a = Stamp();
    work();
    uint64_t b = Stamp();
    Record(name, a, b);
}

template <class F>
void TimeSecond(const std::string& name, F work) {
    FrameStart();
    work();
    uint64_t a = Stamp();
    work();
    uint64_t b = Stamp();
    Record(name, a, b);
}

std::string ProgramFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

struct Plugin {
    std::string folder, dllPath, iniPath;
    HMODULE dll = nullptr;
    VisModule* module = nullptr;
};

const char kSection[] = "Title Display (ALPHA)";

bool LoadPlugin(Plugin* p) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%smirn-bench-%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(folder, nullptr);
    p->folder = folder;
    p->dllPath = p->folder + "\\vis_mirn.dll";
    if (!CopyFileA((ProgramFolder() + "vis_mirn.dll").c_str(), p->dllPath.c_str(), FALSE)) return false;
    p->dll = LoadLibraryA(p->dllPath.c_str());
    if (!p->dll) return false;
    // The path exactly as the plug-in builds it, so the bare reads open the same file.
    char path[MAX_PATH];
    GetModuleFileNameA(p->dll, path, MAX_PATH);
    std::string s = path;
    p->iniPath = s.substr(0, s.find_last_of('\\') + 1) + "plugin.ini";
    typedef VisHeader*(__cdecl * GetHeader)(void);
    GetHeader get = (GetHeader)(void*)GetProcAddress(p->dll, "winampVisGetHeader");
    VisHeader* header = get ? get() : nullptr;
    p->module = header ? header->getModule(0) : nullptr;
    return p->module != nullptr;
}

void UnloadPlugin(Plugin* p) {
    if (p->dll) FreeLibrary(p->dll);
    DeleteFileA(p->iniPath.c_str());
    DeleteFileA(p->dllPath.c_str());
    RemoveDirectoryA(p->folder.c_str());
}

void SetKey(const Plugin& p, const char* key, int value) {
    char text[32];
    snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileStringA(kSection, key, text, p.iniPath.c_str());
}

std::wstring Wide(const char* utf8) {
    wchar_t buf[1024];
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buf, 1024);
    return n > 0 ? std::wstring(buf, n - 1) : std::wstring();
}

// A title of `length` characters ending in the player's suffix, in Latin or
// Cyrillic words.
std::wstring TitleOfLength(size_t length, wchar_t variant, bool cyrillic = false) {
    std::wstring t = std::wstring(L"1") + variant + (cyrillic ? Wide(". Исполнитель - ") : L". The Artist - ");
    const char* latin[] = {"Night", "Drive", "Along", "The", "Coast", "With", "Windows", "Down"};
    const char* russian[] = {"Ночь", "Дорога", "Вдоль", "Этого", "Берега", "Окна", "Открыты", "Вниз"};
    for (int i = 0; t.size() < length; ++i) t += Wide((cyrillic ? russian : latin)[i % 8]) + L" ";
    const std::wstring tail = L" - Winamp";
    t = t.substr(0, length - tail.size()) + tail;
    return t;
}

std::string Utf8(const std::wstring& text) {
    char out[256] = "";
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out, sizeof out, nullptr, nullptr);
    return out;
}

// A title of `length` in Japanese, which the default (Latin) face lacks.
std::wstring JapaneseTitleOfLength(size_t length, wchar_t variant) {
    std::wstring t = std::wstring(L"1") + variant + Wide(". 宇多田ヒカル - ");
    const char* words[] = {"花束を", "君に", "夜の", "海を", "走る", "窓を", "開けて", "下へ"};
    for (int i = 0; t.size() < length; ++i) t += Wide(words[i % 8]);
    const std::wstring tail = L" - Winamp";
    return t.substr(0, length - tail.size()) + tail;
}

std::wstring Trimmed(const std::wstring& title) {
    std::vector<TitleChar> buf(title.begin(), title.end());
    buf.resize(std::min(buf.size(), kTitleLimit - 1));
    buf.push_back(0);
    TrimTitle(buf.data());
    return std::wstring(buf.begin(), buf.begin() + (ptrdiff_t)std::char_traits<char16_t>::length(buf.data()));
}

// The title as the plug-in fetches it.
LRESULT FetchTitle(HWND main, wchar_t* buf) {
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(main, WM_GETTEXT, kTitleLimit, (LPARAM)buf, SMTO_ABORTIFHUNG, 100, &copied);
    return (LRESULT)copied;
}

// One read of the settings file's bytes, as the plug-in tells whether the
// file changed since its values were read: opened, read in 4 KB pieces,
// hashed, closed.
uint32_t MarkOf(const char* path) {
    uint32_t hash = kContentHashStart;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got != 0) hash = ContentHash(chunk, got, hash);
    CloseHandle(file);
    return hash;
}

// A 32-bit DIB section, as the plug-in's surface is.
HBITMAP Dib(HDC dc, int w, int h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// What the composition works with, worked out the same way outside it.
struct Picture {
    std::wstring text;
    SIZE measured;
    TitleLayout layout;
};

struct Display {
    HWND main = nullptr;
    HWND title = nullptr;
    int screenW = 0, screenH = 0;  // outer size, as the plug-in uses it
    int clientH = 0;
    HDC mem = nullptr;  // the bare work's own surface
    HBITMAP memBitmap = nullptr, memOld = nullptr;
    int memW = 0;
};

LOGFONTA FontFor(int height) {
    LOGFONTA lf = {};  // what the plug-in holds with an empty appearance group
    lf.lfHeight = height;
    return lf;
}

Picture Measure(const Display& d, const std::wstring& title) {
    Picture p;
    p.text = Trimmed(title);
    LOGFONTA lf = FontFor(d.clientH);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(d.mem, font);
    p.measured = {0, 0};
    GetTextExtentPoint32W(d.mem, p.text.c_str(), (int)p.text.size(), &p.measured);
    SelectObject(d.mem, old);
    DeleteObject(font);
    p.layout = LayoutTitle(p.measured.cx, p.measured.cy, d.screenW);
    return p;
}

// The face a script the default face lacks is drawn in: the first one its
// character set lists, as the plug-in finds it where no preferred face is.
int CALLBACK FirstFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM out) {
    if (lf->lfFaceName[0] == L'@') return 1;
    lstrcpynW((WCHAR*)out, lf->lfFaceName, LF_FACESIZE);
    return 0;
}

std::wstring FaceFor(HDC dc, BYTE charSet) {
    WCHAR face[LF_FACESIZE] = L"";
    LOGFONTW lf = {};
    lf.lfCharSet = charSet;
    EnumFontFamiliesExW(dc, &lf, FirstFace, (LPARAM)face, 0);
    return face;
}

// The title's runs: ASCII in the default face, the rest in `face`; made,
// measured and drawn (when `rect`) as one composition's runs are.
int RunsText(HDC dc, int height, const std::wstring& text, const std::wstring& face, const RECT* rect) {
    LOGFONTA lf = FontFor(height);
    HFONT font = CreateFontIndirectA(&lf);
    LOGFONTW lw = {};
    lw.lfHeight = height;
    lw.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lw.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT other = CreateFontIndirectW(&lw);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<std::pair<size_t, size_t>> runs;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && (text[i] > 0x7E) == (text[i - 1] > 0x7E))
            ++runs.back().second;
        else
            runs.push_back({i, 1});
    }
    std::vector<int> widths;
    int total = 0;
    for (const auto& r : runs) {
        SelectObject(dc, text[r.first] > 0x7E ? other : font);
        SIZE size = {0, 0};
        GetTextExtentPoint32W(dc, text.c_str() + r.first, (int)r.second, &size);
        widths.push_back(size.cx);
        total += size.cx;
    }
    if (rect) {
        int x = rect->left;
        for (size_t k = 0; k < runs.size(); ++k) {
            SelectObject(dc, text[runs[k].first] > 0x7E ? other : font);
            ExtTextOutW(dc, x, rect->bottom * 3 / 4, 0, nullptr, text.c_str() + runs[k].first, (int)runs[k].second,
                        nullptr);
            x += widths[k];
        }
    }
    SelectObject(dc, old);
    DeleteObject(other);
    DeleteObject(font);
    return total;
}

// A surface as wide as the widest picture, for the bare copies and drawing.
void MakeSurface(Display* d, int width) {
    HDC window = GetDC(d->title);
    d->mem = CreateCompatibleDC(window);
    d->memBitmap = CreateCompatibleBitmap(window, width, d->clientH);
    ReleaseDC(d->title, window);
    d->memOld = (HBITMAP)SelectObject(d->mem, d->memBitmap);
    d->memW = width;
    RECT all = {0, 0, width, d->clientH};
    HBRUSH b = CreateSolidBrush(RGB(20, 40, 60));
    FillRect(d->mem, &all, b);
    DeleteObject(b);
}

void BareCopies(const Display& d, const RingPiece* pieces, int n) {
    HDC dc = GetDC(d.title);
    for (int i = 0; i < n; ++i)
        BitBlt(dc, pieces[i].dstX, 0, pieces[i].width, d.screenH, d.mem, pieces[i].srcX, 0, SRCCOPY);
    ReleaseDC(d.title, dc);
}

// A marquee without a surface: fill and draw the text into the window every frame.
void NaiveFrame(const Display& d, HFONT font, HBRUSH brush, const Picture& p, int offset) {
    HDC dc = GetDC(d.title);
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    RECT client;
    GetClientRect(d.title, &client);
    FillRect(dc, &client, brush);
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX;
    const int W = p.layout.extentWidth;
    RECT r = {-offset, 0, W - offset, client.bottom};
    DrawTextW(dc, p.text.c_str(), (int)p.text.size(), &r, flags);
    if (offset + d.screenW > W) {  // the ring's start after the gap
        RECT again = {W - offset, 0, 2 * W - offset, client.bottom};
        DrawTextW(dc, p.text.c_str(), (int)p.text.size(), &again, flags);
    }
    SelectObject(dc, old);
    ReleaseDC(d.title, dc);
}

// ---- report ----

struct Target {
    std::string what, measured, against, ratio, target, verdict, note;
};

std::string Us(double ns) {
    char b[32];
    if (std::isnan(ns)) return "n/a";
    snprintf(b, sizeof b, ns < 10000 ? "%.3f" : "%.1f", ns / 1000.0);
    return b;
}

std::string Fmt(const char* f, double v) {
    char b[64];
    snprintf(b, sizeof b, f, v);
    return b;
}

std::string Env(const char* name, const char* fallback = "unknown") {
    char b[1024];
    DWORD n = GetEnvironmentVariableA(name, b, sizeof b);
    return n > 0 && n < sizeof b ? std::string(b, n) : std::string(fallback);
}

struct Evenness {
    double mean, sd;
    int min, max;
};

Evenness Spread(const std::vector<int>& moved) {
    Evenness e = {0, 0, 0, 0};
    if (moved.empty()) return e;
    double sum = 0;
    for (int m : moved) sum += m;
    e.mean = sum / (double)moved.size();
    double sq = 0;
    for (int m : moved) sq += (m - e.mean) * (m - e.mean);
    e.sd = std::sqrt(sq / (double)moved.size());
    e.min = *std::min_element(moved.begin(), moved.end());
    e.max = *std::max_element(moved.begin(), moved.end());
    return e;
}

}  // namespace

int main() {
    const DWORD started = GetTickCount();
    SetThreadAffinityMask(GetCurrentThread(), 1);
    Calibrate();
    Anchor();

    Plugin plugin;
    if (!LoadPlugin(&plugin)) {
        fprintf(stderr, "bench: cannot load vis_mirn.dll from %s\n", ProgramFolder().c_str());
        return 1;
    }
    // Interval 100000: a composed long title stays between steps.
    SetKey(plugin, "Scroll_Step", 1);
    SetKey(plugin, "Scroll_Interval", 100000);
    SetKey(plugin, "Scroll_Enabled", 1);

    // A Unicode main window, as players register today.
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PlayerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = L"MirnBenchPlayer";
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    RegisterClassW(&wc);
    Display d;
    const std::wstring fitting = L"1. Artist - Song - Winamp";
    d.main = CreateWindowExW(0, wc.lpszClassName, fitting.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                             120, nullptr, nullptr, wc.hInstance, nullptr);
    VisModule* m = plugin.module;
    m->hostWindow = d.main;
    m->instance = plugin.dll;
    if (m->start(m) != 0) {
        fprintf(stderr, "bench: VisInit failed\n");
        return 1;
    }
    PumpFor(200);
    d.title = FindWindowA("MirnVis", nullptr);
    RECT wr, cr;
    GetWindowRect(d.title, &wr);
    GetClientRect(d.title, &cr);
    d.screenW = wr.right - wr.left;
    d.screenH = wr.bottom - wr.top;
    d.clientH = cr.bottom;

    const std::wstring scrolling =
        L"7. The Long Distance Orchestra - A Title Far Too Wide For Its Little Window (Extended Mix) - Winamp";
    const std::wstring title30[2] = {TitleOfLength(30, 'a'), TitleOfLength(30, 'b')};
    const std::wstring title510[2] = {TitleOfLength(510, 'a'), TitleOfLength(510, 'b')};
    const std::wstring cyrillic30[2] = {TitleOfLength(30, 'a', true), TitleOfLength(30, 'b', true)};
    const std::wstring cyrillic510[2] = {TitleOfLength(510, 'a', true), TitleOfLength(510, 'b', true)};
    const std::wstring japanese30[2] = {JapaneseTitleOfLength(30, 'a'), JapaneseTitleOfLength(30, 'b')};

    // A probe surface to measure with, then the real one as wide as needed.
    MakeSurface(&d, d.screenW);
    const Picture scrollPic = Measure(d, scrolling);
    const Picture pic30 = Measure(d, title30[0]);
    const Picture pic510 = Measure(d, title510[0]);
    const Picture cyr30 = Measure(d, cyrillic30[0]);
    const Picture cyr510 = Measure(d, cyrillic510[0]);
    const std::wstring japaneseFace = FaceFor(d.mem, SHIFTJIS_CHARSET);
    Picture jp30 = Measure(d, japanese30[0]);
    jp30.measured.cx = RunsText(d.mem, d.clientH, jp30.text, japaneseFace, nullptr);
    jp30.layout = LayoutTitle(jp30.measured.cx, jp30.measured.cy, d.screenW);
    SelectObject(d.mem, d.memOld);
    DeleteObject(d.memBitmap);
    DeleteDC(d.mem);
    MakeSurface(&d, std::max({pic510.layout.surfaceWidth, cyr510.layout.surfaceWidth, scrollPic.layout.surfaceWidth}));

    auto render = [m] { m->render(m); };
    auto compose = [&](const std::wstring& t) {
        SetWindowTextW(d.main, t.c_str());
        m->render(m);
    };
    volatile DWORD sink = 0;

    // ---- a title that fits, and a scrolling one between steps ----
    // Four passes of each, pooled: the machine's state drifts over seconds,
    // and sub-microsecond figures follow it.
    for (int pass = 0; pass < 4; ++pass) {
        Anchor();
        compose(fitting);
        for (int i = 0; i < 250; ++i) {
            Time("fits", render);
            Time("qpc", [&] { sink = sink + QpcMs(); });
            Time("gtc", [&] { sink = sink + GetTickCount(); });
        }
        compose(scrolling);
        for (int i = 0; i < 250; ++i) {
            Time("idle", render);
            Time("qpc", [&] { sink = sink + QpcMs(); });
            Time("gtc", [&] { sink = sink + GetTickCount(); });
            // The same again straight after a first call: what is left once
            // the caches hold the code and data.
            TimeSecond("idleWarm", render);
            TimeSecond("qpcWarm", [&] { sink = sink + QpcMs(); });
        }
    }

    // ---- steps due: interval 1 makes every tick change one ----
    // The bench follows the offset with the same rule from the same clock, to
    // tell one-piece frames from two-piece ones; frames within a few pixels
    // of a boundary, where a millisecond's doubt could change the count, are
    // left out.
    SetKey(plugin, "Scroll_Interval", 1);
    LOGFONTA lf = FontFor(d.clientH);
    HFONT naiveFont = CreateFontIndirectA(&lf);
    HBRUSH naiveBrush = CreateSolidBrush(RGB(0, 0, 0));
    const int W = scrollPic.layout.extentWidth;
    const int kMargin = 8;
    int predictedMisses = 0;  // a step predicted, but the frame cost under 1 µs
    int tickStill = 0;        // frames started before the tick had moved on
    uint32_t lastNow = 0;
    for (int cycle = 0; cycle < 3 && W > d.screenW; ++cycle) {
        Anchor();
        compose(scrolling);
        uint32_t clock = QpcMs() + kStandMs;
        int32_t offset = 0;
        PumpFor(kStandMs + 5);
        RingPiece pieces[2];
        int n = 0;
        std::string kind;
        const DWORD giveUp = QpcMs() + 30000;  // should the ring never come round
        for (bool wrapped = false; !wrapped && (LONG)(QpcMs() - giveUp) < 0;) {
            FrameStart();
            MarqueeInput in = {QpcMs(), 1, 1, W};
            if (in.now == lastNow) ++tickStill;
            lastNow = in.now;
            const int32_t before = offset;
            const bool due = AdvanceMarquee(in, &offset, &clock);
            wrapped = due && offset == 0 && before != 0;
            n = RingPieces(offset, d.screenW, W, pieces);
            uint64_t a = Stamp();
            m->render(m);
            uint64_t b = Stamp();
            kind.clear();
            if (due && n == 1 && offset >= kMargin && offset + d.screenW <= W - kMargin) kind = "1";
            if (due && n == 2 && offset + d.screenW >= W + kMargin && offset <= W - kMargin) kind = "2";
            if (kind.empty()) continue;
            Record("step" + kind, a, b);
            if ((double(b - a) - g_overheadCycles) * g_nsPerCycle < 1000) ++predictedMisses;
            Time("blit" + kind, [&] { BareCopies(d, pieces, n); });
            Time("naive" + kind, [&] { NaiveFrame(d, naiveFont, naiveBrush, scrollPic, offset); });
        }
    }
    DeleteObject(naiveFont);
    DeleteObject(naiveBrush);

    // ---- back and forth, plain and with soft edges: every new tick a step ----
    // Followed with the same rule from the same clock, as above; only frames
    // with a step due count. One piece always: no ring, no gap.
    {
        RECT client;
        GetClientRect(d.title, &client);
        const int travel = scrollPic.measured.cx - client.right;
        const int kFade = 16;
        SetKey(plugin, "Scroll_Mode", kScrollBounce);
        SetKey(plugin, "Scroll_Pause", 0);
        std::vector<uint32_t> blendBuffer((size_t)d.screenW * d.screenH, 0x00808080u);
        for (int fade = 0; fade < 2 && travel > 0; ++fade) {
            SetKey(plugin, "Fade_Edges", fade ? kFade : 0);
            const std::string name = fade ? "fadeStep" : "bounceStep";
            for (int pass = 0; pass < 3; ++pass) {
                Anchor();
                compose(fitting);  // so the next one starts the cycle afresh
                compose(scrolling);
                uint32_t clock = QpcMs();
                int32_t offset = 0;
                PumpFor(5);
                for (int frames = 0; frames < 400; ++frames) {
                    FrameStart();
                    MarqueeInput in = {QpcMs(), 1, 1, W, 0, kScrollBounce, travel};
                    const bool due = BounceMarquee(in, &offset, &clock);
                    uint64_t a = Stamp();
                    m->render(m);
                    uint64_t b = Stamp();
                    // At the ends nothing fades only at the start; leave both out.
                    if (!due || offset < 2 || offset > travel - 2) continue;
                    Record(name, a, b);
                    RingPiece piece = {offset, 0, d.screenW};
                    Time(fade ? "fadeBlit" : "bounceBlit", [&] { BareCopies(d, &piece, 1); });
                    if (fade) Time("fadeBlend", [&] { FadeEdges(blendBuffer.data(), d.screenW, d.screenH, kFade, 0, false); });
                }
            }
        }
        SetKey(plugin, "Fade_Edges", 0);

        // ---- once per song, at rest after its lap ----
        SetKey(plugin, "Scroll_Mode", kScrollOnce);
        SetKey(plugin, "Scroll_Step", 100);
        compose(title510[0]);
        compose(scrolling);
        PumpFor(50);
        for (int i = 0; i < 5; ++i) render();  // a lap of some thousand pixels, 100 a millisecond
        for (int pass = 0; pass < 4; ++pass) {
            Anchor();
            for (int i = 0; i < 250; ++i) {
                Time("onceRest", render);
                Time("qpcRest", [&] { sink = sink + QpcMs(); });
            }
        }
        SetKey(plugin, "Scroll_Step", 1);
        SetKey(plugin, "Scroll_Mode", kScrollLoop);
        SetKey(plugin, "Scroll_Pause", kStandMs);
    }

    // ---- compositions, each beside its unavoidable parts ----
    SetKey(plugin, "Scroll_Interval", 100000);
    HDC work = CreateCompatibleDC(d.mem);  // for the surface's creation and fill
    struct Set {
        const char* name;
        const std::wstring* titles;
        const Picture* pic;
        int rounds;
        bool runs;  // drawn in the default face and a face that has its script
    } sets[5] = {{"30", title30, &pic30, 150, false},
                 {"510", title510, &pic510, 100, false},
                 {"30 Cyrillic", cyrillic30, &cyr30, 150, false},
                 {"510 Cyrillic", cyrillic510, &cyr510, 100, false},
                 {"30 Japanese", japanese30, &jp30, 150, true}};
    const int kReads = 14;  // 13 numbers and the face name
    const char* intKeys[kReads - 1] = {"Weight",         "Italic",      "Underline",   "StrikeOut", "CharSet",
                               "Color",          "BkColor",     "Scroll_Step", "Scroll_Interval",
                               "Scroll_Enabled", "Transparent", "Outline",     "OutlineColor"};
    const char* ini = plugin.iniPath.c_str();
    // The plug-in skips its reads while the file's bytes are those it read
    // last: each phase starts with a composition that reads the file as it
    // is, and each round's bare read checks it is still that file.
    uint32_t lastRead = 0;
    int changedRounds = 0, markedRounds = 0;
    auto settle = [&](const std::wstring& t) {
        compose(t);
        lastRead = MarkOf(ini);
    };
    auto noteMark = [&](uint32_t mark) {
        ++markedRounds;
        if (mark != lastRead) ++changedRounds;
        lastRead = mark;
    };
    auto timeMark = [&](const std::string& name) {
        uint32_t mark = 0;
        Time(name, [&] { mark = MarkOf(ini); });
        noteMark(mark);
    };
    auto timeReads = [&](const std::string& name) {
        Time(name, [&] {
            for (const char* key : intKeys) sink = sink + GetPrivateProfileIntA(kSection, key, 0, ini);
            char face[LF_FACESIZE];
            sink = sink + GetPrivateProfileStringA(kSection, "FaceName", "", face, LF_FACESIZE, ini);
        });
    };
    settle(title30[1]);
    for (const Set& s : sets) {
        const std::string tag = s.name;
        const Picture& p = *s.pic;
        for (int i = 0; i < s.rounds; ++i) {
            if (i % 50 == 0) Anchor();
            const std::wstring& t = s.titles[i % 2];
            FrameStart();
            uint64_t a = Stamp();
            SetWindowTextW(d.main, t.c_str());
            uint64_t b = Stamp();
            Record("settext" + tag, a, b);
            Time("compose" + tag, render);
            Time("gettext" + tag, [&] {
                wchar_t buf[kTitleLimit];
                sink = sink + (DWORD)FetchTitle(d.main, buf);
            });
            timeMark("mark" + tag);
            timeReads("reads" + tag);
            Time("surface" + tag, [&] {
                HBITMAP bmp = Dib(d.mem, p.layout.surfaceWidth, d.clientH);
                HGDIOBJ old = SelectObject(work, bmp);
                HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
                RECT all = {0, 0, p.layout.surfaceWidth, d.clientH};
                FillRect(work, &all, brush);
                DeleteObject(brush);
                SelectObject(work, old);
                DeleteObject(bmp);
            });
            Time("text" + tag, [&] {
                if (s.runs) {
                    RECT all = {0, 0, p.layout.surfaceWidth, d.clientH};
                    sink = sink + (DWORD)RunsText(d.mem, d.clientH, p.text, japaneseFace, &all);
                    return;
                }
                LOGFONTA f = FontFor(d.clientH);
                HFONT font = CreateFontIndirectA(&f);
                HGDIOBJ old = SelectObject(d.mem, font);
                SIZE size;
                GetTextExtentPoint32W(d.mem, p.text.c_str(), (int)p.text.size(), &size);
                RECT all = {0, 0, p.layout.surfaceWidth, d.clientH};
                DrawTextW(d.mem, p.text.c_str(), (int)p.text.size(), &all, (UINT)p.layout.drawFlags);
                SelectObject(d.mem, old);
                DeleteObject(font);
            });
            Time("extra" + tag, [&] {
                RECT client;
                GetClientRect(d.title, &client);
                sink = sink + (DWORD)GetWindowLongA(d.title, GWL_EXSTYLE);
                sink = sink + (DWORD)GetWindowLongPtrA(d.title, GWLP_USERDATA);
                SetTextColor(d.mem, RGB(255, 255, 255));
                SetBkColor(d.mem, RGB(0, 0, 0));
            });
            Time("present" + tag, [&] {
                RingPiece whole = {0, 0, d.screenW};
                BareCopies(d, &whole, 1);
            });
        }
    }
    DeleteDC(work);

    // ---- a composition that also writes nowplaying.txt, beside the bench's own write of it ----
    m->stop(m);
    SetKey(plugin, "TitleFile", 1);
    m->start(m);
    PumpFor(100);
    d.title = FindWindowA("MirnVis", nullptr);
    settle(title30[1]);  // the file changed with the stop's save and the key
    {
        const std::string own = plugin.folder + "\\own-nowplaying.txt", ownTemp = own + ".tmp";
        for (int i = 0; i < 150; ++i) {
            if (i % 50 == 0) Anchor();
            const std::wstring& t = title30[i % 2];
            FrameStart();
            SetWindowTextW(d.main, t.c_str());
            Time("composeFile", render);
            const std::wstring shown = Trimmed(t);
            Time("fileWrite", [&] {
                char bytes[3 * kTitleLimit];
                const int n = WideCharToMultiByte(CP_UTF8, 0, shown.c_str(), (int)shown.size(), bytes, sizeof bytes,
                                                  nullptr, nullptr);
                HANDLE f = CreateFileA(ownTemp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
                DWORD written = 0;
                WriteFile(f, bytes, (DWORD)n, &written, nullptr);
                CloseHandle(f);
                sink = sink + MoveFileExA(ownTemp.c_str(), own.c_str(), MOVEFILE_REPLACE_EXISTING);
            });
            noteMark(MarkOf(ini));
        }
        DeleteFileA(own.c_str());
    }
    m->stop(m);
    SetKey(plugin, "TitleFile", 0);
    DeleteFileA((plugin.folder + "\\nowplaying.txt").c_str());
    m->start(m);
    PumpFor(100);
    d.title = FindWindowA("MirnVis", nullptr);
    g_quit = false;  // the two stops' own quit messages

    // ---- an outlined composition, and the transparent window's steps ----
    Picture thickPic;
    SIZE thickSize = {0, 0};
    int thickR = 0, thickClientH = 0;
    {
        m->stop(m);
        SetKey(plugin, "Outline", 1);
        m->start(m);
        PumpFor(100);
        d.title = FindWindowA("MirnVis", nullptr);
        settle(title30[1]);
        const int surfaceW = pic30.layout.surfaceWidth, r = OutlineWidth(kOutlineThin, d.clientH);
        std::vector<uint32_t> pixels((size_t)surfaceW * d.clientH);
        for (int i = 0; i < 150; ++i) {
            if (i % 50 == 0) Anchor();
            FrameStart();
            SetWindowTextW(d.main, title30[i % 2].c_str());
            Time("composeOutline", render);
            // The pixel rules over a surface of the same size: a mask with
            // a glyph-like stripe in every 8 columns.
            for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = (k % 8) < 2 ? 0xFFFFFF : 0;
            Time("outlineRules", [&] {
                MaskToCoverage(pixels.data(), surfaceW, d.clientH, r);
                ComposeCoverage(pixels.data(), (int)pixels.size(), 0xFFFFFF, 0, 0, false);
            });
            noteMark(MarkOf(ini));
        }

        // The same titles thick-outlined in a 1200 x 540 window, beside the
        // same opaque composition's platform work at that size.
        m->stop(m);
        SetKey(plugin, "Outline", 2);
        m->start(m);
        PumpFor(100);
        d.title = FindWindowA("MirnVis", nullptr);
        SetWindowPos(d.title, nullptr, 0, 0, 1200, 540, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpFor(50);
        Display big = d;
        RECT bigWindow, bigClient;
        GetWindowRect(big.title, &bigWindow);
        GetClientRect(big.title, &bigClient);
        big.screenW = bigWindow.right - bigWindow.left;
        big.screenH = bigWindow.bottom - bigWindow.top;
        big.clientH = bigClient.bottom;
        MakeSurface(&big, big.screenW);
        thickPic = Measure(big, title30[0]);
        SelectObject(big.mem, big.memOld);
        DeleteObject(big.memBitmap);
        DeleteDC(big.mem);
        const int thickW = std::max(thickPic.layout.surfaceWidth, big.screenW);
        MakeSurface(&big, thickW);
        thickSize = {big.screenW, big.screenH};
        thickR = OutlineWidth(kOutlineThick, big.clientH);
        thickClientH = big.clientH;
        HDC bigWork = CreateCompatibleDC(big.mem);
        settle(title30[1]);
        for (int i = 0; i < 40; ++i) {
            if (i % 10 == 0) Anchor();
            FrameStart();
            SetWindowTextW(d.main, title30[i % 2].c_str());
            Time("composeThick", render);
            Time("gettextThick", [&] {
                wchar_t buf[kTitleLimit];
                sink = sink + (DWORD)FetchTitle(d.main, buf);
            });
            timeMark("markThick");
            Time("surfaceThick", [&] {
                HBITMAP bmp = Dib(big.mem, thickPic.layout.surfaceWidth, big.clientH);
                HGDIOBJ old = SelectObject(bigWork, bmp);
                HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
                RECT all = {0, 0, thickPic.layout.surfaceWidth, big.clientH};
                FillRect(bigWork, &all, brush);
                DeleteObject(brush);
                SelectObject(bigWork, old);
                DeleteObject(bmp);
            });
            Time("textThick", [&] {
                LOGFONTA f = FontFor(big.clientH);
                HFONT font = CreateFontIndirectA(&f);
                HGDIOBJ old = SelectObject(big.mem, font);
                SIZE size;
                GetTextExtentPoint32W(big.mem, thickPic.text.c_str(), (int)thickPic.text.size(), &size);
                RECT all = {0, 0, thickPic.layout.surfaceWidth, big.clientH};
                DrawTextW(big.mem, thickPic.text.c_str(), (int)thickPic.text.size(), &all,
                          (UINT)thickPic.layout.drawFlags);
                SelectObject(big.mem, old);
                DeleteObject(font);
            });
            Time("presentThick", [&] {
                RingPiece whole = {0, 0, big.screenW};
                BareCopies(big, &whole, 1);
            });
            g_samples["bareThick"].push_back(g_samples["gettextThick"].back() + g_samples["markThick"].back() +
                                             g_samples["surfaceThick"].back() + g_samples["textThick"].back() +
                                             g_samples["presentThick"].back());
        }
        // The pixel rules alone over a surface of the same size, glyph-like
        // stripes as above, ring and all.
        {
            const int surfaceW = thickPic.layout.surfaceWidth, ring = thickPic.layout.extentWidth;
            std::vector<uint32_t> pixels((size_t)surfaceW * big.clientH);
            for (int i = 0; i < 10; ++i) {
                for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = (k % 64) < 16 ? 0xFFFFFF : 0;
                Time("thickRules", [&] {
                    MaskToCoverage(pixels.data(), surfaceW, big.clientH, thickR, ring > big.screenW ? ring : 0);
                    ComposeCoverage(pixels.data(), (int)pixels.size(), 0xFFFFFF, 0, 0, false);
                });
            }
        }
        DeleteDC(bigWork);
        SelectObject(big.mem, big.memOld);
        DeleteObject(big.memBitmap);
        DeleteDC(big.mem);
        // Back to the size every other row uses, before the stop saves it.
        SetWindowPos(d.title, nullptr, 0, 0, d.screenW, d.screenH, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpFor(50);

        m->stop(m);
        SetKey(plugin, "Outline", 0);
        SetKey(plugin, "Transparent", 1);
        SetKey(plugin, "Scroll_Interval", 1);
        m->start(m);
        PumpFor(100);
        d.title = FindWindowA("MirnVis", nullptr);
        RECT wr;
        GetWindowRect(d.title, &wr);
        SIZE size = {wr.right - wr.left, wr.bottom - wr.top};
        HDC layerDC = CreateCompatibleDC(nullptr);
        HBITMAP layer = Dib(layerDC, size.cx, size.cy);
        HGDIOBJ old = SelectObject(layerDC, layer);
        compose(scrolling);
        PumpFor(kStandMs + 5);
        // Interval 1: every new tick has a step due; fewer frames than the
        // ring is wide, so no wrap's stand among them.
        for (int i = 0; i < 300; ++i) {
            if (i % 50 == 0) Anchor();
            FrameStart();
            Time("layerStep", render);
            Time("layerBare", [&] {
                POINT origin = {0, 0};
                BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
                UpdateLayeredWindow(d.title, nullptr, nullptr, &size, layerDC, &origin, 0, &blend, ULW_ALPHA);
            });
            Time("layerBlit", [&] {
                RingPiece whole = {0, 0, d.screenW};
                BareCopies(d, &whole, 1);
            });
        }
        SelectObject(layerDC, old);
        DeleteObject(layer);
        DeleteDC(layerDC);
        m->stop(m);
        SetKey(plugin, "Transparent", 0);
        SetKey(plugin, "Scroll_Interval", 100000);
        m->start(m);
        PumpFor(100);
        d.title = FindWindowA("MirnVis", nullptr);
        g_quit = false;
    }

    // ---- when the window shows: a fade's frames, a hidden window's, click-through's ----
    {
        // Stopped first: the stop saves the placement, these keys with it.
        auto restart = [&](const char* key, int value) {
            m->stop(m);
            SetKey(plugin, key, value);
            m->start(m);
            PumpFor(100);
            d.title = FindWindowA("MirnVis", nullptr);
        };
        restart("Show", 1);  // the main window answers no question: its caption tells
        const std::wstring paused = fitting + L" [Paused]";
        auto alphaOf = [&] {
            BYTE a = 255;
            if (GetWindowLongA(d.title, GWL_EXSTYLE) & WS_EX_LAYERED)
                GetLayeredWindowAttributes(d.title, nullptr, &a, nullptr);
            return (int)a;
        };
        // In over 200 ms, out over 500 ms; the frames that moved the alpha
        // between its ends are a fade's, beside a bare update to that alpha.
        for (int cycle = 0; cycle < 4; ++cycle) {
            for (const std::wstring* caption : {&fitting, &paused}) {
                Anchor();
                compose(*caption);
                const DWORD end = QpcMs() + 600;
                while ((LONG)(QpcMs() - end) < 0) {
                    const int before = alphaOf();
                    FrameStart();
                    const uint64_t a = Stamp();
                    m->render(m);
                    const uint64_t b = Stamp();
                    const int after = alphaOf();
                    if (after == before || before % 255 == 0 || after % 255 == 0) continue;
                    Record("fade", a, b);
                    Time("fadeBare", [&] { SetLayeredWindowAttributes(d.title, 0, (BYTE)after, LWA_ALPHA); });
                }
            }
        }
        if (IsWindowVisible(d.title)) fprintf(stderr, "bench: the paused window did not hide\n");
        for (int i = 0; i < 600; ++i) {
            if (i % 50 == 0) Anchor();
            Time("hidden", render);
            Time("qpcHidden", [&] { sink = sink + QpcMs(); });
        }
        m->stop(m);
        SetKey(plugin, "Show", 0);
        restart("ClickThrough", 1);
        compose(fitting);
        for (int i = 0; i < 600; ++i) {
            if (i % 50 == 0) Anchor();
            Time("through", render);
            Time("throughBare", [&] {
                POINT p;
                sink = sink + QpcMs() + (DWORD)GetAsyncKeyState(VK_CONTROL) + (DWORD)GetCursorPos(&p);
            });
        }
        restart("ClickThrough", 0);
        g_quit = false;
    }

    // ---- the frame after the title is set again unchanged: fetched, the file's bytes read, nothing drawn ----
    settle(title30[0]);
    for (int i = 0; i < 150; ++i) {
        if (i % 50 == 0) Anchor();
        SetWindowTextW(d.main, title30[0].c_str());  // the hook raises a request
        Time("again", render);
        Time("againFetch", [&] {
            wchar_t buf[kTitleLimit];
            sink = sink + (DWORD)FetchTitle(d.main, buf);
        });
        timeMark("againMark");
        g_samples["againBare"].push_back(g_samples["againFetch"].back() + g_samples["againMark"].back());
    }
    // ---- the song as the player tells it: a template filled from its answers, the time, the rotated caption ----
    {
        // A player that answers from the start of the display's run.
        m->stop(m);
        g_answering = true;
        m->start(m);
        PumpFor(100);
        d.title = FindWindowA("MirnVis", nullptr);
        // "The Artist - Night Da": as long as the 30-character title's text.
        const std::wstring tagTitles[2] = {L"Night Da", L"Night Db"};
        WritePrivateProfileStringA(kSection, "TitleFormat", "[%artist% - ]%title%", ini);
        g_tagTitle = tagTitles[1].c_str();
        settle(title30[1]);
        for (int i = 0; i < 150; ++i) {
            if (i % 50 == 0) Anchor();
            g_tagTitle = tagTitles[i % 2].c_str();
            SetWindowTextW(d.main, title30[i % 2].c_str());
            Time("templ", render);
            Time("templAsks", [&] { AskLikeThePlugin(d.main); });
        }
        // The time: each position answered is a millisecond before the next
        // second, so a refresh is due at every frame.
        WritePrivateProfileStringA(kSection, "TitleFormat", "%title% %elapsed%", ini);
        settle(title30[0]);
        for (int i = 0; i < 150; ++i) {
            if (i % 50 == 0) Anchor();
            Sleep(2);
            const LONG asked = g_seconds;
            Time("tick", render);
            if (g_seconds == asked) g_samples["tick"].pop_back();  // not refreshed: not a sample
            Time("tickAsk", [&] {
                DWORD_PTR answer = 0;
                SendMessageTimeoutW(d.main, WM_USER, 0, 105, SMTO_ABORTIFHUNG, 100, &answer);
                sink = sink + (DWORD)answer;
            });
        }
        // The taskbar's rotation of a long caption, step by step.
        auto rotated = [&](size_t offset) {
            const std::wstring ring = scrolling + L" *** ";
            offset %= ring.size();
            return ring.substr(offset) + ring.substr(0, offset);
        };
        WritePrivateProfileStringA(kSection, "TitleFormat", nullptr, ini);
        settle(rotated(0));
        for (int i = 0; i < 150; ++i) {
            if (i % 50 == 0) Anchor();
            SetWindowTextW(d.main, rotated(1 + (size_t)i).c_str());
            Time("rotStep", render);
            Time("rotFetch", [&] {
                wchar_t buf[kTitleLimit];
                sink = sink + (DWORD)FetchTitle(d.main, buf);
            });
        }
        m->stop(m);
        g_answering = false;
        m->start(m);
        PumpFor(100);
        d.title = FindWindowA("MirnVis", nullptr);
        g_quit = false;  // the stops' own quit messages
        settle(title30[0]);
    }
    // The platform work of one composition, summed round by round: a sum of
    // medians would understate it, since each part's costs are skewed.
    for (const Set& s : sets) {
        const std::string tag = s.name;
        std::vector<double>& sum = g_samples["bare" + tag];
        for (int i = 0; i < s.rounds; ++i)
            sum.push_back(g_samples["gettext" + tag][i] + g_samples["mark" + tag][i] +
                          g_samples["surface" + tag][i] + g_samples["text" + tag][i] + g_samples["present" + tag][i]);
        // The same file in every set: its reads and its one read pooled.
        for (int i = 0; i < s.rounds; ++i) {
            g_samples["reads"].push_back(g_samples["reads" + tag][i]);
            g_samples["mark"].push_back(g_samples["mark" + tag][i]);
        }
    }

    // ---- evenness of the steps at 25 ms frames ----
    std::vector<int> movedQpc, movedGtc;
    double cadenceMs = 0;
    {
        uint32_t clockQ = QpcMs(), clockG = GetTickCount();
        int32_t offQ = 0, offG = 0;
        const int32_t ring = 1 << 30;
        LARGE_INTEGER c0, c1;
        QueryPerformanceCounter(&c0);
        for (int i = 0; i < 400; ++i) {
            Sleep(25);
            Pump();
            const int32_t q0 = offQ, g0 = offG;
            AdvanceMarquee({QpcMs(), 20, 1, ring}, &offQ, &clockQ);
            AdvanceMarquee({(uint32_t)GetTickCount(), 20, 1, ring}, &offG, &clockG);
            movedQpc.push_back(offQ - q0);
            movedGtc.push_back(offG - g0);
        }
        QueryPerformanceCounter(&c1);
        cadenceMs = double(c1.QuadPart - c0.QuadPart) * 1000.0 / double(Frequency().QuadPart) / 400.0;
    }

    const bool quitEarly = g_quit;  // VisQuit's own quit message comes next

    // ---- a message sent with the display running and not ----
    // Another program (neighbour.exe) sends to its own window, one round at a
    // time while the display runs or is stopped in turn; after each round the
    // player's main window's thread, here this one, sends to that window.
    // Only the latter thread carries the title-change hook.
    const int kNeighbourRounds = 8, kNeighbourSamples = 250;
    int neighbourExit = -1;
    {
        char go[64], done[64];
        snprintf(go, sizeof go, "MirnBenchGo-%lu", GetCurrentProcessId());
        snprintf(done, sizeof done, "MirnBenchDone-%lu", GetCurrentProcessId());
        HANDLE goEvent = CreateEventA(nullptr, FALSE, FALSE, go);
        HANDLE doneEvent = CreateEventA(nullptr, FALSE, FALSE, done);
        const std::string samples = plugin.folder + "\\neighbour.txt";
        char command[1024];
        snprintf(command, sizeof command, "\"%sneighbour.exe\" --bench %s %s \"%s\" %d %d", ProgramFolder().c_str(), go,
                 done, samples.c_str(), kNeighbourRounds, kNeighbourSamples);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            bool running = true;
            for (int r = 0; r < kNeighbourRounds; ++r) {
                const bool on = r % 2 == 0;
                if (on != running) {
                    if (on)
                        m->start(m);
                    else
                        m->stop(m);
                    running = on;
                    PumpFor(50);
                }
                SetEvent(goEvent);
                HANDLE wait[2] = {doneEvent, pi.hProcess};  // should it end early
                DWORD woke;
                while ((woke = MsgWaitForMultipleObjects(2, wait, FALSE, 60000, QS_ALLINPUT)) == WAIT_OBJECT_0 + 2) Pump();
                if (woke != WAIT_OBJECT_0) break;
                for (int i = 0; i < 100; ++i)
                    Time(on ? "ownOn" : "ownOff", [&] { SendMessageA(d.main, WM_USER, 0, 0); });
            }
            if (!running) m->start(m);  // as the rest of the run expects
            PumpFor(50);
            WaitForSingleObject(pi.hProcess, 30000);
            DWORD code = 1;
            GetExitCodeProcess(pi.hProcess, &code);
            neighbourExit = (int)code;
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
            FILE* f = fopen(samples.c_str(), "r");
            int round = 0;
            double ns = 0;
            while (f && fscanf(f, "%d %lf", &round, &ns) == 2) g_samples[round % 2 == 0 ? "otherOn" : "otherOff"].push_back(ns);
            if (f) fclose(f);
            DeleteFileA(samples.c_str());
        }
        CloseHandle(goEvent);
        CloseHandle(doneEvent);
    }

    m->stop(m);
    Pump();
    DestroyWindow(d.main);
    SelectObject(d.mem, d.memOld);
    DeleteObject(d.memBitmap);
    DeleteDC(d.mem);
    UnloadPlugin(&plugin);

    // ---- the size of what is released ----
    // The 32-bit DLL sits beside a 64-bit stand-in where only that can run.
    WIN32_FILE_ATTRIBUTE_DATA fa = {};
    if (!GetFileAttributesExA((ProgramFolder() + "vis_mirn_x86.dll").c_str(), GetFileExInfoStandard, &fa))
        GetFileAttributesExA((ProgramFolder() + "vis_mirn.dll").c_str(), GetFileExInfoStandard, &fa);
    const double dllBytes = (double)fa.nFileSizeLow;

    // ---- the tables ----
    std::vector<Target> rows;
    auto ratioRow = [&](const std::string& what, const std::string& name, const std::string& againstText,
                        double against, double limit, bool atMost, const std::string& note) {
        Target t;
        const double v = Med(name);
        const double r = v / against;
        t.what = what;
        t.measured = Us(v) + " (p90 " + Us(P90(name)) + ")";
        t.against = againstText + ": " + Us(against);
        t.ratio = Fmt("%.2f×", r);
        t.target = std::string(atMost ? "≤ " : "≥ ") + Fmt("%g×", limit);
        const bool met = atMost ? r <= limit : r >= limit;
        t.verdict = met ? "met" : "**missed**";
        t.note = met ? "" : note;
        rows.push_back(t);
    };
    const double qpc = Med("qpc");
    ratioRow("Frame, title fits (nothing to do)", "fits", "one tick read (QPC→ms)", qpc, 2, true,
             "a frame that fits returns before reading the tick; its cost is cache and TLB misses on the DLL's "
             "pages (see the cold and warm figures below), not work it could skip");
    ratioRow("Frame, scrolling, between steps (nothing due)", "idle", "one tick read (QPC→ms)", qpc, 2, true,
             "beyond its tick read the frame's cost is cache and TLB misses on the DLL's pages (see the cold and "
             "warm figures below), not work it could skip");
    // A step cannot avoid reading the clock that says it is due, nor its copy.
    ratioRow("Frame, step due, one piece", "step1", "one tick read (QPC→ms) + GetDC + 1 BitBlt + ReleaseDC",
             qpc + Med("blit1"), 1.1, true,
             "the frame's work beyond its tick read and its copy is the marquee arithmetic; " +
                 Us(Med("step1") - qpc - Med("blit1")) + " µs more is noise unless it repeats on a quiet machine");
    ratioRow("Frame, step due, two pieces (wrap visible)", "step2",
             "one tick read (QPC→ms) + GetDC + 2 BitBlt + ReleaseDC", qpc + Med("blit2"), 1.1, true,
             "the frame's work beyond its tick read and its copies is the marquee arithmetic; " +
                 Us(Med("step2") - qpc - Med("blit2")) + " µs more is noise unless it repeats on a quiet machine");
    {
        // How many times cheaper than the naive marquee: naive / ours.
        for (const char* k : {"1", "2"}) {
            Target t;
            const std::string kind = k;
            const double naive = Med("naive" + kind), ours = Med("step" + kind);
            t.what = std::string("Naive marquee frame (fill + DrawTextW), ") + (kind == "1" ? "one" : "two") +
                     " piece" + (kind == "1" ? "" : "s");
            t.measured = Us(naive) + " (p90 " + Us(P90("naive" + kind)) + ")";
            t.against = "our step frame: " + Us(ours);
            t.ratio = Fmt("%.1f× cheaper", naive / ours);
            t.target = "≥ 4× cheaper";
            t.verdict = naive / ours >= 4 ? "met" : "**missed**";
            const double bare = Med("blit" + kind);
            t.note = "our step frame is " + Fmt("%.2f×", ours / bare) + " its bare GetDC + BitBlt + ReleaseDC, the "
                     "naive frame only " + Fmt("%.1f×", naive / bare) +
                     " that bare work: with GetDC and ReleaseDC (which the naive frame pays too) costing what they "
                     "do here, no frame that copies to the window could be 4× cheaper than it; the plug-in's frame "
                     "has no avoidable work left";
            rows.push_back(t);
        }
    }
    for (const Set& s : sets) {
        const std::string tag = s.name;
        ratioRow("Composition, " + tag + "-character title" + (s.runs ? " in the default (Latin) face" : "") +
                     " (the VisRender after SetWindowTextW)",
                 "compose" + tag,
                 std::string("its platform work (the title fetch, one read of the settings file's bytes, the surface, ") +
                     (s.runs ? "the runs' fonts and text" : "the text") +
                     ", the first copy to the window), summed per round (table below)",
                 Med("bare" + tag), 1.3, true,
                 "its calls beyond the five summed (GetClientRect, the window's style and data, the text's colours) "
                 "cost " +
                     Us(Med("extra" + tag)) + " µs; the rest is noise unless it repeats on a quiet machine");
    }
    {
        Target t;
        t.what = "The settings file read key by key (" + Fmt("%.0f", (double)kReads) +
                 " GetPrivateProfileIntA/StringA), which a composition skips while the file's bytes are unchanged";
        t.measured = Us(Med("reads")) + " (p90 " + Us(P90("reads")) + ")";
        t.against = "one read of the file's bytes (CreateFileA, ReadFile in 4096-byte pieces, hash, CloseHandle): " +
                    Us(Med("mark"));
        t.ratio = Fmt("%.0f×", Med("reads") / Med("mark"));
        t.target = "none";
        t.verdict = "not a target";
        t.note = "what the fingerprint saves: about " + Us(Med("reads") - Med("mark")) +
                 " µs a composition while the file is unchanged; after a change the composition pays both";
        rows.push_back(t);
    }
    ratioRow("Composition with nowplaying.txt on, 30-character title", "composeFile",
             "the same composition off, plus the bench's own write of the file (temporary file, then moved over)",
             Med("compose30") + Med("fileWrite"), 1.3, true,
             "beyond the composition and the write it finds the settings file's folder and compares the title "
             "with what the file holds; the rest is noise unless it repeats on a quiet machine");
    ratioRow("Frame, back and forth, step due", "bounceStep", "one tick read (QPC→ms) + GetDC + 1 BitBlt + ReleaseDC",
             Med("qpc") + Med("bounceBlit"), 1.1, true,
             "beyond its tick read and its copy the frame works out the cycle's phase; " +
                 Us(Med("bounceStep") - Med("qpc") - Med("bounceBlit")) + " µs more is noise unless it repeats");
    ratioRow("Frame, back and forth with 16 px soft edges, step due", "fadeStep",
             "one tick read (QPC→ms) + GetDC + 1 BitBlt + ReleaseDC + the edges' blend",
             Med("qpc") + Med("fadeBlit") + Med("fadeBlend"), 1.3, true,
             "beyond the copy and the blend it keeps the edge columns of the surface and puts them back");
    ratioRow("Frame, once per song, at rest after its lap", "onceRest", "one tick read (QPC→ms)", Med("qpcRest"), 2,
             true, "a resting frame returns before reading the tick; its cost is cache misses on the DLL's pages");
    ratioRow("Composition with a thin outline, 30-character title (of it, the pixel rules over the same surface: " +
                 Us(Med("outlineRules")) + " µs)",
             "composeOutline", "the opaque composition's platform work (as above)", Med("bare30"), 1.5, true,
             "beyond the opaque composition's platform work it runs the pixel rules (" + Us(Med("outlineRules")) +
                 " µs) and reads the surface's bits; the rest is noise unless it repeats on a quiet machine");
    ratioRow("Composition with a thick outline (r = " + Fmt("%.0f", thickR) + "), 30-character title, " +
                 Fmt("%.0f", thickSize.cx) + " × " + Fmt("%.0f", thickSize.cy) + " window, surface " +
                 Fmt("%.0f", thickPic.layout.surfaceWidth) + " wide (of it, the pixel rules over the same surface: " +
                 Us(Med("thickRules")) + " µs)",
             "composeThick",
             "the same opaque composition's platform work at that size (the title fetch, one read of the settings "
             "file's bytes, the surface, the text, the first copy to the window), summed per round",
             Med("bareThick"), 1.5, true,
             "beyond the opaque composition's platform work it runs the pixel rules (" + Us(Med("thickRules")) +
                 " µs: eight passes over every pixel whatever the radius) and reads the surface's bits");
    ratioRow("Frame, transparent, step due (window-sized slice of the ring + UpdateLayeredWindow)", "layerStep",
             "a bare UpdateLayeredWindow of the same window-sized bitmap", Med("layerBare"), 1.3, true,
             "beyond the bare update it copies the ring's slice into the window-sized bitmap");
    {
        Target t;
        t.what = "Under Wine: a bare UpdateLayeredWindow against a GetDC + BitBlt + ReleaseDC of the same window";
        t.measured = Us(Med("layerBare")) + " (p90 " + Us(P90("layerBare")) + ")";
        t.against = "GetDC + 1 BitBlt + ReleaseDC: " + Us(Med("layerBlit"));
        t.ratio = Fmt("%.0f×", Med("layerBare") / Med("layerBlit"));
        t.target = "none";
        t.verdict = "not a target";
        t.note = "Wine sends a layered window's picture through its X path, many times a BitBlt; Windows composites "
                 "layered windows differently, so this says nothing about it";
        rows.push_back(t);
    }
    ratioRow("Frame of a fade, opaque look (the clock, the fade's step, SetLayeredWindowAttributes)", "fade",
             "a bare SetLayeredWindowAttributes of the same window to the same alpha", Med("fadeBare"), 1.3, true,
             "beyond the bare update it reads the clock and steps the fade; the rest is noise unless it repeats on a "
             "quiet machine");
    ratioRow("Frame with click-through on and nothing to do (title fits, Ctrl not held)", "through",
             "one tick read (QPC→ms) + GetAsyncKeyState + GetCursorPos", Med("throughBare"), 1.3, true,
             "it reads the key state alone while Ctrl is up; the rest is cache misses on the DLL's pages");
    ratioRow("Frame of a hidden window (Show=1, the player paused)", "hidden", "one tick read (QPC→ms)",
             Med("qpcHidden"), 2, true,
             "beyond its tick read the frame steps the fade's rule; once a second it asks the player its state, "
             "which the median leaves out");
    ratioRow("Frame after the title is set again unchanged (nothing drawn)", "again",
             "its fetch and one read of the settings file's bytes, summed per round", Med("againBare"), 1.3, true,
             "beyond the fetch and the read it makes GetClientRect and GetWindowLongA calls and compares the "
             "picture's key; the rest is noise unless it repeats on a quiet machine");
    ratioRow("Composition of [%artist% - ]%title% from the player's answers, 30-character text", "templ",
             "its platform work (as for a 30-character title) and the player's answers (104, 125, 214, 3026 twice), "
             "medians summed",
             Med("bare30") + Med("templAsks"), 1.3, true,
             "beyond that work it converts and fills in the template and parses the caption; the rest is noise "
             "unless it repeats on a quiet machine");
    ratioRow("Time refresh once a second (%title% %elapsed%, the marquee kept)", "tick",
             "its platform work: the 105 answer, the surface, the text, the copy (30 characters), medians summed",
             Med("tickAsk") + Med("surface30") + Med("text30") + Med("present30"), 1.3, true,
             "beyond that work it fills in the template again and compares the picture's key; the rest is noise "
             "unless it repeats on a quiet machine");
    ratioRow("Rotated caption's step (turned back, compares equal: nothing composed, no file read)", "rotStep",
             "its fetch", Med("rotFetch"), 1.3, true,
             "beyond the fetch it turns the caption back and compares it; the rest is noise unless it repeats on a "
             "quiet machine");
    {
        Target t;
        t.what = "Released DLL (stripped)";
        t.measured = Fmt("%.0f bytes", dllBytes);
        t.against = "64 KiB = 65536 bytes";
        t.ratio = Fmt("%.2f", dllBytes / 65536.0);
        t.target = "≤ 65536 bytes";
        t.verdict = dllBytes > 0 && dllBytes <= 65536 ? "met" : "**missed**";
        t.note = "see the size of the sections (i686-w64-mingw32-objdump -h)";
        rows.push_back(t);
    }

    ratioRow("A message another program sends to its own window, display running", "otherOn",
             "the same, display stopped", Med("otherOff"), 1.05, true,
             "the hook lives on the player's main window's thread only, so nothing of the plug-in runs in another "
             "program; a difference of a few percent between rounds is the machine's noise unless it repeats on a "
             "quiet machine" +
                 std::string(neighbourExit == 0 ? "" : " (neighbour.exe failed: no samples)"));
    const Evenness eq = Spread(movedQpc), eg = Spread(movedGtc);

    std::string md;
    auto line = [&md](const std::string& s) { md += s + "\n"; };
    line("# Performance");
    line("");
    line("Written by `make bench` (bench/bench.cpp, run by scripts/bench.sh); do not edit by hand.");
    line("");
    line("- Date: " + Env("MIRN_BENCH_DATE"));
    line("- Machine: `" + Env("MIRN_BENCH_MACHINE") + "`");
    line("- CPU: " + Env("MIRN_BENCH_CPU"));
    line("- Wine: " + Env("MIRN_BENCH_WINE"));
    line("- Load average when the run began: " + Env("MIRN_BENCH_LOAD") +
         " (other work on the machine makes every figure noisier; the ratios, taken from interleaved samples, "
         "suffer least)");
    line("- Title window " + Fmt("%.0f", d.screenW) + " × " + Fmt("%.0f", d.screenH) + " (client height " +
         Fmt("%.0f", d.clientH) + "), scrolling title's ring " + Fmt("%.0f", W) + " px, 510-character surface " +
         Fmt("%.0f", pic510.layout.surfaceWidth) + " px wide");
    line("");
    line("Every figure is the cost of one call in µs: the median over its samples, p90 beside it. Each sample is "
         "timed alone, once the millisecond tick has changed and the message queue has been pumped, as the player's "
         "frames are; the plug-in and the platform work it is compared with are sampled in turn in the same run, "
         "the player's thread, the wineserver and the display pinned to one CPU. Timer: the time-stamp counter, "
         "calibrated against QueryPerformanceCounter (" +
         Fmt("%.3f", g_nsPerCycle) + " ns per cycle), its own cost (" + Fmt("%.0f", g_overheadCycles) +
         " cycles) taken off.");
    line("");
    line("## Targets");
    line("");
    line("| Measured | µs (or size) | Against | Ratio | Target | Result |");
    line("|---|---|---|---|---|---|");
    for (const Target& t : rows)
        line("| " + t.what + " | " + t.measured + " | " + t.against + " | " + t.ratio + " | " + t.target + " | " +
             t.verdict + (t.verdict == "met" ? "" : ": " + t.note) + " |");
    line("");
    line("## The platform work beside them");
    line("");
    line("| Platform work | median µs | p90 µs | samples |");
    line("|---|---|---|---|");
    auto plat = [&](const std::string& what, const std::string& name) {
        line("| " + what + " | " + Us(Med(name)) + " | " + Us(P90(name)) + " | " +
             Fmt("%.0f", (double)g_samples[name].size()) + " |");
    };
    plat("One tick read: QueryPerformanceCounter + conversion to ms (the plug-in's source)", "qpc");
    plat("One tick read: GetTickCount (for comparison)", "gtc");
    plat("Frame, title fits", "fits");
    plat("Frame, scrolling, between steps", "idle");
    plat("Frame, scrolling, between steps: a second call straight after the first (warm caches)", "idleWarm");
    plat("One tick read (QPC→ms): a second read straight after the first (warm caches)", "qpcWarm");
    plat("Frame, step due, one piece", "step1");
    plat("GetDC + 1 BitBlt (" + Fmt("%.0f", d.screenW) + " × " + Fmt("%.0f", d.screenH) + ") + ReleaseDC", "blit1");
    plat("Naive marquee frame, one piece", "naive1");
    plat("Frame, step due, two pieces", "step2");
    plat("GetDC + 2 BitBlt (same total width) + ReleaseDC", "blit2");
    plat("Naive marquee frame, two pieces", "naive2");
    for (const Set& s : sets) {
        const std::string tag = s.name;
        const std::string of = " (" + tag + "-character title)";
        plat("Composition" + of, "compose" + tag);
        plat("  the title: SendMessageTimeoutW(WM_GETTEXT) to the main window" + of, "gettext" + tag);
        plat("  one read of the settings file's bytes: CreateFileA + ReadFile in 4096-byte pieces + hash + "
             "CloseHandle" + of,
             "mark" + tag);
        plat("  surface: CreateDIBSection (32 bpp) " + Fmt("%.0f", s.pic->layout.surfaceWidth) + " × " +
                 Fmt("%.0f", d.clientH) + " + select + FillRect + delete" + of,
             "surface" + tag);
        plat(s.runs ? "  text: its runs' fonts (the default face and " + Utf8(japaneseFace) +
                          ": CreateFontIndirect) + GetTextExtentPoint32W and ExtTextOutW per run + delete" + of
                    : "  text: CreateFontIndirectA + GetTextExtentPoint32W + DrawTextW + delete" + of,
             "text" + tag);
        plat("  showing its start: GetDC + 1 BitBlt + ReleaseDC" + of, "present" + tag);
        plat("  sum of the five above, per round" + of, "bare" + tag);
        plat("  (not in the sum) the composition's other calls: GetClientRect + GetWindowLongA + "
             "GetWindowLongPtrA + SetTextColor + SetBkColor" + of,
             "extra" + tag);
        plat("  (not in the sum) the same file read key by key: " + Fmt("%.0f", (double)kReads) +
                 " GetPrivateProfileIntA/StringA" + of,
             "reads" + tag);
        plat("  (not in the sum) the player's SetWindowTextW, through the plug-in's hook" + of, "settext" + tag);
    }
    {
        const std::string of = " (thick outline, " + Fmt("%.0f", thickSize.cx) + " × " + Fmt("%.0f", thickSize.cy) +
                               " window)";
        plat("Composition" + of, "composeThick");
        plat("  the title: SendMessageTimeoutW(WM_GETTEXT) to the main window" + of, "gettextThick");
        plat("  one read of the settings file's bytes" + of, "markThick");
        plat("  surface: CreateDIBSection (32 bpp) " + Fmt("%.0f", thickPic.layout.surfaceWidth) + " × " +
                 Fmt("%.0f", thickClientH) + " + select + FillRect + delete" + of,
             "surfaceThick");
        plat("  text: CreateFontIndirectA + GetTextExtentPoint32W + DrawTextW + delete" + of, "textThick");
        plat("  showing its start: GetDC + 1 BitBlt + ReleaseDC" + of, "presentThick");
        plat("  sum of the five above, per round" + of, "bareThick");
        plat("  (not in the sum) the pixel rules alone: MaskToCoverage (r = " + Fmt("%.0f", thickR) +
                 ") + ComposeCoverage over the same surface" + of,
             "thickRules");
    }
    plat("Frame after the title is set again unchanged (30 characters)", "again");
    plat("  SendMessageTimeoutW(WM_GETTEXT) to the main window", "againFetch");
    plat("  one read of the settings file's bytes, as above", "againMark");
    plat("  sum of the two above, per round", "againBare");
    plat("A message another program sends to its own window (SendMessageA, mean of 20 in a row), display running",
         "otherOn");
    plat("  the same, display stopped", "otherOff");
    plat("A message sent on the player's main window's thread to that window, display running", "ownOn");
    plat("  the same, display stopped", "ownOff");
    line("");
    line("## Evenness of the steps at 25 ms frames");
    line("");
    line("400 frames over " + Fmt("%.1f", cadenceMs * 400 / 1000) + " s (Sleep(25) and a pump each, mean frame " +
         Fmt("%.2f", cadenceMs) +
         " ms), each tick source sampled once per frame and fed to AdvanceMarquee (interval 20 ms, step 1 px): "
         "pixels moved per frame. Perfectly even steps would move 1.25 px a frame, as 1 or 2.");
    line("");
    line("| Tick source | mean px/frame | standard deviation | min | max |");
    line("|---|---|---|---|---|");
    line("| QueryPerformanceCounter → ms (used) | " + Fmt("%.3f", eq.mean) + " | " + Fmt("%.3f", eq.sd) + " | " +
         Fmt("%.0f", eq.min) + " | " + Fmt("%.0f", eq.max) + " |");
    line("| GetTickCount | " + Fmt("%.3f", eg.mean) + " | " + Fmt("%.3f", eg.sd) + " | " + Fmt("%.0f", eg.min) +
         " | " + Fmt("%.0f", eg.max) + " |");
    line("");
    line("## Notes");
    line("");
    int missed = 0;
    for (const Target& t : rows)
        if (t.verdict == "**missed**") ++missed;
    if (missed == 0)
        line("- Every target is met in this run.");
    else
        line("- " + Fmt("%.0f", missed) + " target(s) missed in this run, each with its cause in the table.");
    line("- Checks of the method: " + Fmt("%.0f", (double)tickStill) +
         " frames of the stepping phase began before the tick had moved on (the wait for the next millisecond "
         "runs on the time-stamp counter, so as not to warm the tick source); " +
         Fmt("%.0f", (double)predictedMisses) +
         " frames where a step was expected cost under 1 µs (a step not taken, so the count of pieces would be "
         "wrong for them). Both should be 0.");
    line("- The compositions measured are those of an unchanged settings file, whose reads the plug-in skips: in " +
         Fmt("%.0f", (double)markedRounds) + " timed rounds the file's bytes differed " +
         Fmt("%.0f", (double)changedRounds) +
         " times from those it had last read (should be 0; each phase begins with a composition that reads the "
         "file as the stop's save and the bench's own keys left it). " +
         (Med("compose30") < Med("reads30")
              ? "The 30-character composition (" + Us(Med("compose30")) + " µs) costs less than the key-by-key "
                "reads alone (" + Us(Med("reads30")) + " µs)."
              : "Yet the 30-character composition (" + Us(Med("compose30")) + " µs) costs no less than the "
                "key-by-key reads alone (" + Us(Med("reads30")) + " µs): look for reads it did not skip."));
    {
        const double cold = Med("idle") / qpc, warm = Med("idleWarm") / Med("qpcWarm");
        line("- The frames with nothing due, cold and warm: " + Us(Med("idle")) + " µs against a tick read's " +
             Us(qpc) + " µs (" + Fmt("%.2f×", cold) + ") as the player calls it; " + Us(Med("idleWarm")) +
             " µs against " + Us(Med("qpcWarm")) + " µs (" + Fmt("%.2f×", warm) +
             ") for a second call straight after the first. The plug-in's own work in such a frame is the tick "
             "read and a few tens of nanoseconds (an exchange, a handful of loads, one division); what the cold "
             "figure adds is cache and TLB misses on the DLL's code and data pages (.text; .data, where g_state "
             "lives; .bss, where the counter's frequency is kept; .idata, the import of "
             "QueryPerformanceCounter), which the player's frame pays once the wineserver and the display have "
             "run on the same CPU. Should the 2× target be missed, it is by these misses, not by avoidable work: "
             "fewer lines and pages touched per frame would shrink them (the frame reads g_state fields on four "
             "cache lines).");
    }
    line("- A message sent on the player's main window's thread costs " + Us(Med("ownOn")) +
         " µs while the display runs against " + Us(Med("ownOff")) + " µs without it (" +
         Fmt("%.0f×", Med("ownOn") / Med("ownOff")) +
         "): that thread carries the title-change hook, and under Wine every message sent on a hooked thread asks "
         "the wineserver for the hook chain. The figure says little about Windows, where the hook is a call within "
         "the process. What every other program on the desktop pays is the target row above.");
    if (std::fabs(eg.sd - eq.sd) < 0.05)
        line("- Under Wine GetTickCount advances in 1 ms steps while the thread talks to the wineserver (each frame "
             "pumps messages), so here it is as even as the performance counter; on Windows it moves in ~15.6 ms "
             "jumps, which at 20 ms steps would make the marquee judder (0, 1 or 2 px a frame).");
    else
        line("- GetTickCount's coarser steps show as a wider spread of pixels per frame than the performance "
             "counter's.");
    if (atof(Env("MIRN_BENCH_LOAD", "0").c_str()) > 0.5)
        line("- This run shared the machine with other work (load average " + Env("MIRN_BENCH_LOAD") +
             "): every figure is noisier than on a quiet machine, the sub-microsecond ones most.");
    line("- Run time: " + Fmt("%.1f", (GetTickCount() - started) / 1000.0) + " s.");

    std::string notes = Env("MIRN_BENCH_NOTES", "");
    if (!notes.empty()) line("- " + notes);

    fputs(md.c_str(), stdout);
    const std::string out = Env("MIRN_BENCH_OUT", "");
    if (!out.empty()) {
        FILE* f = fopen(out.c_str(), "wb");
        if (!f) {
            fprintf(stderr, "bench: cannot write %s\n", out.c_str());
            return 1;
        }
        fputs(md.c_str(), f);
        fclose(f);
    }
    return quitEarly ? 1 : 0;
}
