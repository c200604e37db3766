#pragma once
// The channel between the installer and the copy of it that it starts with
// administrator rights: a local named pipe with a name that cannot be
// guessed, one instance, whose one client must be the process the installer
// started. Records are pipe messages: a kind byte, then its data.
//
// The installer (first copy) makes it, starts the copy, accepts it and sends
// ChannelGo; the copy then installs, sending its log (ChannelLine,
// ChannelStep) and its result (ChannelResult), and ends. Records flow both
// ways: a question from the copy could wait for the installer's answer the
// same way.
#include <windows.h>

enum ChannelKind : char {
    ChannelGo = 'G',        // to the copy: it is the one started, it may install
    ChannelLine = 'L',      // a log line, its UTF-8 bytes
    ChannelStep = 'S',      // the caret steps over that many lines (a number)
    ChannelResult = 'R',    // how many files were not written (a number)
};

struct ChannelRecord {
    ChannelKind kind;
    const char* text;       // ChannelLine: zero-terminated, valid until the next record
    int number;             // ChannelStep, ChannelResult
};

// The first copy's side. Makes the channel under a new name; 0 when it
// cannot be made.
int ChannelCreate();
// Its name, as the copy's command line carries it (CommandChannelLength
// hexadecimal digits).
const char* ChannelName();
// Waits until the process connects, refusing any other client, and lets it
// go; 0 when the process ended first or the channel failed.
int ChannelAccept(HANDLE process);
// The next record; 0 when the copy has closed the channel or sent what no
// record is.
int ChannelReceive(ChannelRecord* record);
// Either side: closes the channel.
void ChannelClose();

// The copy's side. Connects to the channel of that name and waits to be let
// go; 0 when it was not (no such channel, or not started by its maker).
int ChannelOpen(const char* name, int nameLength);
int ChannelSendLine(const char* text);
int ChannelSendNumber(ChannelKind kind, int number);
