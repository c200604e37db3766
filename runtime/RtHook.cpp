// The shipped program's table of hooks: none. A file of its own, so that a
// test build's table takes its place in the link.
#include "RtHook.h"

extern const RtHookTable RtHooks = {};
