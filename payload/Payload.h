#pragma once
// The installer's embedded files and pictures. Plain data: the marks are
// constant expressions, so nothing here needs code run at start-up.
#include "PayloadLayout.h"

// The seven items, end to end in one read-only block inside the executable,
// in this order: HelpFrench, HelpEnglish, LibraryFile, ResidentFile,
// ExampleSources, LogoBitmap, ButtonBitmap. The block is assembled
// (PayloadBlock.s), under one symbol name on both targets: 32-bit C names
// would otherwise carry a leading underscore and 64-bit ones none.
extern const unsigned char PayloadBlock[PayloadSize] __asm__("PayloadBlock");

// Marks: the first byte of each item; the block's end is one past the last
// item's last byte.
inline constexpr const unsigned char* HelpFrenchStart = PayloadBlock + PayloadOffsetHelpFrench;
inline constexpr const unsigned char* HelpEnglishStart = PayloadBlock + PayloadOffsetHelpEnglish;
inline constexpr const unsigned char* LibraryFileStart = PayloadBlock + PayloadOffsetLibraryFile;
inline constexpr const unsigned char* ResidentFileStart = PayloadBlock + PayloadOffsetResidentFile;
inline constexpr const unsigned char* ExampleSourcesStart = PayloadBlock + PayloadOffsetExampleSources;
inline constexpr const unsigned char* LogoBitmapStart = PayloadBlock + PayloadOffsetLogoBitmap;
inline constexpr const unsigned char* ButtonBitmapStart = PayloadBlock + PayloadOffsetButtonBitmap;
inline constexpr const unsigned char* PayloadEnd = PayloadBlock + PayloadSize;

// One past the last byte of each file installed, from the item's own size.
inline constexpr const unsigned char* HelpFrenchEnd = HelpFrenchStart + PayloadSizeHelpFrench;
inline constexpr const unsigned char* HelpEnglishEnd = HelpEnglishStart + PayloadSizeHelpEnglish;
inline constexpr const unsigned char* LibraryFileEnd = LibraryFileStart + PayloadSizeLibraryFile;
inline constexpr const unsigned char* ResidentFileEnd = ResidentFileStart + PayloadSizeResidentFile;

// Where each item lies in the block and the CRC-32 of its bytes, in block
// order, as the build computed them: a copy damaged on its way to the user
// no longer matches.
struct PayloadItemCheck {
    unsigned offset;
    unsigned size;
    unsigned crc;
};
extern const PayloadItemCheck PayloadChecks[PayloadItemCount];
