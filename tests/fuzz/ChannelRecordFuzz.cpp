// Takes the input as one record received from the copy with rights, which is
// trusted no more than a command line: nothing past the record is read (the
// buffer is sized exactly, its terminator after it), and what is taken
// matches a model of the records' shapes.
#include "FuzzSupport.h"
#include "app/rights/ChannelRecord.h"
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Expected {
    bool valid = false;
    std::string text, holders;
    int number = -1;
};

Expected Model(const std::string& record)
{
    Expected expected;
    if (record.empty())
        return expected;
    std::string data = record.substr(1);
    switch (record[0]) {
    case 'G':
        expected.valid = data.empty();
        break;
    case 'L':
        expected.valid = data.find('\0') == std::string::npos;
        expected.text = data;
        break;
    case 'Q': {
        size_t zero = data.find('\0');
        expected.valid = zero != std::string::npos && data.find('\0', zero + 1) == std::string::npos;
        expected.text = data.substr(0, zero);
        expected.holders = zero == std::string::npos ? "" : data.substr(zero + 1);
        break;
    }
    case 'S':
    case 'R':
    case 'A':
        if (data.size() == 4) {
            uint32_t value = 0;
            for (int i = 3; i >= 0; i--)
                value = value << 8 | (unsigned char)data[i];
            expected.valid = value <= 1000 && (record[0] != 'A' || value <= 1);
            expected.number = (int)value;
        }
        break;
    }
    return expected;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string record((const char*)data, size);
    std::vector<char> bytes(record.begin(), record.end());
    bytes.push_back(0);
    ChannelRecord parsed;
    int valid = ChannelParseRecord(bytes.data(), (int)size, &parsed);
    Expected expected = Model(record);
    Check((valid != 0) == expected.valid);
    if (!valid)
        return 0;
    Check(parsed.kind == record[0]);
    const char* end = bytes.data() + size;
    if (parsed.kind == ChannelLine || parsed.kind == ChannelQuestion) {
        Check(parsed.text > bytes.data() && parsed.text <= end && parsed.text + strlen(parsed.text) <= end);
        Check(parsed.text == expected.text);
    }
    if (parsed.kind == ChannelQuestion) {
        Check(parsed.holders > parsed.text && parsed.holders <= end && parsed.holders + strlen(parsed.holders) == end);
        Check(parsed.holders == expected.holders);
    }
    if (parsed.kind == ChannelStep || parsed.kind == ChannelResult || parsed.kind == ChannelAnswer)
        Check(parsed.number == expected.number && parsed.number >= 0 && parsed.number <= ChannelLargestNumber);
    return 0;
}
