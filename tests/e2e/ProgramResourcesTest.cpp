// What Windows reads from the shipped executable without running a line of
// it: the manifest, the icon, the version, and the functions it imports.
#include "InstallerDriver.h"
#include "support/TempFolder.h"
#include "support/Wide.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <windows.h>

static std::string Resource(HMODULE module, LPCSTR type, int id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return {};
    auto* bytes = (const char*)LockResource(LoadResource(module, found));
    return std::string(bytes, SizeofResource(module, found));
}

class ProgramResources : public testing::Test {
protected:
    // A setting of the program's manifest as its activation context holds it;
    // empty when there is none.
    std::string WindowsSetting(const char* ns, const char* name) const
    {
        std::wstring path = Wide(InstallerPath());
        ACTCTXW context = {};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = path.c_str();
        context.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE activation = CreateActCtxW(&context);
        if (activation == INVALID_HANDLE_VALUE)
            return "no activation context";
        wchar_t value[100] = {};
        SIZE_T written = 0;
        BOOL found = QueryActCtxSettingsW(0, activation, Wide(ns).c_str(), Wide(name).c_str(), value, 100, &written);
        ReleaseActCtx(activation);
        return found ? Utf8(std::wstring(value)) : "";
    }

    void SetUp() override
    {
        program = LoadLibraryExA(InstallerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr) << InstallerPath();
    }
    void TearDown() override { FreeLibrary(program); }
    HMODULE program = nullptr;
};

TEST_F(ProgramResources, TheManifestAsksForNoRightsAndListsEveryWindowsVersion)
{
    std::string manifest = Resource(program, MAKEINTRESOURCEA(24), 1);
    ASSERT_FALSE(manifest.empty());
    // No rights asked at start: the installer asks for them only where the host folder needs them.
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    // Windows would otherwise stretch a picture of the window made for another
    // scale: per-monitor awareness where Windows knows it (10, 1703 on), else
    // the system's, read as the system's own parser of manifests reads them.
    EXPECT_EQ(WindowsSetting("http://schemas.microsoft.com/SMI/2016/WindowsSettings", "dpiAwareness"),
              "PerMonitorV2, System");
    EXPECT_EQ(WindowsSetting("http://schemas.microsoft.com/SMI/2005/WindowsSettings", "dpiAware"), "true");
    for (const char* os : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(os), std::string::npos) << os;
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << "the classic controls";
}

TEST_F(ProgramResources, TheIconIsOne16By16ImageWith256Colours)
{
    std::string group = Resource(program, MAKEINTRESOURCEA(14), 1);     // RT_GROUP_ICON
    ASSERT_EQ(group.size(), 6u + 14u) << "one entry";
    auto* entry = (const unsigned char*)group.data() + 6;
    EXPECT_EQ(entry[0], 16);
    EXPECT_EQ(entry[1], 16);
    EXPECT_EQ(entry[2], 0) << "256 colours";
    EXPECT_EQ(entry[6] | entry[7] << 8, 8) << "bits per pixel";
}

// The version resource, read as Windows reads it for the file's Properties.
class ProgramVersion : public testing::Test {
protected:
    void SetUp() override
    {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeA(InstallerPath().c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(InstallerPath().c_str(), 0, size, block.data()));
    }
    std::string Value(const std::string& table, const char* name)
    {
        char* text = nullptr;
        UINT length = 0;
        std::string path = "\\StringFileInfo\\" + table + "\\" + name;
        if (!VerQueryValueA(block.data(), path.c_str(), (void**)&text, &length) || !text)
            return "<missing>";
        return text;
    }
    std::vector<char> block;
};

TEST_F(ProgramVersion, FixedVersionStringTablesAndTranslations)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void**)&fixed, &length));
    ASSERT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    // The build's version: the descriptor's, as 2.10.0.0.
    unsigned major = 0, minor = 0, patch = 0, tweak = 0;
    ASSERT_EQ(sscanf(QUILLFERN_VERSION, "%u.%u.%u.%u", &major, &minor, &patch, &tweak), 4) << QUILLFERN_VERSION;
    const DWORD high = major << 16 | minor;
    const DWORD low = patch << 16 | tweak;
    EXPECT_EQ(fixed->dwFileVersionMS, high);
    EXPECT_EQ(fixed->dwFileVersionLS, low);
    EXPECT_EQ(fixed->dwProductVersionMS, high);
    EXPECT_EQ(fixed->dwProductVersionLS, low);

    // What a user reads is the library's version: major.minor.
    const std::string product = std::to_string(major) + "." + std::to_string(minor);
    const std::string description[] = {"Installation de Quillfern " + product, "Quillfern " + product + " Setup"};
    const char* const tables[] = {"040C04E4", "040904E4"};
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE(tables[i]);
        EXPECT_EQ(Value(tables[i], "ProductName"), "Quillfern");
        EXPECT_EQ(Value(tables[i], "ProductVersion"), product);
        EXPECT_EQ(Value(tables[i], "FileVersion"), QUILLFERN_VERSION);
        EXPECT_EQ(Value(tables[i], "FileDescription"), description[i]);
        EXPECT_EQ(Value(tables[i], "OriginalFilename"), "QuillfernSetup.exe");
        EXPECT_EQ(Value(tables[i], "InternalName"), "QuillfernSetup");
    }

    WORD* translations = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", (void**)&translations, &length));
    ASSERT_EQ(length, 8u) << "two language and code page pairs";
    EXPECT_EQ(std::vector<WORD>(translations, translations + 4), (std::vector<WORD>{0x040C, 1252, 0x0409, 1252}));
}

// Each function the program imports, as "dll!name" in lower case, read from
// the file's import table as the loader reads it.
static std::vector<std::string> ImportedNames(const std::string& file)
{
    std::vector<std::string> names;
    auto at = [&](size_t offset, size_t size) { return offset + size <= file.size() ? file.data() + offset : nullptr; };
    auto* dos = (const IMAGE_DOS_HEADER*)at(0, sizeof(IMAGE_DOS_HEADER));
    if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return names;
    size_t nt = dos->e_lfanew;
    auto* header = (const IMAGE_FILE_HEADER*)at(nt + 4, sizeof(IMAGE_FILE_HEADER));
    const char* optional = header ? at(nt + 4 + sizeof(IMAGE_FILE_HEADER), header->SizeOfOptionalHeader) : nullptr;
    if (!optional)
        return names;
    bool wide = *(const WORD*)optional == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const IMAGE_DATA_DIRECTORY& imports = wide
        ? ((const IMAGE_OPTIONAL_HEADER64*)optional)->DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
        : ((const IMAGE_OPTIONAL_HEADER32*)optional)->DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* sections = (const IMAGE_SECTION_HEADER*)(optional + header->SizeOfOptionalHeader);
    auto offsetOf = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < header->NumberOfSections; i++) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        return file.size();
    };
    auto text = [&](DWORD rva) {
        const char* start = at(offsetOf(rva), 1);
        std::string name = start ? std::string(start, strnlen(start, file.data() + file.size() - start)) : "";
        for (char& c : name)
            c = (char)tolower((unsigned char)c);
        return name;
    };
    for (size_t entry = offsetOf(imports.VirtualAddress);; entry += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        auto* descriptor = (const IMAGE_IMPORT_DESCRIPTOR*)at(entry, sizeof(IMAGE_IMPORT_DESCRIPTOR));
        if (!descriptor || descriptor->Name == 0)
            break;
        std::string dll = text(descriptor->Name);
        DWORD thunks = descriptor->OriginalFirstThunk ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
        size_t step = wide ? 8 : 4;
        for (size_t thunk = offsetOf(thunks);; thunk += step) {
            const char* value = at(thunk, step);
            ULONGLONG data = !value ? 0 : wide ? *(const ULONGLONG*)value : *(const DWORD*)value;
            if (data == 0)
                break;
            bool byOrdinal = wide ? (data & IMAGE_ORDINAL_FLAG64) != 0 : (data & IMAGE_ORDINAL_FLAG32) != 0;
            names.push_back(dll + "!" + (byOrdinal ? "#" + std::to_string(data & 0xFFFF) : text((DWORD)data + 2)));
        }
    }
    return names;
}

// Windows forwards some exports to a DLL that is no KnownDLL, which the
// loader then looks for beside the program first, before a line of it runs:
// advapi32's SystemFunction036 (RtlGenRandom), 040 and 041 to cryptbase.dll,
// its Crypt* functions to cryptsp.dll. Wine implements them itself, so no
// planted DLL could show it here: the import table is read instead.
TEST(ProgramImports, NoneThatWindowsForwardsOutsideTheKnownDlls)
{
    std::vector<std::string> names = ImportedNames(ReadWholeFile(InstallerPath()));
    ASSERT_GT(names.size(), 10u) << "the import table was not read";
    EXPECT_NE(std::find(names.begin(), names.end(), "kernel32.dll!createfilew"), names.end());
    for (const std::string& name : names) {
        bool forwarded = name == "advapi32.dll!systemfunction036" || name == "advapi32.dll!systemfunction040"
            || name == "advapi32.dll!systemfunction041" || name.rfind("advapi32.dll!crypt", 0) == 0;
        EXPECT_FALSE(forwarded) << name;
    }
}
