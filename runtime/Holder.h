#pragma once
// The holders of a file: the applications that Windows' Restart Manager
// finds with the file open, by the names it gives them. The Restart Manager
// is loaded from the system folder for each question and let go after it.

// Writes the holders' names at the result start (string protocol: UTF-8,
// joined by ", ", each once) and returns how many it wrote: 0, with the
// empty text, when it names none (no Restart Manager, a failure, or a
// holder it cannot name, such as a service or a process of another session).
int HolderNames(const char* path, char* resultStart);
