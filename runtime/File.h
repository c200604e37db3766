#pragma once
// The file service: files addressed by small numbers, opened elsewhere
// (Tree.h) and taken for writing, written byte by byte through a buffer
// (the bytes reach the system when it fills, and on FileFlush and
// FileClose) or a whole span at once, checked against the bytes they should
// hold, closed. Names are UTF-8; any path Windows can hold is taken
// (FilePath.cpp).
#include "StrWide.h"
#include <windows.h>

void FileInit();
// Makes a file opened elsewhere (Tree.h) for writing the current file under
// the number; FileClose closes it. 0, the file closed, when the table
// cannot hold it (or the handle is null).
HANDLE FileTake(int number, HANDLE file);
// Writes the low 8 bits to the current file. A failure to hand buffered
// bytes to the system shows here or in FileFlush.
int FileWriteByte(int value);
// Writes the bytes from start up to end to the current file in as few
// system calls as it takes, after whatever bytes still wait. 1 when the
// system took them all.
int FileWriteBytes(const unsigned char* start, const unsigned char* end);
void FileClose(int number);
// Writes what the system still holds of the file through to the disk.
int FileFlush(int number);
int FileCapacity();                    // entries in the file table
// 1 when the open file (opened for reading too) holds exactly the bytes from
// start up to end, read from its start.
int FileHandleMatches(HANDLE file, const unsigned char* start, const unsigned char* end);
// 1 when the name is that of a file (not a folder); a relative name is taken
// relative to the current folder.
int FileExists(const char* name);
// The name as the system's wide functions take it: absolute (a relative one
// resolved against the current folder), normalised, and in the long form
// "\\?\" when it is too long for the plain one. A new heap block that the
// caller frees with RtFree; null when the name has no such path.
HeapWideStr FileWidePath(const char* name);
// 1 when the name is that of a network folder or file: a server's path
// ("\\server\share", "\\?\UNC\..."), or a network drive's. Nothing
// is asked of the server.
int FileIsOnNetwork(const char* name);
