// The copy started with rights by a first copy: it installs what that copy
// found, in its language, sends it the log and the result through the
// channel (ChannelLog), and never asks for rights again. Only the channel
// lets it past the installation guard, which the first copy holds until
// this copy has ended. The first copy lets go (ChannelGo) only the client
// whose process it started itself, checked by the system; a third start
// naming the same channel, however it learnt the name, is refused by it and
// ends here as beside any running installation.
#include "app/ExitCodes.h"
#include "app/rights/Channel.h"
#include "app/rights/ChannelLog.h"
#include "app/run/HostChoice.h"
#include "app/run/Run.h"
#include "runtime/Str.h"

unsigned RelaunchedRun(const CommandLine& line)
{
    Run run = RunStart(line, ChannelLogSink());
    if (!ChannelOpen(line.relaunched, ChannelNameLength))
        return RunEnd(run, ExitAlreadyRunning);
    unsigned exitCode = RunInstallAndEnd(run, HostChoiceForRelaunched(run.named, InstallationReach(run.kind)));
    ChannelClose();
    return exitCode;
}
