#include "app/install/HostLocator.h"
#include "runtime/Str.h"
#include "support/TempFolder.h"
#include "support/Wide.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

// ---- Parsing the shell command.

static std::string FolderOf(const char* command)
{
    TempStr start = StrWorkPosition();
    HostFolderFromCommand(command, start);
    std::string folder = start;
    EXPECT_EQ(StrWorkPosition(), start + folder.size());
    StrRewind(start);
    return folder;
}

TEST(HostFolderFromCommand, TakesTheProgramsFolderFromEveryFormOfCommand)
{
    EXPECT_EQ(FolderOf("\"D:\\Dev\\PB\\PureBasic.exe\" \"%1\""), "D:\\Dev\\PB\\");
    EXPECT_EQ(FolderOf("D:\\Dev\\PB\\PureBasic.exe \"%1\""), "D:\\Dev\\PB\\") << "drive letter kept";
    EXPECT_EQ(FolderOf("C:\\Program Files\\PureBasic\\PureBasic.exe \"%1\""), "C:\\Program Files\\PureBasic\\");
    EXPECT_EQ(FolderOf("C:\\Program Files\\PureBasic\\PUREBASIC.EXE"), "C:\\Program Files\\PureBasic\\");
    EXPECT_EQ(FolderOf("C:\\PB\\PureBasic.exe /x \"%1\" /y"), "C:\\PB\\");
    EXPECT_EQ(FolderOf("\"C:\\PB\\PureBasic.exe\" /ini \"C:\\cfg\\pb.prefs\" \"%1\""), "C:\\PB\\")
        << "an argument with backslashes never yields the program's own path";
    EXPECT_EQ(FolderOf("\\\\server\\share\\PB\\PureBasic.exe %1"), "\\\\server\\share\\PB\\");
    EXPECT_EQ(FolderOf("C:\\PB.exes\\tool\\PureBasic %1"), "C:\\PB.exes\\tool\\") << "no .exe ending a word";
}

TEST(HostFolderFromCommand, GivesNothingWithoutAnAbsoluteFolder)
{
    EXPECT_EQ(FolderOf(""), "");
    EXPECT_EQ(FolderOf(nullptr), "");
    EXPECT_EQ(FolderOf("\"%1\""), "");
    EXPECT_EQ(FolderOf("a\"%1\""), "");
    EXPECT_EQ(FolderOf("PureBasic.exe \"%1\""), "");
    EXPECT_EQ(FolderOf("Dev\\PB\\PureBasic.exe \"%1\""), "") << "relative";
    EXPECT_EQ(FolderOf(":\\Dev\\PB\\PureBasic.exe"), "");
    EXPECT_EQ(FolderOf("\"D:\\Dev\\PB\\PureBasic.exe"), "D:\\Dev\\PB\\") << "missing closing quote";
}

// ---- Against the registry of the Wine prefix.

static const char ClassesRootKey[] = "Applications\\PureBasic.exe\\shell\\open\\command";
static const char MachineKey[] = "Software\\Classes\\PureBasic.exe\\shell\\open\\command";

class RegisteredHostFolderTest : public testing::Test {
protected:
    void SetUp() override { RemoveKeys(); }
    void TearDown() override { RemoveKeys(); }

    static void RemoveKeys()
    {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "Applications\\PureBasic.exe");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\PureBasic.exe");
    }

    static HKEY CreateKey(HKEY root, const char* path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        return key;
    }

    // Text of wide types is taken as UTF-16, as the system stores it.
    static void SetDefault(HKEY root, const char* path, DWORD type, const void* data, DWORD size)
    {
        HKEY key = CreateKey(root, path);
        EXPECT_EQ(RegSetValueExA(key, "", 0, type, (const BYTE*)data, size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static void SetDefault(HKEY root, const char* path, DWORD type, const wchar_t* data, DWORD size)
    {
        HKEY key = CreateKey(root, path);
        EXPECT_EQ(RegSetValueExW(key, L"", 0, type, (const BYTE*)data, size), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static void SetCommand(HKEY root, const char* path, const std::string& command)
    {
        SetDefault(root, path, REG_SZ, command.c_str(), (DWORD)command.size() + 1);
    }

    static std::string Command(const std::string& folder)
    {
        return "\"" + folder + "PureBasic.exe\" \"%1\"";
    }

    static std::string Locate(char* (*locate)() = RegisteredHostFolder)
    {
        TempStr start = StrWorkPosition();
        char* folder = locate();
        EXPECT_EQ(StrWorkPosition(), start) << "the work position comes back";
        std::string result = folder ? folder : "";
        StrFree(folder);
        return result;
    }
};

TEST_F(RegisteredHostFolderTest, ReadsTheWellFormedValueOfEitherKey)
{
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, "\"D:\\Dev\\PB\\PureBasic.exe\" \"%1\"");
    EXPECT_EQ(Locate(), "D:\\Dev\\PB\\");
    RemoveKeys();
    SetCommand(HKEY_LOCAL_MACHINE, MachineKey, "\"E:\\Other\\PureBasic.exe\" \"%1\"");
    EXPECT_EQ(Locate(), "E:\\Other\\") << "only the other key present";
}

TEST_F(RegisteredHostFolderTest, PrefersTheKeyTheVersionChooses)
{
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, "\"C:\\ByClassesRoot\\PureBasic.exe\" \"%1\"");
    SetCommand(HKEY_LOCAL_MACHINE, MachineKey, "\"C:\\ByMachine\\PureBasic.exe\" \"%1\"");
    bool classesRootFirst = (GetVersion() & 0x00FF0000) != 0;
    EXPECT_EQ(Locate(), classesRootFirst ? "C:\\ByClassesRoot\\" : "C:\\ByMachine\\");
}

TEST_F(RegisteredHostFolderTest, FallsBackWhenTheFirstKeyGivesNoFolder)
{
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, "%1");
    SetCommand(HKEY_LOCAL_MACHINE, MachineKey, "%1");
    EXPECT_EQ(Locate(), "");
    bool classesRootFirst = (GetVersion() & 0x00FF0000) != 0;
    SetCommand(classesRootFirst ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT,
               classesRootFirst ? MachineKey : ClassesRootKey, "\"C:\\Second\\PureBasic.exe\" \"%1\"");
    EXPECT_EQ(Locate(), "C:\\Second\\");
}

TEST_F(RegisteredHostFolderTest, MissingKeyOrDefaultValueGivesNothing)
{
    EXPECT_EQ(Locate(), "");
    HKEY key = CreateKey(HKEY_CLASSES_ROOT, ClassesRootKey);
    RegSetValueExA(key, "other", 0, REG_SZ, (const BYTE*)"\"C:\\X\\PureBasic.exe\"", 21);
    RegCloseKey(key);
    EXPECT_EQ(Locate(), "");
}

TEST_F(RegisteredHostFolderTest, ShortEmptyAndOverlongValuesGiveNothing)
{
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, "\"%1\"");
    EXPECT_EQ(Locate(), "");
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, "");
    EXPECT_EQ(Locate(), "");
    // The longest path Windows takes (32,767 characters), quoted, a blank and
    // a quoted %1: 32,774 characters and the terminator.
    std::string longest = "\"C:\\PB\\PureBasic.exe\" \"" + std::string(32774 - 24, 'x') + "\"";
    ASSERT_EQ(longest.size(), 32774u);
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, longest);
    EXPECT_EQ(Locate(), "C:\\PB\\") << "the longest value still fits";
    SetCommand(HKEY_CLASSES_ROOT, ClassesRootKey, longest + "x");
    EXPECT_EQ(Locate(), "");
}

TEST_F(RegisteredHostFolderTest, OnlyStringValuesCount)
{
    const char command[] = "\"C:\\PB\\PureBasic.exe\" \"%1\"";
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_BINARY, command, sizeof command);
    EXPECT_EQ(Locate(), "");
    DWORD number = 0x5C3A43;    // "C:\" as bytes
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_DWORD, &number, sizeof number);
    EXPECT_EQ(Locate(), "");
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_SZ, command, sizeof command - 1);
    EXPECT_EQ(Locate(), "C:\\PB\\") << "a string stored without its terminator";
    std::wstring wide = Wide(command);
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_SZ, wide.c_str(), (DWORD)(wide.size() * 2 + 1));
    EXPECT_EQ(Locate(), "C:\\PB\\") << "an odd last byte, no terminator";
    // Ending in the program's path, where every character counts: without
    // its last "e" the path would end at its first blank. The system counts
    // a terminator that follows the data in memory, so none may follow it.
    std::wstring bare = L"C:\\Program Files\\PB\\PureBasic.exe|";
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_SZ, bare.c_str(), (DWORD)(bare.size() - 1) * 2);
    EXPECT_EQ(Locate(), "C:\\Program Files\\PB\\") << "an unquoted path alone, no terminator";
}

// Folders in any script, read as the registry holds them (UTF-16) under a
// system code page that has none of these characters.
TEST_F(RegisteredHostFolderTest, FoldersInAnyScriptComeBackExactly)
{
    const std::string folder = "C:\\Пользователь\\Ελληνικά\\中文 𝄞\\";
    std::wstring command = Wide("\"" + folder + "PureBasic.exe\" \"%1\"");
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_SZ, command.c_str(), (DWORD)(command.size() + 1) * 2);
    EXPECT_EQ(Locate(), folder);
    SetEnvironmentVariableW(L"QUILLFERN_TEST_ROOT", Wide("D:\\Ρίζα").c_str());
    std::wstring expandable = L"\"%QUILLFERN_TEST_ROOT%\\PB\\PureBasic.exe\" \"%1\"";
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_EXPAND_SZ, expandable.c_str(),
               (DWORD)(expandable.size() + 1) * 2);
    EXPECT_EQ(Locate(), "D:\\Ρίζα\\PB\\");
    // Half a surrogate pair is no character: such a value names no folder.
    std::wstring broken = L"\"C:\\A\xD834\\PureBasic.exe\" \"%1\"";
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_SZ, broken.c_str(), (DWORD)(broken.size() + 1) * 2);
    EXPECT_EQ(Locate(), "");
}

TEST_F(RegisteredHostFolderTest, ExpandsEnvironmentVariables)
{
    SetEnvironmentVariableA("QUILLFERN_TEST_ROOT", "F:\\Tools");
    const char command[] = "\"%QUILLFERN_TEST_ROOT%\\PB\\PureBasic.exe\" \"%1\"";
    SetDefault(HKEY_CLASSES_ROOT, ClassesRootKey, REG_EXPAND_SZ, command, sizeof command);
    EXPECT_EQ(Locate(), "F:\\Tools\\PB\\");
}

// ---- Only a folder that holds PureBasic.exe is the host's.

static std::string Normalised(const char* path)
{
    HeapStr folder = HostFolderFromPath(path);
    std::string result = folder ? folder : "";
    StrFree(folder);
    return result;
}

TEST(HostFolderFromPath, EndsInOneBackslash)
{
    EXPECT_EQ(Normalised("C:\\PB"), "C:\\PB\\");
    EXPECT_EQ(Normalised("C:\\PB\\"), "C:\\PB\\");
    EXPECT_EQ(Normalised("C:\\"), "C:\\");
    EXPECT_EQ(Normalised("\\\\server\\share"), "\\\\server\\share\\");
    EXPECT_EQ(Normalised(""), "");
}

// The first registration that names a PureBasic folder counts; one whose
// folder or program is gone, or whose PureBasic.exe is a folder, does not.
TEST_F(RegisteredHostFolderTest, LocateTakesTheFirstThatHoldsPureBasic)
{
    std::string temp = MakeTempFolder("locate");
    std::string real = temp + "Real\\", emptied = temp + "Emptied\\", odd = temp + "Odd\\";
    for (const std::string& folder : {real, emptied, odd, odd + "PureBasic.exe\\"})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    CloseHandle(CreateFileA((real + "PureBasic.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    bool classesRootFirst = (GetVersion() & 0x00FF0000) != 0;
    HKEY firstRoot = classesRootFirst ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
    HKEY secondRoot = classesRootFirst ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
    const char* firstKey = classesRootFirst ? ClassesRootKey : MachineKey;
    const char* secondKey = classesRootFirst ? MachineKey : ClassesRootKey;

    for (const std::string& stale : {temp + "Gone\\", emptied, odd}) {
        SCOPED_TRACE(stale);
        SetCommand(firstRoot, firstKey, Command(stale));
        SetCommand(secondRoot, secondKey, Command(stale));
        EXPECT_EQ(Locate([] { return LocateHostFolder(TreeReachByPath); }), "");
        EXPECT_EQ(Locate(), stale) << "still where the dialog starts from";
        EXPECT_FALSE(IsPureBasicFolder(stale.c_str(), TreeReachByPath));
        EXPECT_FALSE(IsPureBasicFolder(stale.c_str(), TreeReachLocal));
        SetCommand(secondRoot, secondKey, Command(real));
        EXPECT_EQ(Locate([] { return LocateHostFolder(TreeReachByPath); }), real) << "the second registration names it";
    }
    SetCommand(firstRoot, firstKey, Command(real));
    SetCommand(secondRoot, secondKey, Command(emptied));
    EXPECT_EQ(Locate([] { return LocateHostFolder(TreeReachByPath); }), real);

    EXPECT_TRUE(IsPureBasicFolder(real.c_str(), TreeReachByPath));
    EXPECT_TRUE(IsPureBasicFolder(real.c_str(), TreeReachLocal)) << "one name at a time from the drive";
    EXPECT_FALSE(IsPureBasicFolder(nullptr, TreeReachByPath));
    RemoveFolderTree(temp);
}

// The folder of this test program, where the file service looks for a
// relative name, ending in a backslash.
static std::string ProgramFolder()
{
    wchar_t path[MAX_PATH] = L"";
    std::string program = Utf8(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.rfind('\\') + 1);
}

static void MakeFile(const std::string& path)
{
    CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
}

// Folders that do hold PureBasic.exe wherever a name is looked up, so that
// only the rule that a host folder is absolute and ends in a backslash
// refuses them: a relative name (a folder of that name beside this program
// and in the current folder), and a folder named without its final
// backslash beside a file whose name is the folder's and PureBasic.exe's.
TEST(IsPureBasicFolder, OnlyAnAbsoluteFolderEndingInABackslash)
{
    std::string temp = MakeTempFolder("relative");
    std::string relative = "qf_relative_" + std::to_string(GetCurrentProcessId()) + "\\";
    std::string besideProgram = ProgramFolder() + relative;
    for (const std::string& folder : {temp + relative, besideProgram}) {
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        MakeFile(folder + "PureBasic.exe");
        ASSERT_TRUE(IsPureBasicFolder(folder.c_str(), TreeReachByPath)) << folder;
    }
    std::string bare = temp + relative.substr(0, relative.size() - 1);
    MakeFile(bare + "PureBasic.exe");
    ASSERT_TRUE(IsFile(bare + "PureBasic.exe"));

    SetCurrentDirectoryA(temp.c_str());
    EXPECT_FALSE(IsPureBasicFolder(relative.c_str(), TreeReachByPath)) << "relative";
    EXPECT_FALSE(IsPureBasicFolder(bare.c_str(), TreeReachByPath)) << "no final backslash";
    SetCurrentDirectoryA("C:\\");
    RemoveFolderTree(besideProgram);
    RemoveFolderTree(temp);
}
