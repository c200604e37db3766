#pragma once
// The runtime's calls that a test build may take over. The shipped program
// links the empty table (RtHook.cpp), which its link-time compile folds away
// with every test of it; a test build defines RtHooks itself, filled with
// its substitutes, and that table then takes the empty one's place in the
// link. Each entry has the type of its call's own declaration, so a
// substitute whose type differs does not compile. A call taken over starts
//     if (RtHooks.FileFlush)
//         return RtHooks.FileFlush(number);
// and then calls its own code, FileFlushUnhooked, which a substitute that
// goes on to the runtime's own code calls as well.
#include "File.h"
#include "Rt.h"
#include "RtCalls.h"
#include "TreeParts.h"

struct RtHookTable {
    decltype(&::TreeCreateFile) TreeCreateFile;
    decltype(&::TreeOpenOrCreateFile) TreeOpenOrCreateFile;
    decltype(&::TreeLinkTarget) TreeLinkTarget;
    decltype(&::FileFlush) FileFlush;
    decltype(&::FileHandleMatches) FileHandleMatches;
    decltype(&::RtGuardRedirection) RtGuardRedirection;
    decltype(&::RtCallAddress) RtCallAddress;
};

extern const RtHookTable RtHooks;

// The runtime's own code of each call, of the call's own type.
decltype(::TreeCreateFile) TreeCreateFileUnhooked;
decltype(::TreeOpenOrCreateFile) TreeOpenOrCreateFileUnhooked;
decltype(::TreeLinkTarget) TreeLinkTargetUnhooked;
decltype(::FileFlush) FileFlushUnhooked;
decltype(::FileHandleMatches) FileHandleMatchesUnhooked;
decltype(::RtGuardRedirection) RtGuardRedirectionUnhooked;
decltype(::RtCallAddress) RtCallAddressUnhooked;
