#pragma once
// The four files an installation writes under the host folder, and the bytes
// each must hold. Shared by the end-to-end tests and the bench.
#include <string>

enum class Language { French, English };

// The four files, in the order they are installed.
enum class Target { Help, Library, Residents, Example };
constexpr Target AllTargets[] = {Target::Help, Target::Library, Target::Residents, Target::Example};

std::string TargetPath(Target target);          // under the host folder
// The file beside the target that the installer writes first.
std::string NewFilePath(Target target);
std::string PayloadBytes(Target target, Language language);
