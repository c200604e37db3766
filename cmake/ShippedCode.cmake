# Options for everything that goes into the shipped program: no C++ runtime
# weight (exceptions, RTTI, unwind tables, static initialisers), size first
# (-Oz: 680 bytes less code than -Os on 32-bit, constants pushed and popped
# rather than moved).
# The layers are compiled for link-time optimisation: the program is then
# optimised as one unit, so functions used once are inlined across files and
# whatever nothing calls is left out (per-function sections would only add
# alignment padding between functions). The objects also hold plain code, for
# the test programs, which link without it. Loops are not
# turned into C library calls (strlen, memset): the program imports only what
# it calls by name, and a call that first appears at the link-time compile
# crashes this linker (2.40) in a link without the standard libraries.
add_compile_options(-Wall -Wextra -Werror)

set(QUILLFERN_SHIPPED_OPTIONS
    -Oz -flto -ffat-lto-objects -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-threadsafe-statics -fno-stack-protector -fno-tree-loop-distribute-patterns -malign-data=abi)
# 32-bit calls push their arguments rather than store them into space kept
# below every frame, much the smaller code. The stack probe for frames of a
# page or more needs that space, so it goes too, and no frame may come near
# a page: each frame then touches the stack within a page of the last. The
# stack is kept 4-byte aligned, as Windows keeps it on 32-bit, so calls need
# no padding: the code has nothing (no SSE) that wants it aligned further.
# Nothing walks the stack, so no function keeps a frame pointer (this
# compiler keeps one on 32-bit by default): 780 bytes less code.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND QUILLFERN_SHIPPED_OPTIONS
        -mno-accumulate-outgoing-args -mno-stack-arg-probe -Wframe-larger-than=3072
        -mpreferred-stack-boundary=2 -fomit-frame-pointer)
endif()

# A library of the shipped program.
function(quillfern_library name)
    add_library(${name} STATIC ${ARGN})
    target_compile_options(${name} PRIVATE ${QUILLFERN_SHIPPED_OPTIONS})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# The program starts at its own entry point without the C runtime's start-up
# and imports only KnownDLLs (msvcrt for signal and raise): any other
# DLL would be searched for beside the program first. Its link-time compile
# takes the options the layers were compiled with.
set(QUILLFERN_PROGRAM_LINK_OPTIONS ${QUILLFERN_SHIPPED_OPTIONS}
    -nostdlib -nostartfiles -Wl,-e,${QUILLFERN_ENTRY_SYMBOL} -Wl,--subsystem,windows
    -Wl,--gc-sections -Wl,--no-insert-timestamp -s)
set(QUILLFERN_PROGRAM_SYSTEM_LIBRARIES
    advapi32 gdi32 user32 kernel32 msvcrt gcc)
