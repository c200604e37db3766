# The shipped program: 32-bit Windows, MinGW-w64 (posix thread model, which
# the test framework needs for std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Debian's wrapper starts the 32-bit Wine loader.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/wine)
# i686 C symbols carry a leading underscore, and stdcall adds @bytes.
set(QUILLFERN_ENTRY_SYMBOL _ProgramEntry@0)
