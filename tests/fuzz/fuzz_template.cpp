// ExpandTemplate and UnrotateCaption on any text: within the room given,
// NUL-terminated, the caption when it comes out empty; a rotated caption
// turns back whole.
#include "display/song_rules.h"
#include "tests/fuzz/fuzz_input.h"

static std::u16string TakeText(FuzzInput& in, size_t limit) {
    std::u16string s;
    while (!in.Empty() && s.size() < limit) {
        const TitleChar c = in.Take<TitleChar>();
        if (c == 0) break;
        // Mostly the characters that matter, so the fuzzer finds their mixes.
        static const TitleChar kPick[] = u"%[] *-.1aelrtinsu";
        s += c < 0x100 ? kPick[c % (sizeof kPick / sizeof(TitleChar) - 1)] : c;
    }
    return s;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const size_t limit = 1 + in.Take<uint8_t>() % 64;
    const std::u16string tmpl = TakeText(in, kTemplateLimit - 1);
    const std::u16string value = TakeText(in, 40);
    SongFields f = {};
    for (int k = 0; k < kFieldCount; ++k) f.value[k] = (k * 3 + value.size()) % 4 ? value.c_str() : nullptr;
    f.value[kFieldCaption] = u"caption";

    TitleChar* out = new TitleChar[limit];
    const size_t n = ExpandTemplate(tmpl.c_str(), f, out, limit);
    FUZZ_CHECK(n < limit);
    FUZZ_CHECK(out[n] == 0);
    for (size_t i = 0; i < n; ++i) FUZZ_CHECK(out[i] != 0);
    if (limit > 1) FUZZ_CHECK(n > 0);  // never empty: the caption stands in
    (void)TemplateFields(tmpl.c_str());
    delete[] out;

    // Any text is a ring: rotated and turned back, the number-led one whole.
    const std::u16string caption = u"3. " + value;
    const size_t offset = value.empty() ? 0 : in.Take<uint8_t>() % (caption.size() + 5);
    const std::u16string ring = caption + u" *** ";
    std::u16string rotated = ring.substr(offset) + ring.substr(0, offset);
    const size_t m = UnrotateCaption(&rotated[0]);
    FUZZ_CHECK(m <= rotated.size());
    if (value.find(u"*") == std::u16string::npos) FUZZ_CHECK(std::u16string(rotated.c_str()) == caption);

    TitleChar time[16];
    FUZZ_CHECK(FormatTime(in.Take<int64_t>(), time) < 16);
    return 0;
}
