// The records the copy with rights sends, read on their bytes alone: the
// shapes the channel documents, and nothing else taken.
#include "app/rights/ChannelRecord.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Exactly the record's bytes, then the terminator the channel puts after them.
struct Received {
    explicit Received(const std::string& record) : bytes(record.begin(), record.end())
    {
        bytes.push_back(0);
        valid = ChannelParseRecord(bytes.data(), (int)record.size(), &parsed) != 0;
    }
    std::vector<char> bytes;
    ChannelRecord parsed = {};
    bool valid = false;
};

std::string Number(char kind, unsigned value)
{
    std::string record(1, kind);
    for (int i = 0; i < 4; i++, value >>= 8)
        record += (char)(value & 0xFF);
    return record;
}

}

TEST(ChannelRecordParse, TakesEachKindInItsShape)
{
    Received line(std::string("LExtracted file : é"));
    ASSERT_TRUE(line.valid);
    EXPECT_EQ(line.parsed.kind, ChannelLine);
    EXPECT_STREQ(line.parsed.text, "Extracted file : é");

    Received question(std::string("QHelp\\Quillfern.chm\0viewer.exe, editor.exe", 42));
    ASSERT_TRUE(question.valid);
    EXPECT_STREQ(question.parsed.text, "Help\\Quillfern.chm");
    EXPECT_STREQ(question.parsed.holders, "viewer.exe, editor.exe");
    Received noHolders(std::string("QHelp\\Quillfern.chm\0", 20));
    ASSERT_TRUE(noHolders.valid) << "no holder named: the other side says \"another program\"";
    EXPECT_STREQ(noHolders.parsed.holders, "");

    Received step(Number('S', 0x103));
    ASSERT_TRUE(step.valid);
    EXPECT_EQ(step.parsed.number, 259) << "least significant byte first";
    EXPECT_TRUE(Received(Number('R', 0)).valid);
    EXPECT_TRUE(Received(Number('R', 1000)).valid);
    EXPECT_TRUE(Received(Number('A', 1)).valid);
    EXPECT_TRUE(Received("G").valid);
}

TEST(ChannelRecordParse, RefusesAnythingElse)
{
    const std::vector<std::string> refused = {
        "",
        std::string("LA line\0with a zero", 19),
        "QHelp\\Quillfern.chm",                           // its holders would lie past the record
        std::string("Qname\0holders\0more", 19),
        Number('S', 1001),
        Number('R', 0xFFFFFFFF),                          // -1 as a count of files
        Number('A', 2),
        Number('S', 3).substr(0, 4),
        Number('S', 3) + "x",
        "GO",
        Number('X', 1),
        "Z",
    };
    for (const std::string& record : refused)
        EXPECT_FALSE(Received(record).valid) << "a record of " << record.size() << " bytes, kind " << record[0];
}
