#pragma once
// A picture as its BMP file stores it, read from the bytes as the format
// lays them out, without the system's help: what any decoder must show.
#include <vector>

struct BitmapFilePixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned> pixels;   // 0x00RRGGBB, top row first
};

// An uncompressed file, bottom row first, of 8 bits (with a colour table)
// or 24 bits a pixel.
BitmapFilePixels ReadBitmapFile(const unsigned char* file);
