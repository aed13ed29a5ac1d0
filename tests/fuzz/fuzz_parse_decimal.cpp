// ParseDecimal against strtoll clamped to 32 bits, on dialog-sized text.
#include "ui/dialog_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    std::string text = in.RestAsText();
    if (text.size() > 200) text.resize(200);
    char* buf = new char[text.size() + 1];
    memcpy(buf, text.c_str(), text.size() + 1);

    long long ref = strtoll(buf, nullptr, 10);
    if (ref > INT32_MAX) ref = INT32_MAX;
    if (ref < INT32_MIN) ref = INT32_MIN;
    FUZZ_CHECK(ParseDecimal(buf) == ref);
    delete[] buf;
    return 0;
}
