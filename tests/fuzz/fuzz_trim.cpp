// TrimTitle, then TitleFileLength of what it leaves, on any title of up to 510 UTF-16 units, in a buffer exactly its size.
#include "display/title_file_rules.h"
#include "display/title_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    std::u16string title;
    while (!in.Empty() && title.size() < kTitleLimit - 1) {
        const TitleChar c = in.Take<TitleChar>();
        if (c == 0) break;  // a C string ends there
        title += c;
    }

    TitleChar* buf = new TitleChar[title.size() + 1];
    memcpy(buf, title.c_str(), (title.size() + 1) * sizeof(TitleChar));
    const size_t n = TrimTitle(buf);

    size_t len = 0;
    while (buf[len] != 0) ++len;
    FUZZ_CHECK(n == len);
    FUZZ_CHECK(n <= title.size());
    FUZZ_CHECK(memcmp(buf, title.data(), n * sizeof(TitleChar)) == 0);  // a prefix of the input
    if (n < title.size())  // only the NUL at the cut is written
        FUZZ_CHECK(memcmp(buf + n + 1, title.data() + n + 1, (title.size() - n) * sizeof(TitleChar)) == 0);
    // The cut is at the last "-" after position 0, one space earlier when a
    // space precedes it; no such "-" leaves nothing.
    size_t last = 0;
    for (size_t i = 1; i < title.size(); ++i)
        if (title[i] == u'-') last = i;
    if (last == 0) {
        FUZZ_CHECK(n == 0);
    } else {
        FUZZ_CHECK(n == (title[last - 1] == u' ' ? last - 1 : last));
    }
    // The file's text: what is shown up to its trailing blanks.
    const size_t kept = TitleFileLength(buf);
    FUZZ_CHECK(kept <= n);
    for (size_t i = kept; i < n; ++i)
        FUZZ_CHECK(buf[i] == u' ' || buf[i] == u'\t' || buf[i] == u'\r' || buf[i] == u'\n');
    FUZZ_CHECK(kept == 0 || !(buf[kept - 1] == u' ' || buf[kept - 1] == u'\t' || buf[kept - 1] == u'\r' ||
                              buf[kept - 1] == u'\n'));
    delete[] buf;
    return 0;
}
