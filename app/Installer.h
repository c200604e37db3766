#pragma once
// The installer's main body and its shared state.

[[noreturn]] void InstallerMain();
[[noreturn]] void FinalCleanup();
