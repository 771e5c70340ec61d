#pragma once

// Faults of the file system in one folder: a test program that links FileFaults.cpp fails the calls by which Qt opens
// and writes files there while a fault is armed; unarmed, they pass unchanged.

#include <QString>

namespace FileFaults {

enum class Fault {
    None,
    DiskFull,          // once more than writesBeforeFull new files were created, every write there: ENOSPC
    ReadOnlyFolder,    // creating a file, or opening one for writing, fails with EACCES
    VanishBeforeWrite, // file is removed whenever a file is created, as between its read and its write
};

struct Arming
{
    Fault fault = Fault::None;
    QString folder;
    QString file;             // VanishBeforeWrite
    int writesBeforeFull = 0; // DiskFull
};

// How often the fault armed last struck: calls failed, or the file removed.
int injected();

struct Armed // the fault is armed for its lifetime
{
    Q_DISABLE_COPY(Armed)
    explicit Armed(const Arming &arming);
    ~Armed();
};

} // namespace FileFaults
