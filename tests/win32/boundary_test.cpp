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
size_t Offset(const IMAGE_NT_HEADERS32* nt, DWORD rva) {
    const IMAGE_SECTION_HEADER* sec = IMAGE_FIRST_SECTION(nt);
    for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++sec)
        if (rva >= sec->VirtualAddress && rva < sec->VirtualAddress + sec->Misc.VirtualSize)
            return rva - sec->VirtualAddress + sec->PointerToRawData;
    return 0;
}

struct PeTables {
    WORD machine = 0;
    std::set<std::string> imports;  // upper case
    std::set<std::string> exports;
};

PeTables ReadTables(const std::string& path) {
    PeTables t;
    std::vector<unsigned char> f = ReadFileBytes(path);
    if (f.size() < sizeof(IMAGE_DOS_HEADER)) return t;
    const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)f.data();
    const IMAGE_NT_HEADERS32* nt = (const IMAGE_NT_HEADERS32*)(f.data() + dos->e_lfanew);
    t.machine = nt->FileHeader.Machine;
    const IMAGE_DATA_DIRECTORY& imp = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (const IMAGE_IMPORT_DESCRIPTOR* d = (const IMAGE_IMPORT_DESCRIPTOR*)(f.data() + Offset(nt, imp.VirtualAddress));
         d->Name; ++d) {
        std::string name = (const char*)f.data() + Offset(nt, d->Name);
        std::transform(name.begin(), name.end(), name.begin(), ::toupper);
        t.imports.insert(name);
    }
    const IMAGE_DATA_DIRECTORY& exp = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (exp.Size) {
        const IMAGE_EXPORT_DIRECTORY* e = (const IMAGE_EXPORT_DIRECTORY*)(f.data() + Offset(nt, exp.VirtualAddress));
        const DWORD* names = (const DWORD*)(f.data() + Offset(nt, e->AddressOfNames));
        for (DWORD i = 0; i < e->NumberOfNames; ++i) t.exports.insert((const char*)f.data() + Offset(nt, names[i]));
        EXPECT_EQ(e->NumberOfFunctions, e->NumberOfNames) << "no exports by ordinal only";
    }
    return t;
}

TEST(Boundary, ImportsOnlySystemLibrariesAndExportsTwoNames) {
    PeTables t = ReadTables(ProgramFolder() + "vis_mirn.dll");
    EXPECT_EQ(t.machine, IMAGE_FILE_MACHINE_I386);
    const std::set<std::string> allowed = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "COMDLG32.DLL", "SHELL32.DLL",
                                           "MSVCRT.DLL"};
    EXPECT_FALSE(t.imports.empty());
    for (const std::string& name : t.imports) EXPECT_TRUE(allowed.count(name)) << "imports " << name;
    EXPECT_EQ(t.exports, (std::set<std::string>{"GetMsgProc", "winampVisGetHeader"}));
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
    EXPECT_EQ(offsetof(VisModule, configure), 36u + 4 * 576);
    EXPECT_EQ(sizeof(VisModule), 36u + 4 * 576 + 20);
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
