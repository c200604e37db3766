// The heap calls of the string engine over the C library's heap, where the
// address sanitizer watches every block.
#include "runtime/Rt.h"
#include <cstdlib>

void* RtAlloc(SIZE_T size)
{
    return std::calloc(size, 1);
}

void* RtAllocUnzeroed(SIZE_T size)
{
    return std::malloc(size);
}

void RtFree(void* block)
{
    std::free(block);
}
