#pragma once
// The program's calls that a test build may take over, as the runtime's are
// (runtime/RtHook.h): the shipped program links the empty table
// (AppHook.cpp), a test build a table of its own, and a substitute that goes
// on to the program's own code calls the call's ...Unhooked.
#include "app/install/WriteTest.h"
#include "app/rights/Channel.h"
#include "app/rights/Relaunch.h"
#include "app/window/InstallerWindow.h"
#include "app/window/WindowColours.h"
#include "runtime/RtHook.h"

struct AppHookTable {
    decltype(&::InstallationCanWrite) InstallationCanWrite;
    decltype(&::RelaunchExecute) RelaunchExecute;
    decltype(&::ChannelOpen) ChannelOpen;
    decltype(&::BuildInstallerWindow) BuildInstallerWindow;
    decltype(&::WindowColoursSystemHighContrast) WindowColoursSystemHighContrast;
};

extern const AppHookTable AppHooks;

// The program's own code of each call, of the call's own type.
decltype(::InstallationCanWrite) InstallationCanWriteUnhooked;
decltype(::RelaunchExecute) RelaunchExecuteUnhooked;
decltype(::ChannelOpen) ChannelOpenUnhooked;
decltype(::BuildInstallerWindow) BuildInstallerWindowUnhooked;
decltype(::WindowColoursSystemHighContrast) WindowColoursSystemHighContrastUnhooked;
