#pragma once
// The records of the channel between the installer and the copy of it that
// it starts with administrator rights (Channel.h), read on their bytes
// alone, so that they can be tested and fuzzed without the system. Records
// are pipe messages: a kind byte, then its data.

// The channel's name: this many hexadecimal digits, as the copy's command
// line carries it.
constexpr int ChannelNameLength = 32;
// The kind byte and a 32-bit number, least significant byte first.
constexpr int ChannelNumberSize = 5;
// More than any step or any count of files; a number beyond it is no record.
constexpr int ChannelLargestNumber = 1000;

enum ChannelKind : char {
    ChannelGo = 'G',        // to the copy: it is the one started, it may install
    ChannelLine = 'L',      // a log line, its UTF-8 bytes
    ChannelStep = 'S',      // the caret steps over that many lines (a number)
    ChannelResult = 'R',    // how many files were not written (a number)
    ChannelQuestion = 'Q',  // a held file: its name as the log names it, a zero byte, its holders
    ChannelAnswer = 'A',    // to the copy: 1 to try the held file again, 0 to keep it (a number)
};

struct ChannelRecord {
    ChannelKind kind;
    const char* text;       // ChannelLine, ChannelQuestion's name: zero-terminated, within the record's bytes
    const char* holders;    // ChannelQuestion's, the same way
    int number;             // ChannelStep, ChannelResult, ChannelAnswer
};

// Reads `size` bytes, which a zero byte follows, as one record; 0 when they
// are no record of a known kind and shape: a line without zero bytes, a
// question of a name, one zero byte and its holders, a number of its size
// in range (an answer 0 or 1), a go alone. Nothing past the record is read.
int ChannelParseRecord(const char* bytes, int size, ChannelRecord* record);
