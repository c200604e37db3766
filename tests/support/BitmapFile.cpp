#include "BitmapFile.h"
#include <cstring>

static int Read32(const unsigned char* at)
{
    int value;
    memcpy(&value, at, 4);
    return value;
}

BitmapFilePixels ReadBitmapFile(const unsigned char* file)
{
    const unsigned char* header = file + 14;
    BitmapFilePixels picture;
    picture.width = Read32(header + 4);
    picture.height = Read32(header + 8);
    int bitCount = header[14] | header[15] << 8;
    const unsigned char* colours = header + Read32(header);
    const unsigned char* bits = file + Read32(file + 10);
    // Each row is padded to a multiple of four bytes.
    int rowSize = (picture.width * bitCount / 8 + 3) & ~3;
    for (int row = picture.height - 1; row >= 0; row--) {
        for (int column = 0; column < picture.width; column++) {
            const unsigned char* bgr = bitCount == 8 ? colours + 4 * bits[row * rowSize + column]
                                                     : bits + row * rowSize + 3 * column;
            picture.pixels.push_back(bgr[2] << 16 | bgr[1] << 8 | bgr[0]);
        }
    }
    return picture;
}
