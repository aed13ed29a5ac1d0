// The title's look: an outline around the glyphs, and a transparent
// background through a layered window with per-pixel alpha.
#include "display/display.h"
#include "display/marquee_rules.h"
#include "display/outline_rules.h"
#include "display/title_rules.h"
#include "display/dpi.h"
#include "plugin/display_state.h"
#include "plugin/vis_api.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"

static const DWORD kPickerCloseMs = 2000;

bool TitleOutlined() { return g_state.outline != kOutlineNone || g_state.transparent; }

static uint32_t* SurfacePixels(HBITMAP bitmap, int* w, int* h) {
    DIBSECTION ds;
    if (!bitmap || GetObjectA(bitmap, sizeof ds, &ds) != sizeof ds || !ds.dsBm.bmBits) return NULL;
    *w = ds.dsBm.bmWidth;
    *h = ds.dsBm.bmHeight < 0 ? -ds.dsBm.bmHeight : ds.dsBm.bmHeight;
    return (uint32_t*)ds.dsBm.bmBits;
}

void DrawOutlinedTitle(const WCHAR* text, int length, UINT flags) {
    DisplayState& s = g_state;
    int w = 0, h = 0;
    uint32_t* pixels = SurfacePixels(s.surfaceBitmap, &w, &h);
    if (!pixels) return;
    // GDI gives no alpha: the text's coverage comes from a white-on-black mask.
    SetTextColor(s.memDC, RGB(255, 255, 255));
    SetBkColor(s.memDC, RGB(0, 0, 0));
    RECT all = {0, 0, w, h};
    FillRect(s.memDC, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    DrawTitleText(s.memDC, text, length, &all, flags);
    GdiFlush();
    // A scrolling title is a ring: its first glyph's outline shows at the seam.
    const int ring = s.textExtent.cx > s.screenW ? s.textExtent.cx : 0;
    MaskToCoverage(pixels, w, h, OutlineWidth(s.outline, h), ring);
    ComposeCoverage(pixels, w * h, s.textColor, s.outlineColor, s.bkColor, s.transparent != 0);
}

static bool IsLayered(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

WindowStyle LookStyle(int index) {
    WindowStyle look = StyleTable[index];
    // A layered window draws no frame: the chosen one waits for the opaque look.
    if (g_state.transparent) look.style = StyleTable[2].style;
    look.exStyle |= LayerBits();
    return look;
}

void MatchLook(HWND window) {
    // The opaque look may be layered too, through its alpha (fading, click-through).
    if ((g_state.layerKind == kLayerUpdated) == (g_state.transparent != 0)) return;
    g_state.pictureShown = 0;
    SetFrame(window, g_state.styleIndex);
    RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

static bool MakeLayer(int w, int h) {
    DisplayState& s = g_state;
    if (s.layerBitmap && s.layerW == w && s.layerH == h) return true;
    if (!SurfaceFits(w, h)) return false;
    if (!s.layerDC) s.layerDC = CreateCompatibleDC(NULL);
    if (!s.layerDC) return false;
    BITMAPINFO bi;
    ZeroMemory(&bi, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP fresh = CreateDIBSection(s.layerDC, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!fresh) return false;
    HGDIOBJ previous = SelectObject(s.layerDC, fresh);
    if (s.layerBitmap)
        DeleteObject(s.layerBitmap);
    else
        s.layerSavedBitmap = (HBITMAP)previous;
    s.layerBitmap = fresh;
    s.layerBits = bits;
    s.layerW = w;
    s.layerH = h;
    return true;
}

void DropLayer() {
    DisplayState& s = g_state;
    if (s.layerBitmap) {
        SelectObject(s.layerDC, s.layerSavedBitmap);
        DeleteObject(s.layerBitmap);
    }
    if (s.layerDC) DeleteDC(s.layerDC);
    s.layerDC = NULL;
    s.layerBitmap = s.layerSavedBitmap = NULL;
    s.layerBits = NULL;
    s.layerW = s.layerH = 0;
}

bool PresentLayered(int width, int height) {
    DisplayState& s = g_state;
    // The opaque look's step frames pay no more than this test.
    if (!s.transparent || !TitleWindowLive() || !IsLayered(s.titleWnd)) return false;
    if (!MakeLayer(width, height)) return true;
    int w = 0, h = 0;
    const uint32_t* surface = SurfacePixels(s.surfaceBitmap, &w, &h);
    uint32_t* layer = (uint32_t*)s.layerBits;
    const int rows = h < height ? h : height;
    // The slice of the ring the window shows; rows the surface lacks are clear.
    if (surface) RingSlice(surface, w, rows, PresentedOffset(), s.textExtent.cx, width, layer);
    for (int i = (surface ? rows : 0) * width; i < width * height; ++i) layer[i] = 0x01000000u;
    if (surface) FadeEdges(layer, width, rows, EdgeFade(width), 0, true);
    SIZE size = {width, height};
    POINT origin = {0, 0};
    // A fade multiplies into every pixel's alpha.
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, (BYTE)s.windowAlpha, AC_SRC_ALPHA};
    UpdateLayeredWindow(s.titleWnd, NULL, NULL, &size, s.layerDC, &origin, 0, &blend, ULW_ALPHA);
    return true;
}

// The edge columns of the ring that the window shows at `offset`: faded in
// the surface, what they held kept in `kept` column by column; or put back.
static void FadeRingEdges(uint32_t* surface, int w, int rows, int ring, int offset, int width, int fade,
                          uint32_t* kept, bool restore) {
    const DisplayState& s = g_state;
    const uint32_t bk = DibColor(s.bkColor);
    for (int side = 0; side < 2; ++side)
        for (int x = 0; x < fade; ++x) {
            const uint32_t a = FadeWeight(side ? fade - 1 - x : x, fade);
            const int column = (offset + (side ? width - fade : 0) + x) % ring;
            uint32_t* keep = kept + (side * fade + x) * rows;
            if (!restore) {
                FadeColumn(surface + column, w, rows, a, bk, false, keep);
                continue;
            }
            for (int y = 0; y < rows; ++y) surface[y * w + column] = keep[y];
        }
}

bool PresentFaded(HDC dc, int width, int height, int fade) {
    DisplayState& s = g_state;
    int w = 0, h = 0;
    uint32_t* surface = SurfacePixels(s.surfaceBitmap, &w, &h);
    const int ring = s.textExtent.cx, rows = h < height ? h : height;
    // The edge columns are faded in the surface for this one copy and put
    // back after it: no window-sized picture, the same copies as ever.
    if (!surface || ring <= 0 || ring > w || rows <= 0 || !MakeLayer(2 * fade, rows)) return false;
    GdiFlush();  // the surface is written directly
    const int offset = PresentedOffset();
    FadeRingEdges(surface, w, rows, ring, offset, width, fade, (uint32_t*)s.layerBits, false);
    RingPiece pieces[2];
    const int n = RingPieces(offset, width, ring, pieces);
    for (int i = 0; i < n; ++i)
        BitBlt(dc, pieces[i].dstX, 0, pieces[i].width, height, s.memDC, pieces[i].srcX, 0, SRCCOPY);
    GdiFlush();
    FadeRingEdges(surface, w, rows, ring, offset, width, fade, (uint32_t*)s.layerBits, true);
    return true;
}

void AppendLookItems(HMENU menu) {
    const DisplayState& s = g_state;
    char buffer[kItemTextBytes];
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(menu, MF_STRING | (s.transparent ? MF_CHECKED : 0), IDM_TRANSPARENT,
                ItemText("Transparent background", kChoiceTransparent, buffer));
    HMENU outline = CreatePopupMenu();
    if (outline) {
        static const char* const kLevels[] = {"None", "Thin", "Thick"};
        for (int i = 0; i < 3; ++i)
            AppendMenuA(outline, MF_STRING | MFT_RADIOCHECK | (s.outline == i ? MF_CHECKED : 0),
                        IDM_OUTLINE_NONE + i, kLevels[i]);
        // Destroyed with the menu it is appended to.
        if (!AppendMenuA(menu, MF_POPUP, (UINT_PTR)outline, ItemText("Outline", kChoiceOutline, buffer)))
            DestroyMenu(outline);
    }
    AppendMenuA(menu, MF_STRING, IDM_OUTLINE_COLOR, ItemText("Outline colour...", kChoiceOutlineColor, buffer));
}

void LookChosen(HWND window, int choice) {
    NoteChoice(choice);
    const VisModule* module = (const VisModule*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (module) SaveChoices(module, true);
    MatchLook(window);
    if (!ComposeTitle(NULL)) RequestRedraw();
}

bool ChooseLook(HWND window, UINT id) {
    DisplayState& s = g_state;
    switch (id) {
    case IDM_TRANSPARENT:
        s.transparent = !s.transparent;
        LookChosen(window, kChoiceTransparent);
        return true;
    case IDM_OUTLINE_NONE:
    case IDM_OUTLINE_THIN:
    case IDM_OUTLINE_THICK:
        s.outline = (int)(id - IDM_OUTLINE_NONE);
        LookChosen(window, kChoiceOutline);
        return true;
    case IDM_OUTLINE_COLOR:
        OpenOutlinePicker(window);
        return true;
    default:
        return false;
    }
}

// ---- the outline colour picker, on a thread of its own ----

static DWORD WINAPI PickerMain(void* owner) {
    DisplayState& s = g_state;
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = (HWND)owner;
    cc.rgbResult = s.pickedColor;
    cc.lpCustColors = s.outlineCustomColors;
    cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
    const DpiContext before = EnterDialogContext();
    if (ChooseColorA(&cc)) {
        s.pickedColor = cc.rgbResult & 0xFFFFFF;
        InterlockedExchange(&s.pickerAnswered, 1);
        PostMessageA((HWND)owner, WM_PICKED_COLOR, 0, 0);  // taken on the display thread
    }
    LeaveContext(before);
    // Holds the library until here, so an unload cannot pull the code away.
    FreeLibraryAndExitThread((HMODULE)s.pickerModule, 0);
    return 0;
}

static bool PickerRunning() {
    const DisplayState& s = g_state;
    return s.pickerThread && WaitForSingleObject(s.pickerThread, 0) == WAIT_TIMEOUT;
}

static BOOL CALLBACK FindPickerDialog(HWND window, LPARAM found) {
    char name[16];
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpA(name, "#32770") != 0) return TRUE;
    *(HWND*)found = window;
    return FALSE;
}

static HWND PickerDialog() {
    HWND dialog = NULL;
    if (g_state.pickerThreadId) EnumThreadWindows(g_state.pickerThreadId, FindPickerDialog, (LPARAM)&dialog);
    return dialog;
}

void OpenOutlinePicker(HWND window) {
    DisplayState& s = g_state;
    if (PickerRunning()) {  // one picker: a second choice brings it forward
        HWND dialog = PickerDialog();
        if (dialog) SetForegroundWindow(dialog);
        return;
    }
    if (s.pickerThread) CloseHandle(s.pickerThread);
    s.pickerThread = NULL;
    HMODULE self = NULL;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)(void*)PickerMain, &self)) return;
    s.pickerModule = self;
    s.pickedColor = s.outlineColor;
    InterlockedExchange(&s.pickerAnswered, 0);
    s.pickerThread = CreateThread(NULL, 0, PickerMain, window, 0, &s.pickerThreadId);
    if (!s.pickerThread) FreeLibrary(self);
}

void TakePickedColor(HWND window) {
    DisplayState& s = g_state;
    if (!InterlockedExchange(&s.pickerAnswered, 0)) return;
    s.outlineColor = s.pickedColor;
    LookChosen(window, kChoiceOutlineColor);
}

// Cancels an open picker and waits for its thread, answering what it sends
// this thread (its owner window's messages) meanwhile.
void ClosePicker() {
    DisplayState& s = g_state;
    if (!s.pickerThread) return;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kPickerCloseMs) {
        HWND dialog = PickerDialog();
        if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        const DWORD woke = MsgWaitForMultipleObjects(1, &s.pickerThread, FALSE, 20, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
        MSG m;
        PeekMessageA(&m, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    // A picker that would not close still holds the library: it ends later.
    CloseHandle(s.pickerThread);
    s.pickerThread = NULL;
    s.pickerThreadId = 0;
}
