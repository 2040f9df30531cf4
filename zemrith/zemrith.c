/* Handles are POSIX descriptors shifted by one, so that a valid handle is
   always 1 or more, as callers test. */
#define _FILE_OFFSET_BITS 64
#include "zemrith.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#define ZEMRITH_API __attribute__((visibility("default")))
enum { readOnlyMode = 0x8000 };

static int toDescriptor(int handle) { return handle - 1; }

ZEMRITH_API int pelk_open(const char* path, int mode, int permissions)
{
    if (path == 0)
        return -1;
    int flags = O_CLOEXEC;
    if (mode == readOnlyMode)
        flags |= O_RDONLY;
    else
        flags |= O_RDWR | O_CREAT;
    int fd;
    do
        fd = open(path, flags, permissions > 0 ? (mode_t)permissions : (mode_t)0666);
    while (fd < 0 && errno == EINTR);
    return fd < 0 ? -1 : fd + 1;
}

ZEMRITH_API int64_t pelk_seek(int handle, int64_t offset, int origin)
{
    int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
    if (handle < 1 || whence < 0)
        return -1;
    off_t result = lseek(toDescriptor(handle), (off_t)offset, whence);
    return result < 0 ? -1 : (int64_t)result;
}

ZEMRITH_API int pelk_read(int handle, void* buffer, int count)
{
    if (handle < 1 || buffer == 0 || count < 0)
        return -1;
    /* Fill the request as far as the file allows: a short read from a pipe or
       a signal must not look like the end of the file. */
    char* out = (char*)buffer;
    int done = 0;
    while (done < count) {
        ssize_t n = read(toDescriptor(handle), out + done, (size_t)(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? done : -1;
        }
        if (n == 0)
            break;
        done += (int)n;
    }
    return done;
}

ZEMRITH_API int pelk_write(int handle, const void* buffer, int count)
{
    if (handle < 1 || buffer == 0 || count < 0)
        return -1;
    const char* in = (const char*)buffer;
    int done = 0;
    while (done < count) {
        ssize_t n = write(toDescriptor(handle), in + done, (size_t)(count - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        /* A device that takes nothing would otherwise be asked forever. */
        if (n == 0)
            return done > 0 ? done : -1;
        done += (int)n;
    }
    return done;
}

ZEMRITH_API int pelk_close(int handle)
{
    if (handle < 1)
        return -1;
    return close(toDescriptor(handle));
}

ZEMRITH_API int pelk_commit(int handle)
{
    if (handle < 1)
        return -1;
    return fsync(toDescriptor(handle));
}
