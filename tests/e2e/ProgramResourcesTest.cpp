// What Windows reads from the shipped executable before it runs a line of
// it: the manifest and the icon.
#include "InstallerDriver.h"
#include <gtest/gtest.h>
#include <string>
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
    void SetUp() override
    {
        program = LoadLibraryExA(InstallerPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(program, nullptr) << InstallerPath();
    }
    void TearDown() override { FreeLibrary(program); }
    HMODULE program = nullptr;
};

TEST_F(ProgramResources, TheManifestAsksForElevationAndListsEveryWindowsVersion)
{
    std::string manifest = Resource(program, MAKEINTRESOURCEA(24), 1);
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
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
