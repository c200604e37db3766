#pragma once
// The file service: files addressed by small numbers, created for writing,
// written byte by byte through a buffer (the bytes reach the system when it
// fills, and on FileFlush and FileClose) or a whole span at once, closed;
// and folder creation. Names are UTF-8; any path Windows can hold is taken
// (FilePath.cpp).
#include <windows.h>

void FileInit();
// Creates (or empties) the file for writing and makes it the current file.
// A relative name is taken relative to the program's folder. 0 on failure.
HANDLE FileCreate(int number, const char* name);
// Makes a file opened elsewhere (Tree.h) the current file under the number,
// as FileCreate does one it opens; FileClose closes it. 0, the file closed,
// when the table cannot hold it.
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
int DirCreate(const char* path);       // one folder; its parent must exist
int FileCapacity();                    // entries in the file table
// 1 when the file holds exactly the bytes from start up to end.
int FileMatches(const char* name, const unsigned char* start, const unsigned char* end);
// The same, read through the open file from its start (opened for reading).
int FileHandleMatches(HANDLE file, const unsigned char* start, const unsigned char* end);
// 1 when the name is that of a file (not a folder); a relative name is taken
// relative to the current folder.
int FileExists(const char* name);
// The name as the system's wide functions take it: absolute (a relative one
// resolved against the current folder), normalised, and in the long form
// "\\?\" when it is too long for the plain one. A new heap block that the
// caller frees with RtFree; null when the name has no such path.
wchar_t* FileWidePath(const char* name);
// 1 when the name is that of a network folder or file: a server's path
// ("\\server\share", "\\?\UNC\..."), or a network drive's. Nothing
// is asked of the server.
int FileIsOnNetwork(const char* name);
// Moves a file over another in one step, replacing it, written through to
// the disk; the target stays as it was when the move fails. Relative names
// are taken relative to the program's folder. When given, *held tells
// whether a failed move failed because another program has the target open
// in a way that keeps it from being replaced (1), or for another reason (0).
int FileMoveReplacing(const char* from, const char* to, int* held = nullptr);
