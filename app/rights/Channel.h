#pragma once
// The channel between the installer and the copy of it that it starts with
// administrator rights: a local named pipe with a name that cannot be
// guessed, one instance, whose one client must be the process the installer
// started. Records are pipe messages: a kind byte, then its data.
//
// The installer (first copy) makes it, starts the copy, accepts it and sends
// ChannelGo; the copy then installs, sending its log (ChannelLine,
// ChannelStep) and its result (ChannelResult), and ends. A file held by
// another program is asked about on the way (ChannelQuestion), and the copy
// waits for the installer's answer (ChannelAnswer).
#include "app/rights/ChannelRecord.h"
#include <windows.h>

// The first copy's side. Makes the channel under a new name; 0 when it
// cannot be made.
int ChannelCreate();
// Its name, as the copy's command line carries it (ChannelNameLength
// hexadecimal digits).
const char* ChannelName();
// Waits until the process connects, refusing any other client, and lets it
// go; 0 when the process ended first or the channel failed.
int ChannelAccept(HANDLE process);
// The next record; 0 when the copy has closed the channel or sent what no
// record is (ChannelParseRecord).
int ChannelReceive(ChannelRecord* record);
// Either side: closes the channel. Every wait on it handles the thread's
// window messages meanwhile (WinWaitObjects), so that a window stays alive.
void ChannelClose();

// The copy's side. Connects to the channel of that name and waits to be let
// go; 0 when it was not (no such channel, or not started by its maker),
// having released what it took.
int ChannelOpen(const char* name, int nameLength);
int ChannelSendLine(const char* text);
int ChannelSendNumber(ChannelKind kind, int number);
// Asks the installer whether to try the held file again, and waits for its
// answer: 1 to try again; 0 to keep the file, or when the channel failed.
int ChannelAskRetry(const char* name, const char* holders);
