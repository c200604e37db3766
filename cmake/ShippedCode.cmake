# Options for everything that goes into the shipped program: no C++ runtime
# weight (exceptions, RTTI, unwind tables, static initialisers), size first.
add_compile_options(-Wall -Wextra -Werror)

set(QUILLFERN_SHIPPED_OPTIONS
    -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables
    -fno-threadsafe-statics -fno-stack-protector -ffunction-sections)

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
    -Wl,--gc-sections -Wl,--no-insert-timestamp -s)
set(QUILLFERN_PROGRAM_SYSTEM_LIBRARIES
    advapi32 gdi32 user32 kernel32 msvcrt gcc)
