// Reads fixed-size values off the front of a fuzzer's input; missing bytes
// read as zero, so every input decodes to something.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct FuzzInput {
    const uint8_t* p;
    size_t n;

    template <typename T>
    T Take() {
        T v{};
        const size_t k = n < sizeof v ? n : sizeof v;
        memcpy(&v, p, k);
        p += k;
        n -= k;
        return v;
    }
    bool Empty() const { return n == 0; }
    // The rest as text, cut at an embedded NUL like a C string would be.
    std::string RestAsText() {
        std::string s(reinterpret_cast<const char*>(p), n);
        p += n;
        n = 0;
        return s.substr(0, s.find('\0'));
    }
};

// A broken property aborts, which libFuzzer reports with the input saved.
#define FUZZ_CHECK(cond)                                                         \
    do {                                                                         \
        if (!(cond)) {                                                           \
            fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            abort();                                                             \
        }                                                                        \
    } while (0)
