#include "support/TempFolder.h"
#include "support/Wide.h"
#include "runtime/File.h"
#include "runtime/Rt.h"
#include <gtest/gtest.h>
#include <fstream>

class File : public testing::Test {
protected:
    void SetUp() override { folder = MakeTempFolder("file"); }
    void TearDown() override
    {
        FileClose(0);
        RemoveFolderTree(folder);
    }
    std::string folder;
};

// The file at the path, made (or emptied) for writing, taken as the current
// file under the number.
static HANDLE TakeNewFile(int number, const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return FileTake(number, file == INVALID_HANDLE_VALUE ? nullptr : file);
}

static void WriteBytes(const char* bytes, int count)
{
    for (int i = 0; i < count; i++)
        ASSERT_NE(FileWriteByte(bytes[i]), 0) << "byte " << i;
}

TEST_F(File, AnExistingFileIsEmptiedAndRewritten)
{
    std::string path = folder + "existing.bin";
    std::ofstream(path, std::ios::binary) << std::string(100, 'x');
    ASSERT_NE(TakeNewFile(0, path), nullptr);
    WriteBytes("abcde", 5);
    FileClose(0);
    EXPECT_EQ(ReadWholeFile(path), "abcde");
}

TEST_F(File, BytesArriveExactlyWithoutTranslation)
{
    std::string path = folder + "bytes.bin";
    ASSERT_NE(TakeNewFile(0, path), nullptr);
    EXPECT_NE(FileWriteByte(0x00), 0);
    EXPECT_NE(FileWriteByte(0xFF), 0);
    EXPECT_NE(FileWriteByte(-23), 0) << "a sign-extended byte keeps its low 8 bits";
    EXPECT_NE(FileWriteByte('\n'), 0);
    FileClose(0);
    EXPECT_EQ(ReadWholeFile(path), std::string("\x00\xFF\xE9\n", 4));
}

// A handle that could not be had, or a number outside the table, leaves
// no current file: writes fail, and a refused handle is closed.
TEST_F(File, NoFileIsCurrentWithoutAHandleOrANumber)
{
    EXPECT_EQ(TakeNewFile(0, folder + "missing\\file.bin"), nullptr);
    EXPECT_EQ(FileWriteByte('a'), 0);
    std::string path = folder + "negative.bin";
    EXPECT_EQ(TakeNewFile(-1, path), nullptr);
    EXPECT_EQ(FileWriteByte('a'), 0);
    EXPECT_NE(DeleteFileA(path.c_str()), 0) << "the refused handle was left open";
}

TEST_F(File, WritesFailOnceTheFileIsClosed)
{
    std::string path = folder + "closed.bin";
    ASSERT_NE(TakeNewFile(0, path), nullptr);
    WriteBytes("ab", 2);
    FileClose(0);
    EXPECT_EQ(FileWriteByte('c'), 0);
    FileClose(0);       // a second close and numbers outside the table do nothing
    FileClose(-3);
    FileClose(100000);
    EXPECT_EQ(ReadWholeFile(path), "ab");
}

TEST_F(File, ClosingAnotherNumberKeepsTheCurrentFile)
{
    std::string first = folder + "first.bin";
    std::string second = folder + "second.bin";
    ASSERT_NE(TakeNewFile(1, first), nullptr);
    ASSERT_NE(TakeNewFile(2, second), nullptr);
    FileClose(1);
    WriteBytes("z", 1);
    FileClose(2);
    EXPECT_EQ(ReadWholeFile(first), "");
    EXPECT_EQ(ReadWholeFile(second), "z");
}

// Bytes still waiting in the buffer belong to the file they were written
// to, whichever file is current when they reach the system.
TEST_F(File, BufferedBytesReachTheirOwnFileWhenAnotherIsCreated)
{
    std::string first = folder + "first.bin";
    std::string second = folder + "second.bin";
    ASSERT_NE(TakeNewFile(1, first), nullptr);
    WriteBytes("ab", 2);
    ASSERT_NE(TakeNewFile(2, second), nullptr);
    WriteBytes("c", 1);
    FileClose(1);
    FileClose(2);
    EXPECT_EQ(ReadWholeFile(first), "ab");
    EXPECT_EQ(ReadWholeFile(second), "c");
}

// Once the reading end of a pipe is gone, the system refuses every byte
// written to it, as a full disk does: file 0 made current on such a pipe.
static HANDLE CreateRefusingFile(const char* name)
{
    HANDLE reader = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1, 0, 0, 0, nullptr);
    if (reader == INVALID_HANDLE_VALUE)
        return nullptr;
    HANDLE writer = TakeNewFile(0, name);
    CloseHandle(reader);
    return writer;
}

// A refused hand-over of the buffer shows in the flush's result, and in the
// result of the byte that finds it full.
TEST_F(File, AHandOverTheSystemRefusesShowsInTheResult)
{
    ASSERT_NE(CreateRefusingFile("\\\\.\\pipe\\quillfern_file_test"), nullptr);
    WriteBytes("abc", 3);
    EXPECT_EQ(FileFlush(0), 0) << "the buffered bytes were refused";
    int written = 0;
    while (written < 100000 && FileWriteByte('x'))
        written++;
    EXPECT_LT(written, 100000) << "no byte showed that the full buffer was refused";
}

// A span goes to the system after the bytes still waiting, whole, however
// long (a long one in several calls).
TEST_F(File, ASpanFollowsTheWaitingBytesWhole)
{
    std::string path = folder + "span.bin";
    std::string span(9 << 20, '\0');
    for (size_t i = 0; i < span.size(); i++)
        span[i] = (char)(i * 131 + (i >> 16));
    ASSERT_NE(TakeNewFile(0, path), nullptr);
    WriteBytes("ab", 2);
    auto start = (const unsigned char*)span.data();
    EXPECT_NE(FileWriteBytes(start, start + span.size()), 0);
    FileClose(0);
    EXPECT_TRUE(ReadWholeFile(path) == "ab" + span) << "the file differs from the bytes written";
    EXPECT_EQ(FileWriteBytes(start, start + 1), 0) << "no file is current";
}

TEST_F(File, ASpanTheSystemRefusesShowsInTheResult)
{
    ASSERT_NE(CreateRefusingFile("\\\\.\\pipe\\quillfern_file_span_test"), nullptr);
    const unsigned char bytes[] = "span";
    EXPECT_EQ(FileWriteBytes(bytes, bytes + 4), 0);
}

TEST_F(File, NumberTwelveGrowsTheTableToTwentyTwo)
{
    FileInit();
    EXPECT_EQ(FileCapacity(), 10);
    ASSERT_NE(TakeNewFile(12, folder + "twelve.bin"), nullptr);
    EXPECT_EQ(FileCapacity(), 22);
    ASSERT_NE(TakeNewFile(21, folder + "twentyone.bin"), nullptr);
    EXPECT_EQ(FileCapacity(), 22);
    FileClose(12);
    FileClose(21);
}

static int MatchesFile(const std::string& path, const unsigned char* start, const unsigned char* end)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    int matches = FileHandleMatches(file, start, end);
    CloseHandle(file);
    return matches;
}

TEST_F(File, MatchesOnlyTheExactBytes)
{
    static const unsigned char item[] = {'q', 0x00, 0xFF, 'f'};
    const unsigned char* end = item + sizeof item;
    std::string path = folder + "check.bin";
    std::ofstream(path, std::ios::binary) << std::string((const char*)item, sizeof item);
    EXPECT_EQ(MatchesFile(path, item, end), 1);
    std::ofstream(path, std::ios::binary) << std::string("q\0\xFE" "f", 4);
    EXPECT_EQ(MatchesFile(path, item, end), 0) << "a changed byte";
    std::ofstream(path, std::ios::binary) << std::string((const char*)item, 3);
    EXPECT_EQ(MatchesFile(path, item, end), 0) << "shorter";
    std::ofstream(path, std::ios::binary) << std::string((const char*)item, sizeof item) << "x";
    EXPECT_EQ(MatchesFile(path, item, end), 0) << "longer";
    std::string big(1500, 'b');
    std::ofstream(path, std::ios::binary) << big;
    auto* bytes = (const unsigned char*)big.data();
    EXPECT_EQ(MatchesFile(path, bytes, bytes + big.size()), 1) << "across several reads";
}

static std::wstring WidePathOf(const std::string& name)
{
    HeapWideStr path = FileWidePath(name.c_str());
    std::wstring wide = path ? path : L"(none)";
    RtFree(path);
    return wide;
}

TEST_F(File, WidePathsTakeTheLongFormOnlyWhenTooLong)
{
    std::string deep = "C:\\" + std::string(250, 'x') + "\\f";
    std::string share = "\\\\server\\share\\" + std::string(250, 'y');
    EXPECT_EQ(WidePathOf("C:\\a\\\\b\\.\\c\\..\\d.txt"), L"C:\\a\\b\\d.txt") << "normalised";
    EXPECT_EQ(WidePathOf(deep), L"\\\\?\\" + Wide(deep));
    EXPECT_EQ(WidePathOf(deep + "\\..\\g"), L"\\\\?\\C:\\" + std::wstring(250, L'x') + L"\\g");
    EXPECT_EQ(WidePathOf(share), L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L'y'));
    EXPECT_EQ(WidePathOf("\\\\?\\" + deep), L"\\\\?\\" + Wide(deep)) << "already in the long form";
    SetCurrentDirectoryW(Wide(folder).c_str());
    EXPECT_EQ(WidePathOf("rel\\ф.txt"), Wide(folder + "rel\\ф.txt")) << "relative to the current folder";
    EXPECT_EQ(WidePathOf(""), L"(none)");
    std::string longest = "C:\\" + std::string(32758, 'z');
    EXPECT_EQ(WidePathOf(longest), L"\\\\?\\" + Wide(longest)) << "with room for any prefix, under 32,768";
    EXPECT_EQ(WidePathOf(longest + "z"), L"(none)");
    EXPECT_EQ(WidePathOf("C:\\" + std::string(40000, 'z')), L"(none)") << "longer than any path";
    EXPECT_EQ(WidePathOf("C:\\\xC3("), L"(none)") << "not UTF-8";
}

// The forms a Windows path names a server with, and those that name a
// drive (the prefix's C: is a fixed disk), as Microsoft's path
// documentation lists them.
TEST_F(File, NetworkNamesAreToldFromTheirFormAlone)
{
    for (const char* network : {"\\\\server\\share\\PB\\", "\\\\?\\UNC\\server\\share\\PB\\", "\\\\.\\UNC\\server\\share\\"})
        EXPECT_EQ(FileIsOnNetwork(network), 1) << network;
    ASSERT_EQ(GetDriveTypeW(L"C:\\"), (UINT)DRIVE_FIXED);
    for (const char* local : {"C:\\PB\\", "\\\\?\\C:\\PB\\", "\\\\.\\C:\\PB\\", "c:\\"})
        EXPECT_EQ(FileIsOnNetwork(local), 0) << local;
}
