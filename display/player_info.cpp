// Asking the player what it knows of the playing song. Its main window
// answers WM_USER with a question's number in lParam, synchronously, in its
// own process; a busy player is never waited on, and its last answers stay.
#include "display/player_info.h"

#include "display/display.h"
#include "plugin/display_state.h"
#include "settings/settings_rules.h"

namespace {

const UINT kAskMs = 100;
const LPARAM kAskVersion = 0, kAskState = 104, kAskTime = 105, kAskIndex = 125, kAskPath = 214, kAskTag = 3026,
             kAskPlaying = 3034;
// Players that answer these questions say so with a version of 0x2000 or
// more; other hosts answer 0 or 1 to anything.
const DWORD_PTR kFirstVersion = 0x2000, kVersionEnd = 0x10000;

const WCHAR* const kTagNames[5] = {L"artist", L"title", L"album", L"year", L"track"};

bool Ask(LPARAM id, WPARAM argument, DWORD_PTR* answer) {
    *answer = 0;
    return SendMessageTimeoutW(g_state.hostWnd, WM_USER, argument, id, SMTO_ABORTIFHUNG, kAskMs, answer) != 0;
}

// Asked once for each player window; pointers are answered only in-process.
bool Trusted() {
    SongAnswers& a = g_song;
    const HWND host = g_state.hostWnd;
    if (a.versionOf == host) return a.trusted != 0;
    DWORD process = 0;
    DWORD_PTR version = 0;
    if (host && GetWindowThreadProcessId(host, &process) && process == GetCurrentProcessId()) {
        if (!Ask(kAskVersion, 0, &version)) return false;  // busy: asked again next time
    }
    a.versionOf = host;
    a.trusted = version >= kFirstVersion && version < kVersionEnd;
    return a.trusted != 0;
}

WCHAR* Wide(TitleChar* text) { return reinterpret_cast<WCHAR*>(text); }

// The playing entry's file, then the tags the template names; false when
// the player stopped answering (what was not asked yet stays).
bool AskTags(uint32_t fields) {
    SongAnswers& a = g_song;
    DWORD_PTR index = 0, path = 0;
    if (!Ask(kAskIndex, 0, &index) || !Ask(kAskPath, index, &path)) return false;
    CopyAnswerText(path, a.path, kTitleLimit, sizeof(TitleChar));
    for (int k = kFieldArtist; k <= kFieldTrack; ++k) {
        if (!(fields & (1u << k))) continue;
        // Static, as the player may still answer after the wait is over.
        TitleChar* tag = a.tag[k - kFieldArtist];
        TagRequest& request = a.request[k - kFieldArtist];
        request = {Wide(a.path), kTagNames[k - kFieldArtist], Wide(tag), kFieldLimit - 1};
        DWORD_PTR known = 0;
        if (a.path[0] && !Ask(kAskTag, (WPARAM)&request, &known)) return false;
        tag[kFieldLimit - 1] = 0;
        if (!known) tag[0] = 0;
    }
    // A stream has no tags: its title is the playlist's text.
    a.playing[0][0] = a.playing[1][0] = 0;
    if ((fields & 3u) && !(a.tag[0][0] && a.tag[1][0])) {
        DWORD_PTR playing = 0;
        if (!Ask(kAskPlaying, 0, &playing)) return false;
        TitleChar text[kTitleLimit];
        if (CopyAnswerText(playing, text, kTitleLimit, sizeof(TitleChar)))
            SplitArtistTitle(text, a.playing[0], a.playing[1], kFieldLimit);
    }
    return true;
}

// The position from message 105, as text; false when busy. Sets when the
// next second is due.
bool AskElapsed() {
    DWORD_PTR position = 0;
    if (!Ask(kAskTime, 0, &position)) return false;
    const int32_t ms = (int32_t)position;
    FormatTime(ms >= 0 ? ms / 1000 : -1, g_song.elapsed);
    g_state.timeRefreshAt = TickMs() + MsToNextSecond(ms);
    return true;
}

const TitleChar* First(const TitleChar* a, const TitleChar* b, const TitleChar* c) { return *a ? a : *b ? b : c; }

size_t Expand(TitleChar* shown) {
    const SongAnswers& a = g_song;
    SongFields f = {};
    f.value[kFieldArtist] = First(a.tag[0], a.playing[0], a.parts.artist);
    f.value[kFieldTitle] = First(a.tag[1], a.playing[1], a.parts.title);
    f.value[kFieldAlbum] = a.tag[2];
    f.value[kFieldYear] = a.tag[3];
    f.value[kFieldTrack] = a.tag[4];
    f.value[kFieldNumber] = a.parts.number;
    f.value[kFieldCaption] = g_song.cut;
    f.value[kFieldElapsed] = a.elapsed;
    f.value[kFieldLength] = a.length;
    const LONG state = g_state.playState;
    f.value[kFieldState] = state == kPaused ? u"Paused" : state == kStopped ? u"Stopped" : u"";
    return ExpandTemplate(a.format, f, shown, kTitleLimit);
}

}  // namespace

bool CopyAnswerText(DWORD_PTR answer, void* out, size_t limit, size_t unit) {
    char* to = (char*)out;
    if (limit == 0) return false;
    ZeroMemory(to, unit);
    if (answer < 0x10000) return false;  // a number, not a pointer
    const char* from = (const char*)answer;
    uintptr_t readableTo = answer;
    for (size_t i = 0; i < limit; ++i) {
        const uintptr_t at = answer + i * unit;
        while (at + unit > readableTo || at + unit < at) {
            MEMORY_BASIC_INFORMATION mi;
            if (at + unit < at || !VirtualQuery((const void*)readableTo, &mi, sizeof mi) ||
                !ReadableMemory(mi.State, mi.Protect)) {
                ZeroMemory(to, unit);
                return false;
            }
            readableTo = (uintptr_t)mi.BaseAddress + mi.RegionSize;
            if (readableTo == 0) readableTo = UINTPTR_MAX;  // the last region
        }
        bool end = true;
        for (size_t b = 0; b < unit; ++b) {
            to[i * unit + b] = from[i * unit + b];
            end &= from[i * unit + b] == 0;
        }
        if (end) return true;
    }
    ZeroMemory(to, unit);
    return false;  // no end within the limit
}

void SongText(const TitleChar* caption, const TitleChar* cut, TitleChar* shown) {
    DisplayState& s = g_state;
    SongAnswers& a = g_song;
    CopyText(a.caption, caption, kTitleLimit);
    ParseCaption(caption, cut, &a.parts);
    const bool trusted = Trusted();
    bool answering = AskPlayState();

    LockFont();  // the dialog may be writing the template
    char format[kTemplateLimit];
    lstrcpynA(format, s.titleFormat, kTemplateLimit);
    UnlockFont();
    a.format[0] = 0;
    if (format[0]) MultiByteToWideChar(CP_ACP, 0, format, -1, Wide(a.format), kTemplateLimit);
    a.format[kTemplateLimit - 1] = 0;
    a.fields = TemplateFields(a.format);
    s.timeShown = 0;
    if (!a.format[0]) {
        CopyText(shown, cut, kTitleLimit);
        return;
    }
    if (!trusted) {
        for (int k = 0; k < 5; ++k) a.tag[k][0] = 0;
        a.playing[0][0] = a.playing[1][0] = a.elapsed[0] = a.length[0] = 0;
    }
    if (trusted && answering && (a.fields & kTagFields)) answering = AskTags(a.fields);
    if (trusted && answering && (a.fields & kTimeFields)) {
        DWORD_PTR length = 0;
        answering = AskElapsed() && Ask(kAskTime, 1, &length);
        if (answering) FormatTime((int32_t)length > 0 ? (int32_t)length : -1, a.length);
        s.timeShown = 1;
    }
    Expand(shown);
}

bool AskPlayState() {
    LONG state = g_song.parts.state;
    DWORD_PTR answer = 0;
    const bool answering = !Trusted() || Ask(kAskState, 0, &answer);
    if (Trusted() && answering && (answer == kStopped || answer == kPlaying || answer == kPaused)) state = (LONG)answer;
    InterlockedExchange(&g_state.playState, state);
    return answering;
}

bool SongTimeDue(TitleChar* shown) {
    DisplayState& s = g_state;
    if (!s.timeShown || s.playState != kPlaying || (int32_t)(TickMs() - s.timeRefreshAt) < 0) return false;
    s.timeRefreshAt = TickMs() + 1000;  // a busy player is asked again in a second
    if (!AskElapsed()) return false;
    Expand(shown);
    return true;
}
