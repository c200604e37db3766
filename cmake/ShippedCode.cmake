# Options for everything that goes into the shipped program: no C++ runtime
# weight (exceptions, RTTI, unwind tables, static initialisers), size first.
# The layers are compiled for link-time optimisation: the program is then
# optimised as one unit, so functions used once are inlined across files and
# whatever nothing calls is left out (per-function sections would only add
# alignment padding between functions). The objects also hold plain code, for
# a test build that must link without it (see tests/e2e). Loops are not
# turned into C library calls (strlen, memset): the program imports only what
# it calls by name, and a call that first appears at the link-time compile
# crashes this linker (2.40) in a link without the standard libraries.
add_compile_options(-Wall -Wextra -Werror)

set(QUILLFERN_SHIPPED_OPTIONS
    -Os -flto -ffat-lto-objects -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-threadsafe-statics -fno-stack-protector -fno-tree-loop-distribute-patterns)

# A library of the shipped program.
function(quillfern_library name)
    add_library(${name} STATIC ${ARGN})
    target_compile_options(${name} PRIVATE ${QUILLFERN_SHIPPED_OPTIONS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# The program starts at its own entry point without the C runtime's start-up
# and imports only KnownDLLs (msvcrt for signal, raise and malloc): any other
# DLL would be searched for beside the program first.
set(QUILLFERN_PROGRAM_LINK_OPTIONS
    -nostdlib -nostartfiles -Wl,-e,${QUILLFERN_ENTRY_SYMBOL} -Wl,--subsystem,windows
    -Wl,--gc-sections -Wl,--no-insert-timestamp -s -flto)
set(QUILLFERN_PROGRAM_SYSTEM_LIBRARIES
    advapi32 gdi32 user32 kernel32 msvcrt gcc)
