#include "Rt.h"

HINSTANCE RtInstance;

static HANDLE RtHeap;

// Each dynamic array starts with this header; two pointers keep the elements
// as aligned as the heap block itself.
struct RtArrayHeader {
    INT_PTR upperBound;
    INT_PTR reserved;
};

void RtPrepare(HINSTANCE instance)
{
    // Only a test prepares twice; the program starts with everything zero.
    if (RtHeap)
        HeapDestroy(RtHeap);
    RtHeap = nullptr;
    RtInstance = instance;
    RtHeap = HeapCreate(0, 4000, 0);
}

void RtEnd(UINT exitCode)
{
    if (RtHeap)
        HeapDestroy(RtHeap);
    RtHeap = nullptr;
    ExitProcess(exitCode);
}

void* RtAlloc(SIZE_T size)
{
    return RtHeap ? HeapAlloc(RtHeap, HEAP_ZERO_MEMORY, size) : nullptr;
}

void* RtAllocUnzeroed(SIZE_T size)
{
    return RtHeap ? HeapAlloc(RtHeap, 0, size) : nullptr;
}

void RtFree(void* block)
{
    if (block && RtHeap)
        HeapFree(RtHeap, 0, block);
}

int RtTableReserve(void** table, int* capacity, int number, int step, SIZE_T recordSize, int spareRecords)
{
    if (number < *capacity)
        return 1;
    if (number > 0x7FFFFFFF - step - spareRecords)
        return 0;
    int newCapacity = number + step;
    unsigned long long bytes = (unsigned long long)(newCapacity + spareRecords) * recordSize;
    if (bytes > (SIZE_T)-1)
        return 0;
    void* grown = *table ? HeapReAlloc(RtHeap, HEAP_ZERO_MEMORY, *table, (SIZE_T)bytes) : RtAlloc((SIZE_T)bytes);
    if (!grown)
        return 0;
    *table = grown;
    *capacity = newCapacity;
    return 1;
}

void* RtArrayAlloc(SIZE_T elementSize, int upperBound)
{
    if (upperBound < 0)
        return nullptr;
    SIZE_T count = (SIZE_T)upperBound + 1;
    if (elementSize && count > ((SIZE_T)-1 - sizeof(RtArrayHeader)) / elementSize)
        return nullptr;
    auto* header = (RtArrayHeader*)RtAlloc(sizeof(RtArrayHeader) + count * elementSize);
    if (!header)
        return nullptr;
    header->upperBound = upperBound;
    return header + 1;
}

void RtArrayFree(void* elements)
{
    if (elements)
        RtFree((RtArrayHeader*)elements - 1);
}

int RtArrayUpperBound(const void* elements)
{
    return elements ? (int)((const RtArrayHeader*)elements - 1)->upperBound : -1;
}

void RtSleep(DWORD milliseconds)
{
    Sleep(milliseconds);
}
