#include "support/ChildProcess.h"
#include "runtime/Rt.h"
#include <gtest/gtest.h>
#include <cstring>

// ---- Processor faults and the end, in a program started like the installer.

static ChildResult RunFaultProbe(const std::string& words)
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    strcpy(strrchr(path, '\\') + 1, "fault_probe.exe");
    return RunProcess("\"" + std::string(path) + "\" " + words);
}

// A fault must end the process through the system's handling: never with the
// exit code 0 that the installer's own end gives, never by resuming.
static void ExpectEndedByFault(const ChildResult& child)
{
    EXPECT_TRUE(child.finished);
    EXPECT_NE(child.exitCode, 0u);
    EXPECT_EQ(child.output.find("fault resumed"), std::string::npos);
}

static bool Says(const ChildResult& child, const char* text)
{
    return child.output.find(text) != std::string::npos;
}

TEST(RtFaults, SegvHandlerIsRaisedFirstThenTheProcessEnds)
{
    ChildResult child = RunFaultProbe("segv");
    ExpectEndedByFault(child);
    EXPECT_TRUE(Says(child, "SIGSEGV handler ran")) << child.output;
}

TEST(RtFaults, FpeHandlerIsRaisedWhenNoSegvHandlerExists)
{
    ChildResult child = RunFaultProbe("fpe");
    ExpectEndedByFault(child);
    EXPECT_TRUE(Says(child, "SIGFPE handler ran")) << child.output;
}

TEST(RtFaults, OnlyTheSegvHandlerRunsWhenBothExist)
{
    ChildResult child = RunFaultProbe("segv fpe");
    ExpectEndedByFault(child);
    EXPECT_TRUE(Says(child, "SIGSEGV handler ran")) << child.output;
    EXPECT_FALSE(Says(child, "SIGFPE handler ran")) << child.output;
}

TEST(RtFaults, TheSignalDependsOnTheHandlerNotOnTheFault)
{
    ChildResult child = RunFaultProbe("segv fpe divide");
    ExpectEndedByFault(child);
    EXPECT_TRUE(Says(child, "SIGSEGV handler ran")) << child.output;
    EXPECT_FALSE(Says(child, "SIGFPE handler ran")) << child.output;
}

TEST(RtFaults, WithoutHandlersTheSystemEndsTheProcess)
{
    ChildResult child = RunFaultProbe("");
    ExpectEndedByFault(child);
    EXPECT_FALSE(Says(child, "handler ran")) << child.output;
}

TEST(RtEnd, EndsTheProcessWithExitCode0)
{
    ChildResult child = RunFaultProbe("end");
    EXPECT_TRUE(child.finished);
    EXPECT_EQ(child.exitCode, 0u);
    EXPECT_EQ(child.output, "");
}

// ---- Dynamic arrays and tables.

TEST(RtArrays, HoldUpperBoundPlusOneZeroedElements)
{
    auto* elements = (unsigned char*)RtArrayAlloc(8, 2);
    ASSERT_NE(elements, nullptr);
    EXPECT_EQ(RtArrayUpperBound(elements), 2);
    for (int i = 0; i < 24; i++)
        EXPECT_EQ(elements[i], 0) << "byte " << i;
    memset(elements, 0xAB, 24);     // all three elements are ours to write
    RtArrayFree(elements);

    auto* single = (int*)RtArrayAlloc(sizeof(int), 0);
    ASSERT_NE(single, nullptr);
    EXPECT_EQ(RtArrayUpperBound(single), 0);
    EXPECT_EQ(single[0], 0);
    RtArrayFree(single);
}

TEST(RtArrays, NullIsIgnoredAndImpossibleSizesGiveNull)
{
    RtArrayFree(nullptr);
    EXPECT_EQ(RtArrayAlloc(8, -1), nullptr);
    EXPECT_EQ(RtArrayAlloc((SIZE_T)-1 / 2, 5), nullptr);
}

TEST(RtArrays, ElementsArePointerAligned)
{
    void* elements = RtArrayAlloc(sizeof(void*), 3);
    EXPECT_EQ((UINT_PTR)elements % (2 * sizeof(void*)), 0u);
    RtArrayFree(elements);
}

TEST(RtTables, GrowToTheNumberPlusTheStepKeepingOldRecords)
{
    void* table = nullptr;
    int capacity = 0;
    ASSERT_EQ(RtTableReserve(&table, &capacity, 0, 10, sizeof(HANDLE)), 1);
    EXPECT_EQ(capacity, 10);
    ((HANDLE*)table)[3] = (HANDLE)0x1234;

    ASSERT_EQ(RtTableReserve(&table, &capacity, 9, 10, sizeof(HANDLE)), 1);
    EXPECT_EQ(capacity, 10) << "a number below the capacity needs no growth";

    ASSERT_EQ(RtTableReserve(&table, &capacity, 12, 10, sizeof(HANDLE)), 1);
    EXPECT_EQ(capacity, 22);
    auto* slots = (HANDLE*)table;
    EXPECT_EQ(slots[3], (HANDLE)0x1234);
    for (int i = 10; i < 22; i++)
        EXPECT_EQ(slots[i], nullptr) << "slot " << i;
    RtFree(table);
}

TEST(RtTables, ATableThatCannotGrowIsLeftUnchanged)
{
    void* table = nullptr;
    int capacity = 0;
    ASSERT_EQ(RtTableReserve(&table, &capacity, 0, 10, 4), 1);
    void* before = table;
    EXPECT_EQ(RtTableReserve(&table, &capacity, 0x7FFFFFF0, 10, 1 << 20), 0);
    EXPECT_EQ(table, before);
    EXPECT_EQ(capacity, 10);
    RtFree(table);
}

// The CRC-32 one bit at a time, as zlib defines it.
static DWORD BitwiseCrc32(const unsigned char* bytes, size_t size)
{
    DWORD crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; i++) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; bit++)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// Several bytes are taken at once: every length and start around a step's
// width must give the value of one byte at a time.
TEST(RtCrc32, MatchesTheBitwiseCrcAtEveryLengthAndStart)
{
    EXPECT_EQ(RtCrc32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(RtCrc32("", 0), 0u);
    unsigned char bytes[64];
    DWORD seed = 12345;
    for (unsigned char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = (unsigned char)(seed >> 16);
    }
    for (size_t start = 0; start < 16; start++) {
        for (size_t size = 0; start + size <= sizeof bytes; size++)
            ASSERT_EQ(RtCrc32(bytes + start, size), BitwiseCrc32(bytes + start, size)) << start << " " << size;
    }
}
