#include "app/install/Installation.h"
#include "app/ExitCodes.h"

unsigned InstallationExitCode(const InstallationOutcome& outcome)
{
    if (outcome.end == InstallationRefused)
        return ExitNoRights;
    if (outcome.end == InstallationCopyFailed)
        return ExitIncomplete;
    return outcome.filesNotWritten == 0 ? ExitOk : ExitIncomplete;
}
