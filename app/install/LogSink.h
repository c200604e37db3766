#pragma once
// Where an installation's log goes: up to two sinks at once (the window's
// list or standard output, and the /LOG= file; or, in the copy with rights,
// the first copy). Each sink takes a line, a caret step, a question about a
// held file and the end with its result; the installation tells them all,
// in order, and knows no more of them.
#include "app/Texts.h"
#include "runtime/Str.h"

struct LogSink {
    void* state;
    // Appends a line; 1 when the log took it, so that the caret moves over
    // the lines that are really there.
    int (*line)(void* state, const char* text);
    // One step of the log: the caret moves over the lines the step added. 0
    // when whoever reads the log is gone: the installation stops there.
    int (*step)(void* state, int lines);
    // A file held open by another program: 1 to try it again, once the user
    // has closed it there. A log that asks no one keeps the line that says
    // what holds it for its end, and answers 0.
    int (*held)(void* state, unsigned char language, const char* name, const char* holders);
    // The installation has ended: the lines kept meanwhile, and its result.
    void (*end)(void* state, unsigned char language, unsigned exitCode, int filesNotWritten);
};

constexpr int LogSinkCapacity = 2;

struct LogSinks {
    LogSink sinks[LogSinkCapacity];
    int count;
};

// Adds a sink after those already there; a third one is not taken.
void LogAddSink(LogSinks* log, const LogSink& sink);
// The first sink's answer: the one the user watches.
int LogLine(const LogSinks& log, const char* text);
// 0 when any sink's reader is gone.
int LogStep(const LogSinks& log, int lines);
// Asks each sink in order until one says to try again.
int LogAskHeld(const LogSinks& log, unsigned char language, const char* name, const char* holders);
void LogEnd(const LogSinks& log, unsigned char language, unsigned exitCode, int filesNotWritten);

// The held file's sentence, TextHeld or the window's TextHeldQuestion, at
// the work position (TextFormat); "another program" when no holder could be
// named.
TempStr LogHeldSentence(TextId sentence, unsigned char language, const char* name, const char* holders);
// A log written to a handle (standard output, a file), which asks no one:
// each line written to the handle as it comes, each held file's line kept
// for the log's end. The sink's state is the LogHandle.
struct LogHandle {
    // Null: the lines go nowhere. Its opener closes it (LogFileClose);
    // standard output's is never closed.
    void* file;
    HeapStr kept;   // lines each ended by a line feed, owned here
    int ended;      // 1 once its last line, the exit code's, is written
};
int LogHandleLine(void* state, const char* text);
int LogHandleAskHeld(void* state, unsigned char language, const char* name, const char* holders);
// The kept lines written one by one, then forgotten.
void LogHandlePassKept(LogHandle* log);
// The end of a handle's log: the kept lines, then "Exit code: <code>", the
// log's last line; the sink's end.
void LogHandleEnd(void* state, unsigned char language, unsigned exitCode, int filesNotWritten);
// The exit code's line for a run that ended before any installation's end
// wrote it; nothing when it has.
void LogHandleClose(LogHandle* log, unsigned char language, unsigned exitCode);
// The step of a log with no caret and no one to pause for: on it goes.
int LogStepOn(void* state, int lines);
