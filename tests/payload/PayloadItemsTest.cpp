// The payload as the program sees it at run time: the marks and the items'
// headers.
#include "payload/Payload.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>

static unsigned U32(const unsigned char* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | (unsigned)p[3] << 24;
}

static unsigned U16(const unsigned char* p)
{
    return p[0] | p[1] << 8;
}

struct Item {
    const char* name;
    const unsigned char* start;
    const unsigned char* end;
};

static const Item Items[] = {
    {"HelpFrench", HelpFrenchStart, HelpEnglishStart},
    {"HelpEnglish", HelpEnglishStart, LibraryFileStart},
    {"LibraryFile", LibraryFileStart, ResidentFileStart},
    {"ResidentFile", ResidentFileStart, ExampleSourcesStart},
    {"ExampleSources", ExampleSourcesStart, LogoBitmapStart},
    {"LogoBitmap", LogoBitmapStart, ButtonBitmapStart},
    {"ButtonBitmap", ButtonBitmapStart, PayloadEnd},
};

TEST(PayloadMarks, ItemsLieEndToEndInCatalogueOrder)
{
    EXPECT_EQ(HelpFrenchStart, PayloadBlock);
    for (const Item& item : Items)
        EXPECT_LT(item.start, item.end) << item.name;
    EXPECT_EQ(ExampleSourcesStart + PayloadExampleTintwellSize, LogoBitmapStart)
        << "the example table's size is the example item's length";
    EXPECT_EQ(PayloadEnd, PayloadBlock + PayloadSize);
}

TEST(PayloadMarks, HelpFilesCarryTheirHeaders)
{
    const unsigned char* french = HelpFrenchStart;
    const unsigned char* english = HelpEnglishStart;
    for (const unsigned char* help : {french, english}) {
        EXPECT_EQ(memcmp(help, "ITSF", 4), 0);
        EXPECT_EQ(U32(help + 4), 3u);
        EXPECT_EQ(U32(help + 8), 96u);
    }
    EXPECT_EQ(U32(french + 0x14), 0x040Cu);
    EXPECT_EQ(U32(english + 0x14), 0x0409u);
    // Header section 0 (its offset at 0x38) records the file's length at +8.
    const unsigned char* ends[] = {HelpEnglishStart, LibraryFileStart};
    const unsigned char* starts[] = {french, english};
    for (int i = 0; i < 2; i++) {
        unsigned sectionOffset = U32(starts[i] + 0x38);
        EXPECT_EQ(U32(starts[i] + sectionOffset), 0x1FEu);
        EXPECT_EQ(U32(starts[i] + sectionOffset + 8), (unsigned)(ends[i] - starts[i]));
    }
}

TEST(PayloadMarks, LibraryAndResidentFilesBeginWithTheirMagic)
{
    const unsigned char* library = LibraryFileStart;
    EXPECT_EQ(memcmp(library, "ERUP", 4), 0);
    EXPECT_EQ(U32(library + 4), 253u);
    EXPECT_EQ(memcmp(library + 8, "3BIL", 4), 0);
    EXPECT_EQ(U32(library + 12), 1u);
    EXPECT_EQ(memcmp(library + 16, "LIB3", 4), 0);

    const unsigned char* residents = ResidentFileStart;
    EXPECT_EQ(memcmp(residents, "ERUP", 4), 0);
    EXPECT_EQ(U32(residents + 4), 0u);
    EXPECT_EQ(memcmp(residents + 8, "2SER", 4), 0);
    EXPECT_EQ(memcmp(residents + 12, "TCRS", 4), 0);
    EXPECT_EQ(U32(residents + 16), 0u);
    EXPECT_EQ(memcmp(residents + 20, "TSNC", 4), 0);
    EXPECT_EQ(U32(residents + 24), (unsigned)(ExampleSourcesStart - residents - 28));
}

TEST(PayloadMarks, BitmapsCarryTheirExactHeaders)
{
    struct Expected {
        const unsigned char* bmp;
        unsigned fileSize, offset, width, height, bits, imageSize, perMetre, colours;
    } expected[] = {
        {LogoBitmapStart, 55330, 1078, 546, 99, 8, 54252, 2931, 256},
        {ButtonBitmapStart, 822, 54, 16, 16, 24, 768, 3779, 0},
    };
    for (const Expected& e : expected) {
        EXPECT_EQ(memcmp(e.bmp, "BM", 2), 0);
        EXPECT_EQ(U32(e.bmp + 2), e.fileSize);
        EXPECT_EQ(U32(e.bmp + 10), e.offset);
        EXPECT_EQ(U32(e.bmp + 14), 40u);
        EXPECT_EQ(U32(e.bmp + 18), e.width);
        EXPECT_EQ(U32(e.bmp + 22), e.height) << "positive: bottom-up";
        EXPECT_EQ(U16(e.bmp + 26), 1u);
        EXPECT_EQ(U16(e.bmp + 28), e.bits);
        EXPECT_EQ(U32(e.bmp + 30), 0u) << "BI_RGB";
        EXPECT_EQ(U32(e.bmp + 34), e.imageSize);
        EXPECT_EQ(U32(e.bmp + 38), e.perMetre);
        EXPECT_EQ(U32(e.bmp + 42), e.perMetre);
        EXPECT_EQ(U32(e.bmp + 46), e.colours);
        EXPECT_EQ(U32(e.bmp + 50), e.colours);
    }
    EXPECT_EQ(LogoBitmapStart + 55330, ButtonBitmapStart);
    EXPECT_EQ(ButtonBitmapStart + 822, PayloadEnd);
}

TEST(PayloadMarks, TheExampleIsCrLfTextWithoutAFinalLineEnd)
{
    std::string example((const char*)ExampleSourcesStart, PayloadExampleTintwellSize);
    EXPECT_EQ(example[0], ';') << "begins with a comment line";
    EXPECT_NE(example.back(), '\n');
    for (size_t i = 0; i < example.size(); i++) {
        if (example[i] == '\n') {
            EXPECT_EQ(example[i - 1], '\r') << "at " << i;
        }
        if (example[i] == '\r') {
            EXPECT_EQ(example[i + 1], '\n') << "at " << i;
        }
    }
}
