/* zemrith: the file-access library the console programs load by name at
   start-up. Plain C entry points over POSIX file calls, 64-bit offsets. */
#ifndef ZEMRITH_H
#define ZEMRITH_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* mode 0x8000: read-only, raw bytes; any other mode opens for writing. */
int pelk_open(const char* path, int mode, int permissions);
int64_t pelk_seek(int handle, int64_t offset, int origin);
int pelk_read(int handle, void* buffer, int count);
int pelk_write(int handle, const void* buffer, int count);
int pelk_close(int handle);
int pelk_commit(int handle);

#ifdef __cplusplus
}
#endif

#endif
