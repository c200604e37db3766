#pragma once
// The write test: whether this process can create and delete a file in the
// host folder and in each of its sub-folders that the installation writes
// into and that already exist. A test, not a guess from the folders'
// rights, which miss read-only media and shares.

enum HostWrite : unsigned char {
    HostWriteDenied,        // refused for want of rights, which may cure it
    HostWritable,
    HostWriteFailed,        // refused otherwise (a read-only medium, a share): rights would not help
};

HostWrite InstallationCanWrite(const char* host);
