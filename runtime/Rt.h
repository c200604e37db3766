#pragma once
// Runtime core: process start and end, the private heap, numbered-object
// tables and dynamic arrays, and three small services.
#include <windows.h>

extern HINSTANCE RtInstance;
// The longest path the system's wide functions take, with its terminator.
constexpr DWORD RtPathCapacity = 32768;

// The runtime's own start: the instance and the heap.
// The services built on it are started by their user, after this.
void RtPrepare(HINSTANCE instance);
// Destroys the heap, with every string, table and array in it, and ends the
// process with the exit code. Whatever uses the heap has ended before.
[[noreturn]] void RtEnd(UINT exitCode = 0);

// Raises a program-installed SIGSEGV (else SIGFPE) handler on a processor
// fault, then leaves the fault to the system's default handling.
void RtInstallFaultHandler();

// Restricts the DLL search of the whole process to the system folder; the
// first thing the process does.
void RtRestrictDllSearch();
// Has Windows refuse, for every call of the process, to follow a junction
// that an account other than an administrator's made (RedirectionGuard,
// Windows 10 on; elsewhere nothing is done).
void RtGuardRedirection();
// Loads a DLL by its full path in the system folder, its own imports looked
// for there alone where the system can (there first elsewhere); null when it
// cannot be loaded.
HMODULE RtLoadSystemDll(const wchar_t* name);

// Heap blocks. All return null when the heap cannot supply the block.
void* RtAlloc(SIZE_T size);            // zero-filled
void* RtAllocUnzeroed(SIZE_T size);    // for blocks filled completely at once
void RtFree(void* block);              // null is ignored

// Makes a numbered-object table large enough for `number`: when the number is
// at or beyond *capacity, the capacity becomes number + step and the table is
// reallocated, new records zero. The block holds capacity + spareRecords
// records. Returns 0 (table and capacity unchanged) when it cannot grow.
int RtTableReserve(void** table, int* capacity, int number, int step, SIZE_T recordSize, int spareRecords = 0);

// Dynamic arrays: (upperBound + 1) zeroed elements, referred to by a pointer
// to element 0. Re-dimension by RtArrayFree then RtArrayAlloc.
void* RtArrayAlloc(SIZE_T elementSize, int upperBound);
void RtArrayFree(void* elements);      // null is ignored
int RtArrayUpperBound(const void* elements);

void RtSleep(DWORD milliseconds);
// Writes that many hexadecimal digits that cannot be predicted, and a
// terminator; 0 when the system cannot give them.
int RtRandomHex(char* text, int digits);
// The CRC-32 of zip and PNG over the bytes.
DWORD RtCrc32(const void* start, SIZE_T size);
