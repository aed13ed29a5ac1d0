// BuildSettingsPath and BuildProbePath into a heap buffer exactly outSize long, so any write
// past it is an ASan report. Input: 16-bit outSize, then the library path.
#include "settings/settings_rules.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const size_t outSize = in.Take<uint16_t>() % 1024;
    const std::string path = in.RestAsText();

    char* library = new char[path.size() + 1];
    memcpy(library, path.c_str(), path.size() + 1);
    char* out = new char[outSize];
    const bool ok = BuildSettingsPath(library, out, outSize);

    const size_t slash = path.rfind('\\');
    const std::string expected = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "plugin.ini";
    FUZZ_CHECK(ok == (expected.size() + 1 <= outSize));
    if (ok)
        FUZZ_CHECK(strcmp(out, expected.c_str()) == 0);
    else if (outSize > 0)
        FUZZ_CHECK(out[0] == '\0');
    FUZZ_CHECK(strcmp(library, path.c_str()) == 0);  // input untouched

    // The probe of the folder fits wherever a plugin.ini with a folder does.
    const bool probed = BuildProbePath(library, (uint32_t)size, out, outSize);
    FUZZ_CHECK(probed == (ok && slash != std::string::npos));
    if (probed)
        FUZZ_CHECK(strlen(out) == expected.size() && strncmp(out, expected.c_str(), slash + 1) == 0);
    else if (outSize > 0)
        FUZZ_CHECK(out[0] == '\0');
    delete[] out;
    delete[] library;
    return 0;
}
