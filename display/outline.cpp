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
    DrawTextW(s.memDC, text, length, &all, flags);
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
    if (g_state.transparent) look = {StyleTable[2].style, look.exStyle | WS_EX_LAYERED};
    return look;
}

void MatchLook(HWND window) {
    if (IsLayered(window) == (g_state.transparent != 0)) return;
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
    if (surface) RingSlice(surface, w, rows, s.scrollOffset, s.textExtent.cx, width, layer);
    for (int i = (surface ? rows : 0) * width; i < width * height; ++i) layer[i] = 0x01000000u;
    if (surface) FadeEdges(layer, width, rows, EdgeFade(width), 0, true);
    SIZE size = {width, height};
    POINT origin = {0, 0};
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(s.titleWnd, NULL, NULL, &size, s.layerDC, &origin, 0, &blend, ULW_ALPHA);
    return true;
}

// The edge columns of the ring that the window shows at `offset`: faded in
// the surface, what they held kept in `kept` column by column; or put back.
static void FadeRingEdges(uint32_t* surface, int w, int rows, int ring, int width, int fade, uint32_t* kept,
                          bool restore) {
    const DisplayState& s = g_state;
    const uint32_t bk = DibColor(s.bkColor);
    for (int side = 0; side < 2; ++side)
        for (int x = 0; x < fade; ++x) {
            const uint32_t a = FadeWeight(side ? fade - 1 - x : x, fade);
            const int column = (s.scrollOffset + (side ? width - fade : 0) + x) % ring;
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
    FadeRingEdges(surface, w, rows, ring, width, fade, (uint32_t*)s.layerBits, false);
    RingPiece pieces[2];
    const int n = RingPieces(s.scrollOffset, width, ring, pieces);
    for (int i = 0; i < n; ++i)
        BitBlt(dc, pieces[i].dstX, 0, pieces[i].width, height, s.memDC, pieces[i].srcX, 0, SRCCOPY);
    GdiFlush();
    FadeRingEdges(surface, w, rows, ring, width, fade, (uint32_t*)s.layerBits, true);
    return true;
}

void AppendLookItems(HMENU menu) {
    const DisplayState& s = g_state;
    AppendMenuA(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuA(menu, MF_STRING | (s.transparent ? MF_CHECKED : 0), IDM_TRANSPARENT, "Transparent background");
    HMENU outline = CreatePopupMenu();
    if (outline) {
        static const char* const kLevels[] = {"None", "Thin", "Thick"};
        for (int i = 0; i < 3; ++i)
            AppendMenuA(outline, MF_STRING | MFT_RADIOCHECK | (s.outline == i ? MF_CHECKED : 0),
                        IDM_OUTLINE_NONE + i, kLevels[i]);
        // Destroyed with the menu it is appended to.
        if (!AppendMenuA(menu, MF_POPUP, (UINT_PTR)outline, "Outline")) DestroyMenu(outline);
    }
    AppendMenuA(menu, MF_STRING, IDM_OUTLINE_COLOR, "Outline colour...");
}

bool ChooseLook(HWND window, UINT id) {
    DisplayState& s = g_state;
    switch (id) {
    case IDM_TRANSPARENT:
        s.transparent = !s.transparent;
        break;
    case IDM_OUTLINE_NONE:
    case IDM_OUTLINE_THIN:
    case IDM_OUTLINE_THICK:
        s.outline = (int)(id - IDM_OUTLINE_NONE);
        break;
    case IDM_OUTLINE_COLOR: {
        CHOOSECOLORA cc = {};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = window;
        cc.rgbResult = s.outlineColor;
        cc.lpCustColors = s.outlineCustomColors;
        cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
        const DpiContext window = EnterDialogContext();
        const BOOL chosen = ChooseColorA(&cc);
        LeaveContext(window);
        if (!chosen) return true;
        s.outlineColor = cc.rgbResult & 0xFFFFFF;
        break;
    }
    default:
        return false;
    }
    // Saved before composing: a composition reloads the file's appearance.
    const VisModule* module = (const VisModule*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (module) SaveLook(module);
    MatchLook(window);
    if (!ComposeTitle(NULL)) RequestRedraw();
    return true;
}
