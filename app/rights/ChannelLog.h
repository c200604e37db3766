#pragma once
// The log of the copy with rights: sent to the first copy through the
// channel (Channel.h), which shows it as its own; a held file is asked about
// there. Whoever reads it gone, the installation stops after its file.
#include "app/install/LogSink.h"

const LogSink& ChannelLogSink();
