#pragma once
// The few Windows types the string engine's headers name, so that the engine
// and the command parsing build natively for the fuzz targets.
#include <cstddef>

typedef struct HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
typedef std::size_t SIZE_T;
typedef unsigned int DWORD;
typedef unsigned int UINT;
