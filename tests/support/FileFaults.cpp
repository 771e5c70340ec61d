// The C library calls by which Qt changes files, each defined here once more:
// an executable's own definition is the one every library of the process
// calls. Each passes the call on to the C library (found with RTLD_NEXT)
// unless an armed fault makes it fail first.

#include "FileFaults.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

struct State
{
    std::mutex lock;
    std::atomic<int> fault{int(FileFaults::Fault::None)};
    std::string folder;
    std::string file;
    int writesBeforeFull = 0;
    int newFiles = 0;
    bool full = false;
    int injected = 0;
};

State &state()
{
    static State s;
    return s;
}

FileFaults::Fault armedFault()
{
    return FileFaults::Fault(state().fault.load(std::memory_order_acquire));
}

template<typename Function>
Function real(const char *name)
{
    void *found = dlsym(RTLD_NEXT, name);
    if (!found) {
        std::fprintf(stderr, "FileFaults: no %s in the C library\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(found);
}

bool inFolder(const std::string &path)
{
    const std::string &folder = state().folder;
    return !folder.empty() && path.compare(0, folder.size(), folder) == 0
        && (path.size() == folder.size() || path[folder.size()] == '/');
}

bool inFolder(const char *path)
{
    return path && inFolder(std::string(path));
}

// The file a descriptor stands for ("... (deleted)" for one not yet linked).
std::string pathOf(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    return length > 0 ? std::string(target, std::size_t(length)) : std::string();
}

bool createsFile(int flags)
{
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
}

int refuse(int error)
{
    ++state().injected;
    errno = error;
    return -1;
}

} // namespace

namespace FileFaults {

void arm(const Arming &arming)
{
    State &s = state();
    const std::lock_guard<std::mutex> guard(s.lock);
    s.folder = arming.folder.toStdString();
    while (s.folder.size() > 1 && s.folder.back() == '/')
        s.folder.pop_back();
    s.file = arming.file.toStdString();
    s.writesBeforeFull = arming.writesBeforeFull;
    s.newFiles = 0;
    s.full = false;
    s.injected = 0;
    s.fault.store(int(arming.fault), std::memory_order_release);
}

int injected()
{
    const std::lock_guard<std::mutex> guard(state().lock);
    return state().injected;
}

} // namespace FileFaults

using FileFaults::Fault;

extern "C" int open64(const char *path, int flags, ...)
{
    mode_t mode = 0;
    if (createsFile(flags)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    static const auto next = real<int (*)(const char *, int, ...)>("open64");
    if (armedFault() != Fault::None) {
        State &s = state();
        const std::lock_guard<std::mutex> guard(s.lock);
        if (inFolder(path)) {
            const bool writes = createsFile(flags) || (flags & O_ACCMODE) != O_RDONLY;
            if (armedFault() == Fault::ReadOnlyFolder && writes)
                return refuse(EACCES);
            if (createsFile(flags)) {
                ++s.newFiles;
                static const auto removeFile = real<int (*)(const char *)>("unlink");
                if (armedFault() == Fault::VanishBeforeWrite && removeFile(s.file.c_str()) == 0)
                    ++s.injected;
            }
        }
    }
    return next(path, flags, mode);
}

extern "C" ssize_t write(int fd, const void *bytes, size_t count)
{
    static const auto next = real<ssize_t (*)(int, const void *, size_t)>("write");
    if (armedFault() == Fault::DiskFull) {
        State &s = state();
        const std::lock_guard<std::mutex> guard(s.lock);
        if (s.newFiles > s.writesBeforeFull && count > 0 && inFolder(pathOf(fd))) {
            if (s.full)
                return refuse(ENOSPC);
            // What still fits goes in; the next write finds the disk full.
            s.full = true;
            ++s.injected;
            return next(fd, bytes, count / 2);
        }
    }
    return next(fd, bytes, count);
}

extern "C" int linkat(int oldDirectory, const char *oldPath, int newDirectory, const char *newPath, int flags)
{
    static const auto next = real<int (*)(int, const char *, int, const char *, int)>("linkat");
    if (armedFault() == Fault::ReadOnlyFolder) {
        const std::lock_guard<std::mutex> guard(state().lock);
        if (inFolder(newPath))
            return refuse(EACCES);
    }
    return next(oldDirectory, oldPath, newDirectory, newPath, flags);
}

extern "C" int rename(const char *oldPath, const char *newPath)
{
    static const auto next = real<int (*)(const char *, const char *)>("rename");
    if (armedFault() == Fault::ReadOnlyFolder) {
        const std::lock_guard<std::mutex> guard(state().lock);
        if (inFolder(oldPath) || inFolder(newPath))
            return refuse(EACCES);
    }
    return next(oldPath, newPath);
}

extern "C" int renameat2(int oldDirectory, const char *oldPath, int newDirectory, const char *newPath,
                         unsigned int flags)
{
    static const auto next = real<int (*)(int, const char *, int, const char *, unsigned int)>("renameat2");
    if (armedFault() == Fault::ReadOnlyFolder) {
        const std::lock_guard<std::mutex> guard(state().lock);
        if (inFolder(oldPath) || inFolder(newPath))
            return refuse(EACCES);
    }
    return next(oldDirectory, oldPath, newDirectory, newPath, flags);
}

extern "C" int unlink(const char *path)
{
    static const auto next = real<int (*)(const char *)>("unlink");
    if (armedFault() == Fault::ReadOnlyFolder) {
        const std::lock_guard<std::mutex> guard(state().lock);
        if (inFolder(path))
            return refuse(EACCES);
    }
    return next(path);
}
