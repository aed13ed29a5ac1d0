#include "display/song_rules.h"

static size_t Length(const TitleChar* s) {
    size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

size_t CopyText(TitleChar* out, const TitleChar* in, size_t limit) {
    size_t n = 0;
    if (limit == 0) return 0;
    if (in)
        for (; in[n] != 0 && n + 1 < limit; ++n) out[n] = in[n];
    out[n] = 0;
    return n;
}

static bool IsDigit(TitleChar c) { return c >= u'0' && c <= u'9'; }

// Digits, then ". ", read round the ring of `n` characters from `start`
// within `span` characters; returns the characters taken, 0 for none.
static size_t NumberPrefix(const TitleChar* s, size_t n, size_t start, size_t span) {
    size_t i = 0;
    while (i < span && IsDigit(s[(start + i) % n])) ++i;
    if (i == 0 || i + 2 > span || s[(start + i) % n] != u'.' || s[(start + i + 1) % n] != u' ') return 0;
    return i + 2;
}

static bool SeparatorAt(const TitleChar* s, size_t n, size_t j) {
    for (size_t k = 0; k < kRotationSeparatorLength; ++k)
        if (s[(j + k) % n] != kRotationSeparator[k]) return false;
    return true;
}

static void Reverse(TitleChar* s, size_t from, size_t to) {
    for (; from + 1 < to; ++from, --to) {
        const TitleChar t = s[from];
        s[from] = s[to - 1];
        s[to - 1] = t;
    }
}

size_t UnrotateCaption(TitleChar* caption) {
    const size_t n = Length(caption);
    if (n <= kRotationSeparatorLength) return n;
    const size_t kept = n - kRotationSeparatorLength;
    size_t chosen = n;
    bool numbered = false;
    for (size_t j = 0; j < n; ++j) {
        if (!SeparatorAt(caption, n, j)) continue;
        if (NumberPrefix(caption, n, (j + kRotationSeparatorLength) % n, kept)) {
            chosen = j;
            numbered = true;
            break;
        }
        if (chosen == n) chosen = j;
    }
    if (chosen == n) return n;
    if (!numbered && NumberPrefix(caption, n, 0, n)) return n;  // the title's own " *** "
    const size_t start = (chosen + kRotationSeparatorLength) % n;
    // Rotated left by `start`, then the separator, now at the end, cut off.
    Reverse(caption, 0, start);
    Reverse(caption, start, n);
    Reverse(caption, 0, n);
    caption[kept] = 0;
    return kept;
}

static bool EndsWith(const TitleChar* s, size_t n, const char* suffix) {
    size_t m = 0;
    while (suffix[m]) ++m;
    if (m > n) return false;
    for (size_t i = 0; i < m; ++i)
        if (s[n - m + i] != (TitleChar)suffix[i]) return false;
    return true;
}

void SplitArtistTitle(const TitleChar* text, TitleChar* artist, TitleChar* title, size_t limit) {
    artist[0] = 0;
    for (size_t i = 0; text[i] != 0; ++i) {
        if (text[i] == u' ' && text[i + 1] == u'-' && text[i + 2] == u' ') {
            CopyText(artist, text, i + 1 < limit ? i + 1 : limit);
            CopyText(title, text + i + 3, limit);
            return;
        }
    }
    CopyText(title, text, limit);
}

void ParseCaption(const TitleChar* caption, const TitleChar* shown, CaptionParts* out) {
    size_t n = Length(caption);
    while (n > 0 && caption[n - 1] == u' ') --n;
    out->state = EndsWith(caption, n, "[Paused]") ? kPaused : EndsWith(caption, n, "[Stopped]") ? kStopped : kPlaying;
    const size_t length = Length(shown);
    const size_t prefix = length ? NumberPrefix(shown, length, 0, length) : 0;
    const size_t digits = prefix ? prefix - 2 : 0;
    CopyText(out->number, shown, digits + 1 < sizeof out->number / sizeof(TitleChar) ? digits + 1 : 1);
    SplitArtistTitle(shown + prefix, out->artist, out->title, kFieldLimit);
}

static const char* const kFieldNames[kFieldCount] = {"artist", "title",   "album",   "year",   "track",
                                                     "number", "caption", "elapsed", "length", "state"};

static TitleChar Lower(TitleChar c) { return c >= u'A' && c <= u'Z' ? (TitleChar)(c - u'A' + u'a') : c; }

// The field named at tmpl[i] (just after a "%") up to a closing "%" before
// `end`: its number, and the characters to skip past the closing "%".
static int FieldAt(const TitleChar* t, size_t i, size_t end, size_t* taken) {
    for (int k = 0; k < kFieldCount; ++k) {
        const char* name = kFieldNames[k];
        size_t m = 0;
        while (name[m] && i + m < end && Lower(t[i + m]) == (TitleChar)name[m]) ++m;
        if (name[m] == 0 && i + m < end && t[i + m] == u'%') {
            *taken = m + 1;
            return k;
        }
    }
    return -1;
}

uint32_t TemplateFields(const TitleChar* tmpl) {
    const size_t n = Length(tmpl);
    uint32_t used = 0;
    for (size_t i = 0; i < n; ++i) {
        if (tmpl[i] != u'%') continue;
        if (tmpl[i + 1] == u'%') {
            ++i;
            continue;
        }
        size_t taken = 0;
        const int k = FieldAt(tmpl, i + 1, n, &taken);
        if (k < 0) continue;
        used |= 1u << k;
        i += taken;
    }
    return used;
}

namespace {

struct Out {
    TitleChar* text;
    size_t n, limit;
};

void Put(Out& o, TitleChar c) {
    if (o.n + 1 < o.limit) o.text[o.n++] = c;
}

// The "]" closing the "[" at `open`, before `end`; `end` when none.
size_t Closing(const TitleChar* t, size_t open, size_t end) {
    size_t depth = 0;
    for (size_t i = open; i < end; ++i) {
        if (t[i] == u'[') ++depth;
        if (t[i] == u']' && --depth == 0) return i;
    }
    return end;
}

// Fills in t[begin, end); false when a field in it (not in an inner
// bracket) has no value.
bool Expand(const TitleChar* t, size_t begin, size_t end, const SongFields& f, Out& o) {
    bool all = true;
    for (size_t i = begin; i < end;) {
        const TitleChar c = t[i];
        if (c == u'%' && i + 1 < end && t[i + 1] == u'%') {
            Put(o, u'%');
            i += 2;
            continue;
        }
        size_t taken = 0;
        const int k = c == u'%' ? FieldAt(t, i + 1, end, &taken) : -1;
        if (k >= 0) {
            const TitleChar* v = f.value[k];
            if (!v || !*v) all = false;
            for (; v && *v; ++v) Put(o, *v);
            i += 1 + taken;
            continue;
        }
        const size_t close = c == u'[' ? Closing(t, i, end) : end;
        if (close < end) {
            const size_t mark = o.n;
            if (!Expand(t, i + 1, close, f, o)) o.n = mark;
            i = close + 1;
            continue;
        }
        Put(o, c);
        ++i;
    }
    return all;
}

}  // namespace

size_t ExpandTemplate(const TitleChar* tmpl, const SongFields& fields, TitleChar* out, size_t limit) {
    if (limit == 0) return 0;
    Out o = {out, 0, limit};
    Expand(tmpl, 0, Length(tmpl), fields, o);
    out[o.n] = 0;
    if (o.n == 0) return CopyText(out, fields.value[kFieldCaption], limit);
    return o.n;
}

static TitleChar* PutNumber(TitleChar* p, uint32_t v, int minDigits) {
    TitleChar digits[12];
    int n = 0;
    do {
        digits[n++] = (TitleChar)(u'0' + v % 10);
        v /= 10;
    } while (v != 0 || n < minDigits);
    while (n > 0) *p++ = digits[--n];
    return p;
}

size_t FormatTime(int64_t seconds, TitleChar* out) {
    TitleChar* p = out;
    if (seconds >= 0 && seconds <= INT32_MAX) {
        const uint32_t s = (uint32_t)seconds;
        if (s >= 3600) {
            p = PutNumber(p, s / 3600, 1);
            *p++ = u':';
            p = PutNumber(p, s / 60 % 60, 2);
        } else {
            p = PutNumber(p, s / 60, 1);
        }
        *p++ = u':';
        p = PutNumber(p, s % 60, 2);
    }
    *p = 0;
    return (size_t)(p - out);
}

uint32_t MsToNextSecond(int64_t positionMs) {
    if (positionMs < 0) return 1000;
    return (uint32_t)(1000 - positionMs % 1000);
}
