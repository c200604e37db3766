#pragma once
// How the program keeps its texts: the rows (Texts.cpp) packed into one
// block when it is built, checked there, and unpacked at the first text
// asked for. Only Texts.cpp includes it, for TextIn.
#include "app/Texts.h"

// One row per text, its French beside its English, under its own name: the
// rows' order is checked against TextId when the program is built.
struct TextRow {
    TextId id;
    const char* french;
    const char* english;
};

// The texts as the program unpacks them, in one block: each text that no
// other one ends with, once, with its terminator; a text that another ends
// with is that one's end. Each row has its two places in the block (a
// pointer for each would take twice the room, and a relocation each). A
// slot is a row's French (even) or its English (odd).
constexpr int TextSlots = 2 * TextCount;

static constexpr const char* TextOfSlot(const TextRow* rows, int slot)
{
    return slot % 2 ? rows[slot / 2].english : rows[slot / 2].french;
}

static constexpr bool TextRowsInOrder(const TextRow* rows)
{
    for (int i = 0; i < TextCount; i++) {
        if (rows[i].id != i)
            return false;
    }
    return true;
}

static constexpr int TextLength(const char* text)
{
    int length = 0;
    while (text[length])
        length++;
    return length;
}

// Whether `text` ends with `end` (or is the same text).
static constexpr bool TextEndsWith(const char* text, const char* end)
{
    int textLength = TextLength(text);
    int endLength = TextLength(end);
    if (endLength > textLength)
        return false;
    for (int i = 0; i < endLength; i++) {
        if (text[textLength - endLength + i] != end[i])
            return false;
    }
    return true;
}

// Whether the block holds the slot's text as a text of its own: no longer
// text ends with it, and no earlier slot has the same.
static constexpr bool TextHeldWhole(const TextRow* rows, int slot)
{
    const char* text = TextOfSlot(rows, slot);
    for (int other = 0; other < TextSlots; other++) {
        const char* otherText = TextOfSlot(rows, other);
        if (other != slot && TextEndsWith(otherText, text)
            && (other < slot || TextLength(otherText) > TextLength(text)))
            return false;
    }
    return true;
}

static constexpr int TextBlockSize(const TextRow* rows)
{
    int size = 0;
    for (int slot = 0; slot < TextSlots; slot++) {
        if (TextHeldWhole(rows, slot))
            size += TextLength(TextOfSlot(rows, slot)) + 1;
    }
    return size;
}

template <int Bytes>
struct TextBlock {
    unsigned short places[TextCount][2];    // [id][0] the French, [id][1] the English
    char bytes[Bytes];
};

template <int Bytes>
static constexpr TextBlock<Bytes> TextBlockFromRows(const TextRow* rows)
{
    TextBlock<Bytes> block = {};
    bool whole[TextSlots] = {};
    int wholePlace[TextSlots] = {};
    int size = 0;
    for (int slot = 0; slot < TextSlots; slot++) {
        whole[slot] = TextHeldWhole(rows, slot);
        if (!whole[slot])
            continue;
        wholePlace[slot] = size;
        const char* text = TextOfSlot(rows, slot);
        for (int i = 0; text[i]; i++)
            block.bytes[size++] = text[i];
        block.bytes[size++] = 0;
    }
    for (int slot = 0; slot < TextSlots; slot++) {
        const char* text = TextOfSlot(rows, slot);
        int holder = 0;
        while (!whole[holder] || !TextEndsWith(TextOfSlot(rows, holder), text))
            holder++;
        int place = wholePlace[holder] + TextLength(TextOfSlot(rows, holder)) - TextLength(text);
        block.places[slot / 2][slot % 2] = (unsigned short)place;
    }
    return block;
}

template <int Bytes>
static constexpr bool TextBlockHoldsEveryRow(const TextBlock<Bytes>& block, const TextRow* rows)
{
    for (int slot = 0; slot < TextSlots; slot++) {
        const char* held = block.bytes + block.places[slot / 2][slot % 2];
        const char* text = TextOfSlot(rows, slot);
        if (TextLength(held) != TextLength(text) || !TextEndsWith(held, text))
            return false;
    }
    return true;
}

// The block is kept packed and unpacked at the first text asked for: its
// sentences repeat words and phrases, and packed it takes well under half
// the room. The packing is the simplest that pays: a flag byte before each
// eight items, each item either one byte as it is (flag bit 0) or a copy
// (flag bit 1) of 3 to 18 bytes from 1 to 4096 bytes back, in two bytes:
// (distance - 1) << 4 | (length - 3), low byte first.
constexpr int TextCopyShortest = 3;
constexpr int TextCopyLongest = TextCopyShortest + 15;
constexpr int TextCopyFarthest = 4096;
constexpr int TextByteBits = 1 + 8;     // with its flag bit
constexpr int TextCopyBits = 1 + 16;

// Unpacks `packed` into `block`, `blockBytes` long. The packed bytes are
// the program's own, made and checked below when it is built; in a damaged
// copy of the program they may be anything, and the unpacking still keeps
// to the block.
static constexpr void TextUnpack(const unsigned char* packed, char* block, int blockBytes)
{
    unsigned flags = 1;     // the flag byte's bits still to read, over a stop bit
    for (int size = 0; size < blockBytes; flags >>= 1) {
        if (flags == 1)
            flags = *packed++ | 0x100;
        if (!(flags & 1)) {
            block[size++] = (char)*packed++;
            continue;
        }
        unsigned copy = packed[0] | packed[1] << 8;
        packed += 2;
        int from = size - (int)(copy >> 4) - 1;
        if (from < 0)
            return;
        for (unsigned n = (copy & 15) + TextCopyShortest; n && size < blockBytes; n--)
            block[size++] = block[from++];
    }
}

// The packing, run once when the program is built: for each place the
// longest earlier copy, found along the chain of earlier places that start
// with the same three bytes (or bytes of the same hash), then from the end
// the choice at each place that leaves the fewest bits.
template <int Bytes>
struct TextPacking {
    unsigned char bytes[Bytes + Bytes / 8 + 1];
    int size;
};

constexpr int TextHashes = 0x1000;

static constexpr int TextHash(const char* at)
{
    return ((unsigned char)at[0] << 4 ^ (unsigned char)at[1] << 2 ^ (unsigned char)at[2]) % TextHashes;
}

template <int Bytes>
static constexpr TextPacking<Bytes> TextPack(const char* block)
{
    constexpr int end = Bytes;
    int earlier[end] = {};      // the last place before with the same hash, or -1
    int lastWithHash[TextHashes] = {};
    for (int& place : lastWithHash)
        place = -1;
    for (int at = 0; at + TextCopyShortest <= end; at++) {
        earlier[at] = lastWithHash[TextHash(block + at)];
        lastWithHash[TextHash(block + at)] = at;
    }
    int longest[end] = {};
    int distance[end] = {};
    for (int at = 0; at + TextCopyShortest <= end; at++) {
        for (int from = earlier[at]; from >= 0 && at - from <= TextCopyFarthest; from = earlier[from]) {
            int length = 0;
            while (at + length < end && length < TextCopyLongest && block[from + length] == block[at + length])
                length++;
            if (length > longest[at]) {
                longest[at] = length;
                distance[at] = at - from;
            }
        }
    }
    // bits[at]: the fewest bits that hold the block from `at` on; take[at]:
    // how many bytes the item there covers, 1 for a byte as it is.
    int bits[end + 1] = {};
    int take[end] = {};
    for (int at = end - 1; at >= 0; at--) {
        bits[at] = TextByteBits + bits[at + 1];
        take[at] = 1;
        for (int length = TextCopyShortest; length <= longest[at]; length++) {
            if (TextCopyBits + bits[at + length] < bits[at]) {
                bits[at] = TextCopyBits + bits[at + length];
                take[at] = length;
            }
        }
    }
    TextPacking<Bytes> packing = {};
    int flagsAt = 0;
    int items = 0;
    for (int at = 0; at < end; at += take[at], items++) {
        if (items % 8 == 0)
            flagsAt = packing.size++;
        if (take[at] == 1) {
            packing.bytes[packing.size++] = (unsigned char)block[at];
            continue;
        }
        packing.bytes[flagsAt] |= (unsigned char)(1 << items % 8);
        unsigned copy = (unsigned)(distance[at] - 1) << 4 | (unsigned)(take[at] - TextCopyShortest);
        packing.bytes[packing.size++] = (unsigned char)copy;
        packing.bytes[packing.size++] = (unsigned char)(copy >> 8);
    }
    return packing;
}

// What the program keeps: each row's two places and the packed block.
template <int PackedBytes>
struct TextsPacked {
    unsigned short places[TextCount][2];
    unsigned char bytes[PackedBytes];
};

template <int PackedBytes, int Bytes>
static constexpr TextsPacked<PackedBytes> TextsPackedFrom(const TextBlock<Bytes>& block, const TextPacking<Bytes>& packing)
{
    TextsPacked<PackedBytes> packed = {};
    for (int id = 0; id < TextCount; id++) {
        packed.places[id][0] = block.places[id][0];
        packed.places[id][1] = block.places[id][1];
    }
    for (int i = 0; i < PackedBytes; i++)
        packed.bytes[i] = packing.bytes[i];
    return packed;
}

template <int PackedBytes, int Bytes>
static constexpr bool TextUnpacksWhole(const TextsPacked<PackedBytes>& packed, const TextBlock<Bytes>& block)
{
    char unpacked[Bytes] = {};
    TextUnpack(packed.bytes, unpacked, Bytes);
    for (int i = 0; i < Bytes; i++) {
        if (unpacked[i] != block.bytes[i])
            return false;
    }
    return true;
}

// The rows packed and checked when the program is built, and their block
// as unpacked at the first text asked for. Only the program's main thread
// asks for texts.
template <const auto& Rows>
struct TextTable {
    static_assert(sizeof Rows / sizeof Rows[0] == TextCount, "one row for each TextId");
    static_assert(TextRowsInOrder(Rows), "each text's row stands at its TextId");
    static constexpr int BlockBytes = TextBlockSize(Rows);
    static_assert(BlockBytes <= 0xFFFF, "every text's place fits its row");
    static constexpr TextBlock<BlockBytes> Block = TextBlockFromRows<BlockBytes>(Rows);
    static_assert(TextBlockHoldsEveryRow(Block, Rows), "each row's two places hold its texts");
    static constexpr TextPacking<BlockBytes> Packing = TextPack<BlockBytes>(Block.bytes);
    static constexpr TextsPacked<Packing.size> Packed = TextsPackedFrom<Packing.size>(Block, Packing);
    static_assert(TextUnpacksWhole(Packed, Block), "the packed texts unpack to the texts");

    static inline char Unpacked[BlockBytes];
    static inline bool UnpackedYet;

    static const char* In(TextId id, unsigned char language)
    {
        if (id >= TextCount)
            return "";
        if (!UnpackedYet) {
            TextUnpack(Packed.bytes, Unpacked, BlockBytes);
            UnpackedYet = true;
        }
        return Unpacked + Packed.places[id][language != LanguageFrench];
    }
};
