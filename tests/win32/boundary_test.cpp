// What the player sees of the library: its tables, header and module record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>

#include "host_player.h"

namespace {

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// Maps a relative virtual address to its offset in the file.
size_t Offset(const IMAGE_SECTION_HEADER* sec, int sections, DWORD rva) {
    for (int i = 0; i < sections; ++i, ++sec)
        if (rva >= sec->VirtualAddress && rva < sec->VirtualAddress + sec->Misc.VirtualSize)
            return rva - sec->VirtualAddress + sec->PointerToRawData;
    return 0;
}

struct PeTables {
    WORD machine = 0;
    std::set<std::string> imports;  // upper case
    std::set<std::string> functions;  // imported by name, as "USER32.DLL!Name"
    std::set<std::string> exports;
};

// Reads both PE32 (the plug-in) and PE32+ (its 64-bit test stand-in).
PeTables ReadTables(const std::string& path) {
    PeTables t;
    std::vector<unsigned char> f = ReadFileBytes(path);
    if (f.size() < sizeof(IMAGE_DOS_HEADER)) return t;
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)f.data();
    const IMAGE_NT_HEADERS32* nt = (const IMAGE_NT_HEADERS32*)(f.data() + dos->e_lfanew);
    const IMAGE_NT_HEADERS64* nt64 = (const IMAGE_NT_HEADERS64*)nt;
    const bool plus = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    t.machine = nt->FileHeader.Machine;
    const IMAGE_SECTION_HEADER* sections = plus ? IMAGE_FIRST_SECTION(nt64) : IMAGE_FIRST_SECTION(nt);
    const int count = nt->FileHeader.NumberOfSections;
    const IMAGE_DATA_DIRECTORY* dirs = plus ? nt64->OptionalHeader.DataDirectory : nt->OptionalHeader.DataDirectory;
    auto at = [&](DWORD rva) { return f.data() + Offset(sections, count, rva); };
    const IMAGE_DATA_DIRECTORY& imp = dirs[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const IMAGE_IMPORT_DESCRIPTOR* d = (const IMAGE_IMPORT_DESCRIPTOR*)at(imp.VirtualAddress); d->Name; ++d) {
        std::string name = (const char*)at(d->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        t.imports.insert(name);
        const DWORD thunks = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        for (size_t i = 0;; ++i) {
            const ULONGLONG thunk = plus ? ((const ULONGLONG*)at(thunks))[i] : ((const DWORD*)at(thunks))[i];
            if (!thunk) break;
            const bool byOrdinal = plus ? (thunk & IMAGE_ORDINAL_FLAG64) != 0 : (thunk & IMAGE_ORDINAL_FLAG32) != 0;
            if (!byOrdinal) t.functions.insert(name + "!" + (const char*)((const IMAGE_IMPORT_BY_NAME*)at((DWORD)thunk))->Name);
        }
    }
    const IMAGE_DATA_DIRECTORY& exp = dirs[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exp.Size) {
        const IMAGE_EXPORT_DIRECTORY* e = (const IMAGE_EXPORT_DIRECTORY*)at(exp.VirtualAddress);
        const DWORD* names = (const DWORD*)at(e->AddressOfNames);
        for (DWORD i = 0; i < e->NumberOfNames; ++i) t.exports.insert((const char*)at(names[i]));
        EXPECT_EQ(e->NumberOfFunctions, e->NumberOfNames) << "no exports by ordinal only";
    }
    return t;
}

void ExpectSystemImportsAndTwoExports(const std::string& path, WORD machine) {
    SCOPED_TRACE(path);
    PeTables t = ReadTables(path);
    EXPECT_EQ(t.machine, machine);
    const std::set<std::string> allowed = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "COMDLG32.DLL", "SHELL32.DLL",
                                           "MSVCRT.DLL"};
    EXPECT_FALSE(t.imports.empty());
    for (const std::string& name : t.imports) EXPECT_TRUE(allowed.count(name)) << "imports " << name;
    EXPECT_EQ(t.exports, (std::set<std::string>{"GetMsgProc", "winampVisGetHeader"}));
    // Windows 7 and 8.1 lack the display-scale functions: looked up at run
    // time, never imported, or the library would not load there.
    EXPECT_TRUE(t.functions.count("USER32.DLL!GetWindowRect")) << "the import names are read";
    for (const char* name : {"SetThreadDpiAwarenessContext", "GetWindowDpiAwarenessContext",
                             "GetAwarenessFromDpiAwarenessContext", "GetDpiForWindow", "GetDpiForSystem",
                             "SetProcessDpiAwarenessContext", "SetProcessDPIAware"})
        EXPECT_FALSE(t.functions.count(std::string("USER32.DLL!") + name)) << "imports " << name;
}

TEST(Boundary, ImportsOnlySystemLibrariesAndExportsTwoNames) {
#ifdef _WIN64
    ExpectSystemImportsAndTwoExports(ProgramFolder() + "vis_mirn.dll", IMAGE_FILE_MACHINE_AMD64);
    // The plug-in users get, beside its 64-bit stand-in.
    ExpectSystemImportsAndTwoExports(ProgramFolder() + "vis_mirn_x86.dll", IMAGE_FILE_MACHINE_I386);
#else
    ExpectSystemImportsAndTwoExports(ProgramFolder() + "vis_mirn.dll", IMAGE_FILE_MACHINE_I386);
#endif
}

TEST(Boundary, HeaderAndModuleRecords) {
    PluginCopy p = LoadPlugin();
    ASSERT_NE(p.dll, nullptr);
    ASSERT_NE(p.header, nullptr);
    EXPECT_EQ(p.header->version, 257);
    EXPECT_STREQ(p.header->description, "Mirn Title Display plug-in v0.5");
    EXPECT_EQ(p.header->getModule(1), nullptr);
    EXPECT_EQ(p.header->getModule(-1), nullptr);
    VisModule* m = p.header->getModule(0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m, p.header->getModule(0));
    EXPECT_STREQ(m->description, "Title Display (ALPHA)");
    EXPECT_EQ(m->hostWindow, nullptr);
    EXPECT_EQ(m->instance, nullptr);
    EXPECT_EQ(m->latencyMs, 25);
    EXPECT_EQ(m->delayMs, 25);
    EXPECT_EQ(m->spectrumChannels, 0);
    EXPECT_EQ(m->waveformChannels, 0);
    EXPECT_NE(m->configure, nullptr);
    EXPECT_NE(m->start, nullptr);
    EXPECT_NE(m->render, nullptr);
    EXPECT_NE(m->stop, nullptr);
    EXPECT_EQ(m->userData, nullptr);
    // The record is the player's layout: callbacks sit after the two sample arrays.
    // Three pointers and six integers before them, five pointers after.
    const size_t head = 3 * sizeof(void*) + 6 * 4, tail = 5 * sizeof(void*);
    EXPECT_EQ(offsetof(VisModule, configure), head + 4 * 576);
    EXPECT_EQ(sizeof(VisModule), head + 4 * 576 + tail);
#ifndef _WIN64
    EXPECT_EQ(offsetof(VisModule, configure), 36u + 4 * 576);
#endif
    UnloadPlugin(&p);
}

TEST(Boundary, LoadingDoesNoWorkOfItsOwn) {
    PluginCopy p = LoadPlugin();
    ASSERT_NE(p.dll, nullptr);
    EXPECT_FALSE(FileExists(p.iniPath)) << "loading must not touch the settings file";
    EXPECT_EQ(FindWindowA("MirnVis", nullptr), nullptr);
    UnloadPlugin(&p);
}

}  // namespace
