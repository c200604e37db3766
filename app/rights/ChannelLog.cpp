#include "app/rights/ChannelLog.h"
#include "app/rights/Channel.h"

static int ChannelLogLine(void*, const char* text)
{
    return ChannelSendLine(text);
}

// The first copy moves its own caret, pausing as it does for its own steps.
static int ChannelLogStep(void*, int lines)
{
    return ChannelSendNumber(ChannelStep, lines);
}

// The sentence is the first copy's, in its sinks' language.
static int ChannelLogAskHeld(void*, unsigned char, const char* name, const char* holders)
{
    return ChannelAskRetry(name, holders);
}

static void ChannelLogEnd(void*, unsigned char, unsigned, int filesNotWritten)
{
    ChannelSendNumber(ChannelResult, filesNotWritten);
}

// Named, so that it lies with the constants rather than in writable data.
static const LogSink ChannelSink = {nullptr, ChannelLogLine, ChannelLogStep, ChannelLogAskHeld, ChannelLogEnd};

const LogSink& ChannelLogSink()
{
    return ChannelSink;
}
