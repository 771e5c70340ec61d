// open64() and write() once more: the program's own definition is the one every library calls, passing the call on to
// the C library's (RTLD_NEXT). Qt opens every file with open64(), QSaveFile's temporary one too (O_TMPFILE, or a named
// one); refused there, it never gets as far as linking or renaming it.

#include "FileFaults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <mutex>
#include <string>

using FileFaults::Fault;

namespace {

std::atomic<Fault> armed{Fault::None};
std::atomic<int> struck{0};
std::mutex lock; // guards the rest while a fault is armed
std::string folder, vanishing;
int writesBeforeFull = 0, newFiles = 0;

bool inFolder(const std::string &path)
{
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '/');
}

int refuse(int error)
{
    ++struck;
    errno = error;
    return -1;
}

} // namespace

FileFaults::Armed::Armed(const Arming &arming)
{
    const std::lock_guard guard(lock);
    folder = arming.folder.toStdString();
    vanishing = arming.file.toStdString();
    writesBeforeFull = arming.writesBeforeFull;
    newFiles = struck = 0;
    armed = folder.empty() ? Fault::None : arming.fault;
}

FileFaults::Armed::~Armed() { armed = Fault::None; }

int FileFaults::injected() { return struck; }

extern "C" int open64(const char *path, int flags, ...)
{
    static const auto next = reinterpret_cast<int (*)(const char *, int, ...)>(dlsym(RTLD_NEXT, "open64"));
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = creates ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    if (armed != Fault::None) {
        const std::lock_guard guard(lock);
        if (inFolder(path) && armed == Fault::ReadOnlyFolder && (creates || (flags & O_ACCMODE) != O_RDONLY))
            return refuse(EACCES);
        if (inFolder(path) && creates) {
            ++newFiles;
            if (armed == Fault::VanishBeforeWrite && unlink(vanishing.c_str()) == 0)
                ++struck;
        }
    }
    return next(path, flags, mode);
}

extern "C" ssize_t write(int fd, const void *bytes, size_t count)
{
    static const auto next = reinterpret_cast<ssize_t (*)(int, const void *, size_t)>(dlsym(RTLD_NEXT, "write"));
    if (armed == Fault::DiskFull && count > 0) {
        const std::lock_guard guard(lock);
        char target[4096];
        const ssize_t length = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
        if (newFiles > writesBeforeFull && length > 0 && inFolder(std::string(target, std::size_t(length))))
            return refuse(ENOSPC);
    }
    return next(fd, bytes, count);
}
