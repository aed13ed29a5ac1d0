// Another program on the same desktop while the display runs: it makes a
// window and sends itself messages, as any program does.
//
//   neighbour.exe PLAYER_HWND MS TITLE
//     sends itself messages for MS ms, pumping, then TITLE to the player's
//     main window (when PLAYER_HWND is not 0). Exit code: the Neighbour*
//     bits of host_player.h, 0 when all is well.
//   neighbour.exe --display FOLDER MS TITLE  (FOLDER without its last backslash)
//     another player: a main window titled TITLE, FOLDER's vis_mirn.dll
//     started on it, frames every 25 ms for MS ms, then stopped. Exit code
//     0, or kNeighbourNoWindow when the display could not start.
//   neighbour.exe --bench GO DONE OUT ROUNDS SAMPLES
//     per round: waits for the named event GO, times SAMPLES samples of 20
//     sends to its own window, sets DONE. Then writes to the file OUT one
//     line per sample: its round and the ns per send.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_player.h"

namespace {

HWND MakeWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MirnNeighbour";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "neighbour", WS_OVERLAPPED | WS_VISIBLE, 900, 600, 200, 80, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

int Visit(HWND player, int ms, const char* title) {
    int result = 0;
    HWND own = MakeWindow();
    if (!own) result |= kNeighbourNoWindow;
    const DWORD end = GetTickCount() + (DWORD)ms;
    while ((LONG)(GetTickCount() - end) < 0) {
        PumpMessages(0);
        for (int i = 0; i < 100; ++i) SendMessageA(own, WM_USER, (WPARAM)i, 0);
        Sleep(1);
    }
    if (player) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(player, WM_SETTEXT, 0, (LPARAM)title, SMTO_ABORTIFHUNG, 5000, &answer) || !answer)
            result |= kNeighbourTitleNotSent;
    }
    PumpMessages(0);
    if (GetModuleHandleA("vis_mirn.dll")) result |= kNeighbourHasPlugin;
    DestroyWindow(own);
    return result;
}

int Bench(const char* go, const char* done, const char* out, int rounds, int samples) {
    HANDLE goEvent = OpenEventA(SYNCHRONIZE, FALSE, go);
    HANDLE doneEvent = OpenEventA(EVENT_MODIFY_STATE, FALSE, done);
    HWND own = MakeWindow();
    if (!goEvent || !doneEvent || !own) return 2;
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    const int kBatch = 20;
    std::vector<double> ns;
    for (int r = 0; r < rounds; ++r) {
        if (WaitForSingleObject(goEvent, 60000) != WAIT_OBJECT_0) return 3;
        for (int i = 0; i < samples; ++i) {
            PumpMessages(0);
            LARGE_INTEGER a, b;
            QueryPerformanceCounter(&a);
            for (int k = 0; k < kBatch; ++k) SendMessageA(own, WM_USER, (WPARAM)k, 0);
            QueryPerformanceCounter(&b);
            ns.push_back(double(b.QuadPart - a.QuadPart) * 1e9 / double(f.QuadPart) / kBatch);
        }
        SetEvent(doneEvent);
    }
    FILE* file = fopen(out, "w");
    if (!file) return 4;
    for (size_t i = 0; i < ns.size(); ++i) fprintf(file, "%d %.1f\n", (int)i / samples, ns[i]);
    fclose(file);
    DestroyWindow(own);
    return 0;
}

int Display(const char* folder, int ms, const char* title) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = L"MirnNeighbourPlayer";
    RegisterClassW(&wc);
    HWND main = CreateWindowExW(0, wc.lpszClassName, Wide(title).c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 100,
                                300, 100, nullptr, nullptr, wc.hInstance, nullptr);
    HMODULE dll = LoadLibraryA((std::string(folder) + "\\vis_mirn.dll").c_str());
    auto header = dll ? (VisHeader * (__cdecl*)(void))(void*)GetProcAddress(dll, "winampVisGetHeader") : nullptr;
    VisModule* module = header ? header()->getModule(0) : nullptr;
    if (!main || !module) return kNeighbourNoWindow;
    module->hostWindow = main;
    module->instance = dll;
    if (module->start(module) != 0) return kNeighbourNoWindow;
    for (const DWORD end = GetTickCount() + (DWORD)ms; (LONG)(GetTickCount() - end) < 0;) {
        module->render(module);
        PumpMessages(25);
    }
    module->stop(module);
    FreeLibrary(dll);
    DestroyWindow(main);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && lstrcmpA(argv[1], "--display") == 0) return Display(argv[2], atoi(argv[3]), argv[4]);
    if (argc == 7 && lstrcmpA(argv[1], "--bench") == 0)
        return Bench(argv[2], argv[3], argv[4], atoi(argv[5]), atoi(argv[6]));
    if (argc != 4) return 100;
    return Visit((HWND)(UINT_PTR)strtoul(argv[1], nullptr, 10), atoi(argv[2]), argv[3]);
}
