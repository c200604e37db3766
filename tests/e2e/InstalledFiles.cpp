#include "InstalledFiles.h"
#include "payload/Payload.h"

std::string TargetPath(Target target)
{
    switch (target) {
    case Target::Help:
        return "Help\\Quillfern.chm";
    case Target::Library:
        return "PureLibraries\\UserLibraries\\Quillfern";
    case Target::Residents:
        return "Residents\\Ostravel.res";
    default:
        return "Examples\\Quillfern\\Tintwell\\Tintwell.pb";
    }
}

std::string NewFilePath(Target target)
{
    return TargetPath(target) + ".new";
}

std::string PayloadBytes(Target target, Language language)
{
    auto range = [](const unsigned char* start, const unsigned char* end) { return std::string(start, end); };
    switch (target) {
    case Target::Help:
        return language == Language::French ? range(HelpFrenchStart, HelpEnglishStart)
                                            : range(HelpEnglishStart, LibraryFileStart);
    case Target::Library:
        return range(LibraryFileStart, ResidentFileStart);
    case Target::Residents:
        return range(ResidentFileStart, ExampleSourcesStart);
    default:
        return range(ExampleSourcesStart, ExampleSourcesStart + PayloadExampleTintwellSize);
    }
}
