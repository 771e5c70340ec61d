#pragma once

// Faults of the file system, injected where the program meets the C library:
// the test executable that links FileFaults.cpp takes over the calls by which
// Qt opens, writes, links, renames and removes files, and lets each of them
// fail, only for files in one folder and only while a fault is armed. Every
// other call goes through unchanged. The program under test runs as it is.

#include <QString>

namespace FileFaults {

enum class Fault {
    None,
    // The disk fills up: writes go through until the file system has taken
    // writesBeforeFull whole files, then a write takes only part of its bytes
    // and every later one fails with ENOSPC.
    DiskFull,
    // The folder cannot be written: creating, replacing, linking or removing
    // a file in it fails with EACCES, and so does opening one for writing.
    ReadOnlyFolder,
    // The file vanishes between its read and its write: whoever starts to
    // write a new file into the folder finds the watched file removed just
    // before.
    VanishBeforeWrite,
};

struct Arming
{
    Fault fault = Fault::None;
    QString folder; // faults touch only files in this folder
    QString file; // VanishBeforeWrite: the file that vanishes
    int writesBeforeFull = 0; // DiskFull
};

// Arms a fault until the next call; Fault::None disarms.
void arm(const Arming &arming);

// How often an armed fault made a call fail (or, for VanishBeforeWrite, removed the file).
int injected();

// RAII: arms on construction, disarms on destruction.
class Armed
{
public:
    explicit Armed(const Arming &arming) { arm(arming); }
    ~Armed() { arm({}); }
    Armed(const Armed &) = delete;
    Armed &operator=(const Armed &) = delete;
};

} // namespace FileFaults
